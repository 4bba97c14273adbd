#include "commands/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/capture_options.h"
#include "commands/commands.h"
#include "g722kit/g722kit.h"
#include "io/audio_input.h"
#include "jobs/file_jobs.h"
#include "jobs/worker_process.h"
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

// The commands, and what runs each once the command line is parsed. The values each command's
// options fill live as long as its runner.
using Runner = std::function<int()>;
using Runners = std::map<const CLI::App*, Runner>;

// A subcommand: summary shows in the command list, details below its own --help.
CLI::App* AddCommand(CLI::App& app, const std::string& name, const std::string& summary,
                     const std::string& details) {
  CLI::App* command = app.add_subcommand(name, summary);
  command->footer(details + "\n\n" + kExitCodeHelp);
  command->allow_extras();  // reported by ReportExtras, with what they are
  return command;
}

// A whole number from text, or a usage error that says what is wrong with it, such as
// "--seconds 1.5: not a whole number; expected whole seconds from 1 to 86400".
int ParseNumber(const std::string& name, const std::string& text, const std::string& expected,
                const std::function<bool(int)>& accepted) {
  size_t used = 0;
  int value = 0;
  bool in_range = true;
  try {
    value = std::stoi(text, &used);
  } catch (const std::out_of_range&) {
    in_range = false;
    used = text.size();
  } catch (const std::invalid_argument&) {
    used = 0;
  }
  std::string wrong;
  if (used != text.size()) {
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    wrong = *end == '\0' ? "not a whole number; " : "not a number; ";
  }
  if (!wrong.empty() || !in_range || !accepted(value)) {
    throw ToolError(kExitUsage, name + " " + text + ": " + wrong + "expected " + expected);
  }
  return value;
}

void AddQuietOption(CLI::App& command, bool& quiet) {
  command.add_flag("-q,--quiet", quiet, "Print no summary line and no progress bar");
}

void AddEndianOption(CLI::App& command, std::string& endian, const std::string& what) {
  command.add_option("--endian", endian, "Byte order of " + what + ": little (default) or big")
      ->check(CLI::IsMember({"little", "big"}).description(""))
      ->type_name("little|big");
}

// --rate and --endian as the command line gives them; empty when not given.
struct RawText {
  std::string rate;
  std::string endian;
};

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
  if (!text.endian.empty()) raw.endian = text.endian == "big" ? Endian::kBig : Endian::kLittle;
  return raw;
}

// An encode or decode as the command line gives it: the options whose values are turned into
// settings once the command is known, so that a refused value can say why.
struct ConversionCommand {
  FileArguments files;
  ConversionArguments options;
  std::string bitrate = "64000";
  bool wideband = false;
  bool narrowband = false;
  std::string container;
  std::string jobs;    // empty: one per core
  std::string worker;  // empty: not a worker
  RawText raw;
  std::optional<std::string> loss;  // decode: --simulate-loss, --seed
  std::string seed;
  CaptureText capture;
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
  command.add_option("-j,--jobs", values.jobs, "Files converted at once (default: one per core)")
      ->type_name("N");
  command.add_option(kWorkerOption, values.worker)->group("");  // one file of several
  command.add_option("-b,--bitrate", values.bitrate, "Bit rate of the codes (default 64000)")
      ->check(CLI::IsMember({"64000", "56000", "48000"}).description(""))
      ->type_name("64000|56000|48000");
  CLI::Option* wideband = command.add_flag("-w,--wideband", values.wideband,
                                           "16 kHz PCM in two sub-bands, the G.722 of telephony");
  command
      .add_flag("-n,--narrowband", values.narrowband,
                "8 kHz PCM, the lower sub-band alone: what G722Encode writes")
      ->excludes(wideband);
  command.add_flag("-p,--packed", values.options.codec.packed,
                   "Pack 7- or 6-bit codes into a bit stream (56000 and 48000 bit/s)");
  command.add_flag("--align", values.options.align,
                   "Line the two-band codec's output up with its input: no 22-sample delay");
  AddQuietOption(command, values.quiet);
}

// Fills in the settings that the command's text gives.
void ParseConversionText(ConversionCommand& command) {
  command.options.codec.bitrate = std::stoi(command.bitrate);
  command.options.band = command.wideband     ? Band::kWide
                         : command.narrowband ? Band::kNarrow
                                              : Band::kUnset;
  if (!command.jobs.empty()) {
    command.files.jobs = ParseNumber("--jobs", command.jobs, "a number of files at once, 1 or more",
                                     [](int v) { return v >= 1; });
  }
  if (!command.worker.empty()) {
    command.files.worker =
        ParseNumber(kWorkerOption, command.worker, "a file's index", [](int v) { return v >= 0; });
  }
  if (!command.container.empty()) command.options.container = ParseContainerName(command.container);
  command.options.raw = ParseRawText(command.raw);
  if (command.loss) command.options.loss = ParseSimulatedLoss(*command.loss, command.seed);
  command.options.capture = ParseCaptureText(command.capture);
  SetQuiet(command.quiet);
}

