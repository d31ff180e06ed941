// File position to virtual address: the section whose raw data holds the
// byte, the headers at the image base, "No VA" elsewhere.
#include <gtest/gtest.h>

#include "pe/pe_reader.h"
#include "pe/test_image.h"

namespace varomby {
namespace {

using testing::TestImage;

PeHeaderState StateOf(const TestImage& image) {
  const ByteBuffer bytes = image.Bytes();
  const MemorySource source(bytes);
  PeHeaderState state;
  EXPECT_TRUE(ReadPeHeaders(&source, state));
  return state;
}

struct AddressCase {
  std::uint64_t position;  // counted from 1
  const char* text;
};

void ExpectAddresses(const PeHeaderState& state, std::initializer_list<AddressCase> cases) {
  for (const AddressCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "position 0x" << std::hex << c.position);
    EXPECT_EQ(VirtualAddressText(state, c.position), c.text);
  }
}

TEST(VirtualAddressTest, SectionsAndHeadersOfA32BitImage) {
  // ImageBase 0x10000000; headers 0x400 bytes; section 1: raw 0x400..0x15FF
  // at 0x1000, section 2: raw 0x1800..0x19FF at 0x4000.
  ExpectAddresses(StateOf(TestImage{}), {
                                            {1, "10000000"},
                                            {0x400, "100003FF"},
                                            {0x401, "10001000"},
                                            {0x1401, "10002000"},
                                            {0x1600, "100021FF"},
                                            {0x1601, "No VA"},  // between the two sections' raw data
                                            {0x1801, "10004000"},
                                            {0x1A00, "100041FF"},
                                            {0x1A01, "No VA"},  // past the last section
                                            {0, "No VA"},
                                            {UINT64_MAX, "No VA"},
                                        });
}

TEST(VirtualAddressTest, AddressesAtOrAbove2GiBPrintAsThemselves) {
  ExpectAddresses(StateOf(TestImage{.imageBase = 0x80000000}), {{1, "80000000"}, {0x401, "80001000"}});
  ExpectAddresses(StateOf(TestImage{.imageBase = 0xFFFF0000, .sections = {{0xE000, 0x400, 0x200}}}),
                  {{0x401, "FFFFE000"}, {0x600, "FFFFE1FF"}});
  // A 32-bit image's sum past 0xFFFFFFFF wraps, as 32-bit addresses do.
  ExpectAddresses(StateOf(TestImage{.imageBase = 0xFFFFF000}), {{1, "FFFFF000"}, {0x401, "00000000"}, {0x402, "00000001"}});
}

TEST(VirtualAddressTest, Pe32PlusAddressesUseTheWholeImageBase) {
  ExpectAddresses(StateOf(TestImage{.pe32Plus = true, .imageBase = 0x140000000}),
                  {{1, "140000000"}, {0x401, "140001000"}, {0x1801, "140004000"}, {0x1601, "No VA"}});
  // A sum past 2^64 has no address rather than a wrapped one.
  ExpectAddresses(StateOf(TestImage{.pe32Plus = true, .imageBase = 0xFFFFFFFFFFFFF000}),
                  {{1, "FFFFFFFFFFFFF000"}, {0x401, "No VA"}});
}

TEST(VirtualAddressTest, SectionAddressPast2To64DoesNotFallBackToTheHeaders) {
  // Raw data starting at 0 overlaps the headers; its address overflows.
  ExpectAddresses(StateOf(TestImage{.pe32Plus = true, .imageBase = 0xFFFFFFFFFFFFFF00, .sections = {{0x1000, 0, 0x10}}}),
                  {{1, "No VA"}, {0x10, "No VA"}, {0x11, "FFFFFFFFFFFFFF10"}});
}

TEST(VirtualAddressTest, OddSectionTables) {
  // The first section whose raw data holds the byte wins; empty raw data holds nothing.
  ExpectAddresses(StateOf(TestImage{.sections = {{0x9000, 0x400, 0}, {0x1000, 0x400, 0x200}, {0x5000, 0x400, 0x400}}}),
                  {{0x401, "10001000"}, {0x601, "10005200"}});
  // Raw data reaching past 4 GiB does not wrap around to small offsets.
  ExpectAddresses(StateOf(TestImage{.sizeOfHeaders = 0x80, .sections = {{0x1000, 0xFFFFFF00, 0x200}}, .fileSize = 0x400}),
                  {{0x81, "No VA"}, {0x100, "No VA"}});
  // No sections: only the headers have addresses.
  ExpectAddresses(StateOf(TestImage{.sections = {}}), {{0x400, "100003FF"}, {0x401, "No VA"}});
}

TEST(VirtualAddressTest, NoHeadersReadGiveNoAddress) {
  ExpectAddresses(PeHeaderState{}, {{1, "No VA"}, {0x401, "No VA"}});
}

}  // namespace
}  // namespace varomby
