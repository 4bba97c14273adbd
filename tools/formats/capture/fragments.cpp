#include "formats/capture/fragments.h"

#include <algorithm>

namespace g722kit::tool {
namespace {

constexpr size_t kMaxDatagram = 65536;        // bytes a reassembled datagram may reach
constexpr int64_t kMaxAgeNs = 5'000'000'000;  // fragments kept for 5 s of capture time
constexpr size_t kMaxPartials = 256;          // datagrams reassembled at once

std::array<uint8_t, 16> Address(std::span<const uint8_t> bytes) {
  std::array<uint8_t, 16> address{};
  std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), 16), address.begin());
  return address;
}

}  // namespace

void Reassembler::Drop(std::map<Key, Partial>::iterator partial) {
  dropped_ += partial->second.fragments;
  partials_.erase(partial);
}

void Reassembler::DropAll() {
  while (!partials_.empty())
    Drop(partials_.begin());
}

void Reassembler::Expire(int64_t now_ns) {
  for (auto it = partials_.begin(); it != partials_.end();) {
    const auto here = it++;
    if (now_ns - here->second.first_ns > kMaxAgeNs) Drop(here);
  }
}

std::optional<std::span<const uint8_t>> Reassembler::Add(const IpPacket& fragment,
                                                         int64_t time_ns) {
  Expire(time_ns);
  const Key key{fragment.v6, Address(fragment.source), Address(fragment.destination), fragment.id};
  auto it = partials_.find(key);
  if (it == partials_.end()) {
    if (partials_.size() >= kMaxPartials) {
      Drop(std::min_element(partials_.begin(), partials_.end(), [](const auto& a, const auto& b) {
        return a.second.first_ns < b.second.first_ns;
      }));
    }
    it = partials_.emplace(key, Partial{time_ns, {}, {}, {}, 0}).first;
  }
  Partial& partial = it->second;
  partial.fragments++;
  const size_t begin = fragment.offset;
  const size_t end = begin + fragment.payload.size();
  const bool misaligned = fragment.more && fragment.payload.size() % 8 != 0;
  const bool beyond_total = partial.total && end > *partial.total;
  if (end > kMaxDatagram || misaligned || beyond_total) {
    Drop(it);
    return std::nullopt;
  }
  if (!fragment.more) {
    const bool filled_beyond =
        std::find(partial.filled.begin() +
                      static_cast<ptrdiff_t>(std::min(partial.filled.size(), (end + 7) / 8)),
                  partial.filled.end(), true) != partial.filled.end();
    if (filled_beyond) {
      Drop(it);
      return std::nullopt;
    }
    partial.total = end;
  }
  if (partial.bytes.size() < end) {
    partial.bytes.resize(end);
    partial.filled.resize((end + 7) / 8, false);
  }
  std::copy(fragment.payload.begin(), fragment.payload.end(),
            partial.bytes.begin() + static_cast<ptrdiff_t>(begin));
  std::fill(partial.filled.begin() + static_cast<ptrdiff_t>(begin / 8),
            partial.filled.begin() + static_cast<ptrdiff_t>((end + 7) / 8), true);
  if (!partial.total ||
      !std::all_of(partial.filled.begin(), partial.filled.end(), [](bool f) { return f; })) {
    return std::nullopt;
  }
  done_ = std::move(partial.bytes);
  done_.resize(*partial.total);
  partials_.erase(it);
  return std::span<const uint8_t>(done_);
}

}  // namespace g722kit::tool
