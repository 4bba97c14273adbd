// The leading bytes by which audio file formats are known, and what to call a file of each.
#pragma once

#include <cstddef>
#include <string_view>

namespace g722kit::tool {

struct AudioSignature {
  std::string_view bytes;
  size_t offset;  // where in the file they stand
  const char* name;
};

// Audio file formats that hold samples behind a header of their own.
inline constexpr AudioSignature kAudioSignatures[] = {
    {"WAVE", 8, "a WAV audio file"},  // after "RIFF", "RIFX", "RF64" or "BW64" and a size
    {"AIFF", 8, "an AIFF audio file"},
    {"AIFC", 8, "an AIFF-C audio file"},
    {".snd", 0, "an AU audio file"},
    {"dns.", 0, "an AU audio file"},
    {std::string_view("riff\x2e\x91\xcf\x11", 8), 0, "a W64 audio file"},
    {"fLaC", 0, "a FLAC audio file"},
    {"OggS", 0, "an Ogg audio file"},
    {"caff", 0, "a CAF audio file"},
    {"ID3", 0, "an MP3 audio file"},
    {"Creative Voice File", 0, "a VOC audio file"},
};

}  // namespace g722kit::tool
