// An IPv4 or IPv6 address with a UDP port: where a stream comes from or goes to.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace g722kit::tool {

struct Endpoint {
  bool v6 = false;
  std::array<uint8_t, 16> address{};  // IPv4 in the first 4 bytes
  uint16_t port = 0;

  friend auto operator<=>(const Endpoint&, const Endpoint&) = default;

  // The address's bytes: 4 or 16.
  std::span<const uint8_t> AddressBytes() const { return std::span(address).first(v6 ? 16 : 4); }
  // "192.0.2.1:5004", "[2001:db8::1]:5004".
  std::string Text() const;
  // "192.0.2.1", "2001:db8::1".
  std::string AddressText() const;
};

// An address from its bytes (4 or 16) and a port.
Endpoint MakeEndpoint(std::span<const uint8_t> address, uint16_t port);

// An address alone in text ("192.0.2.1", "2001:db8::1"), port 0; nothing when not one.
std::optional<Endpoint> ParseAddress(const std::string& text);

// "ADDR:PORT" or "[ADDR6]:PORT"; nothing when not one, or port 0.
std::optional<Endpoint> ParseEndpoint(const std::string& text);

}  // namespace g722kit::tool
