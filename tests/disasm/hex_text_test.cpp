#include "disasm/hex_text.h"

#include <gtest/gtest.h>

#include <string>

namespace varomby {
namespace {

struct HexCase {
  std::string text;
  ByteBuffer bytes;
};

// Names the case in test listings by its text instead of dumping its bytes.
void PrintTo(const HexCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class HexTextToBytesTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexTextToBytesTest, GivesTheBytesOfEveryStartedPair) {
  EXPECT_EQ(HexTextToBytes(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexTextToBytesTest,
    ::testing::Values(HexCase{"", {}}, HexCase{"00FF7f", {0x00, 0xFF, 0x7F}}, HexCase{"ABC", {0xAB, 0x0C}},
                      HexCase{"abcdef", {0xAB, 0xCD, 0xEF}},
                      // a non-digit counts as -2 in its place, low 8 bits kept
                      HexCase{"1G", {0x0E}}, HexCase{"G1", {0xE1}}, HexCase{"GG", {0xDE}}, HexCase{"G", {0xFE}},
                      HexCase{" 1", {0xE1}}, HexCase{"zz", {0xDE}},
                      // the second byte of a double-byte character is not made upper case
                      HexCase{"\xB0" "a", {0xDE}}, HexCase{"Za", {0xEA}}));

TEST(HexTextToBytes, IsTheInverseOfTheUpperCaseByteText) {
  ByteBuffer all(256);
  std::string text;
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = 0; i < 256; ++i) {
    all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    text += kDigits[i / 16];
    text += kDigits[i % 16];
  }
  EXPECT_EQ(HexTextToBytes(text), all);
}

TEST(HexTextToBytes, CallsTheCheckpointDuringLongTextsButNeverForAnEmptyOne) {
  int calls = 0;
  const WorkCheckpoint count = [&calls] {
    ++calls;
    return true;
  };
  ASSERT_TRUE(HexTextToBytes("", count));
  EXPECT_EQ(calls, 0);
  ASSERT_TRUE(HexTextToBytes("9", count));
  EXPECT_EQ(calls, 1);
  calls = 0;
  const auto bytes = HexTextToBytes(std::string(400'000, 'A'), count);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 200'000u);
  EXPECT_GT(calls, 1);
}

TEST(HexTextToBytes, StopsWithoutResultWhenTheCheckpointSaysSo) {
  EXPECT_FALSE(HexTextToBytes("0011", [] { return false; }));
}

}  // namespace
}  // namespace varomby
