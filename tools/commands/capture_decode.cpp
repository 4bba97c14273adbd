// g722kit decode CALL.pcap OUT.wav: the G.722 RTP streams of a packet capture, each into a file
// of its own (or the two directions of a call into one stereo file).
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "coding/rtp_audio.h"
#include "commands/capture_commands.h"
#include "formats/capture/capture_scan.h"
#include "formats/g722_container.h"
#include "formats/output_names.h"
#include "formats/writers.h"
#include "io/system.h"
#include "messages/report.h"
#include "messages/tool_error.h"
#include "messages/wording.h"

namespace g722kit::tool {

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 16000;  // the audio G.722 carries over RTP

// A G.722 stream the scan found, and its decoded audio.
struct DecodedStream {
  RtpStream* stream;
  RtpAudio* audio;
};

std::vector<DecodedStream> G722Streams(const CaptureScan& scan) {
  std::vector<DecodedStream> found;
  for (const std::unique_ptr<RtpStream>& stream : scan.streams) {
    if (stream->g722 && stream->sink) {
      found.push_back({stream.get(), static_cast<RtpAudio*>(stream->sink.get())});
    }
  }
  return found;
}

// OUT for one stream; OUT with ".N" before its extension for the Nth of several.
fs::path NumberedName(const fs::path& output, size_t number) {
  fs::path name = output;
  return name.replace_filename(output.stem().string() + "." + std::to_string(number) +
                               output.extension().string());
}

std::string StreamTitle(const RtpStream& stream) {
  char ssrc[16];
  std::snprintf(ssrc, sizeof ssrc, "0x%08" PRIX32, stream.key.ssrc);
  return std::string(ssrc) + " " + stream.key.source.Text() + " -> " +
         stream.key.destination.Text();
}

// Writes the spooled channels, the later ones starting offsets[i] samples later, interleaved.
void WriteChannels(const fs::path& name, std::vector<RtpAudio*> channels,
                   std::vector<uint64_t> offsets, bool raw) {
  uint64_t frames = 0;
  for (size_t i = 0; i < channels.size(); i++) {
    channels[i]->spool().Rewind();
    frames = std::max(frames, offsets[i] + channels[i]->spool().samples());
  }
  OutputFile output(name);
  const PcmFileFormat format = raw ? PcmFileFormat{PcmFileFormat::Kind::kRaw} : PcmFileFormat{};
  const auto writer = OpenPcmWriter(output, {format, kRate, static_cast<int>(channels.size())},
                                    frames * channels.size());
  std::vector<std::vector<int16_t>> pieces(channels.size());
  std::vector<size_t> used(channels.size(), 0);
  std::vector<int16_t> frame_block;
  for (uint64_t frame = 0; frame < frames;) {
    const uint64_t block = std::min<uint64_t>(frames - frame, 16384);
    frame_block.assign(static_cast<size_t>(block) * channels.size(), 0);
    for (size_t c = 0; c < channels.size(); c++) {
      for (uint64_t i = 0; i < block; i++) {
        if (frame + i < offsets[c]) continue;
        if (used[c] == pieces[c].size()) {
          used[c] = 0;
          if (!channels[c]->spool().Read(pieces[c])) break;
        }
        frame_block[static_cast<size_t>(i) * channels.size() + c] = pieces[c][used[c]++];
      }
    }
    writer->Write(frame_block);
    frame += block;
  }
  writer->Close();
  output.Commit();
}

// channel: "", or " (left)" for a stereo output's.
void PrintStream(const fs::path& input, const fs::path& output, const char* channel,
                 const DecodedStream& decoded, bool conceal) {
  const PlayoutCounts& counts = decoded.stream->playout.counts();
  PrintSummary(output == "-",
               "%s -> %s%s: %s, %.2f s at %d Hz; %s, %" PRIu64 " lost (%.2f s %s), %" PRIu64
               " late, %s\n",
               input.c_str(), output.c_str(), channel, StreamTitle(*decoded.stream).c_str(),
               static_cast<double>(decoded.audio->spool().samples()) / kRate, kRate,
               Counted(counts.packets, "packet").c_str(), counts.lost,
               decoded.audio->concealed_seconds(), conceal ? "concealed" : "silent", counts.late,
               Counted(counts.duplicates, "duplicate").c_str());
}

// The two streams of a call: between the same two address:port pairs, one each way; the call of
// the stream of SSRC ssrc when one is given.
std::vector<DecodedStream> CallPair(const fs::path& input, std::vector<DecodedStream> streams,
                                    std::optional<uint32_t> ssrc) {
  for (size_t i = 0; i < streams.size(); i++) {
    for (size_t j = i + 1; j < streams.size(); j++) {
      const StreamKey& a = streams[i].stream->key;
      const StreamKey& b = streams[j].stream->key;
      const bool chosen = !ssrc || a.ssrc == *ssrc || b.ssrc == *ssrc;
      if (chosen && a.source == b.destination && a.destination == b.source) {
        return {streams[i], streams[j]};
      }
    }
  }
  throw FileError(kExitFormat, "cannot decode", input,
                  "--stereo needs the two directions of one call, and no two of its " +
                      std::to_string(streams.size()) + " G.722 streams" +
                      (ssrc ? " with that SSRC among them" : "") +
                      " run between the same two addresses and ports");
}

}  // namespace

