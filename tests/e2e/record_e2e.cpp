// End-to-end recording through the library's exports and the real ALSA backend, driven by
// record_e2e.sh, which owns the sound server. The two talk through marker files in the work
// folder: this program asks for the server, the driver reports it up; later this program asks
// for it to be killed, and the driver reports it gone.
//
//   record_e2e WORK_DIR REFERENCE.raw [no-server | server]
//
// REFERENCE.raw is the speech the driver plays into the server's sink (16-bit mono, 8000
// samples/s, no header). With no third argument the program first records with no server, then
// asks for one, so that it also checks that a server started after a failed Start is found by
// the next Start; "no-server" and "server" run one of the two phases. Prints one line per check
// and exits 0 when all passed.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "g722kit/g722kit.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int64_t kSecondBytes = 16000;
constexpr int kSecondsToRecord = 3;
constexpr auto kDeadline = std::chrono::seconds(30);  // generous: timing is not under test

int passed = 0;
int failed = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
  std::fflush(stdout);
  (ok ? passed : failed)++;
}

std::vector<uint8_t> ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

bool Id(const std::vector<uint8_t>& b, size_t at, const char* id) {
  return std::memcmp(b.data() + at, id, 4) == 0;
}

std::vector<double> Samples(const std::vector<uint8_t>& bytes, size_t from) {
  std::vector<double> out;
  for (size_t i = from; i + 1 < bytes.size(); i += 2)
    out.push_back(static_cast<int16_t>(U16(bytes, i)));
  return out;
}

double Rms(const double* x, size_t n) {
  double sum = 0;
  for (size_t i = 0; i < n; i++)
    sum += x[i] * x[i];
  return std::sqrt(sum / static_cast<double>(n));
}

// Whether file is a complete WAV of 16-bit mono 8000/s PCM holding exactly seconds seconds.
bool IsWavOfSeconds(const std::vector<uint8_t>& file, int32_t seconds) {
  const int64_t data = kSecondBytes * seconds;
  return static_cast<int64_t>(file.size()) == 44 + data && Id(file, 0, "RIFF") &&
         U32(file, 4) == 36 + data && Id(file, 8, "WAVE") && Id(file, 12, "fmt ") &&
         U32(file, 16) == 16 && U16(file, 20) == 1 && U16(file, 22) == 1 && U32(file, 24) == 8000 &&
         U32(file, 28) == 16000 && U16(file, 32) == 2 && U16(file, 34) == 16 &&
         Id(file, 36, "data") && U32(file, 40) == data;
}

// The header on disk read first, then the file's size: the header may lag the samples
// behind it but must never claim more than the file holds.
bool HeaderHoldsTrue(const fs::path& file, int64_t& size) {
  std::vector<uint8_t> head(44);
  std::ifstream in(file, std::ios::binary);
  in.read(reinterpret_cast<char*>(head.data()), 44);
  std::error_code error;
  const uintmax_t bytes = fs::file_size(file, error);
  if (!in || error) return false;
  size = static_cast<int64_t>(bytes);
  const uint32_t data = U32(head, 40);
  return Id(head, 0, "RIFF") && U32(head, 4) == data + 36 && data % kSecondBytes == 0 &&
         44 + int64_t{data} <= size;
}