// Runs an encode or decode over every file the command line names.
int Convert(ConversionCommand& command, const std::string& extension, const std::string& verb,
            char** argv, void (*conversion)(const ConversionArguments&)) {
  ParseConversionText(command);
  const std::vector<PlannedFile> planned = PlanFiles(command.files, extension);
  return RunPlannedFiles(planned, command.files, verb, argv, [&](const PlannedFile& file) {
    ConversionArguments args = command.options;
    args.input = file.input;
    args.output = file.output;
    args.force = command.files.force;
    conversion(args);
  });
}

void AddEncode(CLI::App& app, Runners& runners, char** argv) {
  const auto values = std::make_shared<ConversionCommand>();
  CLI::App* encode = AddCommand(
      app, "encode", "Encode audio into G.722 codes",
      "IN is any file libsndfile reads (WAV, FLAC, AIFF, ...), downmixed to mono and resampled\n"
      "to the codec's rate, or headerless 16-bit mono PCM when its name ends in .raw or .pcm or\n"
      "--rate or --endian is given (8000 samples/s, little-endian by default). The codes are\n"
      "the G.722 of telephony by default: 64000 bit/s, 16 kHz two-band. OUT ending in .wav or\n"
      ".au holds them in a WAV or AU file as phones and other G.722 software read it; .g722,\n"
      ".raw and .pcm hold the codes alone, no header: decode them with the same options.\n"
      "--narrowband writes the library's file format: 64000 bit/s, 8 kHz, one code per byte.\n"
      "OUT ending in .pcap is a packet capture of one G.722 RTP stream, as SIPp and tcpreplay\n"
      "replay it.\n\n" +
          std::string(kFilesHelp));
  AddConversionOptions(*encode, *values, "Audio to encode, then OUT or a folder", "NAME.g722");
  encode
      ->add_option("--container", values->container,
                   "Container of the codes (default: by OUT's extension)")
      ->check(CLI::IsMember({"wav", "au", "pcap", "raw"}).description(""))
      ->type_name("wav|au|pcap|raw");
  AddRawInputOptions(*encode, values->raw);
  AddCaptureWriteOptions(*encode, values->capture);
  runners[encode] = [values, argv] { return Convert(*values, ".g722", "encoded", argv, Encode); };
}

void AddDecode(CLI::App& app, Runners& runners, char** argv) {
  const auto values = std::make_shared<ConversionCommand>();
  CLI::App* decode = AddCommand(
      app, "decode", "Decode G.722 codes into a WAV or another audio file",
      "A G.722 WAV or AU file says its configuration itself. For codes without a header, give\n"
      "the bit rate and packing they were encoded with; -w or -n gives the PCM side, which is\n"
      "otherwise told from the codes (their upper band varies in two-band codes). The output is\n"
      "16-bit PCM at 16000 samples/s, or 8000 for lower-band-only codes, NAME.wav by default:\n"
      "a WAV file, headerless samples for a name ending in .raw or .pcm, or any format\n"
      "libsndfile writes by the name's extension (.flac, .aiff, .ogg, ...). A packet capture\n"
      "(pcap, pcapng) gives each G.722 RTP stream in it at 16000 samples/s: OUT for one stream,\n"
      "OUT.1.wav, OUT.2.wav, ... for several.\n\n" +
          std::string(kFilesHelp));
  AddConversionOptions(*decode, *values, "G.722 files to decode, then OUT or a folder", "NAME.wav");
  AddEndianOption(*decode, values->raw.endian, "a .raw or .pcm OUT");
  CLI::Option* loss =
      decode
          ->add_option("--simulate-loss", values->loss,
                       "Lose P% of the 20 ms packets at random, B in a row, and conceal them")
          ->type_name("P[:B]");
  decode
      ->add_option("--seed", values->seed,
                   "Seed of the random losses (default: a new one, printed)")
      ->type_name("N")
      ->needs(loss);
  AddCaptureReadOptions(*decode, values->capture);
  runners[decode] = [values, argv] { return Convert(*values, ".wav", "decoded", argv, Decode); };
}

void AddRecord(CLI::App& app, Runners& runners) {
  struct RecordCommand {
    RecordArguments args;
    std::string seconds;
    bool quiet = false;
  };
  const auto values = std::make_shared<RecordCommand>();
  CLI::App* record = AddCommand(
      app, "record", "Record the audio input into a WAV file",
      "Records the system's default audio input (ALSA's \"default\" device, or --device)\n"
      "through the library's recorder: 16-bit mono PCM at 8000 samples/s, stored one whole\n"
      "second at a time. Ctrl-C ends the recording and keeps it; the file is a valid WAV at\n"
      "every moment. While it runs, a terminal shows the time and the level of the last second.");
  record->add_option("OUT", values->args.output,
                     "WAV file to write, - for stdout (required unless --check)");
  record->add_option("--seconds", values->seconds, "Stop after this many seconds, 1 to 86400")
      ->type_name("N");
  record
      ->add_option("--device", values->args.device,
                   "The ALSA device to record from, such as hw:1,0 or pulse (default: default)")
      ->type_name("NAME");
  record->add_flag("--check", values->args.check,
                   "Only check that the audio input opens (exit 0) or not (exit 6)");
  AddQuietOption(*record, values->quiet);
  runners[record] = [values] {
    if (!values->seconds.empty()) {
      values->args.seconds =
          ParseNumber("--seconds", values->seconds, "whole seconds from 1 to 86400",
                      [](int v) { return v >= 1 && v <= 86400; });
    }
    SetQuiet(values->quiet);
    return Record(values->args), kExitOk;
  };
}

