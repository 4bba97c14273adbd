#include "coding/codec_settings.h"

#include "g722kit/g722.h"
#include "messages/tool_error.h"

namespace g722kit::tool {

int32_t CodecSettings::Options() const {
  return (wideband ? 0 : G722Option8k) | (packed ? G722OptionPacked : 0);
}

int CodecSettings::PcmRate() const {
  return wideband ? 16000 : 8000;
}

bool CodecSettings::IsLibraryDefault() const {
  return bitrate == 64000 && !wideband;
}

std::string CodecSettings::Slug() const {
  return std::to_string(bitrate / 1000) + "k-" + (wideband ? "16khz" : "8khz") +
         (packed ? "-packed" : "");
}

std::string CodecSettings::Description() const {
  return std::to_string(bitrate) + " bit/s, " + (wideband ? "16 kHz" : "8 kHz") +
         (packed ? ", packed" : "");
}

CodecSettings WithBand(CodecSettings settings, Band band) {
  settings.wideband = band != Band::kNarrow;
  return settings;
}

void CheckCodecSettings(const CodecSettings& settings) {
  if (settings.packed && settings.bitrate == 64000) {
    throw ToolError(kExitUsage,
                    "--packed needs --bitrate 56000 or 48000: at 64000 bit/s every code fills a "
                    "whole byte");
  }
}

std::vector<CodecSettings> AllCodecSettings() {
  std::vector<CodecSettings> all;
  for (bool wideband : {false, true}) {
    for (int32_t bitrate : {64000, 56000, 48000}) {
      all.push_back({bitrate, wideband, false});
      if (bitrate != 64000) all.push_back({bitrate, wideband, true});
    }
  }
  return all;
}

}  // namespace g722kit::tool
