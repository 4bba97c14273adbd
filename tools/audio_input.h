// Audio input for the codec: any file libsndfile reads, or headerless 16-bit PCM at 8000
// samples/s, delivered as mono 16-bit PCM at the rate the codec wants.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace g722kit::tool {

// What an input file holds, as found in it.
struct AudioFormat {
  std::string name;  // "WAV (Microsoft), Signed 16 bit PCM"
  int rate = 0;
  int channels = 0;
  int64_t frames = 0;

  double Seconds() const { return rate > 0 ? static_cast<double>(frames) / rate : 0; }
  // "44100 Hz, 2 channels, 3.20 s"
  std::string Summary() const;
};

// Reads the format of a file, or throws ToolError (kExitFormat) when libsndfile does not know
// it. raw: the file is headerless 16-bit little-endian mono PCM at 8000 samples/s.
AudioFormat ReadAudioFormat(const std::filesystem::path& file, bool raw);

// Reads the whole file, downmixes it to mono and resamples it to rate, handing the samples on
// in pieces together with the number of frames read so far. Throws ToolError on a read error.
using PcmSink = std::function<void(std::span<const int16_t> pcm, int64_t frames_read)>;
void ReadPcm(const std::filesystem::path& file, bool raw, int rate, const PcmSink& sink);

// The whole file as mono PCM at rate.
std::vector<int16_t> ReadAllPcm(const std::filesystem::path& file, bool raw, int rate);

}  // namespace g722kit::tool
