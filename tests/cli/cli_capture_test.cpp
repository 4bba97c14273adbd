// Packet captures of RTP: info and decode on captures built from bytes (each link type, the
// capture formats, loss, reordering, duplicates, wraps, SSRC changes, silence suppression,
// restarts, header extras, SDP payload types, two calls, damage), and encode to a capture.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <span>
#include <string>
#include <vector>

#include "audio_files.h"
#include "capture_bytes.h"
#include "test_support.h"
#include "tool_process.h"

namespace g722kit::test {
namespace {

namespace fs = std::filesystem;

struct Packet {
  RtpFields rtp;
  int64_t time_us = 0;
  std::string source = "10.0.0.1";
  uint16_t source_port = 4000;
  std::string destination = "10.0.0.2";
  uint16_t destination_port = 5000;
};

// count packets of 20 ms, one after the other from 1 s of capture time, their payload bytes
// all fill.
std::vector<Packet> Talk(int count, uint16_t sequence = 1000, uint32_t timestamp = 8000,
                         uint8_t fill = 0xFA) {
  std::vector<Packet> packets;
  for (int i = 0; i < count; i++) {
    Packet packet;
    packet.rtp.sequence = static_cast<uint16_t>(sequence + i);
    packet.rtp.timestamp = timestamp + 160 * static_cast<uint32_t>(i);
    packet.time_us = 1000000 + 20000 * int64_t{i};
    packet.rtp.fill = fill;
    packets.push_back(packet);
  }
  return packets;
}

std::vector<Record> Records(const std::vector<Packet>& packets, LinkType link = kEthernet,
                            int vlan_tags = 0) {
  std::vector<Record> records;
  for (const Packet& p : packets) {
    for (const Bytes& ip :
         IpUdp(p.source, p.source_port, p.destination, p.destination_port, Rtp(p.rtp)))
      records.push_back({p.time_us, Frame(link, ip, vlan_tags)});
  }
  return records;
}

Bytes Ethernet(const std::vector<Packet>& packets) {
  return Pcap(kEthernet, Records(packets));
}

// A SIP INVITE whose SDP maps payload type 96 to codec at address, port 5000.
Bytes Invite(const std::string& address = "10.0.0.2", const std::string& codec = "G722") {
  const std::string text =
      "INVITE sip:b@" + address + " SIP/2.0\r\nContent-Type: application/sdp\r\n\r\nv=0\r\n" +
      "o=- 1 1 IN IP4 " + address + "\r\ns=-\r\nc=IN IP4 " + address + "\r\nt=0 0\r\n" +
      "m=audio 5000 RTP/AVP 96 101\r\na=rtpmap:96 " + codec + "/8000\r\n" +
      "a=rtpmap:101 telephone-event/8000\r\n" +
      std::string(1500, ' ');  // long, as INVITEs with many codecs are: it comes in fragments
  return Bytes(text.begin(), text.end());
}

std::vector<Packet> With(std::vector<Packet> packets,
                         const std::function<void(std::vector<Packet>&)>& change) {
  change(packets);
  return packets;
}

struct CaptureCase {
  std::string name;
  Bytes capture;
  std::string streams;  // per stream: "SSRC payload packets/lost/dup/reordered/late;"
  std::string skipped;
  int64_t frames;                         // decoded, over all outputs; -1: decode refuses (exit 4)
  std::vector<std::string> options = {};  // of info and decode
  std::vector<std::string> decode_options = {};  // of decode alone
};

// A call's two directions (SSRC 1 and 2) and another call's one (SSRC 3), half a second later.
std::vector<Packet> TwoCalls() {
  std::vector<Packet> calls = Talk(50);
  for (const Packet& p : Talk(50)) {
    Packet back = p, other = p;
    back.source = p.destination, back.destination = p.source, back.rtp.ssrc = 2;
    back.source_port = p.destination_port, back.destination_port = p.source_port;
    other.source = "10.0.0.3", other.destination = "10.0.0.4", other.rtp.ssrc = 3;
    other.time_us += 500000;
    calls.push_back(back);
    calls.push_back(other);
  }
  return calls;
}

// The streams of info's table in the form of CaptureCase::streams.
std::string Streams(const std::string& info) {
  static const std::regex row(
      R"((0x[0-9A-F]{8})  \S+ -> \S+ +(.+?) +(\d+) +(\d+) +(\d+) +(\d+) +(\d+) +[\d.]+ ms)");
  std::string streams;
  for (std::sregex_iterator it(info.begin(), info.end(), row), end; it != end; ++it) {
    const std::smatch& m = *it;
    streams += m[1].str() + " " + m[2].str() + " " + m[3].str() + "/" + m[4].str() + "/" +
               m[5].str() + "/" + m[6].str() + "/" + m[7].str() + ";";
  }
  return streams;
}

std::vector<CaptureCase> Cases() {
  const std::string one = "0x00000001 G.722 (PT 9) 50/0/0/0/0;";
  const Bytes ipv6 = Pcap(kRawIp, Records(With(Talk(50),
                                               [](auto& ps) {
                                                 for (Packet& p : ps)
                                                   p.source = "fd00::1", p.destination = "fd00::2";
                                               }),
                                          kRawIp));
  std::vector<Record> damaged = Records(Talk(50));
  damaged[3].wire_length = static_cast<uint32_t>(damaged[3].bytes.size() + 100);
  damaged[3].bytes.resize(60);  // the snap length cut it
  Bytes cut_short = Pcap(kEthernet, damaged);
  cut_short.resize(cut_short.size() - 100);  // the last record too
  std::vector<Record> dynamic = Records(With(Talk(50), [](auto& ps) {
    for (Packet& p : ps)
      p.rtp.payload_type = 96;
  }));
  std::vector<Record> sdp_after_media = dynamic;
  for (const Bytes& ip : IpUdp("10.0.0.1", 5060, "10.0.0.2", 5060, Invite(), 1024))
    sdp_after_media.push_back({3000000, Frame(kEthernet, ip)});
  std::vector<Record> two_mappings = Records(With(Talk(50), [](auto& ps) {
    const size_t count = ps.size();
    for (size_t i = 0; i < count; i++) {
      ps[i].rtp.payload_type = 96;
      Packet other = ps[i];
      other.destination = "10.0.0.4", other.rtp.ssrc = 4;
      ps.push_back(other);
    }
  }));
  for (const auto& [address, codec] : {std::pair{"10.0.0.2", "G722"}, {"10.0.0.4", "opus"}}) {
    for (const Bytes& ip : IpUdp("10.0.0.9", 5060, address, 5060, Invite(address, codec)))
      two_mappings.insert(two_mappings.begin(), {0, Frame(kEthernet, ip)});
  }
  std::vector<Packet> events = Talk(50);
  events[10].rtp.payload_type = 101, events[10].rtp.payload_bytes = 4, events[10].rtp.fill = 5;
  events[11].rtp.payload_type = 13, events[11].rtp.payload_bytes = 1;
  events[12].rtp.payload_bytes = 0;
  std::vector<Record> extras = Records(events);
  extras.push_back({2000000, Frame(kEthernet, IpUdp("10.0.0.1", 4001, "10.0.0.2", 5001,
                                                    {0x80, 200, 0, 1, 0, 0, 0, 1})[0])});
  extras.push_back({2000000, Frame(kEthernet, IpTcp())});
  const std::vector<Packet> calls = TwoCalls();
  const std::string two_calls =
      "0x00000001 G.722 (PT 9) 50/0/0/0/0;0x00000002 G.722 (PT 9) 50/0/0/0/0;"
      "0x00000003 G.722 (PT 9) 50/0/0/0/0;";
  const Bytes whole = Ethernet(Talk(50));
  return {
      {"Ethernet", whole, one, "nothing", 16000},
      {"StackedVlan", Pcap(kEthernet, Records(Talk(50), kEthernet, 2)), one, "nothing", 16000},
      {"LinuxCooked", Pcap(kLinuxCooked, Records(Talk(50), kLinuxCooked)), one, "nothing", 16000},
      {"LinuxCooked2", Pcap(kLinuxCooked2, Records(Talk(50), kLinuxCooked2)), one, "nothing",
       16000},
      {"BsdLoopback", Pcap(kBsdLoopback, Records(Talk(50), kBsdLoopback)), one, "nothing", 16000},
      {"RawIpv6", ipv6, one, "nothing", 16000},
      {"Pcapng", Pcapng(kEthernet, Records(Talk(50))), one, "nothing", 16000},
      {"BigEndianNanoseconds", Pcap(kEthernet, Records(Talk(50)), true, true), one, "nothing",
       16000},
      {"Loss",
       Ethernet(With(Talk(50), [](auto& ps) { ps.erase(ps.begin() + 10, ps.begin() + 12); })),
       "0x00000001 G.722 (PT 9) 48/2/0/0/0;", "nothing", 16000},
      {"Reordered",
       Ethernet(With(
           Talk(50),
           [](auto& ps) { std::swap(ps[5].time_us, ps[6].time_us), std::swap(ps[5], ps[6]); })),
       "0x00000001 G.722 (PT 9) 50/0/0/1/0;", "nothing", 16000},
      {"Duplicate", Ethernet(With(Talk(50), [](auto& ps) { ps.insert(ps.begin() + 8, ps[7]); })),
       "0x00000001 G.722 (PT 9) 50/0/1/0/0;", "nothing", 16000},
      {"Late",
       Ethernet(With(Talk(100),
                     [](auto& ps) {
                       Packet late = ps[5];
                       late.time_us = ps[80].time_us;
                       ps.erase(ps.begin() + 5);
                       ps.insert(ps.begin() + 80, late);
                     })),
       "0x00000001 G.722 (PT 9) 99/1/0/0/1;", "nothing", 32000},
      {"SequenceAndTimestampWrap", Ethernet(Talk(50, 65500, 0xFFFFF000)), one, "nothing", 16000},
      {"SsrcChange",
       Ethernet(With(Talk(50),
                     [](auto& ps) {
                       for (size_t i = 25; i < ps.size(); i++)
                         ps[i].rtp.ssrc = 2;
                     })),
       "0x00000001 G.722 (PT 9) 25/0/0/0/0;0x00000002 G.722 (PT 9) 25/0/0/0/0;", "nothing", 16000},
      {"SilenceSuppressed",
       Ethernet(With(Talk(50),
                     [](auto& ps) {
                       for (size_t i = 20; i < ps.size(); i++)
                         ps[i].rtp.sequence -= 10;
                       ps.erase(ps.begin() + 20, ps.begin() + 30);
                     })),
       "0x00000001 G.722 (PT 9) 40/0/0/0/0;", "nothing", 16000},
      {"TimestampJumpBeyondCaptureTime",
       Ethernet(With(Talk(50),
                     [](auto& ps) {
                       for (size_t i = 25; i < ps.size(); i++)
                         ps[i].rtp.timestamp += 800000;
                     })),
       one, "nothing", 16000},
      {"PaddingExtensionCsrc",
       Ethernet(With(Talk(50),
                     [](auto& ps) {
                       for (Packet& p : ps)
                         p.rtp.padding = 4, p.rtp.extension = true, p.rtp.csrcs = 2;
                     })),
       one, "nothing", 16000},
      {"DynamicWithoutSdp", Pcap(kEthernet, dynamic), "0x00000001 PT 96 (not G.722) 50/0/0/0/0;",
       "50 other codecs", -1},
      {"DynamicForced",
       Pcap(kEthernet, dynamic),
       "0x00000001 G.722 (PT 96) 50/0/0/0/0;",
       "nothing",
       16000,
       {"--payload-type", "96"}},
      {"FragmentedSdpAfterMedia", Pcap(kEthernet, sdp_after_media),
       "0x00000001 G.722 (PT 96) 50/0/0/0/0;", "1 non-RTP UDP", 16000},
      {"TwoCallsTwoMappings", Pcap(kEthernet, two_mappings),
       "0x00000001 G.722 (PT 96) 50/0/0/0/0;0x00000004 PT 96 opus (not G.722) 50/0/0/0/0;",
       "50 other codecs, 2 non-RTP UDP", 16000},
      {"EventsNoiseRtcpTcp", Pcap(kEthernet, extras), "0x00000001 G.722 (PT 9) 50/0/0/0/0;",
       "1 RTCP, 1 DTMF events, 1 comfort noise, 1 undecodable, 1 not UDP", 16000},
      {"TwoCallsAtOnce", Ethernet(calls), two_calls, "nothing", 48000},
      {"Stereo", Ethernet(calls), two_calls, "nothing", 2 * 16000, {}, {"--stereo"}},
      {"OneOfThem", Ethernet(calls), two_calls, "nothing", 16000, {}, {"--stream", "00000003"}},
      {"SnapLengthAndCutShort", cut_short, "0x00000001 G.722 (PT 9) 48/1/0/0/0;", "1 undecodable",
       49 * 320},
      {"OnlyTcp", Pcap(kEthernet, {{0, Frame(kEthernet, IpTcp())}}), "", "1 not UDP", -1},
  };
}

TEST(ToolCapture, InfoAndDecodeOfCraftedCaptures) {
  for (const CaptureCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteBytes(dir / "call.pcap", c.capture);
    std::vector<std::string> info = {"info", "call.pcap"};
    info.insert(info.end(), c.options.begin(), c.options.end());
    const ToolResult described = RunTool(info, dir.path());
    ASSERT_EQ(described.exit_code, 0) << described.err;
    EXPECT_EQ(Streams(described.out), c.streams) << described.out;
    EXPECT_NE(described.out.find("skipped: " + c.skipped + "\n"), std::string::npos)
        << described.out;
    std::vector<std::string> decode = {"decode", "call.pcap", "out.wav"};
    decode.insert(decode.end(), c.options.begin(), c.options.end());
    decode.insert(decode.end(), c.decode_options.begin(), c.decode_options.end());
    const ToolResult decoded = RunTool(decode, dir.path());
    ASSERT_EQ(decoded.exit_code, c.frames < 0 ? 4 : 0) << decoded.err;
    int64_t frames = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      if (entry.path().extension() == ".wav") {
        frames += static_cast<int64_t>(ReadAudio(entry.path()).samples.size());
      }
    }
    EXPECT_EQ(frames, std::max<int64_t>(c.frames, 0)) << decoded.out;
  }
}

// Several streams get names the tool made up, OUT.1.flac, ..., in the format OUT's name asks
// for: they replace no file without -f, and a run that fails leaves every file as it was.
TEST(ToolCapture, StreamsGetNumberedOutputsWrittenAllOrNone) {
  TempDir dir;
  WriteBytes(dir / "calls.pcap", Ethernet(TwoCalls()));
  WriteBytes(dir / "out.2.flac", {'o', 'l', 'd'});
  fs::create_directory(dir / "out.3.flac");
  const auto files = [&] { return std::distance(fs::directory_iterator(dir.path()), {}); };
  for (const std::vector<std::string>& failing :
       {std::vector<std::string>{"decode", "calls.pcap", "out.flac"},
        {"decode", "-f", "calls.pcap", "out.flac"},
        {"decode", "calls.pcap", "-"}}) {
    EXPECT_EQ(RunTool(failing, dir.path()).exit_code, failing[2] == "-" ? 2 : 5) << failing[1];
    EXPECT_EQ(ReadBytes(dir / "out.2.flac"), Bytes({'o', 'l', 'd'}));
    EXPECT_EQ(files(), 3);
  }
  fs::remove(dir / "out.3.flac");
  const ToolResult decoded = RunTool({"decode", "-fq", "calls.pcap", "out.flac"}, dir.path());
  ASSERT_EQ(decoded.exit_code, 0) << decoded.err;
  EXPECT_EQ(decoded.out, "");
  for (const char* name : {"out.1.flac", "out.2.flac", "out.3.flac"}) {
    const Bytes bytes = ReadBytes(dir / name);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "fLaC") << name;
    EXPECT_EQ(ReadAudio(dir / name).samples.size(), 16000u) << name;
  }
}

