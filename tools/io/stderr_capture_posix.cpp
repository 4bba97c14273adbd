// POSIX implementation of stderr_capture.h: the descriptor 2 swapped for a temporary file's.
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "io/stderr_capture.h"

namespace g722kit::tool {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Puts stderr back when it goes.
class Redirection {
 public:
  explicit Redirection(int to) : saved_(dup(STDERR_FILENO)) {
    std::fflush(stderr);
    if (saved_ >= 0) dup2(to, STDERR_FILENO);
  }
  ~Redirection() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
  Redirection(const Redirection&) = delete;
  Redirection& operator=(const Redirection&) = delete;

 private:
  int saved_;
};

}  // namespace

std::string CaptureStderr(const std::function<void()>& work) {
  const std::unique_ptr<std::FILE, FileCloser> capture(std::tmpfile());
  if (!capture) {
    work();  // nowhere to keep it: the user sees it
    return "";
  }
  {
    const Redirection redirection(fileno(capture.get()));
    work();
  }
  std::string text;
  std::rewind(capture.get());
  char buffer[1024];
  while (const size_t count = std::fread(buffer, 1, sizeof buffer, capture.get()))
    text.append(buffer, count);
  return text;
}

}  // namespace g722kit::tool
