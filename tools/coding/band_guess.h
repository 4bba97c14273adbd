// Two-band codes told from 8 kHz lower-band-only ones by the codes themselves: the
// lower-band-only mode stores 3 as the upper-band part of every code (its two top bits), where
// two-band codes vary it. Bit rate and packing are not told: they say where each code lies.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "coding/codec_settings.h"
#include "io/input_file.h"

namespace g722kit::tool {

class UpperBandScan {
 public:
  // codec: the bit rate and packing of the codes.
  explicit UpperBandScan(const CodecSettings& codec);
  // Looks at the codes in bytes, which follow those looked at before.
  void Add(std::span<const uint8_t> bytes);
  // True once a code's upper-band part was not 3: two-band codes.
  bool varies() const { return varies_; }

 private:
  int bits_;
  bool packed_;
  uint32_t reservoir_ = 0;  // packed bits not yet a whole code
  int held_ = 0;
  bool varies_ = false;
};

// What a look at raw codes found.
struct BandEvidence {
  bool varies = false;  // a code's upper band is not 3
  bool whole = false;   // the look reached the end of the input
  uint64_t bytes = 0;   // bytes looked at
};

// Looks at the codes from the start of input until a code's upper band varies, its end, or
// limit bytes, and leaves input at its start.
BandEvidence LookAtCodes(InputFile& input, const CodecSettings& codec, uint64_t limit);

// The band the evidence shows: two-band when the upper band varies, and for no codes at all.
Band BandShown(const BandEvidence& evidence);

// "two-band codes: their upper band varies", or what shows lower-band-only codes.
std::string BandFinding(const BandEvidence& evidence);

// The warning for codes decoded in a band that the codes contradict (varies: what the whole
// stream showed); forced: the band was chosen with -w or -n, not guessed from the first bytes.
std::string BandConflict(const std::filesystem::path& file, bool varies, bool forced,
                         const BandEvidence& evidence);

}  // namespace g722kit::tool
