#include "not_codes.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "audio_signatures.h"
#include "utf8.h"

namespace g722kit::tool {
namespace {

// Whole lines of printable UTF-8 text, at least one. Codes of 8 kHz mode never pass: their
// bytes are 0xC0 to 0xFF, which UTF-8 never puts side by side.
bool IsText(std::string_view start) {
  const size_t last_line_end = start.rfind('\n');
  if (last_line_end == std::string_view::npos) return false;
  const std::string_view lines = start.substr(0, last_line_end + 1);
  const bool printable = std::all_of(lines.begin(), lines.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 ? byte != 0x7F : (byte >= '\t' && byte <= '\r');
  });
  return printable && IsValidUtf8(lines);
}

// Up to the first 4096 bytes of input, which is then left at its beginning.
std::string ReadStart(InputFile& input) {
  std::array<uint8_t, 4096> bytes;
  size_t count = 0;
  while (count < bytes.size()) {
    const size_t got = input.Read(std::span(bytes).subspan(count));
    if (got == 0) break;
    count += got;
  }
  input.Seek(0);
  return std::string(reinterpret_cast<const char*>(bytes.data()), count);
}

}  // namespace

std::optional<std::string> KnownAudioFile(InputFile& input) {
  const std::string start = ReadStart(input);
  for (const AudioSignature& signature : kAudioSignatures) {
    if (std::string_view(start)
            .substr(std::min(signature.offset, start.size()))
            .starts_with(signature.bytes)) {
      return signature.name;
    }
  }
  return std::nullopt;
}

bool IsTextFile(InputFile& input) {
  return IsText(ReadStart(input));
}

}  // namespace g722kit::tool
