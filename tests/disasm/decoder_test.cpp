#include "disasm/decoder.h"

#include <gtest/gtest.h>

#include <string>

namespace varomby {
namespace {

struct ListingCase {
  const char* name;
  CodeMode mode;
  std::uint64_t address;
  std::string hex;
  std::string listing;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ListingCase& c, std::ostream* os) { *os << c.name; }

class ListingTest : public ::testing::TestWithParam<ListingCase> {};

// The bytes sit in a buffer of exactly their size, so a read past the run
// shows up under AddressSanitizer.
TEST_P(ListingTest, MatchesTheExpectedText) {
  const ListingCase& c = GetParam();
  const ByteBuffer bytes = HexTextToBytes(c.hex);
  EXPECT_EQ(DisassembleToText(bytes, c.address, c.mode), c.listing);
}

INSTANTIATE_TEST_SUITE_P(
    Golden, ListingTest,
    ::testing::Values(
        ListingCase{"Prologue32", CodeMode::Bits32, 0x401000, "558BEC83EC08C745FC00000000",
                    "push ebp\r\nmov ebp, esp\r\nsub esp, 8h\r\nmov dword ptr [ebp-4h], 0h\r\n"},
        ListingCase{"RelativeTargetsAreAbsolute32", CodeMode::Bits32, 0x401000, "E81000000074F0",
                    "call 401015h\r\njz 400FF7h\r\n"},
        ListingCase{"TargetBelowZeroWraps32", CodeMode::Bits32, 0, "EBFC", "jmp 0FFFFFFFEh\r\n"},
        ListingCase{"HighAddress32", CodeMode::Bits32, 0x80001000, "E9FB0F0000", "jmp 80002000h\r\n"},
        ListingCase{"LeadingZeroBeforeLetters32", CodeMode::Bits32, 0, "81C4FF0000006AFFA100104000",
                    "add esp, 0FFh\r\npush 0FFFFFFFFh\r\nmov eax, dword ptr [401000h]\r\n"},
        ListingCase{"UndecodableFirstByte32", CodeMode::Bits32, 0x401000, "FFFF90", ""},
        ListingCase{"StopsAfterTwo32", CodeMode::Bits32, 0x401000, "5590FFFF90", "push ebp\r\nnop\r\n"},
        ListingCase{"CutLastInstructionDropped32", CodeMode::Bits32, 0x401000, "55E810", "push ebp\r\n"},
        ListingCase{"Empty", CodeMode::Bits32, 0x401000, "", ""},
        ListingCase{"RexIsDecIn32", CodeMode::Bits32, 0, "4883EC28", "dec eax\r\nsub esp, 28h\r\n"},
        ListingCase{"Prologue64", CodeMode::Bits64, 0x140001000, "4883EC28488B0500100000",
                    "sub rsp, 28h\r\nmov rax, qword ptr [14000200Bh]\r\n"},
        ListingCase{"RelativeTargetsAreAbsolute64", CodeMode::Bits64, 0x140001000, "E8FB0F000074FE",
                    "call 140002000h\r\njz 140001005h\r\n"},
        ListingCase{"CutLastInstructionDropped64", CodeMode::Bits64, 0x140001000, "90488B05", "nop\r\n"}),
    [](const ::testing::TestParamInfo<ListingCase>& param) { return std::string(param.param.name); });

TEST(DecodeInstructions, RecordsAddressLengthAndBytesOfEachInstructionInOrder) {
  const ByteBuffer bytes = HexTextToBytes("558BECC3");
  const auto instructions = DecodeInstructions(bytes, 0x1000, CodeMode::Bits32);
  ASSERT_TRUE(instructions);
  ASSERT_EQ(instructions->size(), 3u);
  EXPECT_EQ((*instructions)[1].address, 0x1001u);
  EXPECT_EQ((*instructions)[1].length, 2u);
  EXPECT_EQ((*instructions)[1].bytes, (ByteBuffer{0x8B, 0xEC}));
  EXPECT_EQ((*instructions)[2].text, "ret");
}

TEST(InstructionDecoder, ReportsLimitAndNoInstructionApart) {
  const InstructionDecoder decoder(CodeMode::Bits32);
  DecodedInstruction out;
  const ByteBuffer cut{0xE8, 0x10};
  const ByteBuffer invalid{0xFF, 0xFF};
  EXPECT_EQ(decoder.Decode(cut, 0, out), kDecodeStoppedAtLimit);
  EXPECT_EQ(decoder.Decode({}, 0, out), kDecodeStoppedAtLimit);
  EXPECT_EQ(decoder.Decode(invalid, 0, out), kDecodeNoInstruction);
  EXPECT_TRUE(out.text.empty());
}

TEST(DecodeInstructions, StopsWithoutResultWhenTheCheckpointSaysSo) {
  const ByteBuffer nops(100'000, 0x90);
  EXPECT_FALSE(DecodeInstructions(nops, 0, CodeMode::Bits32, [] { return false; }));
}

TEST(RuntimeAddressFromCell, ReadsHexadecimalAddressesAndGivesZeroOtherwise) {
  EXPECT_EQ(RuntimeAddressFromCell("00401000"), 0x401000u);
  EXPECT_EQ(RuntimeAddressFromCell("0000000140001000"), 0x140001000u);
  EXPECT_EQ(RuntimeAddressFromCell("FFFFFFFFFFFFFFFF"), UINT64_MAX);
  EXPECT_EQ(RuntimeAddressFromCell("No VA"), 0u);
  EXPECT_EQ(RuntimeAddressFromCell(""), 0u);
  EXPECT_EQ(RuntimeAddressFromCell("10000000000000000"), 0u);  // 17 digits would overflow
}

}  // namespace
}  // namespace varomby
