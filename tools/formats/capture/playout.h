// One RTP stream put back in order: packets in sequence-number order within a reorder window,
// duplicates and late packets dropped, lost packets, silence and restarts told apart by the
// sequence numbers, the RTP timestamps and the capture times. What comes out is a series of
// events for whoever turns the stream into audio, in 8000 Hz RTP clock units.
#pragma once

#include <bitset>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace g722kit::tool {

// Receives a stream's audio in order.
class PlayoutSink {
 public:
  virtual ~PlayoutSink() = default;
  // Codes of a packet.
  virtual void Audio(std::span<const uint8_t> codes) = 0;
  // Lost packets: ticks of the RTP clock to conceal.
  virtual void Lost(uint32_t ticks) = 0;
  // The sender sent nothing for this long (silence suppression): silence, and the decoder goes
  // on as the sender's encoder did.
  virtual void Silence(uint32_t ticks) = 0;
  // The stream starts anew after ticks of silence: the decoder starts over.
  virtual void Restart(uint32_t ticks) = 0;
};

struct PlayoutCounts {
  uint64_t packets = 0;     // received, duplicates not counted
  uint64_t lost = 0;        // sequence numbers that never came in time
  uint64_t duplicates = 0;  // dropped
  uint64_t reordered = 0;   // came after a later sequence number, in time to be used
  uint64_t late = 0;        // came after the reorder window had passed them: dropped
  uint64_t restarts = 0;
  double jitter_ticks = 0;  // interarrival jitter (RFC 3550), in RTP clock ticks
};

// A packet as the playout keeps it.
struct PlayoutPacket {
  uint16_t sequence = 0;
  uint32_t timestamp = 0;
  int64_t time_ns = 0;  // capture time
  bool audio = false;   // G.722 codes; other packets (DTMF, comfort noise) only take their place
  bool clocked = true;  // its timestamp follows the media clock (telephone events' do not)
  std::vector<uint8_t> codes;
};

class Playout {
 public:
  // sink: nothing, to only count.
  explicit Playout(PlayoutSink* sink);

  void Add(PlayoutPacket packet);
  // Plays out everything held: the end of the capture.
  void Finish();
  const PlayoutCounts& counts() const { return counts_; }

 private:
  void Start(PlayoutPacket packet);
  void Release(bool all);
  void Play(const PlayoutPacket& packet, uint64_t lost_before);
  void UpdateJitter(const PlayoutPacket& packet);
  void MarkPlayed(int64_t sequence, bool played);
  bool WasPlayed(int64_t sequence) const;

  PlayoutSink* sink_;
  PlayoutCounts counts_;
  bool started_ = false;
  int64_t highest_ = 0;  // extended sequence numbers: the 16-bit ones with their wraps counted
  int64_t next_ = 0;     // the next one to play
  int64_t newest_ns_ = 0;
  std::map<int64_t, PlayoutPacket> held_;
  // Whether each recent sequence number was played (not lost), by sequence number modulo its
  // size: a packet further back than RFC 3550's misordering limit is a stray anyway.
  static constexpr size_t kRecentSequences = 512;
  std::bitset<kRecentSequences> played_;
  std::optional<PlayoutPacket> stray_;  // a packet far off the sequence, maybe a new start
  uint64_t lost_pending_ = 0;           // lost since the last audio packet played
  // The last audio packet played: where its audio ends in RTP ticks, when it came.
  bool have_audio_ = false;
  uint32_t audio_end_ = 0;
  int64_t audio_ns_ = 0;
  bool restart_pending_ = false;  // the next audio packet starts the decoder over
  // Jitter: when the previous audio packet came, and its timestamp.
  bool transit_ = false;
  int64_t jitter_ns_ = 0;
  uint32_t jitter_ts_ = 0;
};

}  // namespace g722kit::tool
