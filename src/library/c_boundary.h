// The edge between the library's C++ and its C callers, which no exception may cross: a C or
// Win32 host can neither catch one nor unwind its own frames. The exports that can meet one
// (a lock that fails, an allocation that fails) run their work through AtCBoundary.
#pragma once

#include <cstdint>

namespace g722kit {

// Returns what body returns, or on_exception when an exception leaves it.
template <typename Body>
int32_t AtCBoundary(int32_t on_exception, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return on_exception;
  }
}

}  // namespace g722kit
