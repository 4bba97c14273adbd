#include "formats/capture/endpoint.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>

namespace g722kit::tool {

std::string Endpoint::AddressText() const {
  char text[INET6_ADDRSTRLEN] = {};
  inet_ntop(v6 ? AF_INET6 : AF_INET, address.data(), text, sizeof text);
  return text;
}

std::string Endpoint::Text() const {
  const std::string host = v6 ? "[" + AddressText() + "]" : AddressText();
  return host + ":" + std::to_string(port);
}

Endpoint MakeEndpoint(std::span<const uint8_t> address, uint16_t port) {
  Endpoint endpoint;
  endpoint.v6 = address.size() == 16;
  std::copy_n(address.begin(), std::min<size_t>(address.size(), 16), endpoint.address.begin());
  endpoint.port = port;
  return endpoint;
}

std::optional<Endpoint> ParseAddress(const std::string& text) {
  Endpoint endpoint;
  if (inet_pton(AF_INET, text.c_str(), endpoint.address.data()) == 1) return endpoint;
  endpoint.v6 = true;
  if (inet_pton(AF_INET6, text.c_str(), endpoint.address.data()) == 1) return endpoint;
  return std::nullopt;
}

std::optional<Endpoint> ParseEndpoint(const std::string& text) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  std::string host = text.substr(0, colon);
  const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
  if (bracketed) host = host.substr(1, host.size() - 2);
  std::optional<Endpoint> endpoint = ParseAddress(host);
  if (!endpoint || endpoint->v6 != bracketed) return std::nullopt;
  const std::string port = text.substr(colon + 1);
  unsigned value = 0;
  const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (error != std::errc() || end != port.data() + port.size() || value == 0 || value > 65535) {
    return std::nullopt;
  }
  endpoint->port = static_cast<uint16_t>(value);
  return endpoint;
}

}  // namespace g722kit::tool
