#include "audio_input.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "resampler.h"
#include "sndfile_error.h"
#include "tool_error.h"

namespace g722kit::tool {
namespace {

constexpr size_t kChunkFrames = 65536;

struct SndfileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

SndfileHandle Open(const std::filesystem::path& file, bool raw, SF_INFO& info) {
  info = {};
  if (raw) {
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
  }
  SndfileHandle handle(sf_open(file.c_str(), SFM_READ, &info));
  if (!handle) throw FileError(kExitFormat, "cannot read", file, SndfileMessage(nullptr));
  return handle;
}

std::string FormatName(int format) {
  SF_FORMAT_INFO major{format & SF_FORMAT_TYPEMASK, nullptr, nullptr};
  SF_FORMAT_INFO sub{format & SF_FORMAT_SUBMASK, nullptr, nullptr};
  sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major);
  sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof sub);
  return std::string(major.name ? major.name : "unknown") + ", " +
         (sub.name ? sub.name : "unknown encoding");
}

int16_t ToPcm16(float sample) {
  return static_cast<int16_t>(std::clamp(std::lrint(sample * 32768.0f), -32768L, 32767L));
}

}  // namespace

std::string AudioFormat::Summary() const {
  char text[96];
  std::snprintf(text, sizeof text, "%d Hz, %d channel%s, %.2f s", rate, channels,
                channels == 1 ? "" : "s", Seconds());
  return text;
}

AudioFormat ReadAudioFormat(const std::filesystem::path& file, bool raw) {
  SF_INFO info;
  Open(file, raw, info);
  return {FormatName(info.format), info.samplerate, info.channels, info.frames};
}

void ReadPcm(const std::filesystem::path& file, bool raw, int rate, const PcmSink& sink) {
  SF_INFO info;
  SndfileHandle handle = Open(file, raw, info);
  Resampler resampler(info.samplerate, rate);
  const auto channels = static_cast<size_t>(info.channels);
  std::vector<float> frames(kChunkFrames * channels), mono(kChunkFrames), resampled;
  std::vector<int16_t> pcm;
  const auto deliver = [&](int64_t frames_read) {
    pcm.resize(resampled.size());
    std::transform(resampled.begin(), resampled.end(), pcm.begin(), ToPcm16);
    sink(pcm, frames_read);
  };
  int64_t total = 0;
  for (;;) {
    const sf_count_t count = sf_readf_float(handle.get(), frames.data(), kChunkFrames);
    if (sf_error(handle.get()) != SF_ERR_NO_ERROR) {
      throw FileError(kExitInput, "cannot read", file, SndfileMessage(handle.get()));
    }
    if (count <= 0) break;
    for (sf_count_t i = 0; i < count; i++) {
      float sum = 0;
      for (size_t c = 0; c < channels; c++)
        sum += frames[static_cast<size_t>(i) * channels + c];
      mono[static_cast<size_t>(i)] = sum / static_cast<float>(channels);
    }
    total += count;
    resampler.Process(std::span(mono).first(static_cast<size_t>(count)), resampled);
    deliver(total);
  }
  resampler.Flush(resampled);
  deliver(total);
}

std::vector<int16_t> ReadAllPcm(const std::filesystem::path& file, bool raw, int rate) {
  std::vector<int16_t> all;
  ReadPcm(file, raw, rate, [&](std::span<const int16_t> pcm, int64_t) {
    all.insert(all.end(), pcm.begin(), pcm.end());
  });
  return all;
}

}  // namespace g722kit::tool
