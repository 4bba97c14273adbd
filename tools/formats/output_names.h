// What each command writes, chosen by the output's name: the one place that reads an output's
// extension. A regular file's extension must name a format the command writes, or the command is
// refused (kExitUsage) before anything is written; a name without an extension, "-", a device
// and a FIFO get the command's default format.
#pragma once

#include <filesystem>
#include <optional>

#include "formats/g722_container.h"
#include "formats/pcm_format.h"

namespace g722kit::tool {

// The container encode writes: the chosen one (--container), or by the name: .wav and .au hold
// codes in a WAV or AU file, .pcap holds them as an RTP stream in a packet capture, .g722, .raw
// and .pcm hold codes alone.
Container EncodedContainer(const std::filesystem::path& output, std::optional<Container> chosen);

// How decode stores samples: a WAV file (.wav, .g722, no extension), raw samples (.raw, .pcm),
// or any format libsndfile writes (.flac, .aiff, .au, .ogg, ...).
struct PcmFileFormat {
  enum class Kind { kWav, kRaw, kSndfile } kind = Kind::kWav;
  int sndfile_format = 0;           // kSndfile: libsndfile's major format and encoding
  Endian endian = Endian::kLittle;  // kRaw: the byte order of the samples
};
PcmFileFormat DecodedFormat(const std::filesystem::path& output, Endian raw_endian);

// Refuses a recording into a file whose extension names another format than WAV.
void CheckRecordingName(const std::filesystem::path& output);

}  // namespace g722kit::tool
