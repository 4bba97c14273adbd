// Checks on an input file before a command reads it, so that its failures name the cause.
#pragma once

#include <cstdint>
#include <filesystem>

namespace g722kit::tool {

// Throws ToolError (kExitInput) when the file cannot be opened for reading or is a folder.
// Returns its size in bytes.
uint64_t CheckReadable(const std::filesystem::path& file);

// True for names ending in .raw or .pcm (any case): headerless 16-bit PCM at 8000 samples/s.
bool IsRawPcmName(const std::filesystem::path& file);

}  // namespace g722kit::tool