void AddInfo(CLI::App& app, Runners& runners) {
  struct InfoCommand {
    std::filesystem::path file;
    RawText raw;
    CaptureText capture;
  };
  const auto values = std::make_shared<InfoCommand>();
  CLI::App* info = AddCommand(
      app, "info", "Tell what a file is",
      "An audio file shows its format, rate, channels and length (a .raw or .pcm name is read\n"
      "as 16-bit PCM at 8000 samples/s), a G.722 WAV or AU file its codes, a packet capture\n"
      "its RTP streams; any other file is taken for G.722 codes and shows its length in each\n"
      "packing, and the PCM side that decode would take them for.");
  info->add_option("FILE", values->file, "File to describe (- for stdin)")->required();
  AddRawInputOptions(*info, values->raw);
  AddPayloadTypeOption(*info, values->capture);
  runners[info] = [values] {
    return Info(values->file, ParseRawText(values->raw), ParseCaptureText(values->capture)),
           kExitOk;
  };
}

void AddCompare(CLI::App& app, Runners& runners) {
  struct CompareCommand {
    CompareArguments args;
    RawText raw;
  };
  const auto values = std::make_shared<CompareCommand>();
  CLI::App* compare = AddCommand(
      app, "compare", "Try every codec configuration on a file",
      "Encodes and decodes IN (read as for encode) in each configuration and prints the size of\n"
      "the codes, the compression ratio, the signal-to-noise ratio and the codec's speed.");
  compare->add_option("IN", values->args.input, "Audio to try (as for encode)")->required();
  compare->add_option("--out", values->args.out_dir,
                      "Folder to keep each configuration's codes and decoded WAV in");
  AddRawInputOptions(*compare, values->raw);
  runners[compare] = [values] {
    values->args.raw = ParseRawText(values->raw);
    return Compare(values->args), kExitOk;
  };
}

// The names of the commands, for messages.
std::string CommandNames(CLI::App& app) {
  std::string names;
  for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    names += (names.empty() ? "" : ", ") + command->get_name();
  }
  return names;
}

void AddHelp(CLI::App& app, Runners& runners) {
  const auto topic_name = std::make_shared<std::string>();
  CLI::App* help = app.add_subcommand("help", "Show the help of the tool or of one command");
  help->add_option("COMMAND", *topic_name, "The command to explain");
  runners[help] = [&app, topic_name] {
    const CLI::App* topic = &app;
    if (!topic_name->empty()) {
      const std::vector<CLI::App*> found = app.get_subcommands(
          [&](CLI::App* command) { return command->get_name() == *topic_name; });
      if (found.empty() || *topic_name == "help") {
        throw ToolError(kExitUsage, "no command '" + *topic_name +
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

// The words of the command line as CLI11 is to see them. CLI11 honours "--" only before a
// command's first file, so it is taken out here, and the names after it that start with '-'
// are written so that they cannot be taken for options ("-a.wav" as "./-a.wav", the same file).
std::vector<std::string> Words(int argc, char** argv) {
  std::vector<std::string> words(argv, argv + argc);
  const auto marker = std::find(words.begin() + std::min(argc, 2), words.end(), "--");
  if (marker == words.end()) return words;
  for (auto word = marker + 1; word != words.end(); ++word) {
    if (word->size() > 1 && word->front() == '-') *word = "./" + *word;
  }
  words.erase(marker);
  return words;
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  CLI::App app("Encode, decode, record and inspect G.722 speech audio.", "g722kit");
  app.set_version_flag("--version", std::string("g722kit ") + G722KitVersion(),
                       "Print the version and exit");
  app.require_subcommand(1);
  app.footer(std::string(kExitCodeHelp) + "\nRun 'g722kit help COMMAND' for a command's options.");
  Runners runners;
  AddEncode(app, runners, argv);
  AddDecode(app, runners, argv);
  AddRecord(app, runners);
  AddInfo(app, runners);
  AddCompare(app, runners);
  AddHelp(app, runners);
  if (argc < 2) {
    std::fprintf(stderr,
                 "g722kit: usage: g722kit COMMAND [OPTIONS] [FILES]; the commands are %s\n%s",
                 CommandNames(app).c_str(), kUsageHint);
    return kExitUsage;
  }
  std::vector<std::string> words = Words(argc, argv);
  std::vector<char*> word_pointers;
  for (std::string& word : words)
    word_pointers.push_back(word.data());
  try {
    app.parse(static_cast<int>(word_pointers.size()), word_pointers.data());
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
