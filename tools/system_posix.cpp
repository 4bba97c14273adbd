// POSIX implementation of system.h.
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "system.h"

namespace g722kit::tool {
namespace {

// Read by the signal handler, so plain storage and lock-free atomics only.
char pending_file[4096];
std::atomic<bool> has_pending_file{false};
std::atomic<bool> defer_interrupts{false};
volatile std::sig_atomic_t interrupt_requested = 0;

static_assert(std::atomic<bool>::is_always_lock_free);

void OnInterrupt(int signal) {
  if (defer_interrupts) {
    interrupt_requested = 1;
    return;
  }
  if (has_pending_file) unlink(pending_file);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

int StderrColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

void InstallInterruptCleanup() {
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

void RemoveOnInterrupt(const std::filesystem::path& file) {
  has_pending_file = false;
  const std::string& name = file.native();
  if (name.empty() || name.size() >= sizeof pending_file) return;
  std::memcpy(pending_file, name.c_str(), name.size() + 1);
  has_pending_file = true;
}

void DeferInterrupts() {
  defer_interrupts = true;
}

bool InterruptRequested() {
  return interrupt_requested != 0;
}

}  // namespace g722kit::tool
