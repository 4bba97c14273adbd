// The host's UTF-16 paths as the wchar_t strings of the Win32 API, which are UTF-16 too.
#pragma once

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide strings are UTF-16");

namespace g722kit::platform {

inline const wchar_t* AsWide(const char16_t* path) {
  return reinterpret_cast<const wchar_t*>(path);
}

}  // namespace g722kit::platform
