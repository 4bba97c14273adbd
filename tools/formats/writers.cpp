#include "formats/writers.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "formats/header_bytes.h"
#include "io/sndfile_error.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

// The data size in the header of a WAV stream of unknown length, as sox writes it; readers
// read such a stream to its end.
constexpr uint32_t kStreamDataBytes = 0x7FFFF000;

// Samples written in order in a byte order, after an optional header.
class RawPcmWriter : public PcmWriter {
 public:
  RawPcmWriter(const OutputFile& output, Endian endian, std::span<const uint8_t> header)
      : writer_(output), endian_(endian) {
    writer_.Write(header);
  }

  void Write(std::span<const int16_t> samples) override {
    bytes_.resize(samples.size() * 2);
    const size_t low = endian_ == Endian::kLittle ? 0 : 1;
    for (size_t i = 0; i < samples.size(); i++) {
      const auto sample = static_cast<uint16_t>(samples[i]);
      bytes_[2 * i + low] = static_cast<uint8_t>(sample);
      bytes_[2 * i + 1 - low] = static_cast<uint8_t>(sample >> 8);
    }
    writer_.Write(bytes_);
  }

  void Close() override {}

 private:
  ByteWriter writer_;
  Endian endian_;
  std::vector<uint8_t> bytes_;
};

class FileSink : public WavSink {
 public:
  explicit FileSink(int fd) : fd_(fd) {}

  int64_t Write(const void* data, int64_t size) override {
    if (WriteAll(fd_, {static_cast<const uint8_t*>(data), static_cast<size_t>(size)})) {
      return size;
    }
    error_ = errno;
    return -1;
  }
  int64_t Seek(int64_t offset, int whence) override {
    const off_t position = lseek(fd_, offset, whence);
    if (position < 0) error_ = errno;
    return position;
  }
  int64_t Length() override {
    struct stat info {};
    return fstat(fd_, &info) == 0 ? info.st_size : -1;
  }
  int error() const override { return error_; }

 private:
  int fd_;
  int error_ = 0;
};

// A WAV writer with the sink it writes to.
class FileWavWriter : public PcmWriter {
 public:
  FileWavWriter(const OutputFile& output, int rate, std::optional<uint64_t> max_samples,
                int channels)
      : sink_(output.fd()), wav_(sink_, output.target(), rate, max_samples, channels) {}

  void Write(std::span<const int16_t> samples) override { wav_.Write(samples); }
  void Close() override { wav_.Close(); }

 private:
  FileSink sink_;
  WavWriter wav_;
};

WavSink& Sink(void* user) {
  return *static_cast<WavSink*>(user);
}

SF_VIRTUAL_IO sink_io = {
    [](void* user) -> sf_count_t { return Sink(user).Length(); },
    [](sf_count_t offset, int whence, void* user) -> sf_count_t {
      return Sink(user).Seek(offset, whence);
    },
    [](void*, sf_count_t, void*) -> sf_count_t { return 0; },  // never read
    [](const void* data, sf_count_t size, void* user) -> sf_count_t {
      return Sink(user).Write(data, size);
    },
    [](void* user) -> sf_count_t { return Sink(user).Seek(0, SEEK_CUR); },
};

}  // namespace

std::vector<uint8_t> StreamWavHeader(int rate, int channels) {
  HeaderBytes out;
  out.Tag("RIFF");
  out.Le32(kStreamDataBytes + 36);
  out.Tag("WAVE");
  out.Tag("fmt ");
  out.Le32(16);  // format chunk size
  out.Le16(1);   // integer PCM
  out.Le16(static_cast<uint32_t>(channels));
  out.Le32(static_cast<uint32_t>(rate));
  out.Le32(static_cast<uint32_t>(rate * channels) * 2);  // bytes per second
  out.Le16(static_cast<uint32_t>(channels) * 2);         // block alignment
  out.Le16(16);                                          // bits per sample
  out.Tag("data");
  out.Le32(kStreamDataBytes);
  return out.Take();
}

void ByteWriter::Write(std::span<const uint8_t> bytes) {
  if (!WriteAll(output_.fd(), bytes)) {
    throw FileErrno(kExitOutput, "cannot write", output_.target());
  }
}

bool ByteWriter::RewriteStart(std::span<const uint8_t> bytes) {
  if (!output_.seekable()) return false;
  const off_t end = lseek(output_.fd(), 0, SEEK_CUR);
  if (lseek(output_.fd(), 0, SEEK_SET) != 0) return false;
  Write(bytes);
  if (lseek(output_.fd(), end, SEEK_SET) != end) {
    throw FileErrno(kExitOutput, "cannot write", output_.target());
  }
  return true;
}

std::unique_ptr<PcmWriter> OpenPcmWriter(const OutputFile& output, int rate, PcmLayout layout,
                                         std::optional<uint64_t> max_samples, int channels) {
  if (layout.raw)
    return std::make_unique<RawPcmWriter>(output, layout.endian, std::span<const uint8_t>());
  if (output.seekable()) {
    return std::make_unique<FileWavWriter>(output, rate, max_samples, channels);
  }
  return std::make_unique<RawPcmWriter>(output, Endian::kLittle, StreamWavHeader(rate, channels));
}

WavWriter::WavWriter(WavSink& sink, std::filesystem::path name, int rate,
                     std::optional<uint64_t> max_samples, int channels)
    : sink_(sink), name_(std::move(name)), channels_(channels) {
  const bool fits = max_samples && *max_samples <= kWavMaxDataBytes / 2;
  room_ = fits ? kWavMaxDataBytes / 2 : UINT64_MAX;
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = (fits ? SF_FORMAT_WAV : SF_FORMAT_RF64) | SF_FORMAT_PCM_16;
  file_ = sf_open_virtual(&sink_io, SFM_WRITE, &info, &sink_);
  if (file_ == nullptr) Fail("cannot create");
  if (!fits) sf_command(file_, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
}

WavWriter::~WavWriter() {
  if (file_ != nullptr) sf_close(file_);
}

void WavWriter::Fail(const std::string& what, int sndfile_error) {
  std::string cause = SndfileMessage(file_);
  if (sndfile_error != SF_ERR_NO_ERROR) cause = sf_error_number(sndfile_error);
  if (sink_.error() != 0) cause = std::strerror(sink_.error());
  throw FileError(kExitOutput, what, name_, cause);
}

void WavWriter::Write(std::span<const int16_t> samples) {
  if (samples.size() > room_) {
    throw FileError(kExitOutput, "cannot write", name_,
                    "more audio than the WAV header can describe");
  }
  room_ -= samples.size();
  const auto count = static_cast<sf_count_t>(samples.size() / static_cast<size_t>(channels_));
  if (sf_writef_short(file_, samples.data(), count) != count) Fail("cannot write");
}

void WavWriter::Close() {
  const int closed = sf_close(file_);
  file_ = nullptr;
  if (closed != SF_ERR_NO_ERROR || sink_.error() != 0) Fail("cannot write", closed);
}

}  // namespace g722kit::tool
