// The records of a packet capture (pcap of either byte order and timestamp precision, or
// pcapng), read with libpcap from an InputFile: a file, or stdin read once.
#pragma once

#include <pcap/pcap.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "io/input_file.h"
#include "io/input_stream.h"

namespace g722kit::tool {

// Whether bytes start like a pcap or pcapng file.
bool LooksLikeCapture(std::span<const uint8_t> head);

struct CaptureRecord {
  int64_t time_ns = 0;
  std::span<const uint8_t> bytes;  // as captured: at most the snap length
  uint32_t length = 0;             // the packet's length on the wire
};

class CaptureReader {
 public:
  // Reads from input's current position. Throws ToolError (kExitFormat) when input is not a
  // capture, or when its link type is not one the tool reads.
  explicit CaptureReader(InputFile& input);

  int link_type() const { return link_type_; }
  // "Ethernet", "Linux cooked v2", ...
  const char* LinkName() const;
  // "pcap" or "pcapng".
  const char* FormatName() const { return pcapng_ ? "pcapng" : "pcap"; }

  // The next record, or nothing at the end. A capture that ends inside a record or is damaged
  // ends there, and error() says why.
  std::optional<CaptureRecord> Next();
  const std::string& error() const { return error_; }

 private:
  struct PcapCloser {
    void operator()(pcap_t* pcap) const { pcap_close(pcap); }
  };

  StdioStream stream_;
  std::unique_ptr<pcap_t, PcapCloser> pcap_;
  int link_type_ = 0;
  bool pcapng_ = false;
  std::string error_;
};

}  // namespace g722kit::tool
