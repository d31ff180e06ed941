// The skin library refuses malformed skin data whole: nothing reaches the
// host and the window keeps its look.
#include <gtest/gtest.h>

#include <functional>

#include "memmodule/skin/skin_attach.h"
#include "tests/skin/skin_test_support.h"
#include "varskin/skin_blocks.h"

namespace varomby {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes BuiltInData() { return Bytes(SkinData().begin(), SkinData().end()); }

// The built-in data begins with colour records of 8 bytes each.
constexpr std::size_t kFirstRecord = VSKN_HEADER_SIZE;

Bytes Header(std::uint16_t count) { return {'V', 'S', 'K', 'N', 1, 0, static_cast<std::uint8_t>(count), 0}; }

Bytes Append(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct MalformedCase {
  const char* name;
  std::function<Bytes()> make;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }

const MalformedCase kMalformed[] = {
    {"header_only_half", [] { return Bytes{'V', 'S', 'K', 'N'}; }},
    {"bad_magic", [] { auto d = BuiltInData(); d[0] = 'X'; return d; }},
    {"unknown_version", [] { auto d = BuiltInData(); d[4] = 2; return d; }},
    {"truncated_in_last_record", [] { auto d = BuiltInData(); d.pop_back(); return d; }},
    {"truncated_after_first_record_header", [] { auto d = BuiltInData(); d.resize(kFirstRecord + 4); return d; }},
    {"more_records_announced", [] { auto d = BuiltInData(); d[6] = static_cast<std::uint8_t>(d[6] + 1); return d; }},
    {"trailing_bytes", [] { return Append(BuiltInData(), {0}); }},
    {"payload_length_past_end", [] { auto d = BuiltInData(); d[kFirstRecord + 2] = 0xFF; d[kFirstRecord + 3] = 0xFF; return d; }},
    {"unknown_kind", [] { auto d = BuiltInData(); d[kFirstRecord] = 9; return d; }},
    {"colour_role_out_of_range", [] { auto d = BuiltInData(); d[kFirstRecord + 1] = VSKN_COLOR_COUNT; return d; }},
    {"colour_with_high_byte", [] { auto d = BuiltInData(); d[kFirstRecord + 7] = 1; return d; }},
    {"font_name_longer_than_record", [] { return Append(Header(1), {2, 0, 6, 0, 9, 0, 0x90, 1, 40, 'A'}); }},
    {"font_name_with_nul", [] { return Append(Header(1), {2, 0, 7, 0, 9, 0, 0x90, 1, 2, 'A', 0}); }},
    {"metric_too_large", [] { return Append(Header(1), {3, 0, 4, 0, 0, 1, 0, 0}); }},
    {"gradient_too_many_stops", [] {
       Bytes g{4, 0, 46, 0, 9};
       g.resize(g.size() + 45, 0);
       return Append(Header(1), g);
     }},
};

class MalformedSkinDataTest : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedSkinDataTest, IsRefusedWithoutHostCalls) {
  testing::SkinTestMachine skin;
  auto& [styler, host, machine] = skin;
  MemoryModule module(*machine);
  ASSERT_TRUE(module.Load(SkinLibraryImage()));

  const Bytes data = GetParam().make();
  EXPECT_EQ(AttachSkin(module, *machine, data, "", 0, 0, 0), 0u);
  EXPECT_TRUE(styler.applied.empty());
  // The library is still usable afterwards.
  EXPECT_EQ(AttachSkin(module, *machine, SkinData(), "", 0, 0, 0), 1u);
  EXPECT_EQ(styler.applied.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedSkinDataTest, ::testing::ValuesIn(kMalformed),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(SkinHostTest, FontFamilyAtUnreadableAddressIsIgnored) {
  testing::SkinTestMachine skin;
  auto& [styler, host, machine] = skin;
  const std::uint32_t setFont = machine->GetProcAddress(machine->LoadLibrary(VARSKIN_HOST_LIBRARY), "HostSetFont", 0);
  ASSERT_NE(setFont, 0u);
  EXPECT_EQ(machine->Call(setFont, {VSKN_FONT_UI, 0xFFFFFFF0u, 9, 400}), 0u);
  const std::vector<std::uint8_t> longName(VSKN_MAX_FONT_NAME + 1, 'A');  // no terminator in reach
  const std::uint32_t text = machine->Allocate(0, static_cast<std::uint32_t>(longName.size()));
  ASSERT_TRUE(machine->Write(text, longName));
  EXPECT_EQ(machine->Call(setFont, {VSKN_FONT_UI, text, 9, 400}), 0u);
  host.Apply();
  ASSERT_EQ(styler.applied.size(), 1u);
  EXPECT_FALSE(styler.applied[0].fonts[VSKN_FONT_UI].has_value());
}

}  // namespace
}  // namespace varomby
