// The platform's file streams: positions past 4 GiB and the identity of a file behind its names.
#include <gtest/gtest.h>

#include <string>

#include "file_stream.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

std::string NarrowName(const std::filesystem::path& file) {
  char narrow[platform::kNarrowPathCapacity];
  EXPECT_TRUE(platform::ToNarrow(U16(file).c_str(), narrow, sizeof narrow)) << file;
  return narrow;
}

// A 32-bit position would wrap here. The file is sparse where the file system allows it.
TEST(FileStream, PositionsPastFourGiB) {
  TempDir dir;
  const std::string name = NarrowName(dir / "large.bin");
  constexpr int64_t kOffset = (int64_t{1} << 32) + 3;

  std::FILE* out = platform::OpenForWriting(name.c_str());
  ASSERT_NE(out, nullptr);
  ASSERT_TRUE(platform::SeekTo(out, kOffset));
  EXPECT_EQ(platform::Position(out), kOffset);
  EXPECT_EQ(platform::Write(out, "x", 1), 1u);
  ASSERT_TRUE(platform::SeekTo(out, 0));
  ASSERT_TRUE(platform::SeekToEnd(out));
  EXPECT_EQ(platform::Position(out), kOffset + 1);
  ASSERT_TRUE(platform::Close(out));

  std::FILE* in = platform::OpenForReading(name.c_str());
  ASSERT_NE(in, nullptr);
  ASSERT_TRUE(platform::SeekTo(in, kOffset));
  char byte = 0;
  EXPECT_EQ(platform::Read(in, &byte, 1), 1);
  EXPECT_EQ(byte, 'x');
  EXPECT_EQ(platform::Read(in, &byte, 1), 0);
  platform::Close(in);
}

TEST(FileStream, IsSameFileFollowsTheFileNotTheName) {
  TempDir dir;
  const std::vector<uint8_t> content = {1, 2, 3};
  WriteBytes(dir / "a.bin", content);
  WriteBytes(dir / "copy.bin", content);
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::create_hard_link(dir / "a.bin", dir / "link.bin");

  struct Case {
    const char* name;
    bool same;
  };
  const Case cases[] = {
      {"a.bin", true},     {"sub/../a.bin", true}, {"link.bin", true},
      {"copy.bin", false}, {"missing.bin", false}, {"sub", false},
  };
  std::FILE* open = platform::OpenForReading(NarrowName(dir / "a.bin").c_str());
  ASSERT_NE(open, nullptr);
  for (const Case& c : cases) {
    EXPECT_EQ(platform::IsSameFile(open, NarrowName(dir / c.name).c_str()), c.same) << c.name;
  }
  platform::Close(open);
}

}  // namespace
}  // namespace g722kit::test