// The two lost packets of 20 ms (samples 3200 to 3839) are concealed, or silent when asked;
// losses are not simulated on top of a capture's own.
TEST(ToolCapture, LostPacketsAreConcealedOrSilent) {
  TempDir dir;
  WriteBytes(dir / "call.pcap", Ethernet(With(Talk(50, 1000, 8000, 0x55), [](auto& ps) {
               ps.erase(ps.begin() + 10, ps.begin() + 12);
             })));
  for (const bool conceal : {true, false}) {
    std::vector<std::string> args = {"decode", "call.pcap", "out.wav", "-f"};
    if (!conceal) args.insert(args.end(), {"--conceal", "none"});
    ASSERT_EQ(RunTool(args, dir.path()).exit_code, 0);
    const std::vector<int16_t> samples = ReadAudio(dir / "out.wav").samples;
    ASSERT_EQ(samples.size(), 16000u);
    const auto lost = std::span(samples).subspan(3200, 640);
    EXPECT_EQ(std::all_of(lost.begin(), lost.end(), [](int16_t s) { return s == 0; }), !conceal);
  }
  const ToolResult simulated =
      RunTool({"decode", "call.pcap", "out.wav", "-f", "--simulate-loss", "5"}, dir.path());
  EXPECT_EQ(simulated.exit_code, 2);
  EXPECT_NE(simulated.err.find("--simulate-loss is for G.722 codes"), std::string::npos);
}

