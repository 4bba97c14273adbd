// Lost packets over speech: 20 ms packets lost at random (5% and 15%), in bursts of 3 and in
// one 200 ms outage, decoded by G722PacketDecoder, which conceals them, and by the baseline of
// an application without it (silence in the hole, the decoder skipping the lost bytes), both
// against the stream decoded with nothing lost. Prints the five figures of each for 64000 bit/s
// two-band and 8 kHz, then what concealing costs.
//
//   g722kit_loss_bench [--seed N] FILE.wav...     16 kHz mono speech (the 8 kHz input is made
//                                                 from it)
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "g722kit/g722.h"
#include "loss_metrics.h"

namespace {

using namespace g722kit::loss;

struct Speech {
  std::string name;
  std::vector<int16_t> pcm;  // 16 kHz
};

bool ReadSpeech(const char* path, Speech& speech) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path, SFM_READ, &info);
  if (file == nullptr) {
    std::fprintf(stderr, "%s: %s\n", path, sf_strerror(nullptr));
    return false;
  }
  if (info.samplerate != 16000 || info.channels != 1) {
    std::fprintf(stderr, "%s: not 16000 Hz mono (sox IN -r 16000 -c 1 OUT makes it so)\n", path);
    sf_close(file);
    return false;
  }
  speech.name = path;
  speech.pcm.resize(static_cast<size_t>(info.frames));
  speech.pcm.resize(static_cast<size_t>(sf_read_short(file, speech.pcm.data(), info.frames)));
  sf_close(file);
  return true;
}

struct Config {
  const char* name;
  int32_t options;
  int sample_rate;
};

struct Scenario {
  const char* name;
  double percent;  // 0: the outage
  int burst;
};

constexpr Scenario kScenarios[] = {{"random 5%", 5, 1},
                                   {"random 15%", 15, 1},
                                   {"bursts of 3, 10%", 10, 3},
                                   {"200 ms outage", 0, 0}};
constexpr size_t kOutagePackets = 10;

std::vector<uint8_t> Encode(const Config& config, const std::vector<int16_t>& pcm) {
  G722State state;
  G722EncoderInit(&state, 64000, config.options);
  std::vector<uint8_t> codes(pcm.size());
  codes.resize(static_cast<size_t>(
      G722EncodeSamples(&state, codes.data(), pcm.data(), static_cast<int32_t>(pcm.size()))));
  return codes;
}

struct Both {
  Figures concealed, baseline;
  void Add(const Both& more) {
    concealed.Add(more.concealed);
    baseline.Add(more.baseline);
  }
};

// One cell: the concealed figure beside the baseline's, or alone.
std::string Cell(double ours, double base, const char* format) {
  auto text = [&](double v) {
    if (std::isnan(v)) return std::string("-");
    if (std::isinf(v)) return std::string(v < 0 ? "silent" : "inf");
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, v);
    return std::string(buffer);
  };
  return std::isnan(base) ? text(ours) : text(ours) + " / " + text(base);
}

double EdgeShare(const Figures& f) {
  return f.edges ? 100.0 * f.clean_edges / f.edges : NAN;
}

double HighBand(const Figures& f) {
  return f.clean_high_band > 0 ? Decibels(f.high_band / f.clean_high_band) : NAN;
}

double LoudestFade(const Figures& f) {
  return f.fade.empty() ? NAN : *std::max_element(f.fade.begin(), f.fade.end());
}

// The five figures of each scenario and of all together, concealed / baseline.
void PrintFigures(const std::vector<Both>& columns, const std::vector<const char*>& names,
                  bool two_band) {
  // Columns of 19 characters after a title of 40, without trailing blanks.
  auto print = [](const char* title, const std::vector<std::string>& cells) {
    std::string line = title;
    line.resize(std::max<size_t>(line.size() + 1, 40), ' ');
    for (size_t i = 0; i < cells.size(); i++) {
      line += cells[i];
      if (i + 1 < cells.size())
        line.resize(std::max<size_t>(line.size() + 1, 40 + 19 * (i + 1)), ' ');
    }
    std::printf("%s\n", line.c_str());
  };
  print("", std::vector<std::string>(names.begin(), names.end()));
  auto row = [&](const char* title, auto&& cell) {
    std::vector<std::string> cells;
    for (const Both& b : columns)
      cells.push_back(cell(b));
    print(title, cells);
  };
  row("1 log-spectral distance, median dB", [](const Both& b) {
    return Cell(Median(b.concealed.distance), Median(b.baseline.distance), "%.1f");
  });
  row("  ratio (at most 0.6)", [](const Both& b) {
    return Cell(Median(b.concealed.distance) / Median(b.baseline.distance), NAN, "%.2f");
  });
  row("2 edges without a click, % (>= 95)",
      [](const Both& b) { return Cell(EdgeShare(b.concealed), EdgeShare(b.baseline), "%.1f"); });
  row("3 SER of the 40 ms after, mean dB", [](const Both& b) {
    return Cell(Mean(b.concealed.recovery), Mean(b.baseline.recovery), "%.2f");
  });
  row("  margin over the baseline, dB", [](const Both& b) {
    return Cell(Mean(b.concealed.recovery) - Mean(b.baseline.recovery), NAN, "%+.2f");
  });
  if (two_band) {
    row("4 energy above 7 kHz, dB (<= +3)",
        [](const Both& b) { return Cell(HighBand(b.concealed), HighBand(b.baseline), "%+.1f"); });
  }
  row("4 RMS from 120 ms into it, dB (<= -30)", [](const Both& b) {
    return Cell(LoudestFade(b.concealed), LoudestFade(b.baseline), "%+.1f");
  });
}

