// UTF-16 to the ANSI code page: the narrow encoding of paths on Windows.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "file_stream.h"
#include "wide_path.h"

namespace g722kit::platform {

bool ToNarrow(const char16_t* path, char* out, size_t capacity) {
  if (capacity == 0) return false;
  const int size = static_cast<int>(std::min<size_t>(capacity, INT_MAX));
  const UINT code_page = GetACP();
  int written;
  if (code_page == CP_UTF8) {
    // UTF-8 holds every character; only an unpaired surrogate cannot be converted.
    written = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, AsWide(path), -1, out, size,
                                  nullptr, nullptr);
  } else {
    // A character the code page lacks would become '?' or, by best fit, a look-alike ('a' for
    // U+0101): a name for another file. Best fit is off, and a default character fails the
    // conversion.
    BOOL lossy = FALSE;
    written = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, AsWide(path), -1, out, size,
                                  nullptr, &lossy);
    if (lossy) written = 0;
  }
  if (written > 0) return true;
  out[0] = 0;
  return false;
}

}  // namespace g722kit::platform
