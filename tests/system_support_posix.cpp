#include <sys/stat.h>

#include <fstream>

#include "system_support.h"

namespace g722kit::test {

std::u16string NullDevice() {
  return u"/dev/null";
}

std::optional<std::u16string> FullDevice() {
  return u"/dev/full";
}

bool FoldersOpenForReading() {
  return true;
}

std::optional<bool> NarrowPathSpells(bool) {
  return true;
}

DrainedPipe::DrainedPipe(const std::filesystem::path& folder) {
  const std::filesystem::path path = folder / "pipe";
  path_ = path.u16string();
  mkfifo(path.c_str(), 0600);
  reader_ = std::thread([path] {
    std::ifstream in(path, std::ios::binary);
    char sink[4096];
    while (in.read(sink, sizeof sink) || in.gcount() > 0) {
    }
  });
}

}  // namespace g722kit::test
