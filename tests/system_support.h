// What the file tests need from the system they run on; the build picks the implementation.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

namespace g722kit::test {

// A device that takes every write and cannot be measured: /dev/null, or NUL on Windows.
std::u16string NullDevice();

// A device whose writes fail as a full disk does (/dev/full); none on Windows.
std::optional<std::u16string> FullDevice();

// While it exists, the files this process writes cannot grow past a size: a write past it
// stores what fits and then fails, as on a full disk. A file size limit with SIGXFSZ ignored on
// POSIX; Windows has no such limit, and there applied() is false.
class FileSizeCap {
 public:
  explicit FileSizeCap(uint64_t bytes);
  ~FileSizeCap();
  FileSizeCap(const FileSizeCap&) = delete;
  FileSizeCap& operator=(const FileSizeCap&) = delete;
  bool applied() const { return applied_; }

 private:
  bool applied_ = false;
  uint64_t saved_limit_ = 0;
  void (*saved_handler_)(int) = nullptr;
};

// Whether this system's narrow paths spell a name: UTF-8 (POSIX) spells every name; on Windows
// the ANSI code page does, and code page 1252, the one under Wine with a UTF-8 locale, spells
// only names marked as in_code_page_1252. Empty under other code pages.
std::optional<bool> NarrowPathSpells(bool in_code_page_1252);

// A pipe with a reader at its far end: a FIFO in folder, or on Windows a named pipe named after
// folder. The reader drains whatever is written until the writer closes the pipe, or, as one
// that abandons it, goes away as soon as a writer has opened it, reading nothing.
class ReadPipe {
 public:
  enum class Reader { kDrains, kAbandons };
  ReadPipe(const std::filesystem::path& folder, Reader reader);
  ~ReadPipe() { reader_.join(); }
  ReadPipe(const ReadPipe&) = delete;
  ReadPipe& operator=(const ReadPipe&) = delete;
  const std::u16string& path() const { return path_; }

 private:
  std::u16string path_;
  std::thread reader_;
};

}  // namespace g722kit::test
