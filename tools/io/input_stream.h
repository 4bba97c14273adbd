// A C stdio stream that reads an InputFile from its current position, for C libraries that
// read a FILE (libpcap): a file, or stdin read once.
#pragma once

#include <cstdio>
#include <memory>

#include "io/input_file.h"

namespace g722kit::tool {

struct StreamCloser {
  void operator()(std::FILE* stream) const;
};
using StdioStream = std::unique_ptr<std::FILE, StreamCloser>;

// The stream reads through input, which must outlive it; a read error of input shows as a read
// error of the stream.
StdioStream OpenInputStream(InputFile& input);

}  // namespace g722kit::tool
