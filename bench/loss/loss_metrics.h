// How well lost packets are concealed: losses of 20 ms packets, the decoders that face them,
// and the figures that compare their output with the stream decoded with nothing lost. The
// loss bench prints these figures for speech files; a unit test pins them on a short signal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace g722kit::loss {

// Codes per 20 ms packet: 8000 codes per second in every configuration.
inline constexpr size_t kPacketCodes = 160;

// Which packets are lost, one flag per packet.
using LossMask = std::vector<bool>;

// percent of the packets lost at random in bursts of `burst` packets, from a seeded generator.
LossMask RandomLosses(size_t packets, double percent, int burst, uint32_t seed);

// One loss of `count` packets from packet `first`.
LossMask Outage(size_t packets, size_t first, size_t count);

// The first packet from which `count` packets may be lost after 40 ms of speech; 0 when there is
// none.
size_t OutageStart(const std::vector<int16_t>& clean, int sample_rate, size_t count);

// One code stream decoded three ways.
struct Decoded {
  std::vector<int16_t> clean;      // nothing lost
  std::vector<int16_t> concealed;  // G722PacketDecoder, the lost packets concealed
  std::vector<int16_t> baseline;   // silence for a lost packet, the decoder skipping its bytes
};

Decoded DecodeWithLosses(int32_t rate, int32_t options, const std::vector<uint8_t>& codes,
                         const LossMask& lost);

// What an output does in and after its losses, against the loss-free output.
struct Figures {
  std::vector<double> distance;  // log-spectral distance, dB, of each lost packet with speech
                                 // in a loss of up to 60 ms
  int edges = 0;                 // first concealed samples and first real samples after a loss
  int clean_edges = 0;           // of which without a click
  std::vector<double> recovery;  // signal-to-error ratio, dB, of the 40 ms after each loss that
                                 // they follow whole
  double high_band = 0;          // energy above 7 kHz in the lost packets (two-band)
  double clean_high_band = 0;    // the loss-free output's there
  std::vector<double> fade;      // RMS from 120 ms into each longer loss against the 40 ms
                                 // before it, dB
  void Add(const Figures& more);
};

Figures Measure(const std::vector<int16_t>& clean, const std::vector<int16_t>& output,
                const LossMask& lost, int sample_rate);

double Median(std::vector<double> values);
double Mean(const std::vector<double>& values);

// Energy ratio in dB, -infinity for no energy.
double Decibels(double ratio);

// The signal at half its rate, low-passed below the new Nyquist frequency.
std::vector<int16_t> HalveRate(const std::vector<int16_t>& pcm);

}  // namespace g722kit::loss
