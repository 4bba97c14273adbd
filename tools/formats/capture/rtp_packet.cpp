#include "formats/capture/rtp_packet.h"

#include "formats/capture/net_bytes.h"

namespace g722kit::tool {
namespace {

constexpr size_t kFixedHeader = 12;
// RTCP packet types 200 to 204 (SR, RR, SDES, BYE, APP) seen through the RTP header, where the
// marker bit takes their top bit.
constexpr uint8_t kFirstRtcpType = 72;
constexpr uint8_t kLastRtcpType = 76;

}  // namespace

RtpPacket ParseRtp(std::span<const uint8_t> bytes) {
  RtpPacket packet;
  if (bytes.size() < 4 || bytes[0] >> 6 != 2) return packet;
  const uint8_t type = bytes[1] & 0x7F;
  if (type >= kFirstRtcpType && type <= kLastRtcpType) {
    const size_t length = (static_cast<size_t>(Be16At(bytes, 2)) + 1) * 4;
    packet.kind = length <= bytes.size() ? RtpKind::kRtcp : RtpKind::kNotRtp;
    return packet;
  }
  if (bytes.size() < kFixedHeader) return packet;
  packet.kind = RtpKind::kEmpty;
  packet.marker = (bytes[1] & 0x80) != 0;
  packet.payload_type = type;
  packet.sequence = Be16At(bytes, 2);
  packet.timestamp = Be32At(bytes, 4);
  packet.ssrc = Be32At(bytes, 8);
  size_t begin = kFixedHeader + static_cast<size_t>(bytes[0] & 0x0F) * 4;
  if ((bytes[0] & 0x10) != 0) {  // header extension: 4 bytes and its length in words
    if (bytes.size() < begin + 4) return packet;
    begin += 4 + static_cast<size_t>(Be16At(bytes, begin + 2)) * 4;
  }
  size_t end = bytes.size();
  if ((bytes[0] & 0x20) != 0) {  // padding: its count in the last byte
    const size_t padding = bytes.back();
    if (padding == 0 || padding > end) return packet;
    end -= padding;
  }
  if (begin >= end) return packet;
  packet.payload = bytes.subspan(begin, end - begin);
  packet.kind = RtpKind::kRtp;
  return packet;
}

}  // namespace g722kit::tool
