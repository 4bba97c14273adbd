// What the tool needs from the operating system beyond standard C++: the terminal, and what to
// do when a signal ends it (Ctrl-C, a closed terminal, a closed pipe, kill).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>

namespace g722kit::tool {

// What makes a file itself, whatever its names.
struct FileId {
  uint64_t device = 0;
  uint64_t inode = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

// The file open on a descriptor; nothing when it cannot be told.
std::optional<FileId> IdentifyOpenFile(int fd);

// True when fd writes where the process's stdout does.
bool IsStdout(int fd);

// Writes all of bytes to fd, trying again after an interrupted or partial write; false, with
// errno set, when the system takes fewer.
bool WriteAll(int fd, std::span<const uint8_t> bytes);

// The open descriptor a name stands for: /dev/stdout is 1, /dev/fd/3 and /proc/self/fd/3 are 3.
std::optional<int> DescriptorNamed(const std::filesystem::path& file);

// The folder for temporary files: $TMPDIR, or /tmp.
std::filesystem::path TemporaryFolder();

// A new file in the temporary folder, open for reading and writing and unlinked at once: it
// lives as long as it is open. -1, with errno set, when it cannot be made.
int CreateUnnamedFile();

bool StderrIsTerminal();

// Raises the process's limit of open files to the most the system allows it.
void AllowManyOpenFiles();

// Width of the terminal on stderr in columns; 80 when it cannot be told.
int StderrColumns();

// From now on SIGHUP, SIGINT, SIGPIPE and SIGTERM delete the files registered with
// RemoveOnInterrupt and then end the process as the signal would have.
void InstallInterruptCleanup();

// From now on a write past the file-size limit (ulimit -f) fails with EFBIG, reported as any
// failed write, instead of SIGXFSZ ending the process (with a recording, also the writes of the
// audio system's own shared memory).
void IgnoreFileSizeSignal();

// Adds file to those an interrupt deletes: unfinished outputs, as many as are being written.
void RemoveOnInterrupt(const std::filesystem::path& file);
// Takes file off that list again: it is finished, or gone.
void KeepOnInterrupt(const std::filesystem::path& file);

// From now on SIGHUP, SIGINT and SIGTERM only raise a flag that InterruptRequested reports, so
// that a command can stop cleanly and finish its output.
void DeferInterrupts();
bool InterruptRequested();

// Runs work with those signals held back, so that it (putting a finished output in place) is
// never cut in two; a signal that came meanwhile acts once work has returned or thrown.
void WithInterruptsHeld(const std::function<void()>& work);

}  // namespace g722kit::tool
