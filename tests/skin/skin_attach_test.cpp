// The skin library mapped by the in-memory loader, attached and detached
// through its entry points, with the host library recording its calls.
#include <gtest/gtest.h>

#include <cstring>

#include "memmodule/skin/skin_attach.h"
#include "tests/skin/skin_test_support.h"
#include "varskin/skin_blocks.h"

namespace varomby {
namespace {

using testing::CountingMachine;
using testing::RecordingStyler;
using testing::SkinTestMachine;

constexpr std::uint32_t kPreferredBase = 0x10000000;

class SkinAttachTest : public ::testing::Test {
 protected:
  SkinTestMachine skin;
  RecordingStyler& styler = skin.styler;
  std::unique_ptr<CountingMachine>& machine = skin.machine;
};

TEST_F(SkinAttachTest, BuiltInLibraryMapsAndExportsBothEntryPoints) {
  ASSERT_FALSE(SkinLibraryImage().empty());
  MemoryModule module(*machine);
  ASSERT_TRUE(module.Load(SkinLibraryImage()));
  EXPECT_EQ(module.GetHandle(), kPreferredBase);
  EXPECT_NE(module.GetProc(kSkinAttachEntry), 0u);
  EXPECT_NE(module.GetProc(kSkinDetachEntry), 0u);
}

TEST_F(SkinAttachTest, AttachHandsTheWholeSkinToTheStylerAndDetachRemovesIt) {
  MemoryModule module(*machine);
  ASSERT_TRUE(module.Load(SkinLibraryImage()));
  EXPECT_EQ(AttachSkin(module, *machine, SkinData(), "", 0, 0, 0), 1u);
  ASSERT_EQ(styler.applied.size(), 1u);
  const SkinParameters& applied = styler.applied[0];
  for (const auto& color : applied.colors) EXPECT_TRUE(color.has_value());
  for (const auto& font : applied.fonts) EXPECT_TRUE(font.has_value());
  for (const auto& metric : applied.metrics) EXPECT_TRUE(metric.has_value());
  EXPECT_EQ(applied.colors[VSKN_COLOR_WINDOW], 0x1E222Au);
  EXPECT_EQ(applied.colors[VSKN_COLOR_ACCENT], 0x3FB6A8u);
  EXPECT_EQ(applied.fonts[VSKN_FONT_CODE]->family, "DejaVu Sans Mono");
  EXPECT_EQ(applied.fonts[VSKN_FONT_HEADER]->weight, 700);
  EXPECT_EQ(applied.metrics[VSKN_METRIC_CORNER_RADIUS], 5);
  ASSERT_EQ(applied.gradients[VSKN_GRADIENT_BUTTON].size(), 2u);
  EXPECT_EQ(applied.gradients[VSKN_GRADIENT_BUTTON][1].position, 255);
  EXPECT_EQ(styler.removed, 0);

  DetachSkin(module, *machine);
  EXPECT_EQ(styler.removed, 1);
}

TEST_F(SkinAttachTest, RelocatedLibraryStillSkins) {
  ASSERT_EQ(machine->Allocate(kPreferredBase, 0x10000), kPreferredBase);  // preferred base taken
  MemoryModule module(*machine);
  ASSERT_TRUE(module.Load(SkinLibraryImage()));
  EXPECT_NE(module.GetHandle(), kPreferredBase);
  AttachSkin(module, *machine, SkinData(), "", 0, 0, 0);
  ASSERT_EQ(styler.applied.size(), 1u);
  EXPECT_EQ(styler.applied[0].fonts[VSKN_FONT_UI]->family, "Noto Sans CJK SC");
}

TEST_F(SkinAttachTest, NoLibraryMeansNoCallAtAll) {
  MemoryModule empty(*machine);
  MemoryModule broken(*machine);
  std::vector<std::uint8_t> image(SkinLibraryImage().begin(), SkinLibraryImage().end());
  image[0] = 'X';  // no DOS signature: the load fails
  EXPECT_FALSE(broken.Load(image));
  for (const MemoryModule* module : {&empty, &broken}) {
    EXPECT_EQ(AttachSkin(*module, *machine, SkinData(), "", 0, 0, 0), 0u);
    EXPECT_EQ(DetachSkin(*module, *machine), 0u);
  }
  EXPECT_EQ(machine->calls, 0);
  EXPECT_TRUE(styler.applied.empty());
  EXPECT_EQ(styler.removed, 0);
}

// The arguments as the entry point receives them, seen by a host function
// standing in for SkinH_AttachRes.
class AttachArgumentsTest : public SkinAttachTest {
 protected:
  void SetUp() override {
    HostFunction probe;
    probe.name = "Probe";
    probe.stackArguments = CodeRunner::kArgumentCount;
    probe.calleePopsArguments = false;
    probe.body = [this](std::span<const std::uint32_t> args, AddressSpace32& memory) {
      received.assign(args.begin(), args.end());
      seenData.resize(args[1]);
      dataReadable = memory.Read(args[0], seenData);
      if (args[2] != 0) seenPassword = ReadMachineText(memory, args[2], 64).value_or("<unreadable>");
      return 0x5A5Au;
    };
    machine->AddHostLibrary(HostLibrary{"probe.dll", {probe}});
    entry = machine->GetProcAddress(machine->LoadLibrary("probe.dll"), "Probe", 0);
    ASSERT_NE(entry, 0u);
  }

  std::uint32_t entry = 0;
  std::vector<std::uint32_t> received;
  std::vector<std::uint8_t> seenData;
  bool dataReadable = false;
  std::string seenPassword;
};

TEST_F(AttachArgumentsTest, DataAddressLengthEmptyPasswordAndZeros) {
  EXPECT_EQ(AttachSkinAt(entry, *machine, SkinData(), "", 0, 0, 0), 0x5A5Au);
  ASSERT_EQ(received.size(), 10u);
  EXPECT_EQ(received[1], SkinData().size());
  ASSERT_TRUE(dataReadable);
  EXPECT_TRUE(std::equal(seenData.begin(), seenData.end(), SkinData().begin(), SkinData().end()))
      << "the first argument must address the first data byte";
  EXPECT_EQ(received[2], 0u) << "an empty password is passed as address 0";
  for (int i = 3; i < 10; ++i) EXPECT_EQ(received[i], 0u) << "argument " << i + 1;
}

TEST_F(AttachArgumentsTest, PasswordAndValuesArePassed) {
  AttachSkinAt(entry, *machine, SkinData(), "open sesame", 7, 8, 0xFFFFFFFFu);
  ASSERT_EQ(received.size(), 10u);
  EXPECT_EQ(seenPassword, "open sesame");
  EXPECT_EQ(received[3], 7u);
  EXPECT_EQ(received[4], 8u);
  EXPECT_EQ(received[5], 0xFFFFFFFFu);
  for (int i = 6; i < 10; ++i) EXPECT_EQ(received[i], 0u);
}

TEST_F(AttachArgumentsTest, DetachPassesOnlyZeros) {
  DetachSkinAt(entry, *machine);
  EXPECT_EQ(received, std::vector<std::uint32_t>(10, 0u));
}

}  // namespace
}  // namespace varomby
