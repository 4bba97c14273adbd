// File streams and path conversion: the thin layer between the file operations and the system.
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

// The same as OpenForWriting, for a UTF-16 path.
std::FILE* OpenForWritingWide(const char16_t* path);

// Opens a regular file by UTF-16 path for reading and writing, unbuffered, without truncating
// it: an existing file is opened as it is, a missing one is created, and created tells which.
// Null when the path names something other than a regular file (a folder, a pipe, a device),
// which is refused without being opened, or when the file cannot be opened or created.
std::FILE* OpenRegularForUpdate(const char16_t* path, bool& created);

// Deletes the file at a UTF-16 path; false when it could not be deleted.
bool RemoveFile(const char16_t* path);

// Reads up to size bytes: the count read, 0 at the end of the file, or -1 when the read failed.
int64_t Read(std::FILE* file, void* buffer, size_t size);

// Writes size bytes and returns how many were stored. A pipe whose reader went away fails the
// write; it never raises SIGPIPE in the process.
size_t Write(std::FILE* file, const void* buffer, size_t size);

// Sets the file's length, cutting what lies beyond or extending it with zero bytes; false when
// that is not possible. The position afterwards is unspecified.
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

}  // namespace g722kit::platform
