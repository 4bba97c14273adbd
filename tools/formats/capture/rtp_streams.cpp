#include "formats/capture/rtp_streams.h"

#include <algorithm>

#include "formats/capture/rtp_packet.h"

namespace g722kit::tool {
namespace {

// Packets in a row that make a flow a stream, and how close their sequence numbers must be.
constexpr size_t kPacketsToRecognise = 3;
constexpr int kSequenceSpread = 100;
// Flows watched at once before they are recognised.
constexpr size_t kMaxCandidates = 4096;

// Where a packet of each kind is counted when it is not decoded.
Skipped SkippedAs(PayloadKind kind) {
  switch (kind) {
    case PayloadKind::kDtmf:
      return Skipped::kDtmf;
    case PayloadKind::kComfortNoise:
      return Skipped::kComfortNoise;
    default:
      return Skipped::kOtherCodec;
  }
}

}  // namespace

double RtpStream::Seconds() const {
  return static_cast<double>(last_ns - first_ns) / 1e9 + static_cast<double>(last_ticks) / 8000;
}

RtpStream& RtpStreams::NewStream(const StreamKey& key, int64_t first_ns) {
  auto stream = std::make_unique<RtpStream>();
  stream->key = key;
  stream->first_ns = first_ns;
  if (sinks_) stream->sink = sinks_(key);
  stream->playout = Playout(stream->sink.get());
  RtpStream& added = *stream;
  by_key_[key] = &added;
  // Recognised in order of their first packets, but a stream recognised later may have
  // started earlier.
  const auto at = std::upper_bound(
      streams_.begin(), streams_.end(), first_ns,
      [](int64_t time, const std::unique_ptr<RtpStream>& other) { return time < other->first_ns; });
  streams_.insert(at, std::move(stream));
  return added;
}

void RtpStreams::AddToStream(RtpStream& stream, const RtpPacket& packet, int64_t time_ns) {
  stream.last_ns = time_ns;
  if (packet.kind != RtpKind::kRtp) {
    // It came, so it is not lost, but holds no audio.
    skipped_.Add(Skipped::kUndecodable);
    stream.playout.Add({packet.sequence, packet.timestamp, time_ns, false, true, {}});
    return;
  }
  const PayloadKind kind =
      payload_types_.Classify(stream.key.destination, packet.payload_type, packet.payload);
  const bool first_g722 = kind == PayloadKind::kG722 && !stream.g722;
  if (first_g722 || (stream.payload.empty() && kind == PayloadKind::kOther)) {
    stream.payload = payload_types_.Describe(stream.key.destination, packet.payload_type);
  }
  if (kind == PayloadKind::kG722) {
    stream.g722 = true;
    stream.last_ticks = packet.payload.size();
  } else {
    skipped_.Add(SkippedAs(kind));
  }
  stream.playout.Add({packet.sequence, packet.timestamp, time_ns, kind == PayloadKind::kG722,
                      kind != PayloadKind::kDtmf,
                      std::vector<uint8_t>(packet.payload.begin(), packet.payload.end())});
}

void RtpStreams::DropCandidate(std::map<StreamKey, Candidate>::iterator candidate) {
  skipped_.Add(Skipped::kNotRtp, candidate->second.packets.size());
  candidates_.erase(candidate);
}

void RtpStreams::AddCandidate(const StreamKey& key, const TimedDatagram& datagram,
                              uint16_t sequence) {
  auto it = candidates_.find(key);
  if (it != candidates_.end()) {
    const bool fits =
        std::all_of(it->second.packets.begin(), it->second.packets.end(), [&](const auto& held) {
          const RtpPacket other = ParseRtp(held.second);
          const auto delta = static_cast<int16_t>(static_cast<uint16_t>(sequence - other.sequence));
          return delta != 0 && delta <= kSequenceSpread && delta >= -kSequenceSpread;
        });
    if (!fits) {
      DropCandidate(it);
      it = candidates_.end();
    }
  }
  if (it == candidates_.end()) {
    if (candidates_.size() >= kMaxCandidates) {
      DropCandidate(std::min_element(
          candidates_.begin(), candidates_.end(),
          [](const auto& a, const auto& b) { return a.second.first_ns < b.second.first_ns; }));
    }
    it = candidates_.emplace(key, Candidate{datagram.time_ns, {}}).first;
  }
  const std::span<const uint8_t> bytes = datagram.datagram.payload;
  it->second.packets.emplace_back(datagram.time_ns,
                                  std::vector<uint8_t>(bytes.begin(), bytes.end()));
  if (it->second.packets.size() < kPacketsToRecognise) return;
  RtpStream& stream = NewStream(key, it->second.first_ns);
  for (const auto& [time_ns, held] : it->second.packets)
    AddToStream(stream, ParseRtp(held), time_ns);
  candidates_.erase(it);
}

void RtpStreams::Add(const TimedDatagram& datagram) {
  const std::span<const uint8_t> bytes = datagram.datagram.payload;
  const RtpPacket packet = ParseRtp(bytes);
  switch (packet.kind) {
    case RtpKind::kRtcp:
      skipped_.Add(Skipped::kRtcp);
      return;
    case RtpKind::kNotRtp:
      payload_types_.Learn(bytes);
      skipped_.Add(Skipped::kNotRtp);
      return;
    case RtpKind::kEmpty:
    case RtpKind::kRtp:
      break;
  }
  const StreamKey key{datagram.datagram.source, datagram.datagram.destination, packet.ssrc};
  if (const auto found = by_key_.find(key); found != by_key_.end()) {
    return AddToStream(*found->second, packet, datagram.time_ns);
  }
  if (packet.kind == RtpKind::kEmpty) {
    skipped_.Add(Skipped::kNotRtp);
    return;
  }
  AddCandidate(key, datagram, packet.sequence);
}

void RtpStreams::Finish() {
  while (!candidates_.empty())
    DropCandidate(candidates_.begin());
  for (const std::unique_ptr<RtpStream>& stream : streams_)
    stream->playout.Finish();
}

}  // namespace g722kit::tool
