// Audio files for the tool's tests, written and read through libsndfile.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace g722kit::test {

struct Audio {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved
};

// format: libsndfile's format code, such as SF_FORMAT_FLAC | SF_FORMAT_PCM_16.
void WriteAudioFile(const std::filesystem::path& file, const Audio& audio, int format);
void WriteWav(const std::filesystem::path& file, const Audio& audio);
// Throws when libsndfile cannot read the file.
Audio ReadAudio(const std::filesystem::path& file);

// A mix of tones below 3 kHz with a moving loudness, sampled at rate, with a second part that
// is added to the left channel and subtracted from the right: downmixed, only the first stays.
// channels 1 gives the first part alone, the signal a correct downmix yields.
Audio ToneMix(int rate, int channels, double seconds);

}  // namespace g722kit::test
