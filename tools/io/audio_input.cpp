#include "io/audio_input.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "coding/resampler.h"
#include "formats/not_codes.h"
#include "io/sndfile_error.h"
#include "messages/tool_error.h"

namespace g722kit::tool {

// What libsndfile's callbacks read through. A failure is kept, to be thrown once libsndfile
// has returned: no exception crosses its C code.
struct SndfileSource {
  explicit SndfileSource(InputFile& file) : input(file) {}

  InputFile& input;
  uint64_t length = 0;  // what libsndfile is told
  std::exception_ptr error;
  bool seek_refused = false;
  bool opening = false;       // libsndfile is reading the header
  bool header_ended = false;  // ... and was told the stream ended rather than skip ahead

  // Throws what the callbacks met; opened tells whether libsndfile could read the header.
  void Check(bool opened = true) const {
    if (error) std::rethrow_exception(error);
    if (seek_refused || (!opened && header_ended)) {
      throw FileError(kExitInput, "cannot read", input.name(),
                      "its format must be read from a file, not a stream; save it to a file first");
    }
  }
};

namespace {

constexpr size_t kChunkSamples = 65536;  // samples read at a time, all channels together

// The length libsndfile is told for a stream: beyond any real one, so that it takes the sizes
// in the header and reads on to the end of the stream.
constexpr uint64_t kUnknownLength = uint64_t{1} << 62;

// A header declaring this many bytes of audio or more is taken to declare none: it is what a
// writer puts there when it cannot go back to write the size (sox writes 0x7FFFF000).
constexpr int64_t kPlaceholderBytes = 0x7FFF0000;

// Bytes per sample of an uncompressed encoding; 1 for the others.
int64_t SampleBytes(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16:
      return 2;
    case SF_FORMAT_PCM_24:
      return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
      return 4;
    case SF_FORMAT_DOUBLE:
      return 8;
    default:
      return 1;
  }
}

SndfileSource& Source(void* user) {
  return *static_cast<SndfileSource*>(user);
}

sf_count_t SourceSeek(sf_count_t offset, int whence, void* user) {
  SndfileSource& source = Source(user);
  const auto base = static_cast<sf_count_t>(whence == SEEK_SET   ? 0
                                            : whence == SEEK_CUR ? source.input.position()
                                                                 : source.length);
  const sf_count_t position = base + offset;
  if (position < 0 || !source.input.Seek(static_cast<uint64_t>(position))) {
    source.seek_refused = true;
    return -1;
  }
  return position;
}

sf_count_t SourceRead(void* data, sf_count_t count, void* user) {
  SndfileSource& source = Source(user);
  if (source.error) return 0;
  // While the header is read, a stream seems to end where a read would skip ahead: the readers
  // of WAV, AIFF, W64 and CAF look for chunks behind the audio, and skipping to them would use
  // up the audio they then go back to read.
  if (source.opening && source.input.AheadOfStream()) {
    source.header_ended = true;
    return 0;
  }
  try {
    auto* bytes = static_cast<uint8_t*>(data);
    size_t total = 0;
    while (total < static_cast<size_t>(count)) {
      const size_t got = source.input.Read({bytes + total, static_cast<size_t>(count) - total});
      if (got == 0) break;
      total += got;
    }
    return static_cast<sf_count_t>(total);
  } catch (...) {
    source.error = std::current_exception();
    return 0;
  }
}

SF_VIRTUAL_IO source_io = {
    [](void* user) -> sf_count_t { return static_cast<sf_count_t>(Source(user).length); },
    SourceSeek,
    SourceRead,
    nullptr,  // never written
    [](void* user) -> sf_count_t { return static_cast<sf_count_t>(Source(user).input.position()); },
};

std::string FormatName(int format) {
  SF_FORMAT_INFO major{format & SF_FORMAT_TYPEMASK, nullptr, nullptr};
  SF_FORMAT_INFO sub{format & SF_FORMAT_SUBMASK, nullptr, nullptr};
  sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major);
  sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof sub);
  return std::string(major.name ? major.name : "unknown") + ", " +
         (sub.name ? sub.name : "unknown encoding");
}

int16_t ToPcm16(float sample) {
  return static_cast<int16_t>(std::clamp(std::lrint(sample * 32768.0f), -32768L, 32767L));
}

}  // namespace

std::string AudioFormat::Summary() const {
  char text[96];
  std::snprintf(text, sizeof text, "%d Hz, %d channel%s, %.2f s", rate, channels,
                channels == 1 ? "" : "s", Seconds());
  return text;
}