void DecodeCapture(const ConversionArguments& args, InputFile& input) {
  if (const std::optional<std::string> conflict =
          ContainerConflict(WithBand(args.codec, args.band))) {
    throw FileError(kExitUsage, "cannot decode", args.input,
                    *conflict + " contradicts RTP's G.722, which is 64000 bit/s two-band codes");
  }
  AllowManyOpenFiles();  // each stream's samples wait in a temporary file of their own
  const CaptureOptions& options = args.capture;
  const SinkFactory sinks = [&](const StreamKey& key) -> std::unique_ptr<PlayoutSink> {
    if (options.stream && !options.stereo && key.ssrc != *options.stream) return nullptr;
    return std::make_unique<RtpAudio>(options.conceal);
  };
  CaptureScan scan = ScanCapture(input, options.payload_type, sinks);
  if (!scan.damage.empty()) {
    Warn("'" + args.input.string() + "': " + scan.damage + "; decoded what came before");
  }
  std::vector<DecodedStream> streams = G722Streams(scan);
  if (streams.empty()) {
    throw FileError(kExitFormat, "cannot decode", args.input,
                    options.stream ? "it holds no G.722 stream of that SSRC (see g722kit info)"
                                   : "it holds no G.722 RTP stream (see g722kit info)");
  }
  const bool raw = IsRawPcmName(args.output);
  if (options.stereo) {
    const std::vector<DecodedStream> pair = CallPair(args.input, streams, options.stream);
    std::vector<uint64_t> offsets;
    const int64_t start = std::min(pair[0].stream->first_ns, pair[1].stream->first_ns);
    for (const DecodedStream& channel : pair) {
      offsets.push_back(static_cast<uint64_t>(
          std::llround(static_cast<double>(channel.stream->first_ns - start) * kRate / 1e9)));
    }
    WriteChannels(args.output, {pair[0].audio, pair[1].audio}, offsets, raw);
    PrintStream(args.input, args.output, " (left)", pair[0], options.conceal);
    PrintStream(args.input, args.output, " (right)", pair[1], options.conceal);
    return;
  }
  if (streams.size() > 1 && args.output == "-") {
    throw FileError(kExitUsage, "cannot decode", args.input,
                    "it holds " + std::to_string(streams.size()) +
                        " G.722 streams and stdout takes one: pick it with --stream SSRC (see "
                        "g722kit info), or name an output file");
  }
  for (size_t i = 0; i < streams.size(); i++) {
    const fs::path name = streams.size() == 1 ? args.output : NumberedName(args.output, i + 1);
    WriteChannels(name, {streams[i].audio}, {0}, raw);
    PrintStream(args.input, name, "", streams[i], options.conceal);
  }
}

}  // namespace g722kit::tool
