// An output that replaces its target only when it is complete. The data goes to a new file
// beside the target; Commit renames it over the target, and a failure or an interrupt before
// that deletes it, so a file that existed is never left truncated. A target that exists and is
// not a regular file (/dev/null, a pipe) is written directly: there is nothing to keep.
#pragma once

#include <filesystem>

namespace g722kit::tool {

class OutputFile {
 public:
  // Throws ToolError (kExitOutput) when the target is a folder or its folder is not writable.
  explicit OutputFile(std::filesystem::path target);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Where to write the data.
  const std::filesystem::path& path() const { return path_; }
  const std::filesystem::path& target() const { return target_; }

  // Puts the finished data in place of the target.
  void Commit();

 private:
  std::filesystem::path target_;
  std::filesystem::path path_;
  bool pending_ = false;  // path_ is a temporary file still to be renamed or removed
};

// Refuses (kExitUsage) an output that names the input file: the input would be lost.
void CheckDistinct(const std::filesystem::path& input, const std::filesystem::path& output);

}  // namespace g722kit::tool
