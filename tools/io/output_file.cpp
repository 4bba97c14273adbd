#include "io/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 40;  // links followed before giving up, as the kernel does

// ".g722kit-" and six random letters or digits: short, so that no valid target name becomes
// too long for a temporary one.
std::string TemporaryName(std::random_device& entropy) {
  constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = ".g722kit-";
  for (int i = 0; i < 6; i++)
    name += kLetters[entropy() % kLetters.size()];
  return name + ".tmp";
}

// Gives file the permissions and, where the user may, the owner of the file at like.
void TakeAttributes(int file, const fs::path& like) {
  struct stat old {};
  if (stat(like.c_str(), &old) != 0) return;
  if (fchown(file, old.st_uid, old.st_gid) != 0) {
    [[maybe_unused]] const int group_only = fchown(file, static_cast<uid_t>(-1), old.st_gid);
  }
  fchmod(file, old.st_mode & 07777);  // after fchown, which clears the set-ID bits
}

}  // namespace

fs::path FollowLinks(const fs::path& name) {
  fs::path file = name;
  for (int hop = 0; hop < kMaxLinks; hop++) {
    struct stat info {};
    if (DescriptorNamed(file) || lstat(file.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      return file;
    }
    std::vector<char> text(static_cast<size_t>(info.st_size) + 1);
    const ssize_t length = readlink(file.c_str(), text.data(), text.size());
    if (length < 0) throw FileErrno(kExitOutput, "cannot create", name);
    const fs::path to(std::string(text.data(), static_cast<size_t>(length)));
    file = to.is_absolute() ? to : file.parent_path() / to;
  }
  errno = ELOOP;
  throw FileErrno(kExitOutput, "cannot create", name);
}

OutputFile::OutputFile(fs::path target) : target_(std::move(target)) {
  if (target_ == "-") {
    fd_ = STDOUT_FILENO;
    owns_fd_ = false;
    return;
  }
  resolved_ = FollowLinks(target_);
  if (const std::optional<int> descriptor = DescriptorNamed(resolved_)) {
    fd_ = dup(*descriptor);
    if (fd_ < 0) throw FileErrno(kExitOutput, "cannot write", target_);
    return;
  }
  struct stat info {};
  if (stat(resolved_.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode))
      throw FileError(kExitOutput, "cannot create", target_, "is a folder");
    if (!S_ISREG(info.st_mode)) {
      OpenDirect(resolved_);
      return;
    }
    existing_ = FileId{info.st_dev, info.st_ino};
    in_place_ = info.st_nlink > 1;
  } else if (errno != ENOENT) {
    throw FileErrno(kExitOutput, "cannot create", target_);
  }
  CreateTemporary();
}

OutputFile::~OutputFile() {
  if (fd_ >= 0 && owns_fd_) close(fd_);
  if (temporary_.empty()) return;
  KeepOnInterrupt(temporary_);
  unlink(temporary_.c_str());
}

void OutputFile::OpenDirect(const fs::path& name) {
  fd_ = open(name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) throw FileErrno(kExitOutput, "cannot write", target_);
}

// Creates the temporary file in folder; false, with errno set, when it cannot be created.
bool OutputFile::OpenTemporaryIn(const fs::path& folder) {
  std::random_device entropy;
  for (int attempt = 0; attempt <= 100; attempt++) {
    const fs::path candidate = folder / TemporaryName(entropy);
    WithInterruptsHeld([&] {
      fd_ = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0) RemoveOnInterrupt(candidate);
    });
    if (fd_ >= 0) {
      temporary_ = candidate;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

void OutputFile::CreateTemporary() {
  if (OpenTemporaryIn(resolved_.parent_path())) return;
  const int error = errno;
  const bool folder_refused = error == EACCES || error == EPERM || error == EROFS;
  if (existing_ && folder_refused && access(resolved_.c_str(), W_OK) == 0) {
    // A file that may be written in a folder that may not: as sox does, the output is written
    // elsewhere and copied in.
    in_place_ = true;
    elsewhere_ = true;
    const fs::path folder = TemporaryFolder();
    if (OpenTemporaryIn(folder)) return;
    throw FileErrno(kExitOutput, "cannot create a temporary file in", folder);
  }
  errno = error;
  if (!existing_) throw FileErrno(kExitOutput, "cannot create", target_);
  const fs::path folder = resolved_.parent_path();
  throw FileErrno(kExitOutput, "cannot create a temporary file in", folder.empty() ? "." : folder);
}

bool OutputFile::seekable() const {
  return lseek(fd_, 0, SEEK_CUR) >= 0;
}

bool OutputFile::IsStdout() const {
  return tool::IsStdout(fd_);
}

// Writes the finished data over the target's own contents, so that the file stays the same
// file for all its names.
void OutputFile::CopyIntoTarget() const {
  const int target = open(resolved_.c_str(), O_WRONLY | O_CLOEXEC);
  if (target < 0) throw FileErrno(kExitOutput, "cannot write", target_);
  std::array<uint8_t, 65536> buffer;
  off_t offset = 0;
  bool failed = false;
  while (!failed) {
    const ssize_t count = pread(fd_, buffer.data(), buffer.size(), offset);
    if (count <= 0) {
      failed = count < 0;
      break;
    }
    failed = !WriteAll(target, std::span(buffer).first(static_cast<size_t>(count)));
    offset += count;
  }
  failed = failed || ftruncate(target, offset) != 0;
  const int error = errno;
  failed = close(target) != 0 || failed;
  if (failed) {
    errno = error;
    throw FileErrno(kExitOutput, "cannot write", target_);
  }
}

void OutputFile::Commit() {
  if (temporary_.empty()) return;
  WithInterruptsHeld([&] {
    if (in_place_) {
      CopyIntoTarget();
      unlink(temporary_.c_str());
    } else {
      TakeAttributes(fd_, resolved_);
      const int closed = close(fd_);
      fd_ = -1;
      if (closed != 0) throw FileErrno(kExitOutput, "cannot write", data_name());
      if (rename(temporary_.c_str(), resolved_.c_str()) != 0) {
        throw FileErrno(kExitOutput, "cannot replace", target_);
      }
    }
    KeepOnInterrupt(temporary_);
    temporary_.clear();
  });
}

bool WritesRegularFile(const fs::path& target) {
  if (target == "-") return false;
  const fs::path resolved = FollowLinks(target);
  struct stat info {};
  return !DescriptorNamed(resolved) &&
         (stat(resolved.c_str(), &info) != 0 || S_ISREG(info.st_mode));
}

void CheckDistinct(std::optional<FileId> input, const OutputFile& output) {
  if (input && input == output.existing()) {
    throw FileError(kExitUsage, "refusing to overwrite the input", output.target(),
                    "input and output are the same file");
  }
}

void MakeFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) throw FileError(kExitOutput, "cannot create", folder, error.message());
}

}  // namespace g722kit::tool
