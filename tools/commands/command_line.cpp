#include "commands/command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "commands/capture_options.h"
#include "commands/commands.h"
#include "g722kit/g722kit.h"
#include "io/audio_input.h"
#include "jobs/file_jobs.h"
#include "messages/exit_codes.h"
#include "messages/report.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

constexpr const char* kExitCodeHelp =
    "Exit codes: 0 success, 1 unexpected failure, 2 wrong command line, 3 input cannot be read,\n"
    "4 input not in a format the command reads, 5 output cannot be written, 6 audio device\n"
    "failure; with several files, the largest of any file. Ctrl-C ends record cleanly, keeping\n"
    "the recording, and any other command with the signal (130 in a shell). A failed command\n"
    "leaves an existing output file as it was.";

constexpr const char* kUsageHint = "Run 'g722kit --help' for usage.\n";

constexpr const char* kFilesHelp =
    "Files: IN OUT converts one file into OUT; IN alone writes NAME.EXT beside it; IN... -o DIR\n"
    "(or a folder named last) writes each NAME.EXT into DIR, made if missing, several files at\n"
    "once. Names the tool makes up never replace an existing file without -f. - is stdin as IN\n"
    "and stdout as OUT.";

// A subcommand: summary shows in the command list, details below its own --help.
CLI::App* AddCommand(CLI::App& app, const std::string& name, const std::string& summary,
                     const std::string& details) {
  CLI::App* command = app.add_subcommand(name, summary);
  command->footer(details + "\n\n" + kExitCodeHelp);
  command->allow_extras();  // reported by ReportExtras, with what they are
  return command;
}

// --rate and --endian as the command line gives them; empty when not given.
struct RawText {
  std::string rate;
  std::string endian;
};

// The options as the command line gives them, turned into values once the command is known,
// so that a refused value can say why.
struct ConversionText {
  std::string bitrate = "64000";
  std::string container;
  std::string jobs;  // empty: one per core
  RawText raw;
  CaptureText capture;
};

// A whole number from text, or a usage error "--bitrate 64k: expected 64000, 56000 or 48000".
int ParseNumber(const std::string& name, const std::string& text, const std::string& expected,
                const std::function<bool(int)>& accepted) {
  size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::logic_error&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || !accepted(value)) {
    throw ToolError(kExitUsage, name + " " + text + ": expected " + expected);
  }
  return value;
}

void AddEndianOption(CLI::App& command, std::string& endian, const std::string& what) {
  command.add_option("--endian", endian, "Byte order of " + what + ": little (default) or big")
      ->type_name("little|big");
}

// --rate and --endian: the input is headerless 16-bit mono PCM of that rate and byte order.
void AddRawInputOptions(CLI::App& command, RawText& raw) {
  command
      .add_option("--rate", raw.rate,
                  "The input is headerless 16-bit mono PCM at this many samples/s (default 8000 "
                  "for a .raw or .pcm name)")
      ->type_name("N");
  AddEndianOption(command, raw.endian, "headerless PCM");
}

RawOptions ParseRawText(const RawText& text) {
  RawOptions raw;
  if (!text.rate.empty()) {
    raw.rate = ParseNumber("--rate", text.rate,
                           "samples per second, " + std::to_string(kMinInputRate) + " or more",
                           [](int v) { return v >= kMinInputRate; });
  }
  if (!text.endian.empty()) {
    if (text.endian != "little" && text.endian != "big") {
      throw ToolError(kExitUsage, "--endian " + text.endian + ": expected little or big");
    }
    raw.endian = text.endian == "big" ? Endian::kBig : Endian::kLittle;
  }
  return raw;
}

void AddQuietOption(CLI::App& command, bool& quiet) {
  command.add_flag("-q,--quiet", quiet, "Print no summary line and no progress bar");
}

// An encode or decode as the command line gives it.
struct ConversionCommand {
  FileArguments files;
  ConversionArguments options;
  ConversionText text;
  bool quiet = false;
};

void AddConversionOptions(CLI::App& command, ConversionCommand& values, const std::string& in,
                          const std::string& name) {
  command.add_option("FILES", values.files.files, in)->required()->type_name("");
  command
      .add_option("-o,--output", values.files.output,
                  "Output file (one input) or folder (several, or a name ending in '/')")
      ->type_name("OUT|DIR");
  command.add_flag("-f,--force", values.files.force, "Replace existing outputs named " + name);
  command
      .add_option("-j,--jobs", values.text.jobs, "Files converted at once (default: one per core)")
      ->type_name("N");
  command
      .add_option("-b,--bitrate", values.text.bitrate,
                  "Bit rate of the codes: 64000, 56000 or 48000")
      ->type_name("BITS/S")
      ->capture_default_str();
  command.add_flag("-w,--wideband", values.options.codec.wideband,
                   "16 kHz PCM in two sub-bands (the G.722 of telephony) instead of 8 kHz");
  command.add_flag("-p,--packed", values.options.codec.packed,
                   "Pack 7- or 6-bit codes into a bit stream (56000 and 48000 bit/s)");
  command.add_flag("--align", values.options.align,
                   "Line the two-band codec's output up with its input: no 22-sample delay");
  AddQuietOption(command, values.quiet);
}

