#include "formats/capture/playout.h"

#include <algorithm>
#include <cmath>

namespace g722kit::tool {
namespace {

// RFC 3550, appendix A.1: a sequence number this far ahead is a dropout, this far behind a
// misordering; beyond either, the sender has started over.
constexpr int kMaxDropout = 3000;
constexpr int kMaxMisorder = 100;
// How long a packet waits for the ones before it, in capture time; and at most how many wait.
constexpr int64_t kWindowNs = 1'000'000'000;
constexpr size_t kMaxHeld = 1000;
constexpr int64_t kTickNs = 125'000;  // one tick of the 8000 Hz RTP clock
constexpr int64_t kWindowTicks = kWindowNs / kTickNs;
// The longest gap filled: a longer one (a call on hold for hours, a capture whose times jump
// by years) is shortened to this, so that the output stays near the audio the capture holds.
constexpr int64_t kMaxGapTicks = 10 * 60 * 8000;
// Extended sequence numbers start here, so that packets from before the first stay positive.
constexpr int64_t kFirstExtended = int64_t{1} << 32;

// The sink of a stream that is only counted.
class Ignored : public PlayoutSink {
 public:
  void Audio(std::span<const uint8_t>) override {}
  void Lost(uint32_t) override {}
  void Silence(uint32_t) override {}
  void Restart(uint32_t) override {}
};

PlayoutSink* IgnoredSink() {
  static Ignored ignored;
  return &ignored;
}

}  // namespace

Playout::Playout(PlayoutSink* sink) : sink_(sink != nullptr ? sink : IgnoredSink()) {}

void Playout::MarkPlayed(int64_t sequence, bool played) {
  static_assert(kMaxMisorder < kRecentSequences);
  played_[static_cast<size_t>(sequence) % played_.size()] = played;
}

bool Playout::WasPlayed(int64_t sequence) const {
  return played_[static_cast<size_t>(sequence) % played_.size()];
}

void Playout::UpdateJitter(const PlayoutPacket& packet) {
  if (!packet.clocked) return;
  if (transit_) {
    const double arrival = static_cast<double>(packet.time_ns - jitter_ns_) / kTickNs;
    const double d =
        arrival - static_cast<double>(static_cast<int32_t>(packet.timestamp - jitter_ts_));
    counts_.jitter_ticks += (std::fabs(d) - counts_.jitter_ticks) / 16;
  }
  transit_ = true;
  jitter_ns_ = packet.time_ns;
  jitter_ts_ = packet.timestamp;
}

void Playout::Start(PlayoutPacket packet) {
  started_ = true;
  highest_ = next_ = kFirstExtended + packet.sequence;
  played_.reset();
  transit_ = false;
  newest_ns_ = packet.time_ns;
  counts_.packets++;
  UpdateJitter(packet);
  held_.emplace(highest_, std::move(packet));
  Release(false);
}

void Playout::Add(PlayoutPacket packet) {
  if (!started_) return Start(std::move(packet));
  const auto delta = static_cast<int16_t>(
      static_cast<uint16_t>(packet.sequence - static_cast<uint16_t>(highest_)));
  if (delta > kMaxDropout || delta < -kMaxMisorder) {
    if (stray_ && packet.sequence == static_cast<uint16_t>(stray_->sequence + 1)) {
      // Two packets agree on the new sequence: the sender started over.
      Release(true);
      counts_.restarts++;
      restart_pending_ = true;
      PlayoutPacket first = std::move(*stray_);
      stray_.reset();
      Start(std::move(first));
      Add(std::move(packet));
      return;
    }
    if (stray_) counts_.late++;
    stray_ = std::move(packet);
    return;
  }
  if (stray_) {
    counts_.late++;  // a lone packet off the sequence, dropped
    stray_.reset();
  }
  const int64_t sequence = highest_ + delta;
  newest_ns_ = std::max(newest_ns_, packet.time_ns);
  if (sequence < next_) {
    (WasPlayed(sequence) ? counts_.duplicates : counts_.late)++;
    return;
  }
  if (held_.contains(sequence)) {
    counts_.duplicates++;
    return;
  }
  if (sequence < highest_) counts_.reordered++;
  counts_.packets++;
  UpdateJitter(packet);
  highest_ = std::max(highest_, sequence);
  held_.emplace(sequence, std::move(packet));
  Release(false);
}

void Playout::Finish() {
  if (stray_) counts_.late++;
  stray_.reset();
  Release(true);
}

void Playout::Release(bool all) {
  while (!held_.empty()) {
    const auto first = held_.begin();
    const bool waited = newest_ns_ - first->second.time_ns >= kWindowNs || held_.size() > kMaxHeld;
    if (first->first != next_ && !all && !waited) return;
    const auto lost = static_cast<uint64_t>(first->first - next_);
    for (int64_t sequence = next_; sequence < first->first; sequence++)
      MarkPlayed(sequence, false);
    counts_.lost += lost;
    Play(first->second, lost);
    MarkPlayed(first->first, true);
    next_ = first->first + 1;
    held_.erase(first);
  }
}

void Playout::Play(const PlayoutPacket& packet, uint64_t lost_before) {
  lost_pending_ += lost_before;
  if (!packet.audio) return;
  if (have_audio_) {
    const auto delta = static_cast<int32_t>(packet.timestamp - audio_end_);
    const int64_t gap_ticks = (packet.time_ns - audio_ns_) / kTickNs;
    const auto bytes = static_cast<int64_t>(packet.codes.size());
    const auto gap = [](int64_t ticks) {
      return static_cast<uint32_t>(std::clamp<int64_t>(ticks, 0, kMaxGapTicks));
    };
    if (restart_pending_ || delta < 0 || delta > gap_ticks + kWindowTicks) {
      if (!restart_pending_) counts_.restarts++;
      sink_->Restart(gap(gap_ticks - bytes));
    } else if (delta > 0) {
      lost_pending_ > 0 ? sink_->Lost(gap(delta)) : sink_->Silence(gap(delta));
    }
  }
  sink_->Audio(packet.codes);
  have_audio_ = true;
  restart_pending_ = false;
  lost_pending_ = 0;
  audio_end_ = packet.timestamp + static_cast<uint32_t>(packet.codes.size());
  audio_ns_ = packet.time_ns;
}

}  // namespace g722kit::tool
