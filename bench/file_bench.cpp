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

void SetThroughput(benchmark::State& bench) {
  bench.counters["MB/s"] = benchmark::Counter(
      static_cast<double>(bench.iterations()) * kFileBytes / 1e6, benchmark::Counter::kIsRate);
}

void EncodeFile(benchmark::State& bench) {
  Files& files = TheFiles();
  for (auto _ : bench) {
    if (G722Encode(test::U16(files.pcm).c_str(), test::U16(files.out).c_str()) != G722KIT_OK) {
      bench.SkipWithError("G722Encode failed");
    }
  }
  SetThroughput(bench);
}

void DecodeFile(benchmark::State& bench) {
  Files& files = TheFiles();
  for (auto _ : bench) {
    if (G722Decode(test::U16(files.codes).c_str(), test::U16(files.out).c_str()) != G722KIT_OK) {
      bench.SkipWithError("G722Decode failed");
    }
  }
  SetThroughput(bench);
}

void CopyFile(benchmark::State& bench, bool codes) {
  Files& files = TheFiles();
  for (auto _ : bench) {
    if (!Copy(codes ? files.codes : files.pcm, files.out)) bench.SkipWithError("copy failed");
  }
  SetThroughput(bench);
}

}  // namespace

void RegisterFileRows(int64_t fixed_iterations) {
  benchmark::internal::Benchmark* rows[] = {
      benchmark::RegisterBenchmark("file/G722Encode/100MB", EncodeFile),
      benchmark::RegisterBenchmark("file/copy_pcm/100MB", CopyFile, false),
      benchmark::RegisterBenchmark("file/G722Decode/100MB", DecodeFile),
      benchmark::RegisterBenchmark("file/copy_codes/100MB", CopyFile, true),
  };
  for (benchmark::internal::Benchmark* row : rows) {
    row->Unit(benchmark::kMillisecond);
    if (fixed_iterations > 0) row->Iterations(fixed_iterations);
  }
}

}  // namespace g722kit::bench
