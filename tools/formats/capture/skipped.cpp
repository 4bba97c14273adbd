#include "formats/capture/skipped.h"

namespace g722kit::tool {
namespace {

// What each kind is called after its count, in the order of the enumeration.
constexpr const char* kSkippedNames[] = {"RTCP",         "DTMF events",      "comfort noise",
                                         "other codecs", "non-RTP UDP",      "undecodable",
                                         "not UDP",      "expired fragments"};
static_assert(std::size(kSkippedNames) == static_cast<size_t>(Skipped::kCount));

}  // namespace

std::string SkippedCounts::Text() const {
  std::string text;
  for (size_t i = 0; i < counts_.size(); i++) {
    if (counts_[i] == 0) continue;
    text += (text.empty() ? "" : ", ") + std::to_string(counts_[i]) + " " + kSkippedNames[i];
  }
  return text.empty() ? "nothing" : text;
}

}  // namespace g722kit::tool
