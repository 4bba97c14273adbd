#include "formats/capture/datagrams.h"

#include "formats/capture/link_layer.h"

namespace g722kit::tool {

std::optional<TimedDatagram> DatagramReader::FromRecord(const CaptureRecord& record) {
  const LinkPayload link = IpInFrame(capture_.link_type(), record.bytes);
  if (link.content != FrameContent::kIp) {
    skipped_.Add(link.content == FrameContent::kOther ? Skipped::kNotUdp : Skipped::kUndecodable);
    return std::nullopt;
  }
  const IpPacket ip = ParseIp(link.ip);
  TimedDatagram datagram{record.time_ns, {}};
  std::span<const uint8_t> udp = ip.payload;
  switch (ip.content) {
    case IpContent::kOther:
      skipped_.Add(Skipped::kNotUdp);
      return std::nullopt;
    case IpContent::kDamaged:
      skipped_.Add(Skipped::kUndecodable);
      return std::nullopt;
    case IpContent::kFragment: {
      const std::optional<std::span<const uint8_t>> whole = reassembler_.Add(ip, record.time_ns);
      if (!whole) return std::nullopt;
      udp = *whole;
      break;
    }
    case IpContent::kUdp:
      break;
  }
  if (!ParseUdp(ip.source, ip.destination, udp, datagram.datagram)) {
    skipped_.Add(Skipped::kUndecodable);
    return std::nullopt;
  }
  return datagram;
}

std::optional<TimedDatagram> DatagramReader::Next() {
  while (const std::optional<CaptureRecord> record = capture_.Next()) {
    if (records_++ == 0) first_ns_ = record->time_ns;
    last_ns_ = record->time_ns;
    if (std::optional<TimedDatagram> datagram = FromRecord(*record)) return datagram;
  }
  reassembler_.DropAll();
  skipped_.Add(Skipped::kExpiredFragment, reassembler_.dropped() - dropped_counted_);
  dropped_counted_ = reassembler_.dropped();
  return std::nullopt;
}

}  // namespace g722kit::tool
