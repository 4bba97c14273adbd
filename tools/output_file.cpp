#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

#include "system.h"
#include "tool_error.h"

namespace g722kit::tool {
namespace {

namespace fs = std::filesystem;

bool IsSpecialFile(const fs::path& file) {
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  return !error && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

// Creates a new empty file with a random name beside target and returns its path.
fs::path CreateTemporaryBeside(const fs::path& target) {
  std::random_device entropy;
  for (int attempt = 0;; attempt++) {
    const fs::path candidate =
        target.parent_path() /
        ("." + target.filename().string() + "." + std::to_string(entropy() % 1000000) + ".tmp");
    std::FILE* file = std::fopen(candidate.c_str(), "wbx");
    if (file != nullptr) {
      std::fclose(file);
      return candidate;
    }
    if (errno != EEXIST || attempt == 100) throw FileErrno(kExitOutput, "cannot create", target);
  }
}

}  // namespace

OutputFile::OutputFile(fs::path target) : target_(std::move(target)) {
  if (fs::is_directory(target_))
    throw FileError(kExitOutput, "cannot create", target_, "is a folder");
  if (IsSpecialFile(target_)) {
    path_ = target_;
    return;
  }
  path_ = CreateTemporaryBeside(target_);
  pending_ = true;
  RemoveOnInterrupt(path_);
}

OutputFile::~OutputFile() {
  if (!pending_) return;
  RemoveOnInterrupt({});
  std::error_code ignored;
  fs::remove(path_, ignored);
}

void OutputFile::Commit() {
  if (!pending_) return;
  std::error_code error;
  const fs::file_status old = fs::status(target_, error);
  if (fs::exists(old)) fs::permissions(path_, old.permissions(), error);
  fs::rename(path_, target_, error);
  if (error) throw FileError(kExitOutput, "cannot replace", target_, error.message());
  RemoveOnInterrupt({});
  pending_ = false;
}

void CheckDistinct(const fs::path& input, const fs::path& output) {
  std::error_code error;
  if (fs::equivalent(input, output, error)) {
    throw FileError(kExitUsage, "refusing to overwrite the input", output,
                    "input and output are the same file");
  }
}

}  // namespace g722kit::tool
