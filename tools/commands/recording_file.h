// What a recording in progress holds, read from its WAV file as the recorder grows it: whole
// seconds of 16-bit mono PCM at 8000 samples/s behind a 44-byte header.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace g722kit::tool {

// Whole seconds of audio in the file so far, as its header counts them.
int64_t RecordedSeconds(const std::filesystem::path& file);

// Loudness of the given second (counted from 0) in dB below full scale, its RMS; nothing when
// the second cannot be read. Silence gives -96 dB.
std::optional<double> SecondLevelDb(const std::filesystem::path& file, int64_t second);

}  // namespace g722kit::tool
