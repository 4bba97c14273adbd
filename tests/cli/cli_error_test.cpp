// The tool's failures: each one's exit code and one-line message, and that a failed command
// leaves an existing output file as it was, with nothing of its own behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio_files.h"
#include "g722kit/version.h"
#include "test_support.h"
#include "tool_process.h"

namespace g722kit::test {
namespace {

namespace fs = std::filesystem;

const std::vector<uint8_t> kKeep = {'k', 'e', 'e', 'p'};

// A G.722 WAV file of four codes: its RIFF form, an 18-byte format chunk with tag 0x0065 and
// the given channels, and the data chunk.
std::vector<uint8_t> G722Wav(uint8_t channels) {
  return {'R', 'I', 'F',  'F',  42, 0, 0, 0,    'W', 'A',      'V', 'E',  'f',
          'm', 't', ' ',  18,   0,  0, 0, 0x65, 0,   channels, 0,   0x80, 0x3E,
          0,   0,   0x40, 0x1F, 0,  0, 1, 0,    4,   0,        0,   0,    'd',
          'a', 't', 'a',  4,    0,  0, 0, 1,    2,   3,        4};
}

// A folder with an input of each kind and an output that must survive every failure.
class ToolFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteWav(dir_ / "speech.wav", ToneMix(8000, 1, 2.0));
    WriteBytes(dir_ / "speech.raw", PcmBytes(SpeechLikeSignal(16000, 8000, 1)));
    WriteBytes(dir_ / "codes.g722", std::vector<uint8_t>(16000, 0xD5));
    WriteBytes(dir_ / "g722.wav", G722Wav(1));
    WriteBytes(dir_ / "3ch-g722.wav", G722Wav(3));
    WriteBytes(dir_ / "notes.wav", {'h', 'e', 'l', 'l', 'o', '\n'});
    WriteBytes(dir_ / "existing.g722", kKeep);
    fs::create_directories(dir_ / "folder" / "speech.g722");
    files_before_ = Files();
  }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // The existing output kept its contents, and the command left no file behind.
  void ExpectNothingChanged() const {
    EXPECT_EQ(ReadBytes(dir_ / "existing.g722"), kKeep);
    EXPECT_EQ(Files(), files_before_);
  }

  TempDir dir_;
  std::vector<std::string> files_before_;
};

