// Which file service the streams go through: the system's, or one that a test put in its place;
// and the system's, of its own operations and the C runtime's that are alike everywhere.
#include "file_stream.h"

#include <atomic>

#include "system_files.h"

namespace g722kit::platform {
namespace {

int64_t RuntimeRead(std::FILE* file, void* buffer, size_t size) {
  const size_t count = std::fread(buffer, 1, size, file);
  if (count == 0 && std::ferror(file)) return -1;
  return static_cast<int64_t>(count);
}

bool RuntimeClose(std::FILE* file) {
  return std::fclose(file) == 0;
}

constexpr FileService kSystemFiles = {
    SystemOpenForReading, SystemOpenForWriting, SystemOpenRegularForUpdate,
    SystemRemoveFile,     RuntimeRead,          SystemWrite,
    SystemTruncate,       SystemSeekTo,         SystemSeekToEnd,
    SystemPosition,       RuntimeClose};

std::atomic<const FileService*> replacement{nullptr};

const FileService& Files() {
  const FileService* service = replacement.load();
  return service != nullptr ? *service : SystemFiles();
}

}  // namespace

const FileService& SystemFiles() {
  return kSystemFiles;
}

void SetFileService(const FileService* service) {
  replacement.store(service);
}

std::FILE* OpenForReading(const char* path) {
  return Files().open_for_reading(path);
}

std::FILE* OpenForWriting(const char* path) {
  return Files().open_for_writing(path);
}

std::FILE* OpenRegularForUpdate(const char16_t* path, bool& created) {
  return Files().open_regular_for_update(path, created);
}

bool RemoveFile(const char16_t* path) {
  return Files().remove_file(path);
}

int64_t Read(std::FILE* file, void* buffer, size_t size) {
  return Files().read(file, buffer, size);
}

size_t Write(std::FILE* file, const void* buffer, size_t size) {
  return Files().write(file, buffer, size);
}

bool Truncate(std::FILE* file, int64_t length) {
  return Files().truncate(file, length);
}

bool SeekTo(std::FILE* file, int64_t offset) {
  return Files().seek_to(file, offset);
}

bool SeekToEnd(std::FILE* file) {
  return Files().seek_to_end(file);
}

int64_t Position(std::FILE* file) {
  return Files().position(file);
}

bool Close(std::FILE* file) {
  return Files().close(file);
}

}  // namespace g722kit::platform
