// UTF-16 to UTF-8 conversion: the narrow encoding of paths on POSIX systems.
#include "file_stream.h"

namespace g722kit::platform {
namespace {

constexpr bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Appends the UTF-8 bytes of one code point; false when they do not fit.
bool AppendUtf8(char32_t cp, char* out, size_t capacity, size_t& used) {
  unsigned char bytes[4];
  size_t length;
  if (cp < 0x80) {
    bytes[0] = static_cast<unsigned char>(cp);
    length = 1;
  } else if (cp < 0x800) {
    bytes[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
    bytes[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    length = 2;
  } else if (cp < 0x10000) {
    bytes[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
    bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    bytes[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    length = 3;
  } else {
    bytes[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
    bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
    bytes[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    bytes[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    length = 4;
  }
  if (capacity - used <= length) return false;  // keep room for the terminator
  for (size_t i = 0; i < length; i++)
    out[used++] = static_cast<char>(bytes[i]);
  return true;
}

}  // namespace

bool ToNarrow(const char16_t* path, char* out, size_t capacity) {
  if (capacity == 0) return false;
  size_t used = 0;
  for (const char16_t* unit = path; *unit != 0; unit++) {
    char32_t cp = *unit;
    if (IsHighSurrogate(cp) && IsLowSurrogate(unit[1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit[1] - 0xDC00);
      unit++;
    } else if (IsHighSurrogate(cp) || IsLowSurrogate(cp)) {
      out[0] = 0;
      return false;
    }
    if (!AppendUtf8(cp, out, capacity, used)) {
      out[0] = 0;
      return false;
    }
  }
  out[used] = 0;
  return true;
}

}  // namespace g722kit::platform
