// Runs one of the library's file operations (G722Encode, G722Decode) from an input file into
// an OutputFile, with a progress bar that follows the output's growth, and turns its result
// into a ToolError.
#pragma once

#include <cstdint>
#include <string>

#include "io/input_file.h"
#include "io/output_file.h"

namespace g722kit::tool {

using FileOperation = int32_t (*)(const char16_t* in_path, const char16_t* out_path);

// True when the library can do the work: it opens files by UTF-16 name, so the input must be a
// regular file and the output a temporary file, both with names in UTF-8 (a name of other
// bytes has no UTF-16 form).
bool LibraryCanReach(const InputFile& input, const OutputFile& output);

// expected_bytes: the size the output will reach, for the progress bar. The caller commits
// the output.
void RunFileOperation(FileOperation operation, const std::string& label, const InputFile& input,
                      const OutputFile& output, uint64_t expected_bytes);

}  // namespace g722kit::tool
