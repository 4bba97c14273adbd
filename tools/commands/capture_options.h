// The command-line options about packet captures, as text until the command is known, then
// checked into CaptureOptions.
#pragma once

#include <string>

#include "formats/capture/capture_options.h"

namespace CLI {
class App;
}

namespace g722kit::tool {

struct CaptureText {
  std::string payload_type;
  std::string stream;
  std::string conceal;
  bool stereo = false;
  std::string ptime;
  std::string sequence;
  std::string ssrc;
  std::string source;
  std::string destination;
};

// decode: --payload-type, --stream, --stereo, --conceal.
void AddCaptureReadOptions(CLI::App& command, CaptureText& text);
// info: --payload-type.
void AddPayloadTypeOption(CLI::App& command, CaptureText& text);
// encode: --ptime, --seq, --ssrc, --rtp-src, --rtp-dst.
void AddCaptureWriteOptions(CLI::App& command, CaptureText& text);

// Throws a usage ToolError naming the option and what it wants. Notes in the result which of
// these options the command line gives, so that a command can refuse them for other files.
CaptureOptions ParseCaptureText(const CaptureText& text);

}  // namespace g722kit::tool
