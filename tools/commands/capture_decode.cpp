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
#include "formats/writers.h"
#include "io/output_file.h"
#include "io/system.h"
#include "jobs/file_jobs.h"
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

std::string SsrcText(uint32_t ssrc) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08" PRIX32, ssrc);
  return text;
}

std::string StreamTitle(const RtpStream& stream) {
  return SsrcText(stream.key.ssrc) + " " + stream.key.source.Text() + " -> " +
         stream.key.destination.Text();
}

// One output file: a stream, or the two directions of a call as its left and right channels,
// the later one starting offsets[i] samples later.
struct StreamOutput {
  fs::path name;
  bool made_up = false;  // a numbered name, which the tool made up
  std::vector<DecodedStream> channels;
  std::vector<uint64_t> offsets;
};

// Writes the spooled channels of output, interleaved, into file.
void WriteChannels(const StreamOutput& stream_output, OutputFile& file,
                   const PcmFileFormat& format) {
  const std::vector<DecodedStream>& channels = stream_output.channels;
  const std::vector<uint64_t>& offsets = stream_output.offsets;
  uint64_t frames = 0;
  for (size_t i = 0; i < channels.size(); i++) {
    channels[i].audio->spool().Rewind();
    frames = std::max(frames, offsets[i] + channels[i].audio->spool().samples());
  }
  const PcmOutput pcm{format, kRate, static_cast<int>(channels.size())};
  const auto writer = OpenPcmWriter(file, pcm, frames * channels.size());
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
          if (!channels[c].audio->spool().Read(pieces[c])) break;
        }
        frame_block[static_cast<size_t>(i) * channels.size() + c] = pieces[c][used[c]++];
      }
    }
    writer->Write(frame_block);
    frame += block;
  }
  writer->Close();
}

// channel: "", or " (left)" for a stereo output's.
void PrintStream(const fs::path& input, const OutputFile& output, const char* channel,
                 const DecodedStream& decoded, bool conceal) {
  const PlayoutCounts& counts = decoded.stream->playout.counts();
  PrintSummary(
      output.IsStdout(),
      "%s -> %s%s: %s, %.2f s at %d Hz; %s, %" PRIu64 " lost (%.2f s %s), %" PRIu64 " late, %s\n",
      input.c_str(), output.target().c_str(), channel, StreamTitle(*decoded.stream).c_str(),
      static_cast<double>(decoded.audio->spool().samples()) / kRate, kRate,
      Counted(counts.packets, "packet").c_str(), counts.lost, decoded.audio->concealed_seconds(),
      conceal ? "concealed" : "silent", counts.late,
      Counted(counts.duplicates, "duplicate").c_str());
}

// The two streams of a call, between the same two address:port pairs, one each way, aligned by
// their first packet's capture time; the call of the stream of SSRC ssrc when one is given.
StreamOutput CallPair(const fs::path& input, const fs::path& output,
                      const std::vector<DecodedStream>& streams, std::optional<uint32_t> ssrc) {
  for (size_t i = 0; i < streams.size(); i++) {
    for (size_t j = i + 1; j < streams.size(); j++) {
      const StreamKey& a = streams[i].stream->key;
      const StreamKey& b = streams[j].stream->key;
      const bool chosen = !ssrc || a.ssrc == *ssrc || b.ssrc == *ssrc;
      if (!chosen || a.source != b.destination || a.destination != b.source) continue;
      StreamOutput call{output, false, {streams[i], streams[j]}, {}};
      const int64_t start = std::min(streams[i].stream->first_ns, streams[j].stream->first_ns);
      for (const DecodedStream& channel : call.channels) {
        call.offsets.push_back(static_cast<uint64_t>(
            std::llround(static_cast<double>(channel.stream->first_ns - start) * kRate / 1e9)));
      }
      return call;
    }
  }
  const std::string among =
      ssrc                  ? "the stream of SSRC " + SsrcText(*ssrc) + " has none the other way"
      : streams.size() == 1 ? "its one G.722 stream has none the other way"
                            : "none of its " + std::to_string(streams.size()) +
                                  " G.722 streams has one the other way";
  throw FileError(kExitFormat, "cannot decode", input,
                  "--stereo takes the two directions of one call (streams between the same two "
                  "addresses and ports), and " +
                      among + " (see g722kit info)");
}

