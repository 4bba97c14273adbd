// How the tool opens, reads, writes and replaces files: links, devices, pipes, FIFOs, stdin and
// stdout, names that are not UTF-8, inputs that are not what they seem, and signals. Each case
// is a bash script run in a folder of inputs; the command g722kit runs the tool.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "audio_files.h"
#include "test_support.h"
#include "tool_process.h"

namespace g722kit::test {
namespace {

namespace fs = std::filesystem;

const std::vector<int16_t>& Speech() {  // 2 s at 8000 samples/s
  static const std::vector<int16_t> speech = SpeechLikeSignal(16000, 8000, 3);
  return speech;
}

const std::vector<uint8_t>& Codes() {  // Speech() in the library's format
  static const std::vector<uint8_t> codes = EncodeAll(64000, G722Option8k, Speech());
  return codes;
}

const std::vector<int16_t>& WideSpeech() {  // 1 s at 16000 samples/s
  static const std::vector<int16_t> speech = SpeechLikeSignal(16000, 16000, 5);
  return speech;
}

std::vector<int16_t> Decoded(int32_t options) {
  return DecodeAll(64000, options, Codes());
}

// The inputs every case finds in its folder: Speech() in several formats, and its codes.
void WriteInputs(const TempDir& dir) {
  const Audio speech{8000, 1, Speech()};
  WriteWav(dir / "speech.wav", speech);
  WriteBytes(dir / "speech.raw", PcmBytes(Speech()));
  WriteAudioFile(dir / "speech.flac", speech, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  WriteAudioFile(dir / "speech.aiff", speech, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
  WriteAudioFile(dir / "speech.au", speech, SF_FORMAT_AU | SF_FORMAT_PCM_16);
  WriteAudioFile(dir / "speech.w64", speech, SF_FORMAT_W64 | SF_FORMAT_PCM_16);
  WriteAudioFile(dir / "speech.ogg", speech, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  WriteBytes(dir / "codes.g722", Codes());
  WriteWav(dir / "slow.wav", {1, 1, Speech()});  // 1 sample/s: hours of audio once resampled
  std::vector<uint8_t> big_endian = PcmBytes(WideSpeech());
  for (size_t i = 0; i < big_endian.size(); i += 2)
    std::swap(big_endian[i], big_endian[i + 1]);
  WriteBytes(dir / "wide.pcm", big_endian);
}

void ExpectBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
  EXPECT_TRUE(ReadBytes(file) == bytes) << file << " differs";
}

void ExpectSamples(const fs::path& file, const std::vector<int16_t>& samples) {
  EXPECT_TRUE(ReadAudio(file).samples == samples) << file << " differs";
}

struct IoCase {
  std::string name;
  std::string script;
  int exit_code;
  std::string out;  // stdout holds it, or is empty when it is empty
  std::string err;  // likewise for stderr
  std::function<void(const TempDir&)> check = [](const TempDir&) {};
};

void PrintTo(const IoCase& c, std::ostream* os) {
  *os << c.name;
}

void ExpectStream(const std::string& name, const std::string& text, const std::string& part) {
  if (part.empty()) {
    EXPECT_EQ(text, "") << name;
  } else {
    EXPECT_NE(text.find(part), std::string::npos) << name << ":\n" << text;
  }
}

class ToolIo : public ::testing::TestWithParam<IoCase> {};

TEST_P(ToolIo, DoesWhatTheNamesAsk) {
  const IoCase& c = GetParam();
  TempDir dir;
  WriteInputs(dir);
  const ToolResult result = RunScript(c.script, dir.path());
  EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
  ExpectStream("stdout", result.out, c.out);
  ExpectStream("stderr", result.err, c.err);
  c.check(dir);
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".g722kit-")) << entry.path();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ToolIo,
    ::testing::Values(
        IoCase{"LinkStaysALinkAndItsTargetIsReplaced",
               "mkdir sub && echo old >sub/target.g722 && ln -s sub/target.g722 link.g722\n"
               "g722kit encode -n speech.raw link.g722",
               0, "-> link.g722: 16000 bytes of codes", "",
               [](const TempDir& dir) {
                 EXPECT_TRUE(fs::is_symlink(dir / "link.g722"));
                 ExpectBytes(dir / "sub/target.g722", Codes());
               }},
        IoCase{"DanglingLinkGetsItsTargetCreated",
               "ln -s new.g722 link.g722 && g722kit encode -n speech.wav link.g722", 0, "-> link",
               "",
               [](const TempDir& dir) {
                 EXPECT_TRUE(fs::is_symlink(dir / "link.g722"));
                 ExpectBytes(dir / "new.g722", Codes());
               }},
        // out.g722 is copied into (it has another name), lone.g722 renamed over.
        IoCase{"ReplacedFileKeepsModeOwnerAndHardLinks",
               "echo old >out.g722 && chmod 640 out.g722 && ln out.g722 other.g722\n"
               "cp -p out.g722 lone.g722 && chown 1234:1234 out.g722 lone.g722 2>/dev/null\n"
               "g722kit encode -qn speech.raw out.g722 && g722kit encode -qn speech.raw lone.g722",
               0, "", "",
               [](const TempDir& dir) {
                 ExpectBytes(dir / "other.g722", Codes());
                 ExpectBytes(dir / "lone.g722", Codes());
                 EXPECT_TRUE(fs::equivalent(dir / "out.g722", dir / "other.g722"));
                 for (const char* name : {"out.g722", "lone.g722"}) {
                   struct stat info {};
                   ASSERT_EQ(stat((dir / name).c_str(), &info), 0);
                   EXPECT_EQ(info.st_mode & 07777, 0640u) << name;
                   EXPECT_EQ(info.st_uid, geteuid() == 0 ? 1234u : geteuid()) << name;
                 }
               }},
        // As sox does: the output is made in $TMPDIR and copied in. Root may write anywhere,
        // so it runs the tool as nobody.
        IoCase{
            "FileInAFolderThatTakesNoNewFileIsReplaced",
            "mkdir ro tmp && echo old >ro/out.wav && chmod 666 ro/out.wav && chmod 555 ro\n"
            "chmod 777 . tmp && export -f g722kit && as=()\n"
            "[ \"$(id -u)\" = 0 ] && as=(setpriv --reuid=65534 --regid=65534 --clear-groups)\n"
            "TMPDIR=$PWD/tmp \"${as[@]}\" bash -c 'g722kit decode -q codes.g722 ro/out.wav'\n"
            "status=$? && chmod 755 ro && exit $status",
            0, "", "",
            [](const TempDir& dir) { ExpectSamples(dir / "ro/out.wav", Decoded(G722Option8k)); }},
        IoCase{"LongestNamesWork", "g722kit encode -qn speech.raw $(printf 'n%.0s' {1..250}).g722",
               0, "", "",
               [](const TempDir& dir) {
                 ExpectBytes(dir / (std::string(250, 'n') + ".g722"), Codes());
               }},
        IoCase{"DevNullInEveryMode",
               "set -e\n"
               "g722kit encode speech.raw /dev/null\n"
               "g722kit encode speech.wav /dev/null --wideband\n"
               "g722kit decode codes.g722 /dev/null\n"
               "g722kit decode codes.g722 /dev/null --bitrate 48000 --packed",
               0, "codes.g722 (16000 bytes) -> /dev/null: 2.67 s at 16000 Hz", ""},
        IoCase{"FifoIsWrittenDirectly",
               "mkfifo out.wav && { cat out.wav >got.wav & } && g722kit decode -q codes.g722 "
               "out.wav && wait",
               0, "", "",
               [](const TempDir& dir) { ExpectSamples(dir / "got.wav", Decoded(G722Option8k)); }},
        IoCase{"DashIsStdoutAndTheSummaryGoesToStderr",
               "g722kit encode -n speech.wav - >codes-out.g722", 0, "",
               "speech.wav (8000 Hz, 1 channel, 2.00 s) -> -: 16000 bytes of codes",
               [](const TempDir& dir) { ExpectBytes(dir / "codes-out.g722", Codes()); }},
        IoCase{"PipeOnStdoutGetsAWavStream", "g722kit decode -q codes.g722 - | cat >got.wav", 0, "",
               "",
               [](const TempDir& dir) { ExpectSamples(dir / "got.wav", Decoded(G722Option8k)); }},
        IoCase{"DevStdoutIsTheDescriptor",
               "g722kit decode -q codes.g722 /dev/stdout --wideband >got.wav", 0, "",
               "decoded as two-band, as -w asks",
               [](const TempDir& dir) {
                 EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
                 ExpectSamples(dir / "got.wav", Decoded(0));
               }},
        IoCase{
            "QuietDrawsNoProgressBarOnATerminal",  // the input pauses past the bar's delay
            "sox speech.wav long.wav repeat 4 && g722kit encode -q long.wav codes.wav\n"
            "mkfifo in.wav && ({ head -c 70000 codes.wav; sleep 1; cat; } <codes.wav >in.wav &)\n"
            "export -f g722kit && SHELL=/bin/bash script -qec 'g722kit decode -q in.wav out.wav' "
            "/dev/null </dev/null",
            0, "", ""},
        IoCase{"OutputInTheFormatItsNameSays",
               "g722kit decode -q codes.g722 out.flac && g722kit decode -q codes.g722 out.aiff", 0,
               "", "",
               [](const TempDir& dir) {
                 for (const char* name : {"out.flac", "out.aiff"}) {
                   SF_INFO info{};
                   SNDFILE* file = sf_open((dir / name).c_str(), SFM_READ, &info);
                   sf_close(file);
                   EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK,
                             name[4] == 'f' ? SF_FORMAT_FLAC : SF_FORMAT_AIFF);
                   ExpectSamples(dir / name, Decoded(G722Option8k));
                 }
               }},
        IoCase{"BashCompletesCommandsOptionsAndValues",
               "source " G722KIT_COMPLETION "\n"
               "c() { COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _g722kit; echo "
               "\"${COMPREPLY[*]}\"; }\n"
               "c g722kit en && c g722kit decode --en && c g722kit encode --container ''\n"
               "c g722kit decode -b 4 && c g722kit info codes.g7 && c g722kit decode --st "
               "&& c g722kit decode --sim",
               0,
               "encode\n--endian\nwav au pcap raw\n48000\ncodes.g722\n--stream "
               "--stereo\n--simulate-loss\n",
               ""},
        IoCase{"RawOutputHasNoHeader", "g722kit decode -q codes.g722 out.raw --endian big", 0, "",
               "",
               [](const TempDir& dir) {
                 std::vector<uint8_t> big = PcmBytes(Decoded(G722Option8k));
                 for (size_t i = 0; i < big.size(); i += 2)
                   std::swap(big[i], big[i + 1]);
                 ExpectBytes(dir / "out.raw", big);
               }}),
    [](const auto& info) { return info.param.name; });

constexpr const char* kDecodedSummary = "(16000 bytes) -> out.wav: 2.00 s at 8000 Hz";

std::function<void(const TempDir&)> HasCodes() {
  return [](const TempDir& dir) { ExpectBytes(dir / "out.g722", Codes()); };
}

std::function<void(const TempDir&)> HasNoOutput(const std::string& name) {
  return [name](const TempDir& dir) { EXPECT_FALSE(fs::exists(dir / name)); };
}

// "cannot decode 'speech.flac': it is a FLAC audio file, ..."
IoCase RefusedByDecode(const std::string& format, const std::string& file,
                       const std::string& what) {
  return {"DecodeRefuses" + format,
          "g722kit decode " + file + " out.wav",
          4,
          "",
          "g722kit: cannot decode '" + file + "': it is " + what +
              ", not G.722 codes; did you mean encode?\n",
          HasNoOutput("out.wav")};
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ToolIo,
    ::testing::Values(
        IoCase{"StdinPipe", "cat codes.g722 | g722kit decode - out.wav", 0,
               std::string("- ") + kDecodedSummary, "",
               [](const TempDir& dir) { ExpectSamples(dir / "out.wav", Decoded(G722Option8k)); }},
        IoCase{"ProcessSubstitution", "g722kit decode <(cat codes.g722) out.wav", 0,
               "(16000 bytes) -> out.wav: 2.00 s at 8000 Hz", "",
               [](const TempDir& dir) { ExpectSamples(dir / "out.wav", Decoded(G722Option8k)); }},
        IoCase{"NamedFifoIsOpenedOnce",
               "mkfifo in.raw && (cat speech.raw >in.raw &)\n"
               "g722kit encode -n in.raw out.g722",
               0, "in.raw (8000 Hz, 1 channel, 2.00 s) -> out.g722: 16000 bytes of codes", "",
               HasCodes()},
        IoCase{"DevStdinInABatch",  // each file is converted by a worker process
               "cat codes.g722 | g722kit decode -q /dev/stdin codes.g722 -o out/", 0, "", "",
               [](const TempDir& dir) {
                 ExpectSamples(dir / "out/stdin.wav", Decoded(G722Option8k));
                 ExpectSamples(dir / "out/codes.wav", Decoded(G722Option8k));
               }},
        IoCase{"InfoAndCompareReadStdin",
               "g722kit info - <codes.g722 && cat speech.wav | g722kit compare - >/dev/null", 0,
               "-: 16000 bytes, not an audio file", ""},
        IoCase{"DecodeTellsTheBandFromTheCodes",
               "g722kit encode -q speech.wav wide.g722 && g722kit decode wide.g722 wide.wav\n"
               "g722kit decode -n wide.g722 narrow.wav",
               0, "  two-band codes: their upper band varies\n",
               "decoded as 8 kHz lower-band-only, as -n asks",
               [](const TempDir& dir) {
                 EXPECT_EQ(ReadAudio(dir / "wide.wav").rate, 16000);
                 EXPECT_EQ(ReadAudio(dir / "narrow.wav").rate, 8000);
               }},
        // A stream is looked at as far as it can go back to: its first megabyte.
        IoCase{"StreamWhoseBandShowsLate",
               "head -c 1048576 /dev/zero | tr '\\0' '\\377' >late.g722\n"
               "g722kit encode -q speech.wav wide.g722 && cat late.g722 wide.g722 | g722kit decode "
               "- out.wav",
               0, "the upper band of every code in the first 1048576 bytes is 3",
               "as its first 1048576 bytes showed; decode it again with -w",
               [](const TempDir& dir) { EXPECT_EQ(ReadAudio(dir / "out.wav").rate, 8000); }},
        IoCase{"EmptyInputsAreWarnedAbout",
               ": >empty.g722 && : >empty.raw && g722kit decode -q empty.g722 out.wav\n"
               "g722kit encode -q empty.raw out.g722",
               0, "", "g722kit: warning: 'empty.raw' holds no audio; 'out.g722' holds no codes\n",
               [](const TempDir& dir) {
                 EXPECT_EQ(ReadAudio(dir / "out.wav").samples.size(), 0u);
                 EXPECT_EQ(ReadBytes(dir / "out.g722").size(), 0u);
               }},
        IoCase{"DoubleDashEndsTheOptions",
               "cp speech.raw ./-dash.raw && g722kit encode -qn -- -dash.raw out.g722", 0, "", "",
               HasCodes()},
        IoCase{"WavOnStdin", "g722kit encode -n - out.g722 <speech.wav", 0,
               "- (8000 Hz, 1 channel, 2.00 s) -> out.g722", "", HasCodes()},
        IoCase{"FlacThroughAPipe", "cat speech.flac | g722kit encode -qn - out.g722", 0, "", "",
               HasCodes()},
        IoCase{"AiffThroughAPipe", "cat speech.aiff | g722kit encode -qn - out.g722", 0, "", "",
               HasCodes()},
        IoCase{"RawOfAnotherRateAndByteOrder",
               "g722kit encode -q --wideband --rate 16000 --endian big wide.pcm out.g722", 0, "",
               "",
               [](const TempDir& dir) {
                 ExpectBytes(dir / "out.g722", EncodeAll(64000, 0, WideSpeech()));
               }},
        IoCase{"NamesThatAreNotUtf8",
               "g722kit encode -qn speech.raw $'bad\\xff.g722'\n"
               "g722kit decode -q $'bad\\xff.g722' $'bad\\xff.wav' && mv $'bad\\xff.wav' out.wav",
               0, "", "",
               [](const TempDir& dir) { ExpectSamples(dir / "out.wav", Decoded(G722Option8k)); }},
        IoCase{"TruncatedWavIsCodedWithAWarning",
               "head -c 20044 speech.wav >cut.wav && g722kit encode cut.wav out.g722", 0,
               "cut.wav (8000 Hz, 1 channel, 1.25 s) -> out.g722: 10000 bytes of codes",
               "g722kit: warning: 'cut.wav': premature end of file: 10000 of 16000 samples; "
               "encoded the 1.25 s it holds\n"},
        // Their readers look for chunks behind the audio, then go back to it: in a stream, past
        // the first megabyte that the tool keeps.
        IoCase{"LongStreamsCodeAsTheirFiles",
               "for f in wav aiff w64 caf; do\n"
               "  sox -n -r 16000 -b 16 long.$f synth 40 sine 300\n"
               "  cat long.$f | g722kit encode -q - stream.g722 && g722kit encode -q long.$f "
               "file.g722 && cmp stream.g722 file.g722 || exit 1\n"
               "done",
               0, "", ""},
        // A chunk of 2 MiB before the audio: the audio starts past the kept first megabyte, where
        // the stream cannot go back to.
        IoCase{"StreamThatMustSkipFarIsRefused",
               "{ printf 'RIFF\\377\\377\\377\\177WAVEJUNK\\000\\000\\040\\000'\n"
               "  head -c 2097152 /dev/zero\n"
               "  printf 'fmt \\020\\000\\000\\000\\001\\000\\001\\000\\100\\037\\000\\000'\n"
               "  printf '\\200\\076\\000\\000\\002\\000\\020\\000data\\000\\010\\000\\000'\n"
               "  head -c 2048 /dev/zero; } >junk.wav\n"
               "g722kit encode -q junk.wav file.g722 && cat junk.wav | g722kit encode - out.g722",
               3, "",
               "g722kit: cannot read '-': its format must be read from a file, not a stream; "
               "save it to a file first\n",
               HasNoOutput("out.g722")},
        IoCase{"RateOfOneHertzIsRefused", "g722kit encode slow.wav out.g722 --wideband", 4, "",
               "g722kit: cannot read 'slow.wav': its sample rate of 1 Hz is below 1000 Hz\n",
               HasNoOutput("out.g722")},
        IoCase{"RateOptionOnAWavIsRefused", "g722kit encode --rate 16000 speech.wav out.g722", 2,
               "", "is a WAV audio file", HasNoOutput("out.g722")},
        RefusedByDecode("Flac", "speech.flac", "a FLAC audio file"),
        RefusedByDecode("Aiff", "speech.aiff", "an AIFF audio file"),
        RefusedByDecode("Au", "speech.au", "an AU audio file"),
        RefusedByDecode("W64", "speech.w64", "a W64 audio file"),
        RefusedByDecode("Ogg", "speech.ogg", "an Ogg audio file"),
        // A capture's streams wait in $TMPDIR until every output is written.
        IoCase{"CaptureStreamsWaitInTheTemporaryFolder",
               "g722kit encode -q speech.wav call.pcap\n"
               "TMPDIR=$PWD/none g722kit decode call.pcap out.wav",
               5, "", "g722kit: cannot create a temporary file in '", HasNoOutput("out.wav")},
        IoCase{"DecodeRefusesText",
               "printf 'a note\\n' >notes.g722 && g722kit decode notes.g722 out.wav", 4, "",
               "g722kit: cannot decode 'notes.g722': it is text, not G.722 codes\n",
               HasNoOutput("out.wav")}),
    [](const auto& info) { return info.param.name; });

// A signal while the output is being written deletes the temporary file and ends the tool as
// the signal would.
class ToolSignal : public ::testing::TestWithParam<int> {};

TEST_P(ToolSignal, LeavesNoTemporaryFile) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "in.raw").c_str(), 0600), 0);
  ToolProcess tool({"encode", "in.raw", "out.g722"}, dir.path());
  int fifo = -1;  // opens once the tool has opened the other end
  for (int i = 0; i < 1000 && fifo < 0; i++) {
    fifo = open((dir / "in.raw").c_str(), O_WRONLY | O_NONBLOCK);
    if (fifo < 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_GE(fifo, 0);
  const std::vector<uint8_t> some = PcmBytes(Speech());
  ASSERT_EQ(write(fifo, some.data(), some.size()), static_cast<ssize_t>(some.size()));
  const auto temporary_exists = [&] {
    for (const auto& entry : fs::directory_iterator(dir.path()))
      if (entry.path().filename().string().starts_with(".g722kit-")) return true;
    return false;
  };
  for (int i = 0; i < 1000 && !temporary_exists(); i++)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(temporary_exists());
  tool.Signal(GetParam());
  const ToolResult result = tool.Wait();
  close(fifo);
  EXPECT_EQ(result.signal, GetParam());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, ToolSignal, ::testing::Values(SIGHUP, SIGINT, SIGPIPE, SIGTERM),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
}  // namespace g722kit::test
