// File streams on POSIX systems, with 64-bit offsets.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>

#include "file_stream.h"
#include "system_files.h"

namespace g722kit::platform {
namespace {

// The narrow form of a UTF-16 path, or null when it has none.
const char* NarrowForm(const char16_t* path) {
  static thread_local char narrow[kNarrowPathCapacity];
  return ToNarrow(path, narrow, sizeof narrow) ? narrow : nullptr;
}

// Opens an existing file as it is, or creates a missing one; -1 when neither works.
int OpenOrCreate(const char* path, bool& created) {
  constexpr int kFlags = O_RDWR | O_NOCTTY | O_CLOEXEC;
  for (;;) {
    // Non-blocking, so that a FIFO put in the file's place meanwhile cannot hold up the open.
    const int existing = open(path, kFlags | O_NONBLOCK);
    if (existing >= 0 || errno != ENOENT) return existing;
    const int made = open(path, kFlags | O_CREAT | O_EXCL, 0666);
    if (made >= 0 || errno != EEXIST) {
      created = made >= 0;
      return made;
    }
  }
}

bool IsRegular(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// A write into a pipe whose reader went away raises SIGPIPE, and a write or a truncation past
// the process's file size limit (RLIMIT_FSIZE) raises SIGXFSZ: either ends the process unless
// the host handles it, which is not the library's to decide. Both are blocked in this thread for
// the call, and one that the call raised is taken off the pending signals before they are
// unblocked, so the call only fails (EPIPE, EFBIG). One already pending before is left alone.
template <class Call>
auto WithoutWriteSignals(Call&& call) {
  sigset_t write_signals;
  sigemptyset(&write_signals);
  sigaddset(&write_signals, SIGPIPE);
  sigaddset(&write_signals, SIGXFSZ);
  sigset_t pending;
  sigpending(&pending);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &write_signals, &previous);
  errno = 0;
  const auto result = call();
  const int error = errno;
  const int raised = (error == EPIPE) ? SIGPIPE : (error == EFBIG) ? SIGXFSZ : 0;
  if (raised != 0 && sigismember(&pending, raised) != 1) {
    sigset_t signal;
    sigemptyset(&signal);
    sigaddset(&signal, raised);
    const timespec no_wait{};
    while (sigtimedwait(&signal, nullptr, &no_wait) == -1 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  errno = error;
  return result;
}

}  // namespace

std::FILE* SystemOpenForReading(const char* path) {
  return std::fopen(path, "rb");
}

std::FILE* SystemOpenForWriting(const char* path) {
  std::FILE* file = std::fopen(path, "wb");
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

std::FILE* SystemOpenRegularForUpdate(const char16_t* path, bool& created) {
  created = false;
  const char* narrow = NarrowForm(path);
  struct stat info {};
  if (narrow == nullptr || (stat(narrow, &info) == 0 && !S_ISREG(info.st_mode))) return nullptr;
  const int fd = OpenOrCreate(narrow, created);
  if (fd < 0) return nullptr;
  std::FILE* file = nullptr;
  if (IsRegular(fd) && fcntl(fd, F_SETFL, 0) == 0) file = fdopen(fd, "r+b");
  if (file == nullptr) {
    close(fd);
    if (created) unlink(narrow);
    created = false;
    return nullptr;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

bool SystemRemoveFile(const char16_t* path) {
  const char* narrow = NarrowForm(path);
  return narrow != nullptr && unlink(narrow) == 0;
}

size_t SystemWrite(std::FILE* file, const void* buffer, size_t size) {
  return WithoutWriteSignals([&] { return std::fwrite(buffer, 1, size, file); });
}

bool SystemTruncate(std::FILE* file, int64_t length) {
  return std::fflush(file) == 0 &&
         WithoutWriteSignals([&] { return ftruncate(fileno(file), length); }) == 0;
}

bool SystemSeekTo(std::FILE* file, int64_t offset) {
  return fseeko(file, offset, SEEK_SET) == 0;
}

bool SystemSeekToEnd(std::FILE* file) {
  return fseeko(file, 0, SEEK_END) == 0;
}

int64_t SystemPosition(std::FILE* file) {
  return ftello(file);
}

bool IsUsableWidePath(const char16_t* path) {
  return NarrowForm(path) != nullptr;
}

bool IsFolder(std::FILE* file) {
  struct stat info {};
  return fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode);
}

int64_t RegularFileSize(std::FILE* file) {
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return info.st_size;
}

bool IsSameFile(std::FILE* file, const char* path) {
  struct stat open_info {};
  struct stat path_info {};
  if (fstat(fileno(file), &open_info) != 0 || stat(path, &path_info) != 0) return false;
  return open_info.st_dev == path_info.st_dev && open_info.st_ino == path_info.st_ino;
}

}  // namespace g722kit::platform