// The files to write: one for a stream; OUT.1, OUT.2, ... for several, which only a regular
// file's name can give.
std::vector<StreamOutput> StreamOutputs(const ConversionArguments& args,
                                        const std::vector<DecodedStream>& streams) {
  if (streams.size() == 1) return {{args.output, false, {streams[0]}, {0}}};
  if (!WritesRegularFile(args.output)) {
    throw FileError(kExitUsage, "cannot decode", args.input,
                    "it holds " + std::to_string(streams.size()) + " G.722 streams and '" +
                        args.output.string() +
                        "' takes one: pick it with --stream SSRC (see g722kit info), or name an "
                        "output file");
  }
  std::vector<StreamOutput> outputs;
  for (size_t i = 0; i < streams.size(); i++) {
    outputs.push_back({NumberedName(args.output, i + 1), true, {streams[i]}, {0}});
  }
  return outputs;
}

}  // namespace

void DecodeCapture(const ConversionArguments& args, InputFile& input, const PcmFileFormat& format) {
  if (const std::optional<std::string> conflict =
          ContainerConflict(WithBand(args.codec, args.band))) {
    throw FileError(kExitUsage, "cannot decode", args.input,
                    *conflict + " contradicts RTP's G.722, which is 64000 bit/s two-band codes");
  }
  AllowManyOpenFiles();  // each stream's samples wait in a temporary file of their own
  const CaptureOptions& options = args.capture;
  const SinkFactory sinks = [&](const StreamKey& key) -> std::unique_ptr<PlayoutSink> {
    if (options.stream && !options.stereo && key.ssrc != *options.stream) return nullptr;
    return std::make_unique<RtpAudio>(options.conceal, args.align);
  };
  CaptureScan scan = ScanCapture(input, options.payload_type, sinks);
  if (!scan.damage.empty()) {
    Warn("'" + args.input.string() + "': " + scan.damage + "; decoded what came before");
  }
  const std::vector<DecodedStream> streams = G722Streams(scan);
  const bool picked = std::any_of(streams.begin(), streams.end(), [&](const DecodedStream& s) {
    return !options.stream || s.stream->key.ssrc == *options.stream;
  });
  if (!picked) {
    throw FileError(kExitFormat, "cannot decode", args.input,
                    options.stream ? "it holds no G.722 stream of SSRC " +
                                         SsrcText(*options.stream) + " (see g722kit info)"
                                   : "it holds no G.722 RTP stream (see g722kit info)");
  }
  const std::vector<StreamOutput> outputs =
      options.stereo ? std::vector{CallPair(args.input, args.output, streams, options.stream)}
                     : StreamOutputs(args, streams);
  for (const StreamOutput& output : outputs) {
    if (output.made_up) CheckMadeUpOutput(output.name, args.force);
  }
  // Every file is written before any is put in place: a failure leaves the old ones as they were.
  std::vector<std::unique_ptr<OutputFile>> files;
  for (const StreamOutput& output : outputs) {
    files.push_back(std::make_unique<OutputFile>(output.name));
    CheckDistinct(input.id(), *files.back());
    WriteChannels(output, *files.back(), format);
  }
  for (const std::unique_ptr<OutputFile>& file : files)
    file->Commit();
  for (size_t i = 0; i < outputs.size(); i++) {
    const std::vector<DecodedStream>& channels = outputs[i].channels;
    for (size_t c = 0; c < channels.size(); c++) {
      const char* channel = channels.size() == 1 ? "" : c == 0 ? " (left)" : " (right)";
      PrintStream(args.input, *files[i], channel, channels[c], options.conceal);
    }
  }
}

}  // namespace g722kit::tool
