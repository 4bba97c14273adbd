// G.722 codes as one RTP stream in a pcap file, as a capture program would have recorded it:
// Ethernet, IPv4 or IPv6, UDP with correct checksums, RTP payload type 9 in packets of ptime
// milliseconds, sequence numbers and timestamps as a sender counts them, capture times ptime
// apart. Written with libpcap.
#pragma once

#include <pcap/pcap.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/capture/capture_options.h"
#include "formats/code_writer.h"
#include "io/output_file.h"

namespace g722kit::tool {

class RtpCaptureWriter : public CodeSink {
 public:
  // Throws ToolError (kExitOutput) when the output cannot be written.
  RtpCaptureWriter(const OutputFile& output, const CaptureOptions& options);
  ~RtpCaptureWriter() override;
  RtpCaptureWriter(const RtpCaptureWriter&) = delete;
  RtpCaptureWriter& operator=(const RtpCaptureWriter&) = delete;

  void Write(std::span<const uint8_t> codes) override;
  // Sends what remains as the last packet and ends the file.
  void Close() override;
  uint64_t code_bytes() const override { return code_bytes_; }
  // "286 RTP packets, SSRC 0x1A2B3C4D, 192.0.2.1:40000 -> 198.51.100.1:40000"
  std::string Details() const override;

 private:
  void Send(std::span<const uint8_t> payload);
  void CheckWritten();

  const OutputFile& output_;
  CaptureOptions options_;
  size_t packet_bytes_;
  pcap_t* pcap_ = nullptr;
  pcap_dumper_t* dumper_ = nullptr;
  std::vector<uint8_t> pending_;
  uint64_t code_bytes_ = 0;
  uint64_t packets_ = 0;
  uint16_t sequence_;
  uint32_t timestamp_;
  uint32_t ssrc_;
  int64_t time_us_;
};

}  // namespace g722kit::tool
