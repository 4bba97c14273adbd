// 16-bit PCM WAV files as every reader takes them: a plain WAVE_FORMAT_PCM header while the data
// stay below the 4 GiB its sizes can count, RF64 beyond. When the length is not known in advance
// the header reserves room for RF64's ds64 chunk (a JUNK chunk), so that a file that grows past
// 4 GiB only has its header rewritten, never its data moved.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace g722kit::tool {

// Sample bytes a plain 44-byte WAV header can describe: its RIFF size, data + 36, has 32 bits.
inline constexpr uint64_t kWavMaxDataBytes = 0xFFFFFFFFu - 36;

// Where the bytes of a WAV file go: a file that may be sought in and rewritten.
class WavSink {
 public:
  virtual ~WavSink() = default;
  // Each returns what the POSIX call of its name would, -1 on failure.
  virtual int64_t Write(const void* data, int64_t size) = 0;
  virtual int64_t Seek(int64_t offset, int whence) = 0;
  virtual int64_t Length() = 0;
  // The errno of the last failure, 0 when it was not the system's.
  virtual int error() const = 0;
};

// The 44-byte header of 16-bit PCM for a stream of unknown length, as sox writes it: readers
// read such a stream to its end. For outputs that cannot be rewritten.
std::vector<uint8_t> StreamWavHeader(int rate, int channels);

class WavWriter {
 public:
  // max_samples: at most how many samples (of all channels) will come, when that is known.
  // name: the file, for messages.
  WavWriter(WavSink& sink, std::filesystem::path name, int rate, int channels,
            std::optional<uint64_t> max_samples);

  // samples: interleaved when there are several channels.
  void Write(std::span<const int16_t> samples);
  // Rewrites the header with the sizes of the data written.
  void Close();

 private:
  std::vector<uint8_t> Header(bool rf64) const;
  void Put(std::span<const uint8_t> bytes);

  WavSink& sink_;
  std::filesystem::path name_;
  int rate_;
  int channels_;
  bool reserve_;  // the header holds room for a ds64 chunk
  uint64_t data_bytes_ = 0;
  uint64_t max_data_bytes_;
  std::vector<uint8_t> bytes_;
};

}  // namespace g722kit::tool
