// G.722 codes in the two containers that phones, PBXs and recorders exchange: WAV with format
// tag 0x0065 (WAVE_FORMAT_G722_ADPCM) and Sun AU with encoding 24 (G.722 ADPCM). Both hold the
// interoperable G.722 only: 64000 bit/s, 16 kHz two-band, one code per byte. docs/cli.md lists
// every header field written and why.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "coding/codec_settings.h"
#include "io/input_file.h"

namespace g722kit::tool {

// kPcap: one RTP stream in a packet capture (formats/capture/).
enum class Container { kRaw, kWav, kAu, kPcap };

// "wav", "au", "pcap", "raw": the values of --container, and the names of the containers in
// messages.
std::optional<Container> ParseContainerName(const std::string& name);
const char* ContainerName(Container container);
// "WAV", "AU", "raw": for people.
const char* ContainerTitle(Container container);

// The one configuration a container holds.
CodecSettings ContainerCodec();

// The option of codec that a container's configuration contradicts ("--bitrate 48000",
// "--packed", "--narrowband"), or nothing.
std::optional<std::string> ContainerConflict(const CodecSettings& codec);

// The bytes before the codes. code_bytes: how many follow, none while that is unknown (the
// sizes then say "up to the end", as streams write them). Throws ToolError (kExitOutput) for
// more codes than the container's size fields can count.
std::vector<uint8_t> ContainerHeader(Container container, std::optional<uint64_t> code_bytes);

// The bytes after the codes: a WAV chunk of odd size is padded to an even one.
std::vector<uint8_t> ContainerTrailer(Container container, uint64_t code_bytes);

// Where the codes of a container file lie.
struct ContainerLayout {
  Container container = Container::kRaw;
  uint64_t code_offset = 0;
  std::optional<uint64_t> code_bytes;  // none: up to the end of the file
  int channels = 1;                    // 2: the codes of two streams interleaved byte by byte
  std::vector<std::string> warnings;   // what the header gets wrong that the reader put right
};

// How many bytes of codes a file of file_bytes holds: what its header announces, or less when
// the file is cut short.
uint64_t CodeBytesIn(const ContainerLayout& layout, uint64_t file_bytes);

// Reads the container at the start of a file from its first bytes (head). Nothing when head is
// not the start of a G.722 WAV or AU file (raw codes, or audio of another kind); throws
// ToolError (kExitFormat) naming file when a G.722 header is damaged or describes a stream
// other than the interoperable one. What other writers are known to get wrong is read as meant,
// with a warning: a rate of 8000 (G.722's RTP clock) for 16000, and a WAV data size of 0 (a
// writer that never finished its header) for "up to the end".
std::optional<ContainerLayout> ReadContainer(std::span<const uint8_t> head,
                                             const std::filesystem::path& file);

// The same, from the start of input, which is left at its beginning.
std::optional<ContainerLayout> ReadContainerFile(InputFile& input);

}  // namespace g722kit::tool
