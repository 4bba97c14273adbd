#include "audio_files.h"

#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace g722kit::test {

void WriteWav(const std::filesystem::path& file, const Audio& audio) {
  WriteAudioFile(file, audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

void WriteAudioFile(const std::filesystem::path& file, const Audio& audio, int format) {
  SF_INFO info{};
  info.samplerate = audio.rate;
  info.channels = audio.channels;
  info.format = format;
  SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
  if (out == nullptr) throw std::runtime_error("cannot write " + file.string());
  const auto count = static_cast<sf_count_t>(audio.samples.size());
  const bool written = sf_write_short(out, audio.samples.data(), count) == count;
  sf_close(out);
  if (!written) throw std::runtime_error("cannot write " + file.string());
}

Audio ReadAudio(const std::filesystem::path& file) {
  SF_INFO info{};
  SNDFILE* in = sf_open(file.c_str(), SFM_READ, &info);
  if (in == nullptr) throw std::runtime_error(file.string() + ": " + sf_strerror(nullptr));
  Audio audio{info.samplerate, info.channels, {}};
  audio.samples.resize(static_cast<size_t>(info.frames * info.channels));
  sf_readf_short(in, audio.samples.data(), info.frames);
  sf_close(in);
  return audio;
}

Audio ToneMix(int rate, int channels, double seconds) {
  Audio audio{rate, channels, {}};
  const auto frames = static_cast<size_t>(seconds * rate);
  const auto add = [&](double x) { audio.samples.push_back(static_cast<int16_t>(std::lrint(x))); };
  for (size_t i = 0; i < frames; i++) {
    const double w = 2 * std::numbers::pi * static_cast<double>(i) / rate;
    const double kept =
        6000 * std::sin(w * 440) * (0.6 + 0.4 * std::sin(w * 3)) + 3000 * std::sin(w * 1250 + 0.5);
    const double cancelled = 4000 * std::sin(w * 2000);
    if (channels == 1) {
      add(kept);
    } else {
      add(kept + cancelled);
      add(kept - cancelled);
    }
  }
  return audio;
}

}  // namespace g722kit::test
