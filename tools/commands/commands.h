// The tool's subcommands, run once the command line is parsed. Each throws ToolError on
// failure and prints its result on stdout. An input or output named "-" is stdin or stdout.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "coding/codec_settings.h"
#include "coding/packet_loss.h"
#include "formats/capture/capture_options.h"
#include "formats/g722_container.h"
#include "formats/pcm_format.h"

namespace g722kit::tool {

// An encode or a decode.
struct ConversionArguments {
  std::filesystem::path input;
  std::filesystem::path output;
  bool force = false;                  // -f: outputs the tool names may replace files
  CodecSettings codec;                 // bit rate and packing
  Band band = Band::kUnset;            // -w, -n
  std::optional<Container> container;  // encode: --container; none: by the output's extension
  bool align = false;                  // --align: trim the two-band codec's delay
  RawOptions raw;                      // encode: raw input; decode: the byte order of raw output
  std::optional<SimulatedLoss> loss;   // decode: --simulate-loss
  CaptureOptions capture;              // a packet capture as input (decode) or output (encode)
};
void Encode(const ConversionArguments& args);
void Decode(const ConversionArguments& args);

void Info(const std::filesystem::path& file, const RawOptions& raw, const CaptureOptions& capture);

struct RecordArguments {
  std::filesystem::path output;
  std::string device;  // an ALSA PCM name; empty: "default"
  int seconds = 0;     // 0: until Ctrl-C
  bool check = false;  // only check that the audio input opens
};
void Record(const RecordArguments& args);

struct CompareArguments {
  std::filesystem::path input;
  std::filesystem::path out_dir;  // empty: keep no files
  RawOptions raw;
};
void Compare(const CompareArguments& args);

}  // namespace g722kit::tool
