// g722kit compare IN [--out DIR]: encodes and decodes IN in every configuration and prints
// what each costs and keeps: size, compression, signal-to-noise ratio and speed.
#include <chrono>
#include <cstdio>
#include <vector>

#include "coding/code_stream.h"
#include "coding/codec_settings.h"
#include "coding/signal_quality.h"
#include "commands/commands.h"
#include "formats/writers.h"
#include "io/audio_input.h"
#include "io/input_file.h"
#include "io/output_file.h"
#include "messages/tool_error.h"

namespace g722kit::tool {

namespace {

constexpr int kMaxFilterDelay = 64;  // samples: more than the two-band filters delay the output

struct Trial {
  std::vector<uint8_t> codes;
  std::vector<int16_t> decoded;
  std::optional<double> snr_db;
  double encode_speed;  // times real time
  double decode_speed;
};

// How many times faster than real time work runs, on audio of audio_seconds; repeated for at
// least a tenth of a second so that short inputs give a steady figure.
template <typename Work>
double TimesRealTime(double audio_seconds, Work&& work) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  int runs = 0;
  Clock::duration elapsed;
  do {
    work();
    runs++;
    elapsed = Clock::now() - start;
  } while (elapsed < std::chrono::milliseconds(100));
  return audio_seconds * runs / std::chrono::duration<double>(elapsed).count();
}

Trial RunTrial(const CodecSettings& codec, const std::vector<int16_t>& pcm) {
  const double seconds = static_cast<double>(pcm.size()) / codec.PcmRate();
  Trial trial;
  trial.encode_speed = TimesRealTime(seconds, [&] { trial.codes = EncodeAll(codec, pcm); });
  trial.decode_speed =
      TimesRealTime(seconds, [&] { trial.decoded = DecodeAll(codec, trial.codes); });
  trial.snr_db = SnrDb(pcm, trial.decoded, kMaxFilterDelay);
  return trial;
}

void SaveTrial(const CompareArguments& args, const CodecSettings& codec, const Trial& trial) {
  const std::string stem = args.input.stem().string() + "." + codec.Slug();
  OutputFile codes(args.out_dir / (stem + ".g722"));
  ByteWriter(codes).Write(trial.codes);
  codes.Commit();
  OutputFile wav(args.out_dir / (stem + ".wav"));
  const auto wav_writer = OpenPcmWriter(wav, {{}, codec.PcmRate(), 1}, trial.decoded.size());
  wav_writer->Write(trial.decoded);
  wav_writer->Close();
  wav.Commit();
}

}  // namespace

void Compare(const CompareArguments& args) {
  InputFile input(args.input);
  AudioReader reader(input, RawFormatOf(input, args.raw));
  if (!args.out_dir.empty()) MakeFolder(args.out_dir);
  std::vector<int16_t> narrow, wide;
  const auto append_to = [](std::vector<int16_t>& all) {
    return [&all](std::span<const int16_t> pcm, int64_t) {
      all.insert(all.end(), pcm.begin(), pcm.end());
    };
  };
  const PcmTarget targets[] = {{8000, append_to(narrow)}, {16000, append_to(wide)}};
  reader.Read(targets);
  AudioFormat format = reader.format();
  format.frames = reader.frames_read();
  if (narrow.empty())
    throw FileError(kExitFormat, "cannot compare", args.input, "it holds no audio");
  std::printf("%s: %s, %s\n\n", args.input.c_str(), format.name.c_str(), format.Summary().c_str());
  std::printf("%-30s %10s %6s %7s %10s %10s\n", "configuration", "code bytes", "ratio", "SNR dB",
              "encode xRT", "decode xRT");
  for (const CodecSettings& codec : AllCodecSettings()) {
    const std::vector<int16_t>& pcm = codec.wideband ? wide : narrow;
    const Trial trial = RunTrial(codec, pcm);
    if (!args.out_dir.empty()) SaveTrial(args, codec, trial);
    const double ratio =
        static_cast<double>(pcm.size() * 2) / static_cast<double>(trial.codes.size());
    char snr[16] = "silent";
    if (trial.snr_db) std::snprintf(snr, sizeof snr, "%.1f", *trial.snr_db);
    std::printf("%-30s %10zu %6.2f %7s %10.0f %10.0f\n", codec.Description().c_str(),
                trial.codes.size(), ratio, snr, trial.encode_speed, trial.decode_speed);
  }
  std::printf(
      "\nratio: 16-bit PCM at the codec's rate over the codes; SNR: decoded against the input at\n"
      "the codec's rate; xRT: codec speed in memory as a multiple of real time, on one core.\n");
  if (!args.out_dir.empty()) {
    std::printf("codes (.g722) and decoded audio (.wav) of each configuration: %s/\n",
                args.out_dir.c_str());
  }
}

}  // namespace g722kit::tool
