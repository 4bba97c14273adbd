#include "formats/g722_container.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "formats/header_bytes.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t kWaveFormatG722 = 0x0065;        // WAVE_FORMAT_G722_ADPCM
constexpr uint16_t kWaveFormatExtensible = 0xFFFE;  // the tag is then in the sub-format GUID
constexpr uint32_t kAuEncodingG722 = 24;            // G.722 ADPCM
constexpr uint32_t kUnknownSize = 0xFFFFFFFF;       // a size not known when the header was written
constexpr uint32_t kSampleRate = 16000;             // two-band PCM side
constexpr uint32_t kRtpClockRate = 8000;            // G.722's RTP clock, mistaken for the rate
constexpr uint32_t kMaxChannels = 2;                // a call's two legs
constexpr uint32_t kCodeBytesPerSecond = 8000;      // one byte per code, 8000 codes per second

// The WAV header written: RIFF form, an 18-byte WAVEFORMATEX, a fact chunk, the data chunk's
// own header.
constexpr size_t kWavHeaderBytes = 12 + 8 + 18 + 8 + 4 + 8;
// The AU header written: six fields and a four-byte annotation, the least readers expect.
constexpr size_t kAuHeaderBytes = 28;
constexpr size_t kAuFieldBytes = 24;

// How much of a file's start is searched for its codes: room for any chunks a WAV writer puts
// before them.
constexpr size_t kHeadBytes = 65536;

// The sub-format GUID of WAVE_FORMAT_EXTENSIBLE after its first two bytes, the format tag:
// {0000xxxx-0000-0010-8000-00AA00389B71} in its stored byte order.
constexpr std::array<uint8_t, 14> kGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                               0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// What the containers are called on the command line and for people.
struct ContainerNames {
  Container container;
  const char* name;
  const char* title;
};
constexpr ContainerNames kContainerNames[] = {{Container::kRaw, "raw", "raw"},
                                              {Container::kWav, "wav", "WAV"},
                                              {Container::kAu, "au", "AU"},
                                              {Container::kPcap, "pcap", "pcap"}};

const ContainerNames& NamesOf(Container container) {
  return *std::find_if(
      std::begin(kContainerNames), std::end(kContainerNames),
      [container](const ContainerNames& names) { return names.container == container; });
}

uint32_t Le(std::span<const uint8_t> bytes, size_t at, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; i--)
    value = value << 8 | bytes[at + static_cast<size_t>(i)];
  return value;
}

uint32_t Be32(std::span<const uint8_t> bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; i++)
    value = value << 8 | bytes[at + i];
  return value;
}

bool HasTag(std::span<const uint8_t> bytes, size_t at, const char* tag) {
  return bytes.size() >= at + 4 && std::memcmp(bytes.data() + at, tag, 4) == 0;
}

uint32_t SizeField(std::optional<uint64_t> bytes, uint64_t more) {
  return bytes ? static_cast<uint32_t>(*bytes + more) : kUnknownSize;
}

std::vector<uint8_t> WavHeader(std::optional<uint64_t> code_bytes) {
  const uint64_t pad = code_bytes.value_or(0) & 1;
  HeaderBytes out;
  out.Tag("RIFF");
  out.Le32(SizeField(code_bytes, kWavHeaderBytes - 8 + pad));
  out.Tag("WAVE");
  out.Tag("fmt ");
  out.Le32(18);
  out.Le16(kWaveFormatG722);
  out.Le16(1);  // channels
  out.Le32(kSampleRate);
  out.Le32(kCodeBytesPerSecond);
  out.Le16(1);  // block align: one byte, one code of two samples
  out.Le16(4);  // bits per sample: 64000 bit/s over 16000 samples/s
  out.Le16(0);  // no format-specific bytes
  out.Tag("fact");
  out.Le32(4);
  out.Le32(SizeField(code_bytes ? std::optional(*code_bytes * 2) : std::nullopt, 0));  // samples
  out.Tag("data");
  out.Le32(SizeField(code_bytes, 0));
  return out.Take();
}

std::vector<uint8_t> AuHeader(std::optional<uint64_t> code_bytes) {
  HeaderBytes out;
  out.Tag(".snd");
  out.Be32(kAuHeaderBytes);  // where the data start
  out.Be32(SizeField(code_bytes, 0));
  out.Be32(kAuEncodingG722);
  out.Be32(kSampleRate);
  out.Be32(1);  // channels
  out.Be32(0);  // an empty annotation
  return out.Take();
}

[[noreturn]] void Damaged(const fs::path& file, const std::string& container,
                          const std::string& cause) {
  throw FileError(kExitFormat, "cannot decode", file,
                  "its G.722 " + container + " header " + cause);
}

// Checks the stream a header describes, and notes its channels in layout.
void CheckStream(const fs::path& file, const std::string& container, uint32_t rate,
                 uint32_t channels, ContainerLayout& layout) {
  if (channels < 1 || channels > kMaxChannels) {
    Damaged(file, container,
            "says " + std::to_string(channels) + " channels; mono and stereo are read");
  }
  layout.channels = static_cast<int>(channels);
  if (rate == kRtpClockRate) {
    layout.warnings.push_back("'" + file.string() + "': its " + container +
                              " header says 8000 samples/s, G.722's RTP clock rate; read as the "
                              "16000 samples/s that G.722 codes");
  } else if (rate != kSampleRate) {
    Damaged(file, container,
            "says " + std::to_string(rate) + " samples/s; G.722 codes 16000 samples/s");
  }
}

