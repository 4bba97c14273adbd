// g722kit info CALL.pcap: the RTP streams of a capture, one line each, and what was skipped.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "commands/capture_commands.h"
#include "formats/capture/capture_reader.h"
#include "formats/capture/capture_scan.h"
#include "messages/report.h"
#include "messages/wording.h"

namespace g722kit::tool {
namespace {

// "2024-05-01 13:00:01" (UTC) of a capture time.
std::string DateTime(int64_t time_ns, const char* format) {
  const auto seconds = static_cast<time_t>(time_ns / 1000000000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, format, &utc);
  return text;
}

// "13:00:01.123"
std::string TimeOfDay(int64_t time_ns) {
  char millis[8];
  std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>(time_ns / 1000000 % 1000));
  return DateTime(time_ns, "%H:%M:%S") + millis;
}

}  // namespace

void InfoCapture(InputFile& input, const CaptureOptions& options) {
  const CaptureScan scan = ScanCapture(input, options.payload_type, nullptr);
  std::printf("%s: %s, %s, %s", input.name().c_str(), scan.format.c_str(), scan.link.c_str(),
              Counted(scan.records, "packet").c_str());
  if (scan.records > 0) {
    std::printf(", from %s UTC, %.2f s", DateTime(scan.first_ns, "%Y-%m-%d %H:%M:%S").c_str(),
                static_cast<double>(scan.last_ns - scan.first_ns) / 1e9);
  }
  std::printf("\n");
  if (!scan.damage.empty()) std::printf("  the capture ends early: %s\n", scan.damage.c_str());
  size_t width = 0;
  std::vector<std::string> flows;
  for (const std::unique_ptr<RtpStream>& stream : scan.streams) {
    flows.push_back(stream->key.source.Text() + " -> " + stream->key.destination.Text());
    width = std::max(width, flows.back().size());
  }
  if (!scan.streams.empty()) {
    std::printf("  %-10s  %-*s  %-22s %7s %5s %5s %5s %5s %8s  %-12s %8s\n", "SSRC",
                static_cast<int>(width), "source -> destination", "payload", "packets", "lost",
                "dup", "reord", "late", "jitter", "first", "duration");
  }
  for (size_t i = 0; i < scan.streams.size(); i++) {
    const RtpStream& stream = *scan.streams[i];
    const PlayoutCounts& counts = stream.playout.counts();
    const std::string payload = stream.payload.empty() ? "no audio" : stream.payload;
    char jitter[16];
    std::snprintf(jitter, sizeof jitter, "%.2f ms", counts.jitter_ticks / 8);
    char seconds[16];
    std::snprintf(seconds, sizeof seconds, "%.2f s", stream.Seconds());
    std::printf("  0x%08" PRIX32 "  %-*s  %-22s %7" PRIu64 " %5" PRIu64 " %5" PRIu64 " %5" PRIu64
                " %5" PRIu64 " %8s  %-12s %8s\n",
                stream.key.ssrc, static_cast<int>(width), flows[i].c_str(), payload.c_str(),
                counts.packets, counts.lost, counts.duplicates, counts.reordered, counts.late,
                jitter, TimeOfDay(stream.first_ns).c_str(), seconds);
  }
  if (scan.streams.empty()) std::printf("  no RTP streams\n");
  std::printf("  skipped: %s\n", scan.skipped.Text().c_str());
}

}  // namespace g722kit::tool
