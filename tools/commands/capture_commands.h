// The commands on packet captures of RTP: decode and info read them, encode writes one.
#pragma once

#include <filesystem>
#include <string>

#include "commands/commands.h"
#include "formats/output_names.h"
#include "io/input_file.h"

namespace g722kit::tool {

// True when input starts like a pcap or pcapng file, or its name says it is one (libpcap then
// says what is wrong with it).
bool IsCapture(InputFile& input);

// Refuses (kExitUsage) the capture options the command line gives for file, which is no
// capture; what: "cannot decode".
void RefuseCaptureOptions(const CaptureOptions& options, const std::string& what,
                          const std::filesystem::path& file);

// format: how the output stores samples, by its name.
void DecodeCapture(const ConversionArguments& args, InputFile& input, const PcmFileFormat& format);
void InfoCapture(InputFile& input, const CaptureOptions& options);

}  // namespace g722kit::tool