bool IsG722Format(std::span<const uint8_t> fmt) {
  const uint32_t tag = Le(fmt, 0, 2);
  if (tag == kWaveFormatG722) return true;
  return tag == kWaveFormatExtensible && fmt.size() >= 40 && Le(fmt, 24, 2) == kWaveFormatG722 &&
         std::equal(kGuidTail.begin(), kGuidTail.end(), fmt.begin() + 26);
}

std::optional<ContainerLayout> ReadWav(std::span<const uint8_t> head, const fs::path& file) {
  bool g722 = false;
  ContainerLayout layout;
  layout.container = Container::kWav;
  for (size_t at = 12;;) {
    if (head.size() < at + 8) {
      if (!g722) return std::nullopt;
      Damaged(file, "WAV",
              "has no data chunk in its first " + std::to_string(head.size()) + " bytes");
    }
    const uint32_t size = Le(head, at + 4, 4);
    if (HasTag(head, at, "fmt ")) {
      if (size < 16 || head.size() < at + 8 + size) return std::nullopt;
      const std::span<const uint8_t> fmt = head.subspan(at + 8, size);
      if (!IsG722Format(fmt)) return std::nullopt;
      CheckStream(file, "WAV", Le(fmt, 4, 4), Le(fmt, 2, 2), layout);
      g722 = true;
    } else if (HasTag(head, at, "data")) {
      if (!g722) return std::nullopt;
      layout.code_offset = at + 8;
      if (size == 0 && head.size() > layout.code_offset) {
        layout.warnings.push_back("'" + file.string() +
                                  "': its WAV header says no codes follow, as a writer that did "
                                  "not finish its header leaves it; its codes are read up to the "
                                  "end of the file");
      } else if (size != kUnknownSize) {
        layout.code_bytes = size;
      }
      return layout;
    }
    at += 8 + static_cast<size_t>(size) + (size & 1);
  }
}

std::optional<ContainerLayout> ReadAu(std::span<const uint8_t> head, const fs::path& file) {
  if (head.size() < kAuFieldBytes || Be32(head, 12) != kAuEncodingG722) return std::nullopt;
  ContainerLayout layout;
  layout.container = Container::kAu;
  layout.code_offset = Be32(head, 4);
  if (layout.code_offset < kAuFieldBytes) Damaged(file, "AU", "puts the data inside the header");
  CheckStream(file, "AU", Be32(head, 16), Be32(head, 20), layout);
  if (const uint32_t size = Be32(head, 8); size != kUnknownSize) layout.code_bytes = size;
  return layout;
}

}  // namespace

std::optional<Container> ParseContainerName(const std::string& name) {
  for (const ContainerNames& names : kContainerNames) {
    if (name == names.name) return names.container;
  }
  return std::nullopt;
}

const char* ContainerName(Container container) {
  return NamesOf(container).name;
}

const char* ContainerTitle(Container container) {
  return NamesOf(container).title;
}

CodecSettings ContainerCodec() {
  return {64000, true, false};
}

std::optional<std::string> ContainerConflict(const CodecSettings& codec) {
  if (codec.bitrate != 64000) return "--bitrate " + std::to_string(codec.bitrate);
  if (codec.packed) return "--packed";
  if (!codec.wideband) return "--narrowband";
  return std::nullopt;
}

std::vector<uint8_t> ContainerHeader(Container container, std::optional<uint64_t> code_bytes) {
  const uint64_t limit = kUnknownSize - 1 - (container == Container::kWav ? kWavHeaderBytes : 0);
  if (code_bytes && *code_bytes > (container == Container::kWav ? limit / 2 : limit)) {
    throw ToolError(kExitOutput, std::to_string(*code_bytes) + " bytes of codes are more than a " +
                                     ContainerName(container) +
                                     " header can count; write a .g722 file instead");
  }
  switch (container) {
    case Container::kWav:
      return WavHeader(code_bytes);
    case Container::kAu:
      return AuHeader(code_bytes);
    case Container::kRaw:
    case Container::kPcap:
      break;
  }
  return {};
}

std::vector<uint8_t> ContainerTrailer(Container container, uint64_t code_bytes) {
  if (container == Container::kWav && code_bytes % 2 == 1) return {0};
  return {};
}

uint64_t CodeBytesIn(const ContainerLayout& layout, uint64_t file_bytes) {
  const uint64_t after_header = file_bytes - std::min(file_bytes, layout.code_offset);
  return std::min(layout.code_bytes.value_or(after_header), after_header);
}

std::optional<ContainerLayout> ReadContainer(std::span<const uint8_t> head, const fs::path& file) {
  if (HasTag(head, 0, "RIFF") && HasTag(head, 8, "WAVE")) return ReadWav(head, file);
  if (HasTag(head, 0, ".snd")) return ReadAu(head, file);
  return std::nullopt;
}

std::optional<ContainerLayout> ReadContainerFile(InputFile& input) {
  return ReadContainer(input.PeekStart(kHeadBytes), input.name());
}

}  // namespace g722kit::tool
