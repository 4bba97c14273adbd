// Stream operations that the C runtime provides alike on every system, for the systems' file
// services.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace g722kit::platform {

// Reads up to size bytes: the count read, 0 at the end of the file, or -1 when the read failed.
int64_t RuntimeRead(std::FILE* file, void* buffer, size_t size);

// Closes the file; false when data still buffered could not be stored.
bool RuntimeClose(std::FILE* file);

}  // namespace g722kit::platform
