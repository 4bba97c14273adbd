// Audio input for the codec: any file libsndfile reads, or headerless 16-bit mono PCM, from an
// InputFile (a file or a stream), delivered as mono 16-bit PCM at the rates the codec wants.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/pcm_format.h"
#include "io/input_file.h"

struct sf_private_tag;

namespace g722kit::tool {

struct SndfileSource;

// Lowest sample rate the tool reads: below any speech recording, and a guard against headers
// whose rate would make the resampled output enormous.
inline constexpr int kMinInputRate = 1000;

// What an input holds, as found in it.
struct AudioFormat {
  std::string name;  // "WAV (Microsoft), Signed 16 bit PCM"
  int rate = 0;
  int channels = 0;
  int64_t frames = 0;  // 0 when a stream does not tell

  double Seconds() const { return rate > 0 ? static_cast<double>(frames) / rate : 0; }
  // "44100 Hz, 2 channels, 3.20 s"
  std::string Summary() const;
};

// Mono PCM at one rate, handed on in pieces together with the frames read so far.
using PcmSink = std::function<void(std::span<const int16_t> pcm, int64_t frames_read)>;
struct PcmTarget {
  int rate;
  PcmSink sink;
};

// The format to read input in: headerless PCM when its name ends in .raw or .pcm or options
// describe it (the library's format where they are silent), nothing for a file that describes
// itself. Throws a usage ToolError when options describe a file with a header of its own.
std::optional<RawPcm> RawFormatOf(InputFile& input, const RawOptions& options);

class AudioReader {
 public:
  // Opens the input through libsndfile, or as headerless PCM of the given format. Throws
  // ToolError: kExitFormat when the format is not known, kExitInput when a stream cannot be
  // read as its format needs.
  AudioReader(InputFile& input, std::optional<RawPcm> raw);
  ~AudioReader();
  AudioReader(const AudioReader&) = delete;
  AudioReader& operator=(const AudioReader&) = delete;

  const AudioFormat& format() const { return format_; }

  // Reads the whole input, downmixes it to mono and resamples it to each target's rate. Throws
  // ToolError: kExitFormat when the input's rate is below kMinInputRate (unless there are no
  // targets: the input is only measured), kExitInput on a read error.
  void Read(std::span<const PcmTarget> targets);
  int64_t frames_read() const { return frames_read_; }
  // Frames the header declared that the input did not hold (a truncated file); 0 when it held
  // them all or declared no length.
  int64_t MissingFrames() const;

 private:
  // Opens the input from its start, telling libsndfile that it is length bytes long.
  void Open(uint64_t length);
  void ReadDeclaredFrames();

  InputFile& input_;
  std::optional<RawPcm> raw_;
  std::unique_ptr<SndfileSource> source_;
  struct Closer {
    void operator()(sf_private_tag* file) const;
  };
  std::unique_ptr<sf_private_tag, Closer> file_;
  AudioFormat format_;
  std::optional<int64_t> declared_;  // frames the header declares
  int64_t frames_read_ = 0;
};

}  // namespace g722kit::tool