bool WaitFor(const fs::path& marker) {
  const auto end = Clock::now() + kDeadline;
  while (!fs::exists(marker)) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void Mark(const fs::path& marker) {
  std::ofstream{marker};
}

int32_t Start(const fs::path& file) {
  return G711ADPCMSoundRecorderStart(file.u16string().c_str());
}

// Waits until the recording holds at least seconds seconds, checking the header on disk all
// the while. False when the deadline passes first or the header ever claimed too much.
bool RecordAtLeast(const fs::path& file, int seconds) {
  const auto end = Clock::now() + kDeadline;
  bool header_true = true;
  int64_t size = 0;
  while (size < 44 + kSecondBytes * seconds && Clock::now() < end) {
    header_true = HeaderHoldsTrue(file, size) && header_true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Check(header_true, "while recording, the header on disk never claims more than the file holds");
  return size >= 44 + kSecondBytes * seconds;
}

// Where the best normalised correlation of chunk with reference lies among the offsets
// [from, to), and how good it is.
struct Match {
  size_t offset = 0;
  double correlation = -1;
};

Match BestMatch(const double* chunk, size_t n, const std::vector<double>& reference, size_t from,
                size_t to) {
  const double chunk_energy = Rms(chunk, n) * Rms(chunk, n) * static_cast<double>(n);
  Match best;
  for (size_t at = from; at < to && at + n <= reference.size(); at++) {
    double product = 0, energy = 0;
    for (size_t i = 0; i < n; i++) {
      product += chunk[i] * reference[at + i];
      energy += reference[at + i] * reference[at + i];
    }
    const double correlation = product / std::sqrt(chunk_energy * energy + 1e-9);
    if (correlation > best.correlation) best = {at, correlation};
  }
  return best;
}

// The played speech must be in the recording: loud enough, and every loud quarter second of
// the recording must be a piece of the reference, in the order and at the spacing it was
// played, so that no audio was lost, repeated or reordered between the seconds.
void CheckSpeech(const std::vector<double>& recorded, const std::vector<double>& reference) {
  constexpr size_t kChunk = 2000;  // a quarter second
  constexpr size_t kSlack = 8;     // samples of jitter allowed between chunks
  const double reference_rms = Rms(reference.data(), reference.size());
  const double recorded_rms = Rms(recorded.data(), recorded.size());
  Check(recorded_rms > 0.25 * reference_rms, "the recording has the speech's energy (rms " +
                                                 std::to_string(recorded_rms) + ", speech " +
                                                 std::to_string(reference_rms) + ")");
  int loud = 0, found = 0;
  bool in_step = true;
  Match anchor;
  size_t anchor_chunk = 0;
  for (size_t c = 0; c + kChunk <= recorded.size(); c += kChunk) {
    const double* chunk = recorded.data() + c;
    if (Rms(chunk, kChunk) < 0.3 * reference_rms) continue;
    loud++;
    Match match;
    if (anchor.correlation < 0) {
      match = BestMatch(chunk, kChunk, reference, 0, reference.size());
      anchor = match;
      anchor_chunk = c;
    } else {
      const size_t expected = anchor.offset + (c - anchor_chunk);
      match = BestMatch(chunk, kChunk, reference, expected > kSlack ? expected - kSlack : 0,
                        expected + kSlack + 1);
      if (match.correlation < 0.9) {
        in_step = false;
        const Match anywhere = BestMatch(chunk, kChunk, reference, 0, reference.size());
        std::printf("  the quarter second at %.2f s: %.2f in step; %.2f %+ld samples away\n",
                    static_cast<double>(c) / 8000, match.correlation, anywhere.correlation,
                    static_cast<long>(anywhere.offset) - static_cast<long>(expected));
      }
    }
    if (match.correlation >= 0.9) found++;
  }
  Check(loud >= 4, std::to_string(loud) + " loud quarter seconds recorded (at least 4)");
  Check(found == loud, std::to_string(found) + " of them correlate with the speech (>= 0.9)");
  Check(in_step, "the pieces follow each other as they were played");
}

// No sound server: Start fails cleanly, leaving no file, and Stop touches nothing.
void RecordWithoutServer(const fs::path& work) {
  const auto started = Clock::now();
  Check(Start(work / "no-server.wav") == G722KIT_ERR_DEVICE_OPEN,
        "with no server, Start returns 1");
  Check(Clock::now() - started < std::chrono::seconds(5), "and does so at once");
  Check(G711ADPCMSoundRecorderStop() == 0, "Stop returns 0");
  Check(!fs::exists(work / "no-server.wav"), "leaving no file behind");
}

// Asks the driver for the server, records the speech it plays, then records while the driver
// kills the server.
void RecordWithServer(const fs::path& work, const std::vector<double>& reference) {
  Mark(work / "server.wanted");
  if (!WaitFor(work / "server.up")) {
    Check(false, "the driver started the sound server");
    return;
  }
  const fs::path speech = work / "speech.wav";
  Check(Start(speech) == G722KIT_OK, "with the server up, Start returns 999");
  Check(RecordAtLeast(speech, kSecondsToRecord),
        "the recording grows to " + std::to_string(kSecondsToRecord) + " seconds");
  const int32_t seconds = G711ADPCMSoundRecorderStop();
  const std::vector<uint8_t> file = ReadFile(speech);
  Check(seconds >= kSecondsToRecord, "Stop returns " + std::to_string(seconds));
  Check(G711ADPCMSoundRecorderStatus() == G722KIT_OK, "every second delivered was written");
  Check(IsWavOfSeconds(file, seconds), "the file is a WAV of exactly those seconds");
  CheckSpeech(Samples(file, 44), reference);

  // The server dies while recording: no hang, the completed seconds stay.
  const fs::path killed = work / "killed.wav";
  Check(Start(killed) == G722KIT_OK, "a second recording starts");
  Check(RecordAtLeast(killed, 1), "and records a second");
  Mark(work / "kill.wanted");
  Check(WaitFor(work / "server.gone"), "the driver killed the server");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const auto stopping = Clock::now();
  const int32_t kept = G711ADPCMSoundRecorderStop();
  Check(Clock::now() - stopping < std::chrono::seconds(5), "Stop returns at once");
  Check(kept >= 1, "keeping " + std::to_string(kept) + " seconds");
  Check(IsWavOfSeconds(ReadFile(killed), kept), "in a WAV of exactly those seconds");
#if !defined(_WIN32)
  // Wine's winmm reports nothing when its sound server goes away: it only stops handing buffers
  // back, which it also does for a device that merely stalls.
  const int32_t status = G711ADPCMSoundRecorderStatus();
  Check(status == G722KIT_ERR_DEVICE_START,
        "the status tells that input failed (" + std::to_string(status) + ")");
#endif
}

}  // namespace

int main(int argc, char** argv) {
  const std::string phase = argc == 4 ? argv[3] : "";
  if (argc < 3 || argc > 4 || (argc == 4 && phase != "no-server" && phase != "server")) {
    std::fprintf(stderr, "usage: %s WORK_DIR REFERENCE.raw [no-server | server]\n", argv[0]);
    return 2;
  }
  const fs::path work = argv[1];
  const std::vector<double> reference = Samples(ReadFile(argv[2]), 0);
  if (phase != "server") RecordWithoutServer(work);
  if (phase != "no-server") RecordWithServer(work, reference);
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
