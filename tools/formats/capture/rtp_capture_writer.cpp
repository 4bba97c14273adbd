#include "formats/capture/rtp_capture_writer.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <random>

#include "formats/capture/packet_headers.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

constexpr uint8_t kG722PayloadType = 9;
constexpr int kSnapLength = 65535;

int64_t NowMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

RtpCaptureWriter::RtpCaptureWriter(const OutputFile& output, const CaptureOptions& options)
    : output_(output),
      options_(options),
      packet_bytes_(static_cast<size_t>(options.ptime_ms) * 8),
      time_us_(NowMicroseconds()) {
  std::random_device entropy;
  sequence_ = options.sequence.value_or(static_cast<uint16_t>(entropy()));
  ssrc_ = options.ssrc.value_or(static_cast<uint32_t>(entropy()));
  timestamp_ = static_cast<uint32_t>(entropy());
  pcap_ =
      pcap_open_dead_with_tstamp_precision(DLT_EN10MB, kSnapLength, PCAP_TSTAMP_PRECISION_MICRO);
  const int fd = dup(output.fd());
  std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (file == nullptr) {
    if (fd >= 0) close(fd);
    throw FileErrno(kExitOutput, "cannot write", output.target());
  }
  dumper_ = pcap_ == nullptr ? nullptr : pcap_dump_fopen(pcap_, file);
  if (dumper_ == nullptr) {
    std::fclose(file);
    throw FileError(kExitOutput, "cannot write", output.target(),
                    pcap_ == nullptr ? "libpcap failed" : pcap_geterr(pcap_));
  }
}

RtpCaptureWriter::~RtpCaptureWriter() {
  if (dumper_ != nullptr) pcap_dump_close(dumper_);
  if (pcap_ != nullptr) pcap_close(pcap_);
}

void RtpCaptureWriter::CheckWritten() {
  if (pcap_dump_flush(dumper_) != 0 || std::ferror(pcap_dump_file(dumper_))) {
    throw FileErrno(kExitOutput, "cannot write", output_.target());
  }
}

void RtpCaptureWriter::Send(std::span<const uint8_t> payload) {
  const std::vector<uint8_t> frame =
      RtpFrame(options_.source, options_.destination,
               {packets_ == 0, kG722PayloadType, sequence_, timestamp_, ssrc_}, payload,
               static_cast<uint16_t>(packets_));
  pcap_pkthdr header{};
  header.ts.tv_sec = static_cast<time_t>(time_us_ / 1000000);
  header.ts.tv_usec = static_cast<suseconds_t>(time_us_ % 1000000);
  header.caplen = header.len = static_cast<bpf_u_int32>(frame.size());
  pcap_dump(reinterpret_cast<u_char*>(dumper_), &header, frame.data());
  packets_++;
  sequence_++;
  timestamp_ += static_cast<uint32_t>(payload.size());  // one code byte per 8000 Hz tick
  time_us_ += options_.ptime_ms * 1000;
  if (packets_ % 256 == 0) CheckWritten();
}

void RtpCaptureWriter::Write(std::span<const uint8_t> codes) {
  code_bytes_ += codes.size();
  pending_.insert(pending_.end(), codes.begin(), codes.end());
  size_t sent = 0;
  for (; pending_.size() - sent >= packet_bytes_; sent += packet_bytes_)
    Send(std::span(pending_).subspan(sent, packet_bytes_));
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(sent));
}

void RtpCaptureWriter::Close() {
  if (!pending_.empty()) Send(pending_);
  pending_.clear();
  CheckWritten();
  pcap_dump_close(dumper_);
  dumper_ = nullptr;
}

std::string RtpCaptureWriter::Details() const {
  char ssrc[16];
  std::snprintf(ssrc, sizeof ssrc, "0x%08" PRIX32, ssrc_);
  return std::to_string(packets_) + " RTP packets of " + std::to_string(options_.ptime_ms) +
         " ms, SSRC " + ssrc + ", " + options_.source.Text() + " -> " + options_.destination.Text();
}

}  // namespace g722kit::tool
