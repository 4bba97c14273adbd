#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "system_support.h"

namespace g722kit::test {

std::u16string NullDevice() {
  return u"/dev/null";
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
