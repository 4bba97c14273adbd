#include "commands/capture_commands.h"

#include "formats/capture/capture_reader.h"
#include "messages/tool_error.h"

namespace g722kit::tool {

bool IsCapture(InputFile& input) {
  const std::string extension = LowerCaseExtension(input.name());
  return extension == ".pcap" || extension == ".pcapng" || LooksLikeCapture(input.PeekStart(4));
}

void RefuseCaptureOptions(const CaptureOptions& options, const std::string& what,
                          const std::filesystem::path& file) {
  if (options.given.empty()) return;
  throw FileError(kExitUsage, what, file,
                  options.given + " is for packet captures (.pcap, .pcapng), which it is not");
}

}  // namespace g722kit::tool
