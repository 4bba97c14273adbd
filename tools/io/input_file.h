// An input opened once: a named file, or stdin for "-". A regular file is read like any file.
// Anything else (a pipe, a FIFO, a terminal, a device) is a stream, read once from start to end
// with no second open; its first bytes are kept, so that the tool can look at its start and
// then read it from the beginning.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "io/system.h"

namespace g722kit::tool {

// Bytes kept from the start of a stream: more than any header the tool looks at.
inline constexpr size_t kStreamStartBytes = size_t{1} << 20;

class InputFile {
 public:
  // Throws ToolError (kExitInput) when the file cannot be opened or is a folder.
  explicit InputFile(std::filesystem::path name);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // The name as given, for messages.
  const std::filesystem::path& name() const { return name_; }
  // The size of a regular file; nothing for a stream.
  std::optional<uint64_t> size() const { return size_; }
  // The regular file read; nothing for a stream.
  std::optional<FileId> id() const { return id_; }

  // Reads up to buffer.size() bytes at the position and returns how many; 0 at the end. Throws
  // ToolError (kExitInput) on a read error, and when a stream is asked for bytes it has passed
  // and not kept.
  size_t Read(std::span<uint8_t> buffer);
  // Up to count bytes from the start (a stream keeps its first kStreamStartBytes); the position
  // is then the start.
  std::vector<uint8_t> PeekStart(size_t count);
  // Moves the position; false when a stream cannot go back there (past the bytes it keeps).
  bool Seek(uint64_t position);
  uint64_t position() const { return position_; }
  // True when the position lies ahead of what a stream has delivered: a read would skip bytes.
  bool AheadOfStream() const { return !size_ && position_ > taken_; }

 private:
  size_t ReadStream(std::span<uint8_t> buffer);

  std::filesystem::path name_;
  int fd_ = -1;
  bool owns_fd_ = true;
  std::optional<uint64_t> size_;
  std::optional<FileId> id_;
  uint64_t position_ = 0;
  // A stream: its first bytes, and how many bytes have been taken from it.
  std::vector<uint8_t> kept_;
  uint64_t taken_ = 0;
};

// The extension of a name in lower case: ".wav" for "a.WAV".
std::string LowerCaseExtension(const std::filesystem::path& file);

// True for names ending in .raw or .pcm (any case): headerless 16-bit PCM.
bool IsRawPcmName(const std::filesystem::path& file);

}  // namespace g722kit::tool
