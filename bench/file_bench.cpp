// The file operations on a 100 MB input, beside a plain read-and-write copy of the same file in
// reads of the same size: what the codec adds to the cost of moving the bytes. The files are in
// the system's temporary folder (normally in the page cache once written); figures are per
// second of the process's CPU time, the system's part included, which a shared machine's load
// disturbs less than wall-clock time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "g722kit/g722.h"
#include "g722kit/g722kit.h"
#include "test_support.h"

namespace g722kit::bench {
namespace {

constexpr size_t kFileBytes = 100 << 20;
constexpr size_t kReadBytes = 262144;  // as the file operations read

// A raw 8 kHz PCM file of speech and a file of its codes, both 100 MB, made on first use.
struct Files {
  test::TempDir folder;
  std::filesystem::path pcm = folder / "speech.raw";
  std::filesystem::path codes = folder / "speech.g722";
  std::filesystem::path out = folder / "out";

  Files() {
    const std::vector<int16_t> speech = test::SpeechLikeSignal(80000, 8000, 11);
    Fill(pcm, test::PcmBytes(speech));
    Fill(codes, test::EncodeAll(64000, G722Option8k, speech));
  }

  // Repeats block up to kFileBytes.
  static void Fill(const std::filesystem::path& file, const std::vector<uint8_t>& block) {
    std::vector<uint8_t> bytes;
    bytes.reserve(kFileBytes);
    while (bytes.size() < kFileBytes) {
      bytes.insert(bytes.end(), block.begin(),
                   block.begin() + static_cast<std::ptrdiff_t>(
                                       std::min(block.size(), kFileBytes - bytes.size())));
    }
    test::WriteBytes(file, bytes);
  }
};

Files& TheFiles() {
  static Files files;
  return files;
}

// An operation from one file to another; true when it succeeded.
using FileOperation = bool (*)(const std::filesystem::path& from, const std::filesystem::path& to);

bool Encode(const std::filesystem::path& from, const std::filesystem::path& to) {
  return G722Encode(test::U16(from).c_str(), test::U16(to).c_str()) == G722KIT_OK;
}

bool Decode(const std::filesystem::path& from, const std::filesystem::path& to) {
  return G722Decode(test::U16(from).c_str(), test::U16(to).c_str()) == G722KIT_OK;
}

bool Copy(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::FILE* in = std::fopen(from.string().c_str(), "rb");
  std::FILE* out = std::fopen(to.string().c_str(), "wb");
  bool ok = in && out;
  std::vector<uint8_t> buffer(kReadBytes);
  while (ok) {
    const size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
    if (n == 0) break;
    ok = std::fwrite(buffer.data(), 1, n, out) == n;
  }
  if (in) std::fclose(in);
  if (out) std::fclose(out);
  return ok;
}

// The operation on the PCM file or the code file, in MB of input per second.
void FileRow(benchmark::State& bench, FileOperation operation, bool codes) {
  Files& files = TheFiles();
  for (auto _ : bench) {
    if (!operation(codes ? files.codes : files.pcm, files.out)) bench.SkipWithError("failed");
  }
  bench.counters["MB/s"] = benchmark::Counter(
      static_cast<double>(bench.iterations()) * kFileBytes / 1e6, benchmark::Counter::kIsRate);
}

}  // namespace

void RegisterFileRows(int64_t fixed_iterations) {
  benchmark::internal::Benchmark* rows[] = {
      benchmark::RegisterBenchmark("file/G722Encode/100MB", FileRow, Encode, false),
      benchmark::RegisterBenchmark("file/copy_pcm/100MB", FileRow, Copy, false),
      benchmark::RegisterBenchmark("file/G722Decode/100MB", FileRow, Decode, true),
      benchmark::RegisterBenchmark("file/copy_codes/100MB", FileRow, Copy, true),
  };
  for (benchmark::internal::Benchmark* row : rows) {
    row->Unit(benchmark::kMillisecond);
    if (fixed_iterations > 0) row->Iterations(fixed_iterations);
  }
}

}  // namespace g722kit::bench
