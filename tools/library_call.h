// Runs one of the library's file operations (G722Encode, G722Decode) from input into an
// OutputFile for output, with a progress bar that follows the output's growth, and turns its
// result into a ToolError.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace g722kit::tool {

using FileOperation = int32_t (*)(const char16_t* in_path, const char16_t* out_path);

// expected_bytes: the size the output will reach, for the progress bar.
void RunFileOperation(FileOperation operation, const std::string& label,
                      const std::filesystem::path& input, const std::filesystem::path& output,
                      uint64_t expected_bytes);

}  // namespace g722kit::tool
