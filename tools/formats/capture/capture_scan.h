// A capture read into its RTP streams: the SDP it holds, the streams, what was skipped. A file
// is read twice, so that an SDP counts wherever it appears; stdin is read once, and an SDP
// counts from where it appears.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/capture/rtp_streams.h"
#include "io/input_file.h"

namespace g722kit::tool {

struct CaptureScan {
  std::string format;  // "pcap", "pcapng"
  std::string link;    // "Ethernet", ...
  uint64_t records = 0;
  int64_t first_ns = 0;
  int64_t last_ns = 0;
  SkippedCounts skipped;
  std::vector<std::unique_ptr<RtpStream>> streams;  // in order of first packet
  std::string damage;  // why the capture ended early (cut short, damaged), or empty
};

// forced_g722: --payload-type. sinks: the receivers of each stream's audio.
CaptureScan ScanCapture(InputFile& input, std::optional<uint8_t> forced_g722,
                        const SinkFactory& sinks);

}  // namespace g722kit::tool
