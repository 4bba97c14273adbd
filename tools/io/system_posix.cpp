// POSIX implementation of system.h.
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

#include "io/system.h"

namespace g722kit::tool {
namespace {

constexpr int kEndingSignals[] = {SIGHUP, SIGINT, SIGPIPE, SIGTERM};

// A file an interrupt deletes. Read by the signal handler, so plain storage and lock-free
// atomics only: slots are reused but never freed, so that the handler may walk them at any
// moment, and a slot's name changes only while it is not active.
struct PendingFile {
  char name[4096];
  std::atomic<bool> active{false};
  PendingFile* next = nullptr;
};
std::atomic<PendingFile*> pending_files{nullptr};
std::atomic<bool> defer_interrupts{false};
volatile sig_atomic_t interrupt_requested = 0;

static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<PendingFile*>::is_always_lock_free);

void OnSignal(int signal) {
  if (defer_interrupts && signal != SIGPIPE) {
    interrupt_requested = 1;
    return;
  }
  for (PendingFile* file = pending_files; file != nullptr; file = file->next) {
    if (file->active) unlink(file->name);
  }
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigaction(signal, &action, nullptr);
  raise(signal);
}

sigset_t EndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kEndingSignals)
    sigaddset(&set, signal);
  return set;
}

}  // namespace

std::optional<FileId> IdentifyOpenFile(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return std::nullopt;
  return FileId{info.st_dev, info.st_ino};
}

bool IsStdout(int fd) {
  const std::optional<FileId> out = IdentifyOpenFile(STDOUT_FILENO);
  return fd == STDOUT_FILENO || (out && IdentifyOpenFile(fd) == out);
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<size_t>(written));
  }
  return true;
}

std::optional<int> DescriptorNamed(const std::filesystem::path& file) {
  const std::string& name = file.native();
  if (name == "/dev/stdin") return 0;
  if (name == "/dev/stdout") return 1;
  if (name == "/dev/stderr") return 2;
  for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    if (!name.starts_with(prefix) || name.size() == prefix.size()) continue;
    int fd = -1;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data() + prefix.size(), end, fd);
    if (error == std::errc() && stop == end) return fd;
  }
  return std::nullopt;
}

void AllowManyOpenFiles() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

std::filesystem::path TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

int CreateUnnamedFile() {
  std::string name = (TemporaryFolder() / "g722kit-XXXXXX").string();
  const int fd = mkstemp(name.data());
  if (fd >= 0) unlink(name.c_str());
  return fd;
}

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

int StderrColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

void InstallInterruptCleanup() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  action.sa_mask = EndingSignals();  // one handler at a time
  for (int signal : kEndingSignals)
    sigaction(signal, &action, nullptr);
}

void IgnoreFileSizeSignal() {
  signal(SIGXFSZ, SIG_IGN);
}

void RemoveOnInterrupt(const std::filesystem::path& file) {
  const std::string& name = file.native();
  if (name.empty() || name.size() >= sizeof PendingFile::name) return;
  PendingFile* slot = pending_files;
  while (slot != nullptr && slot->active)
    slot = slot->next;
  if (slot == nullptr) {
    slot = new PendingFile;
    slot->next = pending_files;
    pending_files = slot;
  }
  std::memcpy(slot->name, name.c_str(), name.size() + 1);
  slot->active = true;
}

void KeepOnInterrupt(const std::filesystem::path& file) {
  for (PendingFile* slot = pending_files; slot != nullptr; slot = slot->next) {
    if (slot->active && file.native() == slot->name) slot->active = false;
  }
}

void DeferInterrupts() {
  defer_interrupts = true;
}

bool InterruptRequested() {
  return interrupt_requested != 0;
}

void WithInterruptsHeld(const std::function<void()>& work) {
  const sigset_t ending = EndingSignals();
  sigset_t saved;
  sigprocmask(SIG_BLOCK, &ending, &saved);
  struct Restore {
    const sigset_t& mask;
    ~Restore() { sigprocmask(SIG_SETMASK, &mask, nullptr); }
  } restore{saved};
  work();
}

}  // namespace g722kit::tool