std::optional<RawPcm> RawFormatOf(InputFile& input, const RawOptions& options) {
  const bool described = options.rate || options.endian;
  if (!described && !IsRawPcmName(input.name())) return std::nullopt;
  if (described && !IsRawPcmName(input.name())) {
    if (const std::optional<std::string> audio = KnownAudioFile(input)) {
      throw FileError(kExitUsage, "--rate and --endian are for headerless PCM, not", input.name(),
                      "it is " + *audio);
    }
  }
  return RawPcm{options.rate.value_or(8000), options.endian.value_or(Endian::kLittle)};
}

AudioReader::AudioReader(InputFile& input, std::optional<RawPcm> raw)
    : input_(input), raw_(raw), source_(std::make_unique<SndfileSource>(input)) {
  if (!raw_) ReadDeclaredFrames();
  if (input.size() || raw_) Open(input.size().value_or(kUnknownLength));
  SF_INFO info{};
  sf_command(file_.get(), SFC_GET_CURRENT_SF_INFO, &info, sizeof info);
  const int64_t frames = input.size() ? info.frames : declared_.value_or(0);
  format_ = {FormatName(info.format), info.samplerate, info.channels, frames};
}

AudioReader::~AudioReader() = default;

// Told no length, libsndfile keeps the sizes the header declares: how a stream is read, and
// for a file a first look that tells whether it holds all it declares. A file that cannot be
// read so is read with its length, and declares nothing.
void AudioReader::ReadDeclaredFrames() {
  try {
    Open(kUnknownLength);
  } catch (const ToolError&) {
    if (!input_.size()) throw;
    return;
  }
  SF_INFO info{};
  sf_command(file_.get(), SFC_GET_CURRENT_SF_INFO, &info, sizeof info);
  if (info.frames < kPlaceholderBytes / (info.channels * SampleBytes(info.format))) {
    declared_ = info.frames;
  }
}

void AudioReader::Closer::operator()(SNDFILE* file) const {
  sf_close(file);
}

void AudioReader::Open(uint64_t length) {
  file_.reset();
  source_->length = length;
  source_->error = nullptr;
  source_->seek_refused = !input_.Seek(0);
  source_->header_ended = false;
  SF_INFO info{};
  if (raw_) {
    info.samplerate = raw_->rate;
    info.channels = 1;
    info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_16 |
                  (raw_->endian == Endian::kBig ? SF_ENDIAN_BIG : SF_ENDIAN_LITTLE);
  }
  source_->opening = true;
  file_.reset(sf_open_virtual(&source_io, SFM_READ, &info, source_.get()));
  source_->opening = false;
  source_->Check(file_ != nullptr);
  if (!file_) {
    throw FileError(kExitFormat, "cannot read", input_.name(), SndfileMessage(nullptr));
  }
}

void AudioReader::Read(std::span<const PcmTarget> targets) {
  if (!targets.empty() && format_.rate < kMinInputRate) {
    throw FileError(kExitFormat, "cannot read", input_.name(),
                    "its sample rate of " + std::to_string(format_.rate) + " Hz is below " +
                        std::to_string(kMinInputRate) + " Hz");
  }
  std::vector<std::unique_ptr<Resampler>> resamplers;
  for (const PcmTarget& target : targets)
    resamplers.push_back(std::make_unique<Resampler>(format_.rate, target.rate));
  const auto channels = static_cast<size_t>(format_.channels);
  const size_t chunk = std::max<size_t>(1, kChunkSamples / channels);
  std::vector<float> frames(chunk * channels), mono(chunk);
  std::vector<int16_t> pcm;
  const auto deliver = [&](size_t target) {
    return [&, target](std::span<const float> resampled) {
      pcm.resize(resampled.size());
      std::transform(resampled.begin(), resampled.end(), pcm.begin(), ToPcm16);
      targets[target].sink(pcm, frames_read_);
    };
  };
  for (;;) {
    const sf_count_t count =
        sf_readf_float(file_.get(), frames.data(), static_cast<sf_count_t>(chunk));
    source_->Check();
    if (sf_error(file_.get()) != SF_ERR_NO_ERROR) {
      throw FileError(kExitInput, "cannot read", input_.name(), SndfileMessage(file_.get()));
    }
    if (count <= 0) break;
    const auto read = static_cast<size_t>(count);
    for (size_t i = 0; i < read; i++) {
      float sum = 0;
      for (size_t c = 0; c < channels; c++)
        sum += frames[i * channels + c];
      mono[i] = sum / static_cast<float>(channels);
    }
    frames_read_ += count;
    for (size_t t = 0; t < targets.size(); t++)
      resamplers[t]->Process(std::span(mono).first(read), deliver(t));
  }
  for (size_t t = 0; t < targets.size(); t++)
    resamplers[t]->Flush(deliver(t));
}

int64_t AudioReader::MissingFrames() const {
  return declared_ && *declared_ > frames_read_ ? *declared_ - frames_read_ : 0;
}

}  // namespace g722kit::tool
