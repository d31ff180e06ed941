#include "memmodule/machine/memory_access.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memmodule/machine/create_machine.h"

namespace varomby {
namespace {

class MemoryAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = CreateMachine32();
    ASSERT_NE(machine_, nullptr);
    base_ = machine_->Allocate(0, kSize);
    ASSERT_NE(base_, 0u);
  }
  // Puts `bytes` so that they end exactly at the end of the reservation.
  std::uint32_t PutAtEnd(const std::string& bytes) {
    const std::uint32_t at = base_ + kSize - static_cast<std::uint32_t>(bytes.size());
    EXPECT_TRUE(machine_->Write(at, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())));
    return at;
  }
  static constexpr std::uint32_t kSize = 0x1000;
  std::unique_ptr<Machine32> machine_;
  std::uint32_t base_ = 0;
};

TEST_F(MemoryAccessTest, ReadsTextsUpToTheirNulWithinBoundsAndLimit) {
  const std::string longText(200, 'x');
  struct Case {
    const char* name;
    std::string stored;  // ends at the reservation's end
    std::uint32_t maxLength;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"short", std::string("Kernel32.dll\0", 13), 256, "Kernel32.dll"},
      {"empty", std::string("\0", 1), 256, ""},
      {"long, NUL last byte of memory", longText + '\0', 256, longText},
      {"NUL just inside the limit", std::string("abc\0", 4), 4, "abc"},
      {"NUL just past the limit", std::string("abcd\0", 5), 4, std::nullopt},
      {"runs off the reservation", "no terminator", 256, std::nullopt},
      {"zero limit", std::string("a\0", 2), 0, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadCString(*machine_, PutAtEnd(c.stored), c.maxLength), c.expected);
  }
  EXPECT_EQ(ReadCString(*machine_, base_ + kSize, 16), std::nullopt);
  EXPECT_EQ(ReadCString(*machine_, 0xFFFFFFFF, 16), std::nullopt);
}

TEST_F(MemoryAccessTest, WordsAreLittleEndianAndBoundsChecked) {
  ASSERT_TRUE(WriteWord(*machine_, base_ + kSize - 4, 0x11223344));
  std::array<std::uint8_t, 4> bytes{};
  ASSERT_TRUE(machine_->Read(base_ + kSize - 4, bytes));
  EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{0x44, 0x33, 0x22, 0x11}));
  EXPECT_EQ(ReadWord(*machine_, base_ + kSize - 4), 0x11223344u);
  EXPECT_EQ(ReadWord(*machine_, base_ + kSize - 3), std::nullopt);
  EXPECT_FALSE(WriteWord(*machine_, base_ + kSize - 3, 1));
}

}  // namespace
}  // namespace varomby
