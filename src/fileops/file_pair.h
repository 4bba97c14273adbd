// Opening, streaming and closing the input and output files of one file operation.
#pragma once

#include <cstdint>
#include <cstdio>

#include "file_stream.h"
#include "g722kit/g722kit.h"
#include "narrow_path.h"

namespace g722kit {

// Size of each read from the input, and of the operations' input buffers.
inline constexpr size_t kReadBytes = 262144;

struct FilePair {
  std::FILE* input = nullptr;
  std::FILE* output = nullptr;
};

// Converts both paths, opens the input and then creates the output. Whatever can be known of the
// input when it is open is checked before the output is touched: an input that cannot be opened
// or is a folder (G722KIT_ERR_OPEN_INPUT), a regular input longer than largest_input bytes
// (G722KIT_ERR_TOO_LARGE), and a pair naming one file (G722KIT_ERR_SAME_FILE). Returns
// G722KIT_OK with both files open, or an error code with neither open.
int32_t OpenFilePair(const char16_t* in_path, const char16_t* out_path, NarrowPathBuffer& in_name,
                     NarrowPathBuffer& out_name, int64_t largest_input, FilePair& files);

// Closes the input, then the output, and returns result; a result of G722KIT_OK becomes
// G722KIT_ERR_WRITE when the output could not be closed cleanly.
int32_t CloseFilePair(FilePair& files, int32_t result);

// Reads the input to its end in reads of up to size bytes, handing each count to process,
// which returns G722KIT_OK to go on or an error code to stop with. Returns G722KIT_OK at the
// end of the input, G722KIT_ERR_READ when a read fails, or the error of process.
template <typename Process>
int32_t ForEachRead(std::FILE* input, void* buffer, size_t size, Process&& process) {
  for (;;) {
    const int64_t count = platform::Read(input, buffer, size);
    if (count < 0) return G722KIT_ERR_READ;
    if (count == 0) return G722KIT_OK;
    const int32_t result = process(count);
    if (result != G722KIT_OK) return result;
  }
}

}  // namespace g722kit