// An odd number of samples, so that the last packet carries the flushed code.
TEST(ToolCapture, EncodedCaptureDecodesToTheSamplesOfTheCodeFile) {
  TempDir dir;
  WriteWav(dir / "speech.wav", {16000, 1, SpeechLikeSignal(16000 + 1001, 16000, 5)});
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"encode", "speech.wav", "call.pcap", "--ptime", "30", "--ssrc", "0x1234ABCD"},
           {"encode", "-w", "speech.wav", "call.g722"},
           {"decode", "call.pcap", "call.wav"},
           {"decode", "-w", "call.g722", "codes.wav"},
           {"encode", "--align", "speech.wav", "aligned.pcap"},
           {"decode", "--align", "aligned.pcap", "aligned.wav"},
           {"encode", "--align", "speech.wav", "aligned.g722"},
           {"decode", "--align", "-w", "aligned.g722", "aligned-codes.wav"}}) {
    const ToolResult result = RunTool(args, dir.path());
    ASSERT_EQ(result.exit_code, 0) << result.err;
  }
  EXPECT_EQ(ReadAudio(dir / "call.wav").samples, ReadAudio(dir / "codes.wav").samples);
  EXPECT_EQ(ReadBytes(dir / "call.wav")[20], 1);  // plain PCM, which every reader takes
  EXPECT_EQ(ReadAudio(dir / "aligned.wav").samples, ReadAudio(dir / "aligned-codes.wav").samples);
  EXPECT_NE(RunTool({"info", "call.pcap"}, dir.path()).out.find("0x1234ABCD"), std::string::npos);
  for (const std::vector<std::string>& refused :
       {std::vector<std::string>{"-b", "48000"}, {"-b", "56000", "-p"}, {"--ptime", "25"}}) {
    std::vector<std::string> args = {"encode", "speech.wav", "x.pcap"};
    args.insert(args.end(), refused.begin(), refused.end());
    EXPECT_EQ(RunTool(args, dir.path()).exit_code, 2) << refused.front();
  }
}

}  // namespace
}  // namespace g722kit::test
