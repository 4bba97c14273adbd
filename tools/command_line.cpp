#include "command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <string>

#include "audio_input.h"
#include "commands.h"
#include "exit_codes.h"
#include "g722kit/g722kit.h"
#include "report.h"
#include "tool_error.h"

namespace g722kit::tool {
namespace {

constexpr const char* kExitCodeHelp =
    "Exit codes: 0 success, 1 unexpected failure, 2 wrong command line, 3 input cannot be read,\n"
    "4 input not in a format the command reads, 5 output cannot be written, 6 audio device\n"
    "failure. Ctrl-C ends record cleanly, keeping the recording, and any other command with\n"
    "the signal (130 in a shell). A failed command leaves an existing output file as it was.";

constexpr const char* kUsageHint = "Run 'g722kit --help' for usage.\n";

// A subcommand: summary shows in the command list, details below its own --help.
CLI::App* AddCommand(CLI::App& app, const std::string& name, const std::string& summary,
                     const std::string& details) {
  CLI::App* command = app.add_subcommand(name, summary);
  command->footer(details + "\n\n" + kExitCodeHelp);
  return command;
}

void AddCodecOptions(CLI::App& command, CodecSettings& settings) {
  command.add_option("--bitrate", settings.bitrate, "Bit rate of the codes")
      ->check(CLI::IsMember({64000, 56000, 48000}))
      ->default_val(64000);
  command.add_flag("--wideband", settings.wideband,
                   "16 kHz PCM in two sub-bands (the G.722 of telephony) instead of 8 kHz");
  command.add_flag("--packed", settings.packed,
                   "Pack 7- or 6-bit codes into a bit stream (56000 and 48000 bit/s)");
}

void AddConversionOptions(CLI::App& command, ConversionArguments& args, const std::string& in,
                          const std::string& out) {
  command.add_option("IN", args.input, in + " (- for stdin)")->required();
  command.add_option("OUT", args.output, out + " (- for stdout)")->required();
  AddCodecOptions(command, args.codec);
}

void AddEndianOption(CLI::App& command, RawOptions& raw, const std::string& what) {
  const std::map<std::string, Endian> orders = {{"little", Endian::kLittle}, {"big", Endian::kBig}};
  command.add_option("--endian", raw.endian, "Byte order of " + what + " (default little)")
      ->transform(CLI::CheckedTransformer(orders));
}

// --rate and --endian: the input is headerless 16-bit mono PCM of that rate and byte order.
void AddRawInputOptions(CLI::App& command, RawOptions& raw) {
  command
      .add_option("--rate", raw.rate,
                  "IN is headerless 16-bit mono PCM at this many samples/s (default 8000 for a "
                  ".raw or .pcm name)")
      ->check(CLI::Range(kMinInputRate, 100000000));
  AddEndianOption(command, raw, "headerless PCM input");
}

void AddQuietOption(CLI::App& command, bool& quiet) {
  command.add_flag("-q,--quiet", quiet, "Print no summary line and no progress bar");
}

// The parsed values live as long as the application that fills them.
struct Arguments {
  ConversionArguments encode;
  ConversionArguments decode;
  RecordArguments record;
  std::filesystem::path info;
  RawOptions info_raw;
  CompareArguments compare;
  bool quiet = false;
};

void AddCommands(CLI::App& app, Arguments& args) {
  CLI::App* encode = AddCommand(
      app, "encode", "Encode audio into G.722 codes",
      "IN is any file libsndfile reads (WAV, FLAC, AIFF, ...), downmixed to mono and resampled\n"
      "to the codec's rate, or headerless 16-bit mono PCM when its name ends in .raw or .pcm or\n"
      "--rate or --endian is given (8000 samples/s, little-endian by default). OUT holds the\n"
      "codes alone, no header: decode them with the same options. The default is the library's\n"
      "file format: 64000 bit/s, 8 kHz, one code per byte.");
  AddConversionOptions(*encode, args.encode, "Audio to encode", "G.722 code file to write");
  AddRawInputOptions(*encode, args.encode.raw);
  AddQuietOption(*encode, args.quiet);
  encode->callback([&args] {
    SetQuiet(args.quiet);
    Encode(args.encode);
  });

  CLI::App* decode = AddCommand(
      app, "decode", "Decode G.722 codes into a WAV file",
      "Give the options the codes were encoded with. OUT is 16-bit mono PCM at 8000 samples/s,\n"
      "or 16000 with --wideband: a WAV file, or headerless samples when its name ends in .raw\n"
      "or .pcm.");
  AddConversionOptions(*decode, args.decode, "G.722 code file to decode", "WAV file to write");
  AddEndianOption(*decode, args.decode.raw, "a .raw or .pcm OUT");
  AddQuietOption(*decode, args.quiet);
  decode->callback([&args] {
    SetQuiet(args.quiet);
    Decode(args.decode);
  });

  CLI::App* record = AddCommand(
      app, "record", "Record the audio input into a WAV file",
      "Records the system's default audio input (ALSA's \"default\" device) through the\n"
      "library's recorder: 16-bit mono PCM at 8000 samples/s, stored one whole second at a\n"
      "time. Ctrl-C ends the recording and keeps it; the file is a valid WAV at every moment.\n"
      "While it runs, a terminal shows the time and the level of the last second.");
  record->add_option("OUT", args.record.output, "WAV file to write (required unless --check)");
  record->add_option("--seconds", args.record.seconds, "Stop after this many seconds")
      ->check(CLI::Range(1, 86400));
  record->add_flag("--check", args.record.check,
                   "Only check that the audio input opens (exit 0) or not (exit 6)");
  AddQuietOption(*record, args.quiet);
  record->callback([&args] {
    SetQuiet(args.quiet);
    Record(args.record);
  });

  CLI::App* info = AddCommand(
      app, "info", "Tell what a file is",
      "An audio file shows its format, rate, channels and length (a .raw or .pcm name is read\n"
      "as 16-bit PCM at 8000 samples/s); any other file is taken for G.722 codes and shows its\n"
      "length in each packing.");
  info->add_option("FILE", args.info, "File to describe (- for stdin)")->required();
  AddRawInputOptions(*info, args.info_raw);
  info->callback([&args] { Info(args.info, args.info_raw); });

  CLI::App* compare = AddCommand(
      app, "compare", "Try every codec configuration on a file",
      "Encodes and decodes IN (read as for encode) in each configuration and prints the size of\n"
      "the codes, the compression ratio, the signal-to-noise ratio and the codec's speed.");
  compare->add_option("IN", args.compare.input, "Audio to try (as for encode)")->required();
  AddRawInputOptions(*compare, args.compare.raw);
  compare->add_option("--out", args.compare.out_dir,
                      "Folder to keep each configuration's codes and decoded WAV in");
  compare->callback([&args] { Compare(args.compare); });
}

// The message for a command line CLI11 refused; CLI11 says only that a subcommand is
// required when the first word is not one.
std::string UsageMessage(CLI::App& app, const CLI::ParseError& error, int argc, char** argv) {
  if (!app.get_subcommands().empty() || argc < 2 || argv[1][0] == '-') return error.what();
  std::string names;
  for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    names += (names.empty() ? "" : ", ") + command->get_name();
  }
  return "unknown command '" + std::string(argv[1]) + "' (the commands are " + names + ")";
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  CLI::App app("Encode, decode, record and inspect G.722 speech audio.", "g722kit");
  app.set_version_flag("--version", std::string("g722kit ") + G722KitVersion(),
                       "Print the version and exit");
  app.require_subcommand(1);
  app.footer(kExitCodeHelp);
  Arguments args;
  AddCommands(app, args);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);  // --help, --version
    std::fprintf(stderr, "g722kit: %s\n%s", UsageMessage(app, error, argc, argv).c_str(),
                 kUsageHint);
    return kExitUsage;
  } catch (const ToolError& error) {
    std::fprintf(stderr, "g722kit: %s\n%s", error.what(),
                 error.code() == kExitUsage ? kUsageHint : "");
    return error.code();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "g722kit: %s\n", error.what());
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace g722kit::tool
