// Where a command writes its output, chosen so that nothing the user named is ever replaced by
// something else:
// - "-" is stdout; /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N are the open
//   descriptors they name. These are written directly.
// - A symbolic link stands for the file it leads to, which is replaced in its own folder; the
//   link stays a link.
// - A regular file, or a new name, gets the data in a temporary file beside it, and Commit puts
//   that in place once it is complete, keeping the permissions and (where the user may) the
//   owner of the file it replaces. A failure or a signal before Commit deletes the temporary
//   file, so an existing file is never left half-written. When the file has other hard links,
//   Commit copies the finished data into it instead, so that every name sees the new data; so
//   it does for a file that may be written in a folder where the temporary file may not be
//   created, which is then made in the temporary folder ($TMPDIR, /tmp). Only a failure during
//   that copy (a full disk) can damage the file.
// - Anything else that exists (a device such as /dev/null, a FIFO, a socket) is written
//   directly: there is nothing to keep.
#pragma once

#include <filesystem>
#include <optional>

#include "io/system.h"

namespace g722kit::tool {

class OutputFile {
 public:
  // Throws ToolError (kExitOutput) when the target is a folder or cannot be created.
  explicit OutputFile(std::filesystem::path target);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // The name the user gave, for messages.
  const std::filesystem::path& target() const { return target_; }
  // The file the data is written to, for messages about a failed write: the target, or the
  // temporary file when it is not beside the target.
  const std::filesystem::path& data_name() const { return elsewhere_ ? temporary_ : target_; }
  // Where the data goes, open for writing.
  int fd() const { return fd_; }
  // The temporary file by name, for writers that open a name; empty when written directly.
  const std::filesystem::path& temporary() const { return temporary_; }
  // True when the data can be rewritten once written (a file, /dev/null); false for a pipe or a
  // terminal, which take the data once, in order.
  bool seekable() const;
  // True when the data goes to the process's stdout.
  bool IsStdout() const;
  // The file that will hold the data, when it is a file that exists already.
  std::optional<FileId> existing() const { return existing_; }

  // Puts the finished data in place of the target.
  void Commit();

 private:
  void OpenDirect(const std::filesystem::path& name);
  bool OpenTemporaryIn(const std::filesystem::path& folder);
  void CreateTemporary();
  void CopyIntoTarget() const;

  std::filesystem::path target_;
  std::filesystem::path resolved_;  // the file that takes the data, links followed
  std::filesystem::path temporary_;
  std::optional<FileId> existing_;
  int fd_ = -1;
  bool owns_fd_ = true;
  bool in_place_ = false;   // Commit copies into resolved_
  bool elsewhere_ = false;  // the temporary file is in the temporary folder
};

// True when target names a regular file or a new name (links followed), which the tool replaces
// as a whole; false for stdout, devices, FIFOs and folders.
bool WritesRegularFile(const std::filesystem::path& target);

// The file name leads to: symbolic links followed to the end (a relative link is relative to
// its folder), up to a name for an open descriptor. Throws ToolError (kExitOutput) on a loop.
std::filesystem::path FollowLinks(const std::filesystem::path& name);

// Refuses (kExitUsage) an output that is the input file itself: the input would be lost.
void CheckDistinct(std::optional<FileId> input, const OutputFile& output);

// Creates a folder for outputs and its parents, as needed. Throws ToolError (kExitOutput).
void MakeFolder(const std::filesystem::path& folder);

}  // namespace g722kit::tool