struct ErrorCase {
  std::string name;
  std::vector<std::string> args;
  int exit_code;
  std::string message;  // what stderr starts with after "g722kit: "
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

class ToolError : public ToolFailure, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ToolError, ExitsWithItsCodeAndOneLineThatNamesTheCause) {
  const ErrorCase& c = GetParam();
  const ToolResult result = RunTool(c.args, dir_.path());
  EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(result.err.starts_with("g722kit: " + c.message)) << result.err;
  const std::string usage_hint = "Run 'g722kit --help' for usage.\n";
  const bool usage = c.exit_code == 2;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), usage ? 2 : 1) << result.err;
  EXPECT_EQ(result.err.ends_with(usage_hint), usage) << result.err;
  ExpectNothingChanged();
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ToolError,
    ::testing::Values(
        ErrorCase{"MissingInput",
                  {"encode", "missing.wav", "existing.g722"},
                  3,
                  "cannot open 'missing.wav': No such file or directory"},
        ErrorCase{"InputIsAFolder",
                  {"encode", "folder", "existing.g722"},
                  3,
                  "cannot read 'folder': is a folder"},
        ErrorCase{"MissingCodes",
                  {"decode", "missing.g722", "out.wav"},
                  3,
                  "cannot open 'missing.g722': No such file or directory"},
        ErrorCase{"InfoOnMissingFile",
                  {"info", "missing.g722"},
                  3,
                  "cannot open 'missing.g722': No such file or directory"},
        ErrorCase{"UnreadableFormat",
                  {"encode", "notes.wav", "existing.g722"},
                  4,
                  "cannot read 'notes.wav': Format not recognised"},
        ErrorCase{"WavGivenToDecode",
                  {"decode", "speech.wav", "existing.g722"},
                  4,
                  "cannot decode 'speech.wav': it is a WAV audio file, not G.722 codes; did you "
                  "mean encode?"},
        ErrorCase{"OutputFolderMissing",
                  {"encode", "speech.wav", "nowhere/out.g722"},
                  5,
                  "cannot create 'nowhere/out.g722': No such file or directory"},
        ErrorCase{"OutputIsAFolder",
                  {"encode", "speech.wav", "folder", "-f"},
                  5,
                  "cannot create 'folder/speech.g722': is a folder"},
        ErrorCase{"DiskFullEncodingAudio",
                  {"encode", "speech.wav", "/dev/full"},
                  5,
                  "cannot write '/dev/full': No space left on device"},
        ErrorCase{"DiskFullEncodingRaw",
                  {"encode", "speech.raw", "/dev/full"},
                  5,
                  "cannot write '/dev/full': No space left on device"},
        ErrorCase{"DiskFullDecoding",
                  {"decode", "codes.g722", "/dev/full", "--wideband"},
                  5,
                  "cannot write '/dev/full': No space left on device"},
        ErrorCase{"OutputIsTheInput",
                  {"encode", "speech.wav", "./speech.wav"},
                  2,
                  "refusing to overwrite the input './speech.wav': input and output are the same "
                  "file"},
        ErrorCase{"EndianOfAWavOutput",
                  {"decode", "codes.g722", "existing.g722", "--endian", "big"},
                  2,
                  "--endian is for headerless PCM, not 'existing.g722': a WAV file is "
                  "little-endian; name a .raw or .pcm output"},
        ErrorCase{"PackedAt64000",
                  {"encode", "speech.wav", "existing.g722", "--packed"},
                  2,
                  "--packed needs --bitrate 56000 or 48000"},
        ErrorCase{"UnknownBitRate",
                  {"decode", "codes.g722", "existing.g722", "--bitrate", "64k"},
                  2,
                  "--bitrate: 64k not in {64000,56000,48000}"},
        ErrorCase{"UnknownOption",
                  {"encode", "speech.wav", "existing.g722", "--bitrat", "56000"},
                  2,
                  "unknown option '--bitrat' for encode"},
        ErrorCase{"LossOfPackedCodes",
                  {"decode", "codes.g722", "out.wav", "-b", "48000", "-p", "--simulate-loss", "5"},
                  2,
                  "--simulate-loss needs codes of one byte each"},
        ErrorCase{"LossInEncode",
                  {"encode", "speech.wav", "existing.g722", "--simulate-loss", "5"},
                  2,
                  "unknown option '--simulate-loss' for encode"},
        ErrorCase{"LossOfNoBurst",
                  {"decode", "codes.g722", "out.wav", "--simulate-loss", "5:0"},
                  2,
                  "--simulate-loss 5:0: expected P or P:B"},
        ErrorCase{"SeedWithoutLoss",
                  {"decode", "codes.g722", "out.wav", "--seed", "1"},
                  2,
                  "--seed requires --simulate-loss"},
        ErrorCase{"NoJobs",
                  {"encode", "speech.wav", "existing.g722", "-j", "0"},
                  2,
                  "--jobs 0: expected a number of files at once, 1 or more"},
        ErrorCase{"SeveralInputsNoFolder",
                  {"encode", "speech.wav", "speech.raw", "existing.g722"},
                  2,
                  "3 files and no output folder: name one with -o DIR"},
        ErrorCase{"ContainerOfAnotherRate",
                  {"encode", "speech.wav", "out.wav", "-b", "56000"},
                  2,
                  "cannot write 'out.wav': --bitrate 56000 does not fit a G.722 WAV file"},
        ErrorCase{
            "PackedContainer",
            {"encode", "speech.wav", "existing.g722", "--container", "au", "-p", "-b", "48000"},
            2,
            "cannot write 'existing.g722': --bitrate 48000 does not fit a G.722 AU file"},
        ErrorCase{"OptionContradictsHeader",
                  {"decode", "g722.wav", "out.wav", "-b", "48000"},
                  2,
                  "cannot decode 'g722.wav': --bitrate 48000 contradicts its WAV header"},
        ErrorCase{"UnreadableG722Header",
                  {"decode", "3ch-g722.wav", "out.wav"},
                  4,
                  "cannot decode '3ch-g722.wav': its G.722 WAV header says 3 channels"},
        ErrorCase{"UnknownOutputFormat",
                  {"decode", "codes.g722", "out.xyz"},
                  2,
                  "cannot write 'out.xyz': .xyz names no format decode writes"},
        ErrorCase{"NarrowbandCapture",
                  {"encode", "speech.wav", "call.pcap", "-n"},
                  2,
                  "cannot write 'call.pcap': --narrowband does not fit G.722 over RTP"},
        ErrorCase{"CaptureFromDecode",
                  {"decode", "codes.g722", "out.pcap"},
                  2,
                  "cannot write 'out.pcap': .pcap is a packet capture, which encode writes"},
        ErrorCase{"CaptureOptionForCodes",
                  {"decode", "codes.g722", "out.wav", "--stream", "1"},
                  2,
                  "cannot decode 'codes.g722': --stream is for packet captures"},
        ErrorCase{"CaptureOptionForACodeFile",
                  {"encode", "speech.wav", "existing.g722", "--rtp-dst", "10.0.0.1:5000"},
                  2,
                  "cannot write 'existing.g722': --rtp-dst is for packet captures"},
        ErrorCase{"CodesInAnAudioFormat",
                  {"encode", "speech.wav", "codes.flac"},
                  2,
                  "cannot write 'codes.flac': .flac is an audio format, which cannot hold codes"},
        ErrorCase{"RecordingInAnotherFormat",
                  {"record", "memo.flac"},
                  2,
                  "cannot record into 'memo.flac': record writes WAV files"},
        ErrorCase{"FractionOfASecond",
                  {"record", "memo.wav", "--seconds", "1.5"},
                  2,
                  "--seconds 1.5: not a whole number; expected whole seconds from 1 to 86400"},
        ErrorCase{"SecondsNotANumber",
                  {"record", "memo.wav", "--seconds", "abc"},
                  2,
                  "--seconds abc: not a number"},
        ErrorCase{"MissingInputs", {"decode"}, 2, "FILES is required"},
        ErrorCase{"RecordWithoutOutput", {"record", "--seconds", "2"}, 2, "OUT is required"},
        ErrorCase{"NoCommand", {}, 2, "usage: g722kit COMMAND [OPTIONS] [FILES]"},
        ErrorCase{"UnknownCommand",
                  {"play", "speech.wav"},
                  2,
                  "unknown command 'play' (the commands are encode, decode, record, info, "
                  "compare, help)"},
        ErrorCase{"HelpOfNoCommand", {"help", "play"}, 2, "no command 'play' to explain"}),
    [](const auto& info) { return info.param.name; });

