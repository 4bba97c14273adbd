// File streams and path conversion: the thin layer between the file operations, the recorder and
// the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace g722kit::platform {

// Room for a converted path, terminator included; longer paths do not convert.
inline constexpr size_t kNarrowPathCapacity = 4096;

// Converts a null-terminated UTF-16 path into the system's narrow encoding: UTF-8 on POSIX, the
// ANSI code page on Windows.
// Returns false, leaving an empty string, when the path is not valid UTF-16 (an unpaired
// surrogate), cannot be represented exactly, or does not fit in capacity bytes.
bool ToNarrow(const char16_t* path, char* out, size_t capacity);

// Opens a file by narrow path for binary reading; null when it cannot be opened.
std::FILE* OpenForReading(const char* path);

// Creates or truncates a file by narrow path for binary writing; null when it cannot be.
// Writes are unbuffered, so that a short write is reported by the write that fell short.
std::FILE* OpenForWriting(const char* path);

// Whether a UTF-16 path can name a file on this system: valid UTF-16 within the system's limits.
bool IsUsableWidePath(const char16_t* path);

// Opens a regular file by UTF-16 path for reading and writing, unbuffered, without truncating
// it: an existing file is opened as it is, a missing one is created, and created tells which.
// Null when the path names something other than a regular file (a folder, a pipe, a device),
// which is refused without being opened, or when the file cannot be opened or created.
std::FILE* OpenRegularForUpdate(const char16_t* path, bool& created);

// Deletes the file at a UTF-16 path; false when it could not be deleted.
bool RemoveFile(const char16_t* path);

// Reads up to size bytes: the count read, 0 at the end of the file, or -1 when the read failed.
int64_t Read(std::FILE* file, void* buffer, size_t size);

// Writes size bytes and returns how many were stored. A pipe whose reader went away, or the
// process's file size limit, fails the write; it never raises SIGPIPE or SIGXFSZ in the process.
size_t Write(std::FILE* file, const void* buffer, size_t size);

// Sets the file's length, cutting what lies beyond or extending it with zero bytes; false when
// that is not possible (past the file size limit too, without SIGXFSZ), in which case the file
// is unchanged. A stream positioned at the new length stays there; from any other position it
// is afterwards unspecified.
bool Truncate(std::FILE* file, int64_t length);

// Moves to a byte offset from the start, or to the end; false when the file cannot be positioned.
bool SeekTo(std::FILE* file, int64_t offset);
bool SeekToEnd(std::FILE* file);

// The current position, or -1 when it cannot be known.
int64_t Position(std::FILE* file);

// Closes the file; false when data still buffered could not be stored.
bool Close(std::FILE* file);

// Whether the open file is a folder (which POSIX systems open for reading, its reads failing).
bool IsFolder(std::FILE* file);

// The size of the open file when it is a regular file; -1 for anything else (a pipe, a device).
int64_t RegularFileSize(std::FILE* file);

// Whether path names the file that is open as file (following links); false when path names
// no existing file.
bool IsSameFile(std::FILE* file, const char* path);

// The operations above that open, change, move in, close or remove a file, as a table: the
// system's, or one that a test puts in its place to make them fail, as it can the wave input.
// The functions above call the table in use; the queries (ToNarrow, IsUsableWidePath, IsFolder,
// RegularFileSize, IsSameFile) always ask the system.
struct FileService {
  std::FILE* (*open_for_reading)(const char* path);
  std::FILE* (*open_for_writing)(const char* path);
  std::FILE* (*open_regular_for_update)(const char16_t* path, bool& created);
  bool (*remove_file)(const char16_t* path);
  int64_t (*read)(std::FILE* file, void* buffer, size_t size);
  size_t (*write)(std::FILE* file, const void* buffer, size_t size);
  bool (*truncate)(std::FILE* file, int64_t length);
  bool (*seek_to)(std::FILE* file, int64_t offset);
  bool (*seek_to_end)(std::FILE* file);
  int64_t (*position)(std::FILE* file);
  bool (*close)(std::FILE* file);
};

// The service of the system the library is built for.
const FileService& SystemFiles();

// Replaces the service in use (for tests); nullptr restores the system's. Not to be called
// while a file operation or a recording runs.
void SetFileService(const FileService* service);

}  // namespace g722kit::platform
