#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "system_support.h"

namespace g722kit::test {

std::u16string NullDevice() {
  return u"/dev/null";
}

std::optional<std::u16string> FullDevice() {
  return u"/dev/full";
}

FileSizeCap::FileSizeCap(uint64_t bytes) {
  rlimit limit{};
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
  saved_limit_ = limit.rlim_cur;
  limit.rlim_cur = bytes;
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return;
  // A write past the limit would otherwise end the process.
  saved_handler_ = std::signal(SIGXFSZ, SIG_IGN);
  applied_ = true;
}

FileSizeCap::~FileSizeCap() {
  if (!applied_) return;
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = saved_limit_;
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, saved_handler_);
}

std::optional<bool> NarrowPathSpells(bool) {
  return true;
}

ReadPipe::ReadPipe(const std::filesystem::path& folder, Reader reader) {
  const std::filesystem::path path = folder / "pipe";
  path_ = path.u16string();
  mkfifo(path.c_str(), 0600);
  reader_ = std::thread([path, reader] {
    const int fd = open(path.c_str(), O_RDONLY);
    char sink[4096];
    while (reader == Reader::kDrains && read(fd, sink, sizeof sink) > 0) {
    }
    close(fd);
  });
}

}  // namespace g722kit::test
