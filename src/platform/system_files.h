// The system's file operations, defined by the platform's adapter (file_stream_posix.cpp or
// file_stream_win32.cpp), which SystemFiles() puts in a table. Each does what the function of
// file_stream.h with the same name without "System" says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace g722kit::platform {

std::FILE* SystemOpenForReading(const char* path);
std::FILE* SystemOpenForWriting(const char* path);
std::FILE* SystemOpenRegularForUpdate(const char16_t* path, bool& created);
bool SystemRemoveFile(const char16_t* path);
size_t SystemWrite(std::FILE* file, const void* buffer, size_t size);
bool SystemTruncate(std::FILE* file, int64_t length);
bool SystemSeekTo(std::FILE* file, int64_t offset);
bool SystemSeekToEnd(std::FILE* file);
int64_t SystemPosition(std::FILE* file);

}  // namespace g722kit::platform
