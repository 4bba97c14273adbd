#include "formats/writers.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "formats/wav_writer.h"
#include "io/sndfile_error.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

// Samples written in order in a byte order, after an optional header.
class RawPcmWriter : public PcmWriter {
 public:
  RawPcmWriter(const OutputFile& output, Endian endian, std::span<const uint8_t> header)
      : writer_(output), endian_(endian) {
    writer_.Write(header);
  }

  void Write(std::span<const int16_t> samples) override {
    StoreSamples(samples, endian_, bytes_);
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

// A WAV writer with the file it writes to.
class FileWavWriter : public PcmWriter {
 public:
  FileWavWriter(const OutputFile& output, const PcmOutput& pcm, std::optional<uint64_t> max_samples)
      : sink_(output.fd()), wav_(sink_, output.data_name(), pcm.rate, pcm.channels, max_samples) {}

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

// Any format libsndfile writes, into a file it may seek in.
class SndfileWriter : public PcmWriter {
 public:
  SndfileWriter(const OutputFile& output, const PcmOutput& pcm)
      : sink_(output.fd()), name_(output.data_name()) {
    SF_INFO info{};
    info.samplerate = pcm.rate;
    info.channels = pcm.channels;
    info.format = pcm.format.sndfile_format;
    file_ = sf_open_virtual(&sink_io, SFM_WRITE, &info, &sink_);
    if (file_ == nullptr) Fail("cannot create");
    channels_ = pcm.channels;
  }
  ~SndfileWriter() override {
    if (file_ != nullptr) sf_close(file_);
  }
  SndfileWriter(const SndfileWriter&) = delete;
  SndfileWriter& operator=(const SndfileWriter&) = delete;

  void Write(std::span<const int16_t> samples) override {
    const auto count = static_cast<sf_count_t>(samples.size() / static_cast<size_t>(channels_));
    if (sf_writef_short(file_, samples.data(), count) != count) Fail("cannot write");
  }

  void Close() override {
    const int closed = sf_close(file_);
    file_ = nullptr;
    if (closed != SF_ERR_NO_ERROR || sink_.error() != 0) Fail("cannot write", closed);
  }

 private:
  // Throws with the system's cause of the failure, or else libsndfile's.
  [[noreturn]] void Fail(const std::string& what, int sndfile_error = SF_ERR_NO_ERROR) {
    std::string cause = SndfileMessage(file_);
    if (sndfile_error != SF_ERR_NO_ERROR) cause = sf_error_number(sndfile_error);
    if (sink_.error() != 0) cause = std::strerror(sink_.error());
    throw FileError(kExitOutput, what, name_, cause);
  }

  FileSink sink_;
  std::filesystem::path name_;
  SNDFILE* file_ = nullptr;
  int channels_ = 1;
};

}  // namespace

void ByteWriter::Write(std::span<const uint8_t> bytes) {
  if (!WriteAll(output_.fd(), bytes)) {
    throw FileErrno(kExitOutput, "cannot write", output_.data_name());
  }
}

bool ByteWriter::RewriteStart(std::span<const uint8_t> bytes) {
  if (!output_.seekable()) return false;
  const off_t end = lseek(output_.fd(), 0, SEEK_CUR);
  if (lseek(output_.fd(), 0, SEEK_SET) != 0) return false;
  Write(bytes);
  if (lseek(output_.fd(), end, SEEK_SET) != end) {
    throw FileErrno(kExitOutput, "cannot write", output_.data_name());
  }
  return true;
}

std::unique_ptr<PcmWriter> OpenPcmWriter(const OutputFile& output, const PcmOutput& pcm,
                                         std::optional<uint64_t> max_samples) {
  switch (pcm.format.kind) {
    case PcmFileFormat::Kind::kRaw:
      return std::make_unique<RawPcmWriter>(output, pcm.format.endian, std::span<const uint8_t>());
    case PcmFileFormat::Kind::kSndfile:
      return std::make_unique<SndfileWriter>(output, pcm);
    case PcmFileFormat::Kind::kWav:
      break;
  }
  if (output.seekable()) return std::make_unique<FileWavWriter>(output, pcm, max_samples);
  return std::make_unique<RawPcmWriter>(output, Endian::kLittle,
                                        StreamWavHeader(pcm.rate, pcm.channels));
}

}  // namespace g722kit::tool
