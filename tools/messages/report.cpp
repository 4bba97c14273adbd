#include "messages/report.h"

#include <cstdarg>
#include <cstdio>

namespace g722kit::tool {
namespace {

bool quiet = false;

}  // namespace

void SetQuiet(bool value) {
  quiet = value;
}

bool Quiet() {
  return quiet;
}

void PrintSummary(bool data_on_stdout, const char* format, ...) {
  if (quiet) return;
  std::va_list arguments;
  va_start(arguments, format);
  std::vfprintf(data_on_stdout ? stderr : stdout, format, arguments);
  va_end(arguments);
}

void Warn(const std::string& text) {
  std::fprintf(stderr, "g722kit: warning: %s\n", text.c_str());
}

}  // namespace g722kit::tool
