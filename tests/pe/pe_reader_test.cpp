// The PE signature test and the header reading, over hand-made images.
#include <gtest/gtest.h>

#include <string_view>

#include "pe/pe_reader.h"
#include "pe/test_image.h"

namespace varomby {
namespace {

using testing::TestImage;

ByteBuffer Text(std::string_view text) { return ByteBuffer(text.begin(), text.end()); }

// `size` zero bytes with `value` stored little-endian at `offset`.
ByteBuffer WithValueAt(std::size_t size, std::size_t offset, std::uint32_t value, std::size_t width = 4) {
  ByteBuffer bytes(size, 0);
  for (std::size_t i = 0; i < width && offset + i < size; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  return bytes;
}

ByteBuffer WithSignatureAt(ByteBuffer bytes, std::size_t offset) {
  const std::uint8_t signature[] = {'P', 'E', 0, 0};
  std::copy(std::begin(signature), std::end(signature), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
  return bytes;
}

ByteBuffer CutTo(ByteBuffer bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

bool IsPe(const ByteBuffer& bytes) {
  const MemorySource source(bytes);
  return IsPeFile(&source);
}

bool Read(const ByteBuffer& bytes, PeHeaderState& state) {
  const MemorySource source(bytes);
  return ReadPeHeaders(&source, state);
}

TEST(IsPeFileTest, LooksForTheSignatureAtTheStoredOffset) {
  ByteBuffer withoutMz = TestImage{}.Bytes();
  withoutMz[0] = 'X';
  struct Case {
    const char* name;
    ByteBuffer bytes;
    bool pe;
  };
  const Case cases[] = {
      {"typical 32-bit image", TestImage{}.Bytes(), true},
      {"PE32+ image", TestImage{.pe32Plus = true}.Bytes(), true},
      {"image without MZ", withoutMz, true},
      {"text file", Text("Dies ist eine Textdatei, die nichts mit PE zu tun hat, auch nicht nach Byte 60."), false},
      {"empty file", {}, false},
      {"short file starting with PE\\0\\0", Text(std::string_view("PE\0\0 short", 10)), true},
      {"short file of other bytes", Text("MZ short"), false},
      {"stored offset cut to two bytes", WithSignatureAt(WithValueAt(62, 60, 4, 2), 4), true},
      {"signature ending exactly at the end", WithSignatureAt(WithValueAt(68, 60, 64), 64), true},
      {"signature cut by the end", WithSignatureAt(WithValueAt(68, 60, 65), 64), false},
      {"stored offset beyond the end", WithValueAt(68, 60, 0x7FFFFFFF), false},
      // The top bit makes the offset negative: it cannot be reached, so the
      // signature that happens to follow the stored offset does not count.
      {"negative stored offset", WithSignatureAt(WithValueAt(68, 60, 0x80000000), 64), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsPe(c.bytes), c.pe);
  }
  EXPECT_FALSE(IsPeFile(nullptr));
}

TEST(ReadPeHeadersTest, ReadsATypical32BitImage) {
  const TestImage image;
  PeHeaderState state;
  ASSERT_TRUE(Read(image.Bytes(), state));
  EXPECT_EQ(state.dosHeader.e_magic, kDosSignature);
  EXPECT_EQ(state.dosHeader.e_lfanew, 0x80);
  EXPECT_EQ(state.ntHeaders32.Signature, kNtSignature);
  EXPECT_EQ(state.ntHeaders32.OptionalHeader.ImageBase, 0x10000000u);
  EXPECT_EQ(state.imageBase, 0x10000000u);
  EXPECT_FALSE(IsPe32Plus(state));
  ASSERT_EQ(state.sections.size(), 2u);
  EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(state.sections[0].Name)), ".sect");
  EXPECT_EQ(state.sections[0].VirtualAddress, 0x1000u);
  EXPECT_EQ(state.sections[0].PointerToRawData, 0x400u);
  EXPECT_EQ(state.sections[1].VirtualAddress, 0x4000u);
  EXPECT_EQ(state.sections[1].SizeOfRawData, 0x200u);
}

TEST(ReadPeHeadersTest, ReadsPe32PlusWithItsOwnLayout) {
  PeHeaderState state;
  ASSERT_TRUE(Read(TestImage{.pe32Plus = true, .imageBase = 0x140000000}.Bytes(), state));
  EXPECT_TRUE(IsPe32Plus(state));
  EXPECT_EQ(state.imageBase, 0x140000000u);
  EXPECT_EQ(state.ntHeaders64.OptionalHeader.ImageBase, 0x140000000u);
  ASSERT_EQ(state.sections.size(), 2u);
  EXPECT_EQ(state.sections[0].VirtualAddress, 0x1000u);
  EXPECT_EQ(state.sections[1].PointerToRawData, 0x1800u);
}

TEST(ReadPeHeadersTest, FindsTheSectionTableThroughSizeOfOptionalHeader) {
  for (const std::uint16_t size : {std::uint16_t{0xE0 + 0x20}, std::uint16_t{0x60}, std::uint16_t{0x400}}) {
    SCOPED_TRACE(size);
    PeHeaderState state;
    ASSERT_TRUE(Read(TestImage{.sizeOfHeaders = 0x1000, .sizeOfOptionalHeader = size,
                               .sections = {{0x1000, 0x1000, 0x200}, {0x2000, 0x1200, 0x200}}}.Bytes(),
                     state));
    ASSERT_EQ(state.sections.size(), 2u);
    EXPECT_EQ(state.sections[0].PointerToRawData, 0x1000u);
    EXPECT_EQ(state.sections[1].VirtualAddress, 0x2000u);
  }
}

TEST(ReadPeHeadersTest, SectionCountsAndTablesCutShort) {
  struct Case {
    const char* name;
    TestImage image;
    std::size_t cutAt;  // file size; 0 keeps the whole image
    std::size_t expectedSections;
  };
  const TestImage threeSections{.sections = {{0x1000, 0x400, 0x200}, {0x2000, 0x600, 0x200}, {0x3000, 0x800, 0x200}}};
  const std::size_t table = threeSections.SectionTableOffset();
  const Case cases[] = {
      {"no import table still reads the sections", TestImage{.importSize = 0}, 0, 2},
      {"zero sections", TestImage{.numberOfSections = 0}, 0, 0},
      {"table ending exactly at the end", threeSections, table + 3 * 40, 3},
      {"third record cut short", threeSections, table + 2 * 40 + 20, 2},
      {"table cut before its first record", threeSections, table + 39, 0},
      // 65535 declared: every complete record up to the end of the file.
      {"65535 sections declared", TestImage{.numberOfSections = 0xFFFF}, 0x1A00, (0x1A00 - table) / 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ByteBuffer bytes = c.cutAt != 0 ? CutTo(c.image.Bytes(), c.cutAt) : c.image.Bytes();
    PeHeaderState state;
    EXPECT_TRUE(Read(bytes, state));
    EXPECT_EQ(state.sections.size(), c.expectedSections);
    EXPECT_EQ(state.imageBase, 0x10000000u);
  }
}

TEST(ReadPeHeadersTest, FailedReadingsLeaveOnlyWhatTheFileHolds) {
  ByteBuffer withoutMz = TestImage{}.Bytes();
  withoutMz[0] = 'X';
  ByteBuffer negativeLfanew = TestImage{}.Bytes();
  negativeLfanew[63] = 0x80;
  ByteBuffer wrongSignature = TestImage{}.Bytes();
  wrongSignature[0x80 + 1] = 'X';
  struct Case {
    const char* name;
    ByteBuffer bytes;
    std::uint16_t expectedMagic;  // dosHeader.e_magic as stored
  };
  const Case cases[] = {
      {"file shorter than a DOS header", Text("MZ"), 0},
      {"text file", Text(std::string(100, 'a')), 0x6161},
      {"image without MZ", withoutMz, 0x5A58},
      {"negative e_lfanew", negativeLfanew, kDosSignature},
      {"wrong NT signature", wrongSignature, kDosSignature},
      {"NT headers beyond the end", CutTo(TestImage{}.Bytes(), 0x90), kDosSignature},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PeHeaderState state;
    ASSERT_TRUE(Read(TestImage{}.Bytes(), state));  // an earlier file's headers
    EXPECT_FALSE(Read(c.bytes, state));
    EXPECT_EQ(state.dosHeader.e_magic, c.expectedMagic);
    EXPECT_EQ(state.ntHeaders32.Signature, 0u);
    EXPECT_TRUE(state.sections.empty());
    EXPECT_EQ(state.imageBase, 0u);
    EXPECT_EQ(VirtualAddressText(state, 0x401), "No VA");
  }
  PeHeaderState state;
  ASSERT_TRUE(Read(TestImage{}.Bytes(), state));
  EXPECT_FALSE(ReadPeHeaders(nullptr, state));
  EXPECT_TRUE(state.sections.empty());
}

TEST(ReadPeHeadersTest, ASecondImageReplacesTheFirstWhole) {
  PeHeaderState state;
  ASSERT_TRUE(Read(TestImage{.pe32Plus = true, .imageBase = 0x140000000}.Bytes(), state));
  // No import table, no sections: nothing of the first image may remain.
  ASSERT_TRUE(Read(TestImage{.importSize = 0, .sections = {}}.Bytes(), state));
  EXPECT_FALSE(IsPe32Plus(state));
  EXPECT_EQ(state.imageBase, 0x10000000u);
  EXPECT_TRUE(state.sections.empty());
  EXPECT_EQ(state.ntHeaders64.OptionalHeader.ImageBase, 0u);
  EXPECT_EQ(VirtualAddressText(state, 0x401), "No VA");
  EXPECT_EQ(VirtualAddressText(state, 0x400), "100003FF");
}

TEST(ReadPeHeadersTest, OptionalHeaderCutByTheEndReadsAsZero) {
  // ImageBase (offset 28) is present, SizeOfHeaders (offset 60) is not.
  const ByteBuffer bytes = CutTo(TestImage{.sections = {}}.Bytes(), 0x80 + 24 + 32);
  PeHeaderState state;
  ASSERT_TRUE(Read(bytes, state));
  EXPECT_EQ(state.imageBase, 0x10000000u);
  EXPECT_EQ(state.ntHeaders32.OptionalHeader.SizeOfHeaders, 0u);
  EXPECT_TRUE(state.sections.empty());
}

}  // namespace
}  // namespace varomby
