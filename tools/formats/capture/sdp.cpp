#include "formats/capture/sdp.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace g722kit::tool {
namespace {

std::optional<unsigned> Number(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  return value;
}

// The address of "c=IN IP4 192.0.2.1" or "c=IN IP6 2001:db8::1" (a multicast TTL cut off).
std::optional<Endpoint> Connection(std::string_view value) {
  const size_t space = value.rfind(' ');
  if (space == std::string_view::npos) return std::nullopt;
  std::string_view address = value.substr(space + 1);
  address = address.substr(0, address.find('/'));
  return ParseAddress(std::string(address));
}

struct Media {
  std::optional<unsigned> port;  // an audio m= line's port
  std::optional<Endpoint> connection;
  std::vector<SdpMapping> mappings;
};

void Finish(const Media& media, const std::optional<Endpoint>& session,
            std::vector<SdpMapping>& out) {
  const std::optional<Endpoint> address = media.connection ? media.connection : session;
  if (!media.port || !address || *media.port == 0 || *media.port > 65535) return;
  for (SdpMapping mapping : media.mappings) {
    mapping.receiver = *address;
    mapping.receiver.port = static_cast<uint16_t>(*media.port);
    out.push_back(mapping);
  }
}

}  // namespace

std::vector<SdpMapping> ParseSdp(std::span<const uint8_t> bytes) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  size_t at = text.starts_with("v=0") ? 0 : text.find("\nv=0");
  std::vector<SdpMapping> out;
  if (at == std::string_view::npos) return out;
  std::optional<Endpoint> session;
  std::optional<Media> media;
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.size() < 2 || line[1] != '=') continue;
    const std::string_view value = line.substr(2);
    switch (line[0]) {
      case 'm':
        if (media) Finish(*media, session, out);
        media = Media{};
        if (value.starts_with("audio ")) media->port = Number(value.substr(6));
        break;
      case 'c':
        (media ? media->connection : session) = Connection(value);
        break;
      case 'a':
        if (media && value.starts_with("rtpmap:")) {
          const std::string_view map = value.substr(7);
          const size_t space = map.find(' ');
          const std::optional<unsigned> type = Number(map.substr(0, space));
          if (!type || *type > 127 || space == std::string_view::npos) break;
          const std::string_view name = map.substr(space + 1);
          media->mappings.push_back(
              {{}, static_cast<uint8_t>(*type), std::string(name.substr(0, name.find('/')))});
        }
        break;
      default:
        break;
    }
  }
  if (media) Finish(*media, session, out);
  return out;
}

}  // namespace g722kit::tool
