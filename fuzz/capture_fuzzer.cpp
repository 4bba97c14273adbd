// Any bytes as a packet capture through the tool's capture path: libpcap's reader, the link
// layers, IP reassembly, RTP recognition, SDP, the playout and the decoder of every G.722
// stream. Nothing may crash, hang or read outside a packet; the first byte forces a payload
// type to be G.722, so that streams of any payload type are decoded too.
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "coding/rtp_audio.h"
#include "formats/capture/capture_scan.h"
#include "messages/tool_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace g722kit::tool;
  if (size == 0) return 0;
  const uint8_t forced = data[0] & 0x7F;
  const int fd = memfd_create("capture", 0);
  if (fd < 0 || write(fd, data + 1, size - 1) != static_cast<ssize_t>(size - 1)) __builtin_trap();
  try {
    InputFile input("/dev/fd/" + std::to_string(fd));
    ScanCapture(input, forced,
                [](const StreamKey&) { return std::make_unique<RtpAudio>(true, false); });
  } catch (const ToolError&) {
    // not a capture, or a link type the tool does not read: refused with a message
  }
  close(fd);
  return 0;
}
