// The bounds-checked reader: reads ending exactly at the end succeed, one
// byte further fails, and no offset or size can wrap the check around.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "common/byte_reader.h"

namespace varomby {
namespace {

constexpr std::array<std::uint8_t, 8> kBytes = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};

struct RangeCase {
  const char* name;
  std::uint64_t offset;
  std::uint64_t count;
  bool fits;
};

const RangeCase kRanges[] = {
    {"whole", 0, 8, true},
    {"ends exactly at the end", 4, 4, true},
    {"one byte past the end", 5, 4, false},
    {"empty at the end", 8, 0, true},
    {"empty past the end", 9, 0, false},
    {"huge offset", UINT64_MAX, 1, false},
    {"huge count", 1, UINT64_MAX, false},
    {"offset and count wrap to a small sum", UINT64_MAX - 1, 4, false},
};

TEST(ByteReaderTest, RangesFitOnlyInsideTheBytes) {
  const ByteReader reader(kBytes);
  for (const RangeCase& c : kRanges) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(reader.Contains(c.offset, c.count), c.fits);
    const auto bytes = reader.Bytes(c.offset, c.count);
    ASSERT_EQ(bytes.has_value(), c.fits);
    if (c.fits) {
      EXPECT_EQ(bytes->size(), c.count);
      if (c.count > 0) {
        EXPECT_EQ(bytes->front(), kBytes[c.offset]);
      }
    }
  }
}

TEST(ByteReaderTest, ReadsLittleEndianValuesUpToTheLastByte) {
  const ByteReader reader(kBytes);
  EXPECT_EQ(reader.Read<std::uint32_t>(4), 0x88776655u);
  EXPECT_EQ(reader.Read<std::uint64_t>(0), 0x8877665544332211ull);
  EXPECT_EQ(reader.Read<std::uint8_t>(7), 0x88u);
  EXPECT_FALSE(reader.Read<std::uint32_t>(5).has_value());
  EXPECT_FALSE(reader.Read<std::uint8_t>(8).has_value());
  EXPECT_FALSE(reader.Read<std::uint16_t>(UINT64_MAX).has_value());
  EXPECT_FALSE(ByteReader().Read<std::uint8_t>(0).has_value());
}

TEST(ByteReaderTest, CStringNeedsItsNulInsideTheBytesAndTheLimit) {
  constexpr std::array<std::uint8_t, 7> text = {'a', 'b', 0, 'c', 'd', 'e', 'f'};
  const ByteReader reader(text);
  struct Case {
    std::uint64_t offset;
    std::uint64_t maxLength;
    std::optional<std::string_view> expected;
  };
  const Case cases[] = {
      {0, 16, "ab"},
      {2, 16, ""},
      {0, 3, "ab"},
      {0, 2, std::nullopt},      // the NUL lies beyond the limit
      {3, 16, std::nullopt},     // no NUL before the end of the bytes
      {7, 16, std::nullopt},     // at the end
      {UINT64_MAX, 16, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "offset " << c.offset << " limit " << c.maxLength);
    EXPECT_EQ(reader.CString(c.offset, c.maxLength), c.expected);
  }
}

TEST(ByteReaderTest, CheckedAddRefusesOverflow) {
  EXPECT_EQ(CheckedAdd(1, 2), 3u);
  EXPECT_EQ(CheckedAdd(UINT64_MAX - 1, 1), UINT64_MAX);
  EXPECT_FALSE(CheckedAdd(UINT64_MAX, 1).has_value());
  EXPECT_FALSE(CheckedAdd(1ull << 63, 1ull << 63).has_value());
}

}  // namespace
}  // namespace varomby
