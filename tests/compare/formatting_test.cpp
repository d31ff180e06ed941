#include "compare/formatting.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace varomby {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HexTextTest, FormatsUpperCaseWithoutLeadingZeros) {
  const struct {
    std::int64_t value;
    const char* text;
  } cases[] = {
      {0, "0"},          {255, "FF"},           {4096, "1000"}, {2147483647, "7FFFFFFF"},
      {0x80000000, "80000000"}, {INT64_MAX, "7FFFFFFFFFFFFFFF"}, {-1, ""}, {INT64_MIN, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(HexText(c.value), c.text) << c.value;
}

TEST(PadWithZerosTest, PadsOnTheLeftAndNeverCuts) {
  EXPECT_EQ(PadWithZeros("", 8), "00000000");
  EXPECT_EQ(PadWithZeros("1", 8), "00000001");
  EXPECT_EQ(PadWithZeros("123456789", 8), "123456789");
  EXPECT_EQ(PadWithZeros("AB", 0), "AB");
  EXPECT_EQ(PadWithZeros("AB", -3), "AB");
  EXPECT_EQ(PadWithZeros(HexText(-5), 8), "00000000");
}

TEST(ByteToHexTextTest, AlwaysTwoDigits) {
  EXPECT_EQ(ByteToHexText(0), "00");
  EXPECT_EQ(ByteToHexText(10), "0A");
  EXPECT_EQ(ByteToHexText(171), "AB");
  EXPECT_EQ(ByteToHexText(255), "FF");
}

TEST(BytesToHexTextTest, EveryByteValueRoundTrips) {
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  const AnsiText text = BytesToHexText(all);
  ASSERT_EQ(text.size(), 512u);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(text.substr(static_cast<std::size_t>(2 * i), 2), ByteToHexText(static_cast<std::uint8_t>(i)));
  EXPECT_EQ(BytesToHexText(Bytes{0x00, 0x7F, 0x80, 0xFF}), "007F80FF");
  EXPECT_EQ(BytesToHexText(Bytes{}), "");
}

TEST(BytesToHexTextTest, CheckpointRunsBetweenSlicesAndCanStop) {
  const Bytes large(300 * 1024, 0xAB);
  int calls = 0;
  const AnsiText whole = BytesToHexText(large, [&calls] { return ++calls > 0; });
  EXPECT_EQ(whole.size(), 2 * large.size());
  EXPECT_GE(calls, 2);                 // more than once for a long run
  EXPECT_LT(calls, 100);               // never per byte

  const AnsiText stopped = BytesToHexText(large, [] { return false; });
  EXPECT_LT(stopped.size(), whole.size());
  EXPECT_EQ(stopped, whole.substr(0, stopped.size()));

  calls = 0;
  EXPECT_EQ(BytesToHexText(Bytes{}, [&calls] { return ++calls > 0; }), "");
  EXPECT_EQ(calls, 0);  // an empty run does no work and lets no events run
}

TEST(BytesToCharTextTest, LeavesOutZeroBytesOnly) {
  EXPECT_EQ(BytesToCharText(Bytes{0x41, 0x00, 0x42}), "AB");
  EXPECT_EQ(BytesToCharText(Bytes{0x00}), "");
  EXPECT_EQ(BytesToCharText(Bytes{0x41, 0x0D, 0x0A, 0x42}), "A\r\nB");
  EXPECT_EQ(BytesToCharText(Bytes{0xC4, 0xE3, 0x80, 0x00, 0xFF}), "\xC4\xE3\x80\xFF");
}

}  // namespace
}  // namespace varomby
