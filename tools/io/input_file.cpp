#include "io/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>

#include "messages/tool_error.h"

namespace g722kit::tool {

InputFile::InputFile(std::filesystem::path name) : name_(std::move(name)) {
  if (name_ == "-") {
    fd_ = STDIN_FILENO;
    owns_fd_ = false;
  } else if (const std::optional<int> descriptor = DescriptorNamed(name_)) {
    fd_ = dup(*descriptor);
  } else {
    fd_ = open(name_.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
  }
  if (fd_ < 0) throw FileErrno(kExitInput, "cannot open", name_);
  struct stat info {};
  if (fstat(fd_, &info) != 0) throw FileErrno(kExitInput, "cannot open", name_);
  if (S_ISDIR(info.st_mode)) throw FileError(kExitInput, "cannot read", name_, "is a folder");
  if (S_ISREG(info.st_mode)) {
    size_ = static_cast<uint64_t>(info.st_size);
    id_ = FileId{info.st_dev, info.st_ino};
    position_ = static_cast<uint64_t>(std::max<off_t>(0, lseek(fd_, 0, SEEK_CUR)));
  }
}

InputFile::~InputFile() {
  if (owns_fd_) close(fd_);
}

size_t InputFile::Read(std::span<uint8_t> buffer) {
  if (!size_) return ReadStream(buffer);
  ssize_t count;
  do {
    count = read(fd_, buffer.data(), buffer.size());
  } while (count < 0 && errno == EINTR);
  if (count < 0) throw FileErrno(kExitInput, "cannot read", name_);
  position_ += static_cast<uint64_t>(count);
  return static_cast<size_t>(count);
}

// Serves the kept bytes first, then takes new ones from the stream, skipping up to the
// position after a seek forward.
size_t InputFile::ReadStream(std::span<uint8_t> buffer) {
  if (buffer.empty()) return 0;
  if (position_ < kept_.size()) {
    const size_t count = std::min<size_t>(buffer.size(), kept_.size() - position_);
    std::memcpy(buffer.data(), kept_.data() + position_, count);
    position_ += count;
    return count;
  }
  if (position_ < taken_) {
    throw FileError(kExitInput, "cannot read", name_,
                    "its format must be read from a file, not a stream; save it to a file first");
  }
  for (;;) {
    const size_t skip = static_cast<size_t>(std::min<uint64_t>(position_ - taken_, buffer.size()));
    const size_t want = skip > 0 ? skip : buffer.size();
    const ssize_t count = read(fd_, buffer.data(), want);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) throw FileErrno(kExitInput, "cannot read", name_);
    if (count == 0) return 0;
    const auto got = static_cast<size_t>(count);
    if (taken_ < kStreamStartBytes) {
      const size_t keep = std::min<size_t>(got, kStreamStartBytes - taken_);
      kept_.insert(kept_.end(), buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(keep));
    }
    taken_ += got;
    if (skip == 0) {
      position_ += got;
      return got;
    }
  }
}

std::vector<uint8_t> InputFile::PeekStart(size_t count) {
  std::vector<uint8_t> start(count);
  size_t got = 0;
  Seek(0);
  while (got < count) {
    const size_t read = Read(std::span(start).subspan(got));
    if (read == 0) break;
    got += read;
  }
  Seek(0);
  start.resize(got);
  return start;
}

bool InputFile::Seek(uint64_t position) {
  if (size_) {
    if (lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0) return false;
  } else if (position >= kept_.size() && position < taken_) {
    return false;
  }
  position_ = position;
  return true;
}

std::string LowerCaseExtension(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

bool IsRawPcmName(const std::filesystem::path& file) {
  const std::string extension = LowerCaseExtension(file);
  return extension == ".raw" || extension == ".pcm";
}

}  // namespace g722kit::tool