// A write that fails halfway (the file size limit stands in for a full disk) must not cost the
// file that was there: the output is written beside it and only renamed when complete.
class ToolShortWrite : public ToolFailure,
                       public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(ToolShortWrite, KeepsTheExistingOutput) {
  const ToolResult result = RunTool(GetParam(), dir_.path(), {.max_file_bytes = 4096});
  EXPECT_EQ(result.exit_code, 5);
  EXPECT_TRUE(result.err.starts_with("g722kit: cannot write 'existing.g722': ")) << result.err;
  ExpectNothingChanged();
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ToolShortWrite,
    ::testing::Values(std::vector<std::string>{"encode", "speech.raw", "existing.g722"},
                      std::vector<std::string>{"encode", "speech.wav", "existing.g722"},
                      std::vector<std::string>{"decode", "codes.g722", "existing.g722"},
                      std::vector<std::string>{"decode", "codes.g722", "existing.g722", "--bitrate",
                                               "48000"}));

TEST(ToolHelp, EveryCommandHasHelpAndTheVersionIsTheLibrarys) {
  TempDir dir;
  for (const std::string command : {"", "encode", "decode", "record", "info", "compare"}) {
    std::vector<std::string> args = {"--help"};
    if (!command.empty()) args.insert(args.begin(), command);
    const ToolResult result = RunTool(args, dir.path());
    EXPECT_EQ(result.exit_code, 0) << command;
    EXPECT_NE(result.out.find("Usage: g722kit " + command), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Exit codes: 0 success"), std::string::npos) << result.out;
    EXPECT_EQ(result.err, "");
    std::vector<std::string> help = {"help"};
    if (!command.empty()) help.push_back(command);
    EXPECT_EQ(RunTool(help, dir.path()).out, result.out) << command;
  }
  const ToolResult version = RunTool({"--version"}, dir.path());
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "g722kit " G722KIT_VERSION_STRING "\n");
}

}  // namespace
}  // namespace g722kit::test
