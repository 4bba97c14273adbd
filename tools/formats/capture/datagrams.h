// The UDP datagrams of a capture, in capture order, with what is not UDP counted.
#pragma once

#include <cstdint>
#include <optional>

#include "formats/capture/capture_reader.h"
#include "formats/capture/fragments.h"
#include "formats/capture/ip_packet.h"
#include "formats/capture/skipped.h"

namespace g722kit::tool {

struct TimedDatagram {
  int64_t time_ns = 0;
  UdpDatagram datagram;  // its payload is valid until the next call of Next
};

class DatagramReader {
 public:
  // Counts what it skips into skipped, which must outlive it.
  DatagramReader(CaptureReader& capture, SkippedCounts& skipped)
      : capture_(capture), skipped_(skipped) {}

  // The next datagram, or nothing at the end of the capture.
  std::optional<TimedDatagram> Next();
  // Records read.
  uint64_t records() const { return records_; }
  // Capture time of the first and last record.
  int64_t first_ns() const { return first_ns_; }
  int64_t last_ns() const { return last_ns_; }

 private:
  std::optional<TimedDatagram> FromRecord(const CaptureRecord& record);

  CaptureReader& capture_;
  SkippedCounts& skipped_;
  Reassembler reassembler_;
  uint64_t dropped_counted_ = 0;  // fragments the reassembler dropped, counted in skipped_
  uint64_t records_ = 0;
  int64_t first_ns_ = 0;
  int64_t last_ns_ = 0;
};

}  // namespace g722kit::tool
