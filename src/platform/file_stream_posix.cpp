// File streams on POSIX systems, with 64-bit offsets.
#include <sys/stat.h>

#include "file_stream.h"

namespace g722kit::platform {
namespace {

// The narrow form of a UTF-16 path, or null when it has none.
const char* NarrowForm(const char16_t* path) {
  static thread_local char narrow[kNarrowPathCapacity];
  return ToNarrow(path, narrow, sizeof narrow) ? narrow : nullptr;
}

}  // namespace

std::FILE* OpenForReading(const char* path) {
  return std::fopen(path, "rb");
}

std::FILE* OpenForWriting(const char* path) {
  std::FILE* file = std::fopen(path, "wb");
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

bool IsUsableWidePath(const char16_t* path) {
  return NarrowForm(path) != nullptr;
}

std::FILE* OpenForWritingWide(const char16_t* path) {
  const char* narrow = NarrowForm(path);
  return narrow != nullptr ? OpenForWriting(narrow) : nullptr;
}

bool SeekTo(std::FILE* file, int64_t offset) {
  return fseeko(file, offset, SEEK_SET) == 0;
}

bool SeekToEnd(std::FILE* file) {
  return fseeko(file, 0, SEEK_END) == 0;
}

int64_t Position(std::FILE* file) {
  return ftello(file);
}

bool IsSameFile(std::FILE* file, const char* path) {
  struct stat open_info {};
  struct stat path_info {};
  if (fstat(fileno(file), &open_info) != 0 || stat(path, &path_info) != 0) return false;
  return open_info.st_dev == path_info.st_dev && open_info.st_ino == path_info.st_ino;
}

}  // namespace g722kit::platform
