// Writers of the tool's outputs into an OutputFile: bytes (codes), and 16-bit mono PCM as WAV
// or as raw samples. A failed write throws ToolError (kExitOutput) naming the target.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "formats/pcm_format.h"
#include "io/output_file.h"

struct sf_private_tag;

namespace g722kit::tool {

// Sample bytes a plain WAV header can describe: its RIFF size, data + 36, has 32 bits.
inline constexpr uint64_t kWavMaxDataBytes = 0xFFFFFFFFu - 36;

class ByteWriter {
 public:
  explicit ByteWriter(const OutputFile& output) : output_(output) {}

  void Write(std::span<const uint8_t> bytes);
  // Writes bytes over the start of the file, leaving the position at its end; false when the
  // output cannot be repositioned (a pipe, a terminal).
  bool RewriteStart(std::span<const uint8_t> bytes);

 private:
  const OutputFile& output_;
};

// How decoded samples are stored: a WAV file, or raw samples in a byte order.
struct PcmLayout {
  bool raw = false;
  Endian endian = Endian::kLittle;
};

// Where 16-bit mono samples go.
class PcmWriter {
 public:
  virtual ~PcmWriter() = default;
  virtual void Write(std::span<const int16_t> samples) = 0;
  // Finishes the file: a WAV header gets its sizes.
  virtual void Close() = 0;
};

// A writer for output in layout at rate. A WAV file that can be rewritten gets the true sizes
// in its header; one that cannot (a pipe) gets a header for a stream of unknown length, as sox
// writes it. max_samples: at most how many samples will come, when that is known. With several
// channels, the samples written are frames of one sample per channel.
std::unique_ptr<PcmWriter> OpenPcmWriter(const OutputFile& output, int rate, PcmLayout layout,
                                         std::optional<uint64_t> max_samples, int channels = 1);

// The 44-byte header of 16-bit PCM at rate for a stream of unknown length, as sox writes it:
// readers read such a stream to its end.
std::vector<uint8_t> StreamWavHeader(int rate, int channels = 1);

// The bytes of a WAV file as libsndfile writes them: a file it may seek in and rewrite.
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

// 16-bit mono WAV through libsndfile. The header is a plain 44-byte RIFF header when
// max_samples shows that the data stay below the 4 GiB such a header can describe; otherwise
// the file is RF64 while being written, and becomes a WAV with a WAVE_FORMAT_EXTENSIBLE header
// on Close if it stayed below that size. name: the file, for messages.
class WavWriter : public PcmWriter {
 public:
  WavWriter(WavSink& sink, std::filesystem::path name, int rate,
            std::optional<uint64_t> max_samples, int channels = 1);
  ~WavWriter() override;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  void Write(std::span<const int16_t> samples) override;
  void Close() override;

 private:
  // Throws with the system's cause of the failure, or else libsndfile's.
  [[noreturn]] void Fail(const std::string& what, int sndfile_error = 0);

  WavSink& sink_;
  std::filesystem::path name_;
  sf_private_tag* file_ = nullptr;
  uint64_t room_;  // samples the header can still describe
  int channels_;
};

}  // namespace g722kit::tool
