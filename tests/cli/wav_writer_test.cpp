// The tool's WAV writer past the 4 GiB a plain WAV header can describe, on a sink that keeps
// only the start of the file: gigabytes are written in a moment and never stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "formats/wav_writer.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

class StartOfFile : public WavSink {
 public:
  int64_t Write(const void* data, int64_t size) override {
    if (position_ < static_cast<int64_t>(start_.size())) {
      const auto count = std::min<int64_t>(size, static_cast<int64_t>(start_.size()) - position_);
      std::memcpy(start_.data() + position_, data, static_cast<size_t>(count));
    }
    position_ += size;
    length_ = std::max(length_, position_);
    return size;
  }
  int64_t Seek(int64_t offset, int whence) override {
    position_ = offset + (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? position_ : length_);
    return position_;
  }
  int64_t Length() override { return length_; }
  int error() const override { return 0; }

  // The form ("RIFF" or "RF64"), the size of the data chunk as the header gives it, and the
  // format tag (1: plain PCM, which every reader takes).
  std::tuple<std::string, uint64_t, uint64_t> Header() const {
    const auto number = [&](size_t at, int bytes) {
      uint64_t value = 0;
      for (int i = bytes - 1; i >= 0; i--)
        value = value << 8 | start_[at + static_cast<size_t>(i)];
      return value;
    };
    const std::string form(start_.begin(), start_.begin() + 4);
    uint64_t ds64_data = 0, tag = 0;
    for (size_t chunk = 12; chunk + 8 < start_.size(); chunk += 8 + number(chunk + 4, 4)) {
      const std::string id(start_.begin() + static_cast<ptrdiff_t>(chunk),
                           start_.begin() + static_cast<ptrdiff_t>(chunk) + 4);
      if (id == "ds64") ds64_data = number(chunk + 16, 8);
      if (id == "fmt ") tag = number(chunk + 8, 2);
      if (id == "data") return {form, form == "RF64" ? ds64_data : number(chunk + 4, 4), tag};
    }
    return {form, 0, tag};
  }

 private:
  std::vector<uint8_t> start_ = std::vector<uint8_t>(4096);
  int64_t position_ = 0;
  int64_t length_ = 0;
};

constexpr uint64_t kPastFourGiB = (uint64_t{1} << 31) + 1000;  // samples of 2 bytes

struct SizeCase {
  std::string name;
  std::optional<uint64_t> max_samples;
  uint64_t samples;
  std::string form;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
  *os << c.name;
}

class WavSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(WavSize, HeaderDescribesTheData) {
  const SizeCase& c = GetParam();
  StartOfFile sink;
  WavWriter writer(sink, "out.wav", 16000, 1, c.max_samples);
  const std::vector<int16_t> silence(1 << 20);
  for (uint64_t left = c.samples; left > 0;) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(left, silence.size()));
    writer.Write(std::span(silence).first(count));
    left -= count;
  }
  writer.Close();
  EXPECT_EQ(sink.Header(), std::make_tuple(c.form, c.samples * 2, 1u));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, WavSize,
    ::testing::Values(SizeCase{"KnownToFit", 8000, 8000, "RIFF"},
                      SizeCase{"UnknownAndSmall", std::nullopt, 8000, "RIFF"},
                      SizeCase{"UnknownPastFourGiB", std::nullopt, kPastFourGiB, "RF64"},
                      SizeCase{"KnownPastFourGiB", kPastFourGiB, kPastFourGiB, "RF64"}),
    [](const auto& info) { return info.param.name; });

// A count of samples that turned out wrong must not lead to a header that wraps around.
TEST(WavSize, MoreThanAPlainHeaderCanDescribeIsRefused) {
  StartOfFile sink;
  WavWriter writer(sink, "out.wav", 16000, 1, 8000);
  const std::vector<int16_t> silence(1 << 20);
  EXPECT_THROW(
      {
        for (uint64_t written = 0; written < kPastFourGiB; written += silence.size())
          writer.Write(silence);
      },
      ToolError);
}

}  // namespace
}  // namespace g722kit::tool
