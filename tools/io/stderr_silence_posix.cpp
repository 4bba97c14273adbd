// POSIX implementation of stderr_silence.h: the descriptor 2 swapped for /dev/null's.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "io/stderr_silence.h"

namespace g722kit::tool {
namespace {

// Puts stderr back when it goes.
class Redirection {
 public:
  explicit Redirection(int to) : saved_(dup(STDERR_FILENO)) {
    std::fflush(stderr);
    if (saved_ >= 0 && to >= 0) dup2(to, STDERR_FILENO);
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

void WithoutStderr(const std::function<void()>& work) {
  const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  {
    const Redirection redirection(nowhere);
    work();
  }
  if (nowhere >= 0) close(nowhere);
}

}  // namespace g722kit::tool