// Fills in the values that the command's text holds.
void ParseConversionText(ConversionCommand& command) {
  const ConversionText& text = command.text;
  command.options.codec.bitrate =
      ParseNumber("--bitrate", text.bitrate, "64000, 56000 or 48000",
                  [](int v) { return v == 64000 || v == 56000 || v == 48000; });
  if (!text.jobs.empty()) {
    command.files.jobs = ParseNumber("--jobs", text.jobs, "a number of files at once, 1 or more",
                                     [](int v) { return v >= 1; });
  }
  if (!text.container.empty()) {
    command.options.container = ParseContainerName(text.container);
    if (!command.options.container) {
      throw ToolError(kExitUsage,
                      "--container " + text.container + ": expected wav, au, pcap or raw");
    }
  }
  command.options.raw = ParseRawText(text.raw);
  command.options.capture = ParseCaptureText(text.capture);
  SetQuiet(command.quiet);
}

// The parsed values live as long as the application that fills them.
struct Arguments {
  ConversionCommand encode;
  ConversionCommand decode;
  RecordArguments record;
  bool record_quiet = false;
  std::filesystem::path info;
  RawText info_raw;
  CaptureText info_capture;
  CompareArguments compare;
  RawText compare_raw;
  std::string help_topic;
};

// Runs an encode or decode over every file the command line names.
int Convert(ConversionCommand& command, const std::string& extension, const std::string& verb,
            char** argv, void (*conversion)(const ConversionArguments&)) {
  ParseConversionText(command);
  const std::vector<PlannedFile> planned = PlanFiles(command.files, extension);
  return RunPlannedFiles(planned, command.files, verb, argv, [&](const PlannedFile& file) {
    ConversionArguments args = command.options;
    args.input = file.input;
    args.output = file.output;
    conversion(args);
  });
}

// The names of the commands, for messages.
std::string CommandNames(CLI::App& app) {
  std::string names;
  for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    names += (names.empty() ? "" : ", ") + command->get_name();
  }
  return names;
}

using Runner = std::function<int()>;

