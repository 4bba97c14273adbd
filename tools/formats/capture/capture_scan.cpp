#include "formats/capture/capture_scan.h"

#include "formats/capture/capture_reader.h"
#include "formats/capture/rtp_packet.h"

namespace g722kit::tool {
namespace {

// The SDP of a whole capture, to know the payload types of streams that come before theirs.
void LearnAllSdp(InputFile& input, PayloadTypes& payload_types) {
  CaptureReader capture(input);
  SkippedCounts ignored;
  DatagramReader datagrams(capture, ignored);
  while (const std::optional<TimedDatagram> datagram = datagrams.Next()) {
    if (ParseRtp(datagram->datagram.payload).kind == RtpKind::kNotRtp) {
      payload_types.Learn(datagram->datagram.payload);
    }
  }
}

}  // namespace

CaptureScan ScanCapture(InputFile& input, std::optional<uint8_t> forced_g722,
                        const SinkFactory& sinks) {
  PayloadTypes payload_types(forced_g722);
  if (input.size()) LearnAllSdp(input, payload_types);
  CaptureScan scan;
  CaptureReader capture(input);
  scan.format = capture.FormatName();
  scan.link = capture.LinkName();
  DatagramReader datagrams(capture, scan.skipped);
  RtpStreams streams(payload_types, scan.skipped, sinks);
  while (const std::optional<TimedDatagram> datagram = datagrams.Next())
    streams.Add(*datagram);
  streams.Finish();
  scan.records = datagrams.records();
  scan.first_ns = datagrams.first_ns();
  scan.last_ns = datagrams.last_ns();
  scan.damage = capture.error();
  scan.streams = streams.TakeStreams();
  return scan;
}

}  // namespace g722kit::tool
