#include "coding/band_guess.h"

#include <vector>

namespace g722kit::tool {
namespace {

constexpr uint32_t kLowerBandOnly = 3;  // the upper-band part of every code in that mode
constexpr size_t kLookBytes = 65536;    // read at a time

}  // namespace

UpperBandScan::UpperBandScan(const CodecSettings& codec)
    : bits_(codec.bitrate / 8000), packed_(codec.packed) {}

void UpperBandScan::Add(std::span<const uint8_t> bytes) {
  const uint32_t mask = (1u << bits_) - 1;
  const auto check = [&](uint32_t code) {
    varies_ = varies_ || (code & mask) >> (bits_ - 2) != kLowerBandOnly;
  };
  for (const uint8_t byte : bytes) {
    if (varies_) return;
    if (!packed_) {
      check(byte);
      continue;
    }
    reservoir_ |= uint32_t{byte} << held_;  // packed least significant bit first
    for (held_ += 8; held_ >= bits_; held_ -= bits_) {
      check(reservoir_);
      reservoir_ >>= bits_;
    }
  }
}

BandEvidence LookAtCodes(InputFile& input, const CodecSettings& codec, uint64_t limit) {
  UpperBandScan scan(codec);
  BandEvidence evidence;
  std::vector<uint8_t> chunk(kLookBytes);
  input.Seek(0);
  while (!scan.varies() && evidence.bytes < limit) {
    const size_t wanted =
        static_cast<size_t>(std::min<uint64_t>(chunk.size(), limit - evidence.bytes));
    const size_t count = input.Read(std::span(chunk).first(wanted));
    if (count == 0) {
      evidence.whole = true;
      break;
    }
    scan.Add(std::span(chunk).first(count));
    evidence.bytes += count;
  }
  evidence.varies = scan.varies();
  input.Seek(0);
  return evidence;
}

Band BandShown(const BandEvidence& evidence) {
  return evidence.varies || evidence.bytes == 0 ? Band::kWide : Band::kNarrow;
}

std::string BandFinding(const BandEvidence& evidence) {
  if (evidence.varies) return "two-band codes: their upper band varies";
  const std::string where =
      evidence.whole ? "" : " in the first " + std::to_string(evidence.bytes) + " bytes";
  return "8 kHz lower-band-only codes: the upper band of every code" + where +
         " is 3 (as it is in two-band digital silence too)";
}

std::string BandConflict(const std::filesystem::path& file, bool varies, bool forced,
                         const BandEvidence& evidence) {
  const std::string shown = varies ? "the upper band of its codes varies, as in two-band codes"
                                   : "the upper band of every code is 3, as in 8 kHz "
                                     "lower-band-only codes";
  const std::string decoded = varies ? "decoded as 8 kHz lower-band-only" : "decoded as two-band";
  const std::string why = forced ? (varies ? ", as -n asks" : ", as -w asks")
                                 : ", as its first " + std::to_string(evidence.bytes) +
                                       " bytes showed; decode it again with -w";
  return "'" + file.string() + "': " + shown + "; " + decoded + why;
}

}  // namespace g722kit::tool
