// Conversion of UTF-16 paths to the narrow (UTF-8) paths that files are opened by.
#include <gtest/gtest.h>

#include <string>

#include "g722kit/g722kit.h"
#include "narrow_path.h"

namespace g722kit {
namespace {

TEST(NarrowPath, ValidPathsConvertToUtf8) {
  const std::pair<std::u16string, std::string> cases[] = {
      {u"", ""},
      {u"/tmp/plain.raw", "/tmp/plain.raw"},
      {u"caf\u00e9.raw", "caf\xc3\xa9.raw"},
      {u"\u65e5\u672c\u8a9e.g722", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.g722"},
      {u"\U0001F3B5 song.wav", "\xf0\x9f\x8e\xb5 song.wav"},  // a surrogate pair
      {u"\uffff\u0080\u07ff\u0800", "\xef\xbf\xbf\xc2\x80\xdf\xbf\xe0\xa0\x80"},
  };
  for (const auto& [path, utf8] : cases) {
    NarrowPathBuffer out;
    EXPECT_EQ(NarrowPath(path.c_str(), out), G722KIT_OK) << utf8;
    EXPECT_EQ(std::string(out.bytes), utf8);
  }
}

TEST(NarrowPath, InvalidPathsAreRefusedWithAnEmptyResult) {
  const std::u16string too_long(platform::kNarrowPathCapacity, u'a');
  const std::u16string just_fits(platform::kNarrowPathCapacity - 1, u'a');
  const std::pair<std::u16string, int32_t> cases[] = {
      {u"lone\xd800high", G722KIT_ERR_PATH},
      {u"lone\xdc00low", G722KIT_ERR_PATH},
      {u"ends in high\xd83c", G722KIT_ERR_PATH},
      {u"swapped\xdfb5\xd83c", G722KIT_ERR_PATH},
      {too_long, G722KIT_ERR_PATH},
      {just_fits, G722KIT_OK},
  };
  for (const auto& [path, result] : cases) {
    NarrowPathBuffer out;
    std::fill(std::begin(out.bytes), std::end(out.bytes), 'x');
    EXPECT_EQ(NarrowPath(path.c_str(), out), result) << path.size();
    if (result != G722KIT_OK) {
      EXPECT_EQ(out.bytes[0], 0);
    }
  }
  NarrowPathBuffer out;
  EXPECT_EQ(NarrowPath(nullptr, out), G722KIT_ERR_NULL_PATH);
}

}  // namespace
}  // namespace g722kit
