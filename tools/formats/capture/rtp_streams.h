// The RTP streams of a capture. RTP is recognised by its header, not by port numbers: a flow of
// UDP datagrams becomes a stream when several of them in a row are version 2 RTP with one SSRC
// and sequence numbers close together. A stream is one SSRC from one address and port to
// another; a new SSRC on the same addresses is a new stream.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "formats/capture/datagrams.h"
#include "formats/capture/payload_types.h"
#include "formats/capture/playout.h"
#include "formats/capture/rtp_packet.h"
#include "formats/capture/skipped.h"

namespace g722kit::tool {

struct StreamKey {
  Endpoint source;
  Endpoint destination;
  uint32_t ssrc = 0;
  friend auto operator<=>(const StreamKey&, const StreamKey&) = default;
};

struct RtpStream {
  StreamKey key;
  std::string payload;   // its codec: "G.722 (PT 9)", "PT 0 PCMU (not G.722)"; empty: none seen
  bool g722 = false;     // some of its packets are G.722
  int64_t first_ns = 0;  // capture time of its first and last packet
  int64_t last_ns = 0;
  uint64_t last_ticks = 0;  // RTP clock ticks the last G.722 packet holds
  std::unique_ptr<PlayoutSink> sink;
  Playout playout{nullptr};

  // From the first packet to the end of the last one's audio.
  double Seconds() const;
};

// Makes the sink that receives a new stream's audio (nothing: the stream is only counted).
using SinkFactory = std::function<std::unique_ptr<PlayoutSink>(const StreamKey& key)>;

class RtpStreams {
 public:
  // payload_types and skipped must outlive the table.
  RtpStreams(PayloadTypes& payload_types, SkippedCounts& skipped, SinkFactory sinks)
      : payload_types_(payload_types), skipped_(skipped), sinks_(std::move(sinks)) {}

  void Add(const TimedDatagram& datagram);
  // Plays out what is held and counts the flows that never became streams.
  void Finish();
  // In order of first packet.
  std::vector<std::unique_ptr<RtpStream>> TakeStreams() { return std::move(streams_); }

 private:
  struct Candidate {
    int64_t first_ns = 0;
    std::vector<std::pair<int64_t, std::vector<uint8_t>>> packets;  // capture time, bytes
  };

  void AddCandidate(const StreamKey& key, const TimedDatagram& datagram, uint16_t sequence);
  void AddToStream(RtpStream& stream, const RtpPacket& packet, int64_t time_ns);
  RtpStream& NewStream(const StreamKey& key, int64_t first_ns);
  void DropCandidate(std::map<StreamKey, Candidate>::iterator candidate);

  PayloadTypes& payload_types_;
  SkippedCounts& skipped_;
  SinkFactory sinks_;
  std::vector<std::unique_ptr<RtpStream>> streams_;
  std::map<StreamKey, RtpStream*> by_key_;
  std::map<StreamKey, Candidate> candidates_;
};

}  // namespace g722kit::tool
