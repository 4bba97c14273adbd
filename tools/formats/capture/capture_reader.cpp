#include "formats/capture/capture_reader.h"

#include <algorithm>
#include <array>

#include "formats/capture/link_layer.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

// The first four bytes of a pcap file (microseconds, nanoseconds; either byte order) and of a
// pcapng file (its section header block).
constexpr std::array<std::array<uint8_t, 4>, 5> kMagics = {{{0xD4, 0xC3, 0xB2, 0xA1},
                                                            {0xA1, 0xB2, 0xC3, 0xD4},
                                                            {0x4D, 0x3C, 0xB2, 0xA1},
                                                            {0xA1, 0xB2, 0x3C, 0x4D},
                                                            {0x0A, 0x0D, 0x0D, 0x0A}}};

// Capture times are kept within about 140 years of 1970 (pcapng can say more): two of them then
// differ by less than int64_t holds in nanoseconds.
constexpr int64_t kLatestSecond = 4'500'000'000;

}  // namespace

bool LooksLikeCapture(std::span<const uint8_t> head) {
  return head.size() >= 4 && std::any_of(kMagics.begin(), kMagics.end(), [&](const auto& magic) {
           return std::equal(magic.begin(), magic.end(), head.begin());
         });
}

CaptureReader::CaptureReader(InputFile& input) {
  const std::vector<uint8_t> head = input.PeekStart(4);
  pcapng_ = head.size() == 4 && head[0] == 0x0A;
  stream_ = OpenInputStream(input);
  char error[PCAP_ERRBUF_SIZE] = {};
  pcap_.reset(
      pcap_fopen_offline_with_tstamp_precision(stream_.get(), PCAP_TSTAMP_PRECISION_NANO, error));
  if (pcap_ == nullptr) {
    throw FileError(kExitFormat, "cannot read", input.name(),
                    std::string("not a pcap or pcapng capture: ") + error);
  }
  stream_.release();  // pcap_close closes it
  link_type_ = pcap_datalink(pcap_.get());
  if (!IsKnownLinkType(link_type_)) {
    const char* name = pcap_datalink_val_to_name(link_type_);
    throw FileError(kExitFormat, "cannot read", input.name(),
                    "its link type " + std::string(name ? name : std::to_string(link_type_)) +
                        " is not one the tool reads (" + KnownLinkTypes() + ")");
  }
}

const char* CaptureReader::LinkName() const {
  return LinkTypeName(link_type_);
}

std::optional<CaptureRecord> CaptureReader::Next() {
  pcap_pkthdr* header = nullptr;
  const u_char* data = nullptr;
  const int result = pcap_next_ex(pcap_.get(), &header, &data);
  if (result == PCAP_ERROR) {
    error_ = pcap_geterr(pcap_.get());
    return std::nullopt;
  }
  if (result != 1) return std::nullopt;
  CaptureRecord record;
  const int64_t seconds = std::clamp<int64_t>(header->ts.tv_sec, -kLatestSecond, kLatestSecond);
  record.time_ns = seconds * 1000000000 + header->ts.tv_usec;
  record.bytes = {data, header->caplen};
  record.length = header->len;
  return record;
}

}  // namespace g722kit::tool
