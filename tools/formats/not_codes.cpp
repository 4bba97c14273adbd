#include "formats/not_codes.h"

#include <algorithm>
#include <string_view>

#include "formats/audio_signatures.h"
#include "io/utf8.h"

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

// Up to the first 4096 bytes of input, as text.
std::string ReadStart(InputFile& input) {
  const std::vector<uint8_t> start = input.PeekStart(4096);
  return std::string(start.begin(), start.end());
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
