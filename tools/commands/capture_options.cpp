#include "commands/capture_options.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

constexpr const char* kGroup = "Packet captures (.pcap, .pcapng)";
constexpr const char* kSource = "192.0.2.1:40000";  // documentation addresses
constexpr const char* kDestination = "198.51.100.1:40000";

[[noreturn]] void Refuse(const std::string& option, const std::string& text,
                         const std::string& expected) {
  throw ToolError(kExitUsage, option + " " + text + ": expected " + expected);
}

// A whole number in base 10 or 16 from 0 to most.
std::optional<uint64_t> Whole(const std::string& text, int base, uint64_t most) {
  if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), &end, base);
  if (errno != 0 || *end != '\0' || value > most) return std::nullopt;
  return value;
}

uint64_t Number(const std::string& option, const std::string& text, uint64_t most,
                const std::string& expected) {
  const std::optional<uint64_t> value = Whole(text, 10, most);
  if (!value) Refuse(option, text, expected);
  return *value;
}

// An SSRC as info prints it (0x and 8 hex digits), as 8 hex digits alone, or in decimal.
uint32_t Ssrc(const std::string& option, const std::string& text) {
  const bool prefixed = text.size() > 2 && (text.starts_with("0x") || text.starts_with("0X"));
  const std::string digits = prefixed ? text.substr(2) : text;
  const bool hex =
      prefixed || digits.size() == 8 || digits.find_first_not_of("0123456789") != std::string::npos;
  const std::optional<uint64_t> value = Whole(digits, hex ? 16 : 10, UINT32_MAX);
  if (!value) Refuse(option, text, "an SSRC: 0x1A2B3C4D as info prints it, or a decimal number");
  return static_cast<uint32_t>(*value);
}

Endpoint Address(const std::string& option, const std::string& text) {
  const std::optional<Endpoint> endpoint = ParseEndpoint(text);
  if (!endpoint)
    Refuse(option, text, "ADDRESS:PORT, such as 192.0.2.1:40000 or [2001:db8::1]:40000");
  return *endpoint;
}

// An option taking a value, in the captures' group of the help.
CLI::Option* AddOption(CLI::App& command, const std::string& name, std::string& text,
                       const std::string& help, const std::string& value) {
  return command.add_option(name, text, help)->type_name(value)->group(kGroup);
}

// The first option of text that the command line gives, or "".
std::string FirstGiven(const CaptureText& text) {
  const std::pair<const char*, bool> given[] = {{"--payload-type", !text.payload_type.empty()},
                                                {"--stream", !text.stream.empty()},
                                                {"--stereo", text.stereo},
                                                {"--conceal", !text.conceal.empty()},
                                                {"--ptime", !text.ptime.empty()},
                                                {"--seq", !text.sequence.empty()},
                                                {"--ssrc", !text.ssrc.empty()},
                                                {"--rtp-src", !text.source.empty()},
                                                {"--rtp-dst", !text.destination.empty()}};
  for (const auto& [name, is_given] : given) {
    if (is_given) return name;
  }
  return "";
}

}  // namespace

void AddPayloadTypeOption(CLI::App& command, CaptureText& text) {
  AddOption(command, "--payload-type", text.payload_type,
            "Take RTP of this payload type for G.722, whatever the SDP says", "N");
}

void AddCaptureReadOptions(CLI::App& command, CaptureText& text) {
  AddPayloadTypeOption(command, text);
  AddOption(command, "--stream", text.stream,
            "Decode only the stream of this SSRC (as info prints it)", "SSRC");
  command
      .add_flag("--stereo", text.stereo,
                "The two directions of a call as the left and right channels of one file")
      ->group(kGroup);
  AddOption(command, "--conceal", text.conceal,
            "none: silence for lost packets (default: the library's concealment)", "none");
}

void AddCaptureWriteOptions(CLI::App& command, CaptureText& text) {
  AddOption(command, "--ptime", text.ptime, "Milliseconds of audio per RTP packet (default 20)",
            "10..60");
  AddOption(command, "--seq", text.sequence, "The first RTP sequence number (default random)", "N");
  AddOption(command, "--ssrc", text.ssrc, "The stream's SSRC (default random)", "N");
  AddOption(command, "--rtp-src", text.source, "Where the RTP comes from", "ADDR:PORT")
      ->default_str(kSource);
  AddOption(command, "--rtp-dst", text.destination, "Where the RTP goes", "ADDR:PORT")
      ->default_str(kDestination);
}

CaptureOptions ParseCaptureText(const CaptureText& text) {
  CaptureOptions options;
  if (!text.payload_type.empty()) {
    options.payload_type = static_cast<uint8_t>(
        Number("--payload-type", text.payload_type, 127, "an RTP payload type, 0 to 127"));
  }
  if (!text.stream.empty()) options.stream = Ssrc("--stream", text.stream);
  options.stereo = text.stereo;
  if (!text.conceal.empty() && text.conceal != "none") {
    Refuse("--conceal", text.conceal, "none (without it, lost packets are concealed)");
  }
  options.conceal = text.conceal.empty();
  if (!text.ptime.empty()) {
    options.ptime_ms = static_cast<int>(Number("--ptime", text.ptime, 60, "10, 20, ... 60"));
    if (options.ptime_ms < 10 || options.ptime_ms % 10 != 0) {
      Refuse("--ptime", text.ptime, "10, 20, ... 60");
    }
  }
  if (!text.sequence.empty()) {
    options.sequence = static_cast<uint16_t>(
        Number("--seq", text.sequence, 65535, "a sequence number, 0 to 65535"));
  }
  if (!text.ssrc.empty()) options.ssrc = Ssrc("--ssrc", text.ssrc);
  const std::string source = text.source.empty() ? kSource : text.source;
  const std::string destination = text.destination.empty() ? kDestination : text.destination;
  options.source = Address("--rtp-src", source);
  options.destination = Address("--rtp-dst", destination);
  if (options.source.v6 != options.destination.v6) {
    throw ToolError(kExitUsage, "--rtp-src " + source + " and --rtp-dst " + destination +
                                    ": both IPv4 or both IPv6");
  }
  options.given = FirstGiven(text);
  return options;
}

}  // namespace g722kit::tool