void AddCommands(CLI::App& app, Arguments& args, std::map<const CLI::App*, Runner>& runners,
                 char** argv) {
  CLI::App* encode = AddCommand(
      app, "encode", "Encode audio into G.722 codes",
      "IN is any file libsndfile reads (WAV, FLAC, AIFF, ...), downmixed to mono and resampled\n"
      "to the codec's rate, or headerless 16-bit mono PCM when its name ends in .raw or .pcm or\n"
      "--rate or --endian is given (8000 samples/s, little-endian by default). OUT ending in\n"
      ".wav or .au holds the codes in a WAV or AU file as phones and other G.722 software read\n"
      "it: 64000 bit/s, 16 kHz two-band (--wideband is implied). Any other OUT holds the codes\n"
      "alone, no header: decode them with the same options. The default is the library's file\n"
      "format: 64000 bit/s, 8 kHz, one code per byte, NAME.g722. OUT ending in .pcap is a packet\n"
      "capture of one G.722 RTP stream, as SIPp and tcpreplay replay it.\n\n" +
          std::string(kFilesHelp));
  AddConversionOptions(*encode, args.encode, "Audio to encode, then OUT or a folder", "NAME.g722");
  encode
      ->add_option("--container", args.encode.text.container,
                   "Container of the codes (default: by OUT's extension)")
      ->type_name("wav|au|pcap|raw");
  AddRawInputOptions(*encode, args.encode.text.raw);
  AddCaptureWriteOptions(*encode, args.encode.text.capture);
  runners[encode] = [&args, argv] {
    return Convert(args.encode, ".g722", "encoded", argv, Encode);
  };

  CLI::App* decode = AddCommand(
      app, "decode", "Decode G.722 codes into a WAV file",
      "A G.722 WAV or AU file says its configuration itself; for codes without a header, give\n"
      "the options they were encoded with. The output is 16-bit mono PCM at 8000 samples/s,\n"
      "or 16000 with --wideband (and from a WAV or AU file), NAME.wav by default: a WAV file,\n"
      "or headerless samples when its name ends in .raw or .pcm. A packet capture (pcap,\n"
      "pcapng) gives each G.722 RTP stream in it at 16000 samples/s: OUT for one stream,\n"
      "OUT.1.wav, OUT.2.wav, ... for several.\n\n" +
          std::string(kFilesHelp));
  AddConversionOptions(*decode, args.decode, "G.722 files to decode, then OUT or a folder",
                       "NAME.wav");
  AddEndianOption(*decode, args.decode.text.raw.endian, "a .raw or .pcm OUT");
  AddCaptureReadOptions(*decode, args.decode.text.capture);
  runners[decode] = [&args, argv] { return Convert(args.decode, ".wav", "decoded", argv, Decode); };

  CLI::App* record = AddCommand(
      app, "record", "Record the audio input into a WAV file",
      "Records the system's default audio input (ALSA's \"default\" device, or --device) through "
      "the\n"
      "library's recorder: 16-bit mono PCM at 8000 samples/s, stored one whole second at a\n"
      "time. Ctrl-C ends the recording and keeps it; the file is a valid WAV at every moment.\n"
      "While it runs, a terminal shows the time and the level of the last second.");
  record->add_option("OUT", args.record.output,
                     "WAV file to write, - for stdout (required unless --check)");
  record->add_option("--seconds", args.record.seconds, "Stop after this many seconds")
      ->check(CLI::Range(1, 86400));
  record
      ->add_option("--device", args.record.device,
                   "The ALSA device to record from, such as hw:1,0 or pulse (default: default)")
      ->type_name("NAME");
  record->add_flag("--check", args.record.check,
                   "Only check that the audio input opens (exit 0) or not (exit 6)");
  AddQuietOption(*record, args.record_quiet);
  runners[record] = [&args] {
    SetQuiet(args.record_quiet);
    return Record(args.record), kExitOk;
  };

  CLI::App* info = AddCommand(
      app, "info", "Tell what a file is",
      "An audio file shows its format, rate, channels and length (a .raw or .pcm name is read\n"
      "as 16-bit PCM at 8000 samples/s), a G.722 WAV or AU file its codes, a packet capture\n"
      "its RTP streams; any other file is taken for G.722 codes and shows its length in each\n"
      "packing.");
  info->add_option("FILE", args.info, "File to describe (- for stdin)")->required();
  AddRawInputOptions(*info, args.info_raw);
  AddPayloadTypeOption(*info, args.info_capture);
  runners[info] = [&args] {
    return Info(args.info, ParseRawText(args.info_raw), ParseCaptureText(args.info_capture)),
           kExitOk;
  };

  CLI::App* compare = AddCommand(
      app, "compare", "Try every codec configuration on a file",
      "Encodes and decodes IN (read as for encode) in each configuration and prints the size of\n"
      "the codes, the compression ratio, the signal-to-noise ratio and the codec's speed.");
  compare->add_option("IN", args.compare.input, "Audio to try (as for encode)")->required();
  compare->add_option("--out", args.compare.out_dir,
                      "Folder to keep each configuration's codes and decoded WAV in");
  AddRawInputOptions(*compare, args.compare_raw);
  runners[compare] = [&args] {
    args.compare.raw = ParseRawText(args.compare_raw);
    return Compare(args.compare), kExitOk;
  };

  CLI::App* help = app.add_subcommand("help", "Show the help of the tool or of one command");
  help->add_option("COMMAND", args.help_topic, "The command to explain");
  runners[help] = [&app, &args] {
    const CLI::App* topic = &app;
    if (!args.help_topic.empty()) {
      const std::vector<CLI::App*> found = app.get_subcommands(
          [&args](CLI::App* command) { return command->get_name() == args.help_topic; });
      if (found.empty() || args.help_topic == "help") {
        throw ToolError(kExitUsage, "no command '" + args.help_topic +
                                        "' to explain (the commands are " + CommandNames(app) +
                                        ")");
      }
      topic = found.front();
    }
    const std::string name = topic == &app ? "g722kit" : "g722kit " + topic->get_name();
    std::fputs(app.get_formatter()->make_help(topic, name, CLI::AppFormatMode::Normal).c_str(),
               stdout);
    return kExitOk;
  };
}

// The message for a command line CLI11 refused; CLI11 says only that a subcommand is
// required when the first word is not one.
std::string UsageMessage(CLI::App& app, const CLI::ParseError& error, int argc, char** argv) {
  if (!app.get_subcommands().empty() || argc < 2 || argv[1][0] == '-') return error.what();
  return "unknown command '" + std::string(argv[1]) + "' (the commands are " + CommandNames(app) +
         ")";
}

// Refuses what a command did not take: an unknown option, or one argument too many.
void ReportExtras(const CLI::App& command) {
  const std::vector<std::string> extras = command.remaining();
  if (extras.empty()) return;
  const std::string& first = extras.front();
  throw ToolError(kExitUsage, (first.size() > 1 && first[0] == '-'
                                   ? "unknown option '" + first + "' for "
                                   : "unexpected argument '" + first + "' for ") +
                                  command.get_name());
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  CLI::App app("Encode, decode, record and inspect G.722 speech audio.", "g722kit");
  app.set_version_flag("--version", std::string("g722kit ") + G722KitVersion(),
                       "Print the version and exit");
  app.require_subcommand(1);
  app.footer(std::string(kExitCodeHelp) + "\nRun 'g722kit help COMMAND' for a command's options.");
  Arguments args;
  std::map<const CLI::App*, Runner> runners;
  AddCommands(app, args, runners, argv);
  try {
    app.parse(argc, argv);
    const CLI::App* command = app.get_subcommands().front();
    ReportExtras(*command);
    return runners.at(command)();
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
}

}  // namespace g722kit::tool
