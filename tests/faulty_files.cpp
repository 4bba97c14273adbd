#include "faulty_files.h"

#include <cstdio>

#include "file_stream.h"

namespace g722kit::test {
namespace {

using Call = FaultyFiles::Call;

FaultyFiles* installed = nullptr;

const platform::FileService& System() {
  return platform::SystemFiles();
}

}  // namespace

// The service's operations: each counts its call and fails it or passes it on.
struct FaultyFileCalls {
  static std::FILE* Opened(std::FILE* file) {
    if (file != nullptr) installed->open_streams_++;
    return file;
  }
  static std::FILE* OpenForReading(const char* path) {
    return installed->Fails(Call::kOpen) ? nullptr : Opened(System().open_for_reading(path));
  }
  static std::FILE* OpenForWriting(const char* path) {
    return installed->Fails(Call::kOpen) ? nullptr : Opened(System().open_for_writing(path));
  }
  static std::FILE* OpenRegularForUpdate(const char16_t* path, bool& created) {
    created = false;
    if (installed->Fails(Call::kOpen)) return nullptr;
    return Opened(System().open_regular_for_update(path, created));
  }
  static bool RemoveFile(const char16_t* path) {
    return !installed->Fails(Call::kRemove) && System().remove_file(path);
  }
  static int64_t Read(std::FILE* file, void* buffer, size_t size) {
    return installed->Fails(Call::kRead) ? -1 : System().read(file, buffer, size);
  }
  static size_t Write(std::FILE* file, const void* buffer, size_t size) {
    if (!installed->Fails(Call::kWrite)) return System().write(file, buffer, size);
    return size > 1 ? System().write(file, buffer, size / 2 | 1) : 0;
  }
  static bool Truncate(std::FILE* file, int64_t length) {
    return !installed->Fails(Call::kTruncate) && System().truncate(file, length);
  }
  static bool SeekTo(std::FILE* file, int64_t offset) {
    return !installed->Fails(Call::kSeekTo) && System().seek_to(file, offset);
  }
  static bool SeekToEnd(std::FILE* file) {
    return !installed->Fails(Call::kSeekToEnd) && System().seek_to_end(file);
  }
  static int64_t Position(std::FILE* file) {
    return installed->Fails(Call::kPosition) ? -1 : System().position(file);
  }
  static bool Close(std::FILE* file) {
    const bool failing = installed->Fails(Call::kClose);
    installed->open_streams_--;
    return System().close(file) && !failing;
  }

  static constexpr platform::FileService kService = {
      OpenForReading, OpenForWriting, OpenRegularForUpdate,
      RemoveFile,     Read,           Write,
      Truncate,       SeekTo,         SeekToEnd,
      Position,       Close};
};

FaultyFiles::FaultyFiles() {
  installed = this;
  platform::SetFileService(&FaultyFileCalls::kService);
}

FaultyFiles::~FaultyFiles() {
  platform::SetFileService(nullptr);
  installed = nullptr;
}

bool FaultyFiles::Fails(Call call) {
  return ++counts_[static_cast<size_t>(call)] == fail_at_ && call == fail_;
}

const char* CallName(Call call) {
  static constexpr const char* kNames[FaultyFiles::kCallKinds] = {
      "open", "remove", "read", "write", "truncate", "seek", "seek to end", "position", "close"};
  return kNames[static_cast<size_t>(call)];
}

}  // namespace g722kit::test