// Nanoseconds that body takes.
template <typename Body>
double Time(Body&& body) {
  const auto start = std::chrono::steady_clock::now();
  body();
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
}

// What concealing costs beside decoding, in one process: G722DecodeCodes and G722PacketDecode
// decode the stream side by side, packet by packet, each call timed, the packet decoder losing
// nothing or every fifth packet (each loss a new one, which pays for its search for the pitch).
// A ratio is of the packet decoder's calls over G722DecodeCodes's calls on the same packets, in
// one pass; the medians over 51 passes are printed.
void PrintCost(const Config& config, const std::vector<uint8_t>& codes) {
  const size_t packets = codes.size() / kPacketCodes;
  std::vector<int16_t> pcm(2 * kPacketCodes);
  std::vector<double> loss_free, concealing;
  G722PacketDecoder* decoder = G722PacketDecoderCreate(64000, config.options);
  for (int pass = 0; pass < 102; pass++) {
    const bool losing = pass % 2 == 1;
    G722State state;
    G722DecoderInit(&state, 64000, config.options);
    G722PacketDecoderReset(decoder);
    double plain = 0, packet = 0;
    for (size_t p = 0; p < packets; p++) {
      const uint8_t* bytes = codes.data() + p * kPacketCodes;
      const bool lost = losing && p % 5 == 4;
      const double t = Time([&] { G722DecodeCodes(&state, pcm.data(), bytes, kPacketCodes); });
      const double u = Time(
          [&] { G722PacketDecode(decoder, pcm.data(), lost ? nullptr : bytes, kPacketCodes); });
      if (lost || !losing) {
        plain += t;
        packet += u;
      }
    }
    (losing ? concealing : loss_free).push_back(packet / plain);
  }
  G722PacketDecoderRelease(decoder);
  std::printf("5 concealing / G722DecodeCodes, the same duration: %.2fx (at most 4x)\n",
              Median(concealing));
  std::printf("  loss-free G722PacketDecode / G722DecodeCodes: %.3fx (at most 1.05x)\n",
              Median(loss_free));
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t seed = 1;
  std::vector<Speech> files;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
      seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
      continue;
    }
    Speech speech;
    if (!ReadSpeech(argv[i], speech)) return 1;
    files.push_back(std::move(speech));
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: %s [--seed N] FILE.wav...  (16 kHz mono speech)\n", argv[0]);
    return 2;
  }
  double seconds = 0;
  for (const Speech& s : files)
    seconds += static_cast<double>(s.pcm.size()) / 16000;
  std::printf("%zu files, %.1f s of speech, 20 ms packets lost, seed %u\n", files.size(), seconds,
              seed);
  std::printf(
      "each cell: G722PacketDecoder / the baseline (silence, the decoder skipping the bytes)\n");

  const Config configs[] = {{"64000 bit/s, 16 kHz two-band", 0, 16000},
                            {"64000 bit/s, 8 kHz", G722Option8k, 8000}};
  for (const Config& config : configs) {
    std::printf("\n== %s\n", config.name);
    Both all;
    std::vector<Both> columns;
    std::vector<const char*> names;
    std::vector<uint8_t> first_codes;
    for (const Scenario& scenario : kScenarios) {
      Both these;
      for (size_t f = 0; f < files.size(); f++) {
        const std::vector<int16_t> pcm =
            config.sample_rate == 16000 ? files[f].pcm : HalveRate(files[f].pcm);
        const std::vector<uint8_t> codes = Encode(config, pcm);
        if (first_codes.empty()) first_codes = codes;
        const size_t packets = (codes.size() + kPacketCodes - 1) / kPacketCodes;
        LossMask lost;
        if (scenario.percent > 0) {
          lost = RandomLosses(packets, scenario.percent, scenario.burst,
                              seed + static_cast<uint32_t>(f));
        } else {
          const Decoded clean = DecodeWithLosses(64000, config.options, codes, {});
          lost = Outage(packets, OutageStart(clean.clean, config.sample_rate, kOutagePackets),
                        kOutagePackets);
        }
        const Decoded d = DecodeWithLosses(64000, config.options, codes, lost);
        these.concealed.Add(Measure(d.clean, d.concealed, lost, config.sample_rate));
        these.baseline.Add(Measure(d.clean, d.baseline, lost, config.sample_rate));
      }
      all.Add(these);
      columns.push_back(these);
      names.push_back(scenario.name);
    }
    columns.push_back(all);
    names.push_back("all");
    PrintFigures(columns, names, config.sample_rate == 16000);
    PrintCost(config, first_codes);
  }
  return 0;
}
