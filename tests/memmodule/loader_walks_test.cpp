// The loader's checks and walks on hand-made images, over a machine that
// runs no code.
#include <gtest/gtest.h>

#include <functional>

#include "memmodule/image_loader.h"
#include "memmodule/memory_module.h"
#include "memmodule/machine/memory_access.h"
#include "tests/memmodule/built_image.h"
#include "tests/memmodule/fake_machine.h"

namespace varomby {
namespace {

using testing::BuiltImage;
using testing::FakeMachine;
constexpr std::uint32_t kBase = BuiltImage::kImageBase;

std::uint32_t Map(FakeMachine& machine, BuiltImage& image, std::uint32_t resolver = 0, std::uint32_t data = 0) {
  return MapImage(machine, image.bytes(), resolver, data);
}

std::uint32_t Word(const FakeMachine& machine, std::uint32_t address) {
  return ReadWord(machine, address).value_or(0xDEADBEEF);
}

struct RefusedCase {
  const char* name;
  std::function<void(BuiltImage&)> spoil;
};

TEST(MapImageTest, RefusesMalformedImagesAndLeavesNothingReserved) {
  const RefusedCase cases[] = {
      {"shorter than a DOS header", [](BuiltImage& i) { i.bytes().resize(63); }},
      {"no MZ", [](BuiltImage& i) { i.Put<std::uint16_t>(0, 0x4D5A); }},
      {"negative e_lfanew", [](BuiltImage& i) { i.Put<std::int32_t>(60, -8); }},
      {"NT headers past the end", [](BuiltImage& i) { i.bytes().resize(BuiltImage::kSectionTable - 1); }},
      {"no PE", [](BuiltImage& i) { i.Nt([](IMAGE_NT_HEADERS32& nt) { nt.Signature = 0x454E; }); }},
      {"not executable", [](BuiltImage& i) { i.Nt([](IMAGE_NT_HEADERS32& nt) { nt.FileHeader.Characteristics = 0x2100; }); }},
      {"section table past the end", [](BuiltImage& i) { i.Nt([](IMAGE_NT_HEADERS32& nt) { nt.FileHeader.NumberOfSections = 0xFFFF; }); }},
      {"raw data past the end", [](BuiltImage& i) { i.Section([](IMAGE_SECTION_HEADER& s) { s.PointerToRawData = 0x201; }); }},
      {"raw data offset overflowing", [](BuiltImage& i) { i.Section([](IMAGE_SECTION_HEADER& s) { s.PointerToRawData = 0xFFFFFFFF; }); }},
      {"section alignment 0", [](BuiltImage& i) { i.Nt([](IMAGE_NT_HEADERS32& nt) { nt.OptionalHeader.SectionAlignment = 0; }); }},
      {"size 0", [](BuiltImage& i) {
         i.Nt([](IMAGE_NT_HEADERS32& nt) { nt.OptionalHeader.SizeOfImage = 0; nt.FileHeader.NumberOfSections = 0; });
       }},
      {"size beyond 32 bits", [](BuiltImage& i) { i.Section([](IMAGE_SECTION_HEADER& s) { s.VirtualSize = 0xFFFFFFF0; }); }},
      {"import descriptors without terminator", [](BuiltImage& i) {
         i.Directory(kDirectoryImport, 0x1000, 20).Text(0x1F00, "lib.dll");
         for (std::uint32_t rva = 0x1000; rva + 20 <= 0x2000; rva += 20) {
           i.At(rva, IMAGE_IMPORT_DESCRIPTOR{0, 0, 0, 0x1F00, 0x1F10});  // empty tables at 0x1F10
         }
       }},
      {"import library name outside the image", [](BuiltImage& i) {
         i.Directory(kDirectoryImport, 0x1000, 40).At(0x1000, IMAGE_IMPORT_DESCRIPTOR{0, 0, 0, 0x7FFFFFF0, 0x1100});
       }},
      {"import slots without terminator", [](BuiltImage& i) {
         i.Directory(kDirectoryImport, 0x1000, 40).At(0x1000, IMAGE_IMPORT_DESCRIPTOR{0, 0, 0, 0x1F00, 0x1FFC}).Text(0x1F00, "lib.dll");
         i.At<std::uint32_t>(0x1FFC, 0x80000001);
       }},
      {"import name outside the image", [](BuiltImage& i) {
         i.Directory(kDirectoryImport, 0x1000, 40).At(0x1000, IMAGE_IMPORT_DESCRIPTOR{0, 0, 0, 0x1F00, 0x1100}).Text(0x1F00, "lib.dll");
         i.At<std::uint32_t>(0x1100, 0x00FFFFFF);
       }},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.name);
    BuiltImage image;
    c.spoil(image);
    FakeMachine machine;
    EXPECT_EQ(Map(machine, image), 0u);
    EXPECT_EQ(machine.ReservationCount(), 0u);
  }
}

TEST(MapImageTest, CopiesHeadersAndSectionsAtThePreferredBase) {
  BuiltImage image;
  image.At<std::uint32_t>(0x1234, 0xA1B2C3D4);
  FakeMachine machine;
  ASSERT_EQ(Map(machine, image), kBase);
  EXPECT_EQ(Word(machine, kBase), 0x00905A4Du & 0xFFFF);  // "MZ" then zeros
  EXPECT_EQ(Word(machine, kBase + 0x1234), 0xA1B2C3D4u);
  EXPECT_EQ(machine.ReservationSize(kBase), 0x2000u);
}

TEST(MapImageTest, BlocksEndingExactlyAtTheirHeadersMap) {
  // No sections: the block may end right after the NT headers.
  BuiltImage headersOnly;
  headersOnly.Nt([](IMAGE_NT_HEADERS32& nt) { nt.FileHeader.NumberOfSections = 0; });
  headersOnly.bytes().resize(BuiltImage::kSectionTable);
  FakeMachine machine;
  ASSERT_EQ(Map(machine, headersOnly), kBase);
  EXPECT_EQ(machine.ReservationSize(kBase), 0x2000u);
  EXPECT_EQ(Word(machine, kBase + BuiltImage::kLfanew), kNtSignature);

  // One section without raw data: the block may end right after the table;
  // the section reads as zero.
  BuiltImage uninitialised;
  uninitialised.Section([](IMAGE_SECTION_HEADER& s) { s.SizeOfRawData = 0; });
  uninitialised.bytes().resize(BuiltImage::kSectionTable + sizeof(IMAGE_SECTION_HEADER));
  FakeMachine other;
  ASSERT_EQ(Map(other, uninitialised), kBase);
  EXPECT_EQ(Word(other, kBase + 0x1000), 0u);
  EXPECT_EQ(Word(other, kBase + BuiltImage::kSectionTable + sizeof(IMAGE_SECTION_HEADER)), 0u);
}

TEST(MapImageTest, ReservesEverySectionsFullVirtualSize) {
  BuiltImage image;
  image.Section([](IMAGE_SECTION_HEADER& s) { s.VirtualSize = 0x27000; });  // low 16 bits alone would be 0x7000
  FakeMachine machine;
  ASSERT_EQ(Map(machine, image), kBase);
  EXPECT_EQ(machine.ReservationSize(kBase), 0x28000u);
}

TEST(MapImageTest, AlignUpIsExactAndRefusesZeroAlignment) {
  EXPECT_EQ(AlignUp(0, 0x1000), 0u);
  EXPECT_EQ(AlignUp(1, 0x1000), 0x1000u);
  EXPECT_EQ(AlignUp(0x1000, 0x1000), 0x1000u);
  EXPECT_EQ(AlignUp(0xFFFFFFFF, 0x1000), 0x100000000u);
  EXPECT_FALSE(AlignUp(5, 0).has_value());
}

// A relocation directory at 0x1800; the image mapped 0x10000 above its base.
struct RelocationFixture {
  BuiltImage image;
  FakeMachine machine;
  std::uint32_t base = 0;

  std::uint32_t MapMoved() {
    machine.Allocate(kBase, 0x10000);  // the preferred range is taken
    base = Map(machine, image);
    return base;
  }
};

TEST(ApplyRelocationsTest, AddsTheDeltaToHighLowTargetsOnly) {
  RelocationFixture f;
  const std::uint16_t entries[] = {0x3100, 0x3104, 0x0108, 0x110C, 0x2110, 0x4114, 0xA118, 0x0000};
  f.image.Directory(kDirectoryBaseRelocation, 0x1800, 8 + sizeof(entries))
      .At(0x1800, IMAGE_BASE_RELOCATION{0x1000, 8 + sizeof(entries)})
      .At(0x1808, entries);
  for (std::uint32_t rva = 0x1100; rva <= 0x1118; rva += 4) f.image.At<std::uint32_t>(rva, 0x10001000);
  f.image.At<std::uint32_t>(0x1104, 0xFFFFFFF0);  // wraps around
  ASSERT_NE(f.MapMoved(), 0u);
  const std::uint32_t delta = f.base - kBase;
  EXPECT_EQ(Word(f.machine, f.base + 0x1100), 0x10001000u + delta);
  EXPECT_EQ(Word(f.machine, f.base + 0x1104), 0xFFFFFFF0u + delta);
  for (std::uint32_t rva = 0x1108; rva <= 0x1118; rva += 4) EXPECT_EQ(Word(f.machine, f.base + rva), 0x10001000u) << rva;
}

TEST(ApplyRelocationsTest, WalkStaysInsideTheDirectoryAndTheImage) {
  struct Case {
    const char* name;
    std::function<void(BuiltImage&)> layout;
    std::uint32_t unchangedRva;  // a value at this RVA must keep 0x10001000
  };
  const Case cases[] = {
      {"SizeOfBlock 0 ends the walk", [](BuiltImage& i) {
         i.Directory(kDirectoryBaseRelocation, 0x1800, 0x100).At(0x1800, IMAGE_BASE_RELOCATION{0x1000, 0});
         i.At(0x1808, IMAGE_BASE_RELOCATION{0x1000, 10}).At<std::uint16_t>(0x1810, 0x3100);
       }, 0x1100},
      {"SizeOfBlock below 8 ends the walk", [](BuiltImage& i) {
         i.Directory(kDirectoryBaseRelocation, 0x1800, 0x100).At(0x1800, IMAGE_BASE_RELOCATION{0x1000, 6});
         i.At<std::uint16_t>(0x1808, 0x3100);
       }, 0x1100},
      {"a block past the directory size is not applied", [](BuiltImage& i) {
         i.Directory(kDirectoryBaseRelocation, 0x1800, 10).At(0x1800, IMAGE_BASE_RELOCATION{0x1000, 10});
         i.At<std::uint16_t>(0x1808, 0x0000).At(0x180A, IMAGE_BASE_RELOCATION{0x1000, 10}).At<std::uint16_t>(0x1812, 0x3100);
       }, 0x1100},
      {"a directory running past the image", [](BuiltImage& i) {
         i.Directory(kDirectoryBaseRelocation, 0x1FF8, 0xFFFFFFFF).At(0x1FF8, IMAGE_BASE_RELOCATION{0x1000, 0x7FFFFFF0});
       }, 0x1100},
      {"a target outside the image is not written", [](BuiltImage& i) {
         i.Directory(kDirectoryBaseRelocation, 0x1800, 12).At(0x1800, IMAGE_BASE_RELOCATION{0x1F00, 12});
         i.At<std::uint16_t>(0x1808, 0x3FFE).At<std::uint16_t>(0x180A, 0x3100);  // 0x2EFE is beyond 0x2000
       }, 0x1100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RelocationFixture f;
    f.image.At<std::uint32_t>(c.unchangedRva, 0x10001000);
    c.layout(f.image);
    ASSERT_NE(f.MapMoved(), 0u);
    EXPECT_EQ(Word(f.machine, f.base + c.unchangedRva), 0x10001000u);
  }
}

TEST(ApplyRelocationsTest, ATargetOutsideTheImageLeavesTheNeighbourAlone) {
  RelocationFixture f;
  f.image.Directory(kDirectoryBaseRelocation, 0x1800, 10).At(0x1800, IMAGE_BASE_RELOCATION{0x2000, 10});
  f.image.At<std::uint16_t>(0x1808, 0x3000);
  // The fake places a moved image first-fit at 0x100000; the neighbour sits right behind it.
  const std::uint32_t neighbour = f.machine.Allocate(0x102000, 0x1000);
  ASSERT_EQ(neighbour, 0x102000u);
  ASSERT_EQ(f.MapMoved(), 0x100000u);
  EXPECT_EQ(Word(f.machine, neighbour), 0u);
}

// Imports of "lib.dll": by name "Func" (wrong hint), ordinal 17 written
// as 0x80010011, then the terminating slot.
BuiltImage ImportingImage() {
  BuiltImage image;
  image.Directory(kDirectoryImport, 0x1000, 40)
      .At(0x1000, IMAGE_IMPORT_DESCRIPTOR{0, 0, 0, 0x1F00, 0x1100})
      .Text(0x1F00, "lib.dll")
      .At<std::uint16_t>(0x1200, 0x7777)
      .Text(0x1202, "Func");
  const std::uint32_t slots[] = {0x1200, 0x80010011, 0};
  image.At(0x1100, slots);
  return image;
}

TEST(ResolveImportsTest, AsksTheHostByNameAndOrdinalAndFillsTheSlots) {
  BuiltImage image = ImportingImage();
  FakeMachine machine;
  ASSERT_EQ(Map(machine, image), kBase);
  ASSERT_EQ(machine.loadedLibraries, std::vector<std::string>{"lib.dll"});
  ASSERT_EQ(machine.procRequests.size(), 2u);
  EXPECT_EQ(machine.procRequests[0].name, "Func");
  EXPECT_EQ(machine.procRequests[1].name, "");
  EXPECT_EQ(machine.procRequests[1].ordinal, 17);
  EXPECT_EQ(Word(machine, kBase + 0x1100), FakeMachine::kProcBase + 1);
  EXPECT_EQ(Word(machine, kBase + 0x1104), FakeMachine::kProcBase + 2);
  EXPECT_EQ(machine.ReservationCount(), 1u);
}

TEST(ResolveImportsTest, TheResolverIsAskedFirstWithTheNamesAndATemporaryOrdinalText) {
  BuiltImage image = ImportingImage();
  image.Nt([](IMAGE_NT_HEADERS32& nt) { nt.FileHeader.Characteristics = 0x0102; });  // no entry-point call
  FakeMachine machine;
  constexpr std::uint32_t kResolver = 0x5000;
  std::vector<std::string> seen;
  machine.onCall = [&](std::uint32_t target, const CodeRunner::Arguments& args) -> std::uint32_t {
    EXPECT_EQ(target, kResolver);
    EXPECT_EQ(ReadCString(machine, args[0], 64).value_or("?"), "lib.dll");
    EXPECT_EQ(args[2], 0xDA7Au);
    seen.push_back(ReadCString(machine, args[1], 64).value_or("?"));
    return seen.back() == "Func" ? 0x12345678 : 0;  // the ordinal goes on to the host
  };
  ASSERT_EQ(Map(machine, image, kResolver, 0xDA7A), kBase);
  EXPECT_EQ(seen, (std::vector<std::string>{"Func", "17"}));
  EXPECT_EQ(Word(machine, kBase + 0x1100), 0x12345678u);
  EXPECT_EQ(Word(machine, kBase + 0x1104), FakeMachine::kProcBase + 1);
  ASSERT_EQ(machine.procRequests.size(), 1u);
  EXPECT_EQ(machine.ReservationCount(), 1u);  // the scratch text is freed
}

TEST(ResolveImportsTest, FailuresReleaseTheImage) {
  struct Case {
    const char* name;
    std::function<void(FakeMachine&)> setUp;
  };
  const Case cases[] = {
      {"a library that cannot be loaded is refused at once", [](FakeMachine& m) { m.refusedLibraries = {"lib.dll"}; }},
      {"a function nobody supplies", [](FakeMachine& m) { m.procsMissing = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BuiltImage image = ImportingImage();
    FakeMachine machine;
    c.setUp(machine);
    EXPECT_EQ(Map(machine, image), 0u);
    EXPECT_EQ(machine.ReservationCount(), 0u);
    EXPECT_LE(machine.procRequests.size(), 1u);
    EXPECT_TRUE(machine.calls.empty());
  }
}

TEST(ResolveImportsTest, OnlyTheTerminatorOrAnEmptyTableLoadsAsExpected) {
  BuiltImage image;
  image.Directory(kDirectoryImport, 0x1000, 40).At(0x1000, IMAGE_IMPORT_DESCRIPTOR{0, 0, 0, 0x1F00, 0x1100}).Text(0x1F00, "lib.dll");
  FakeMachine machine;
  ASSERT_EQ(Map(machine, image), kBase);
  EXPECT_EQ(machine.loadedLibraries, std::vector<std::string>{"lib.dll"});  // empty table, still loaded

  BuiltImage terminatorOnly;
  terminatorOnly.Directory(kDirectoryImport, 0x1000, 20);
  FakeMachine other;
  ASSERT_EQ(Map(other, terminatorOnly), kBase);
  EXPECT_TRUE(other.loadedLibraries.empty());
}

// Exports with Base 5: entry 0 "Beta" → 0x1100, entry 1 "Alpha" → 0,
// entry 2 "Gamma" → a forwarder inside the directory. The names are not
// back to back, and a fourth name pointer points outside the image.
BuiltImage ExportingImage() {
  BuiltImage image;
  image.Directory(kDirectoryExport, 0x1400, 0x100);
  IMAGE_EXPORT_DIRECTORY exports{};
  exports.Base = 5;
  exports.NumberOfFunctions = 3;
  exports.NumberOfNames = 4;
  exports.AddressOfFunctions = 0x1440;
  exports.AddressOfNames = 0x1460;
  exports.AddressOfNameOrdinals = 0x1480;
  const std::uint32_t functions[] = {0x1100, 0, 0x14C0};
  const std::uint32_t names[] = {0x7FFFFF00, 0x1600, 0x1500, 0x1700};
  const std::uint16_t ordinals[] = {0, 1, 0, 2};
  return std::move(image.At(0x1400, exports).At(0x1440, functions).At(0x1460, names).At(0x1480, ordinals)
                       .Text(0x1500, "Beta").Text(0x1600, "Alpha").Text(0x1700, "Gamma").Text(0x14C0, "other.Fn"));
}

TEST(FindExportTest, LooksUpByNameAndOrdinalText) {
  BuiltImage image = ExportingImage();
  FakeMachine machine;
  ASSERT_EQ(Map(machine, image), kBase);
  const struct {
    const char* text;
    std::uint32_t rva;  // 0: not found
  } cases[] = {
      {"Beta", 0x1100}, {"beta", 0}, {"Bet", 0}, {"Alpha", 0}, {"Gamma", 0}, {"", 0},
      {"5", 0x1100},    {"6", 0},    {"7", 0},   {"8", 0},     {"4", 0},     {"-5", 0},
      {"05", 0},        {"+5", 0},   {" 5", 0},  {"99999999999", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindExport(machine, kBase, c.text), c.rva == 0 ? 0 : kBase + c.rva) << c.text;
  }
}

TEST(FindExportTest, CountsLargerThanTheTablesEndTheWalk) {
  BuiltImage image = ExportingImage();
  image.At<std::uint32_t>(0x1400 + offsetof(IMAGE_EXPORT_DIRECTORY, NumberOfNames), 0xFFFFFFFF);
  image.At<std::uint32_t>(0x1400 + offsetof(IMAGE_EXPORT_DIRECTORY, NumberOfFunctions), 0xFFFFFFFF);
  FakeMachine machine;
  ASSERT_EQ(Map(machine, image), kBase);
  EXPECT_EQ(FindExport(machine, kBase, "Beta"), kBase + 0x1100);
  EXPECT_EQ(FindExport(machine, kBase, "Missing"), 0u);
  EXPECT_EQ(FindExport(machine, kBase, "2000000000"), 0u);
}

TEST(FindExportTest, NoDirectoryOrBadHeadersGiveZero) {
  BuiltImage plain;
  FakeMachine machine;
  ASSERT_EQ(Map(machine, plain), kBase);
  EXPECT_EQ(FindExport(machine, kBase, "5"), 0u);
  EXPECT_EQ(FindExport(machine, 0x0BAD0000, "Beta"), 0u);  // nothing mapped there
}

TEST(FindExportTest, OrdinalTextIsTheUsualDecimalForm) {
  const struct {
    const char* text;
    bool ordinal;
    std::int32_t value;
  } cases[] = {{"0", true, 0},           {"17", true, 17},   {"-3", true, -3},   {"2147483647", true, INT32_MAX},
               {"-2147483648", true, INT32_MIN}, {"2147483648", false, 0}, {"00", false, 0}, {"-0", false, 0},
               {"+1", false, 0},         {"1 ", false, 0},   {"", false, 0},     {"x1", false, 0}};
  for (const auto& c : cases) {
    std::int32_t value = 0;
    EXPECT_EQ(ParseOrdinalText(c.text, value), c.ordinal) << c.text;
    if (c.ordinal) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(EntryPointTest, AttachAndDetachGetHandleZeroAndTheReason) {
  BuiltImage image;
  FakeMachine machine;
  ASSERT_EQ(Map(machine, image), kBase);
  ASSERT_EQ(machine.calls.size(), 1u);
  EXPECT_EQ(machine.calls[0].target, kBase + 0x1000);
  EXPECT_EQ(machine.calls[0].args, (CodeRunner::Arguments{0, 1, 0}));
  EXPECT_EQ(ReadEntryPoint(machine, kBase), kBase + 0x1000);
  EXPECT_TRUE(ReleaseImage(machine, kBase));
  ASSERT_EQ(machine.calls.size(), 2u);
  EXPECT_EQ(machine.calls[1].args, (CodeRunner::Arguments{0, 0, 0}));
  EXPECT_EQ(machine.ReservationCount(), 0u);
}

TEST(EntryPointTest, ARefusedAttachIsDetachedAndReleased) {
  BuiltImage image;
  FakeMachine machine;
  machine.onCall = [](std::uint32_t, const CodeRunner::Arguments& args) { return args[1] == 1 ? 0u : 1u; };
  EXPECT_EQ(Map(machine, image), 0u);
  ASSERT_EQ(machine.calls.size(), 2u);
  EXPECT_EQ(machine.calls[1].args, (CodeRunner::Arguments{0, 0, 0}));
  EXPECT_EQ(machine.ReservationCount(), 0u);
}

TEST(EntryPointTest, NoCallWithoutTheDllFlagOrWithoutAnEntryPoint) {
  const struct {
    const char* name;
    std::uint16_t characteristics;
    std::uint32_t entry;
  } cases[] = {{"executable", 0x0102, 0x1000}, {"DLL with entry point 0", 0x2102, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BuiltImage image;
    image.Nt([&](IMAGE_NT_HEADERS32& nt) {
      nt.FileHeader.Characteristics = c.characteristics;
      nt.OptionalHeader.AddressOfEntryPoint = c.entry;
    });
    FakeMachine machine;
    ASSERT_EQ(Map(machine, image), kBase);
    EXPECT_EQ(ReadEntryPoint(machine, kBase), kBase + c.entry);
    EXPECT_TRUE(ReleaseImage(machine, kBase));
    EXPECT_TRUE(machine.calls.empty());
    EXPECT_EQ(machine.ReservationCount(), 0u);
  }
}

TEST(EntryPointTest, ReleaseRefusesMemoryWithoutItsSignatures) {
  BuiltImage image;
  FakeMachine machine;
  ASSERT_EQ(Map(machine, image), kBase);
  ASSERT_TRUE(WriteWord(machine, kBase, 0));
  EXPECT_FALSE(ReleaseImage(machine, kBase));
  EXPECT_EQ(machine.calls.size(), 1u);  // the attach call only
  EXPECT_EQ(machine.ReservationCount(), 1u);
}

TEST(MemoryModuleTest, EmptyObject) {
  FakeMachine machine;
  MemoryModule module(machine);
  EXPECT_FALSE(module.Load({}));
  EXPECT_EQ(module.GetHandle(), 0u);
  EXPECT_TRUE(module.Unload());
  EXPECT_EQ(module.GetProc("Beta"), 0u);
  EXPECT_EQ(module.GetEntryPoint(), 0u);
  EXPECT_TRUE(machine.calls.empty());
}

TEST(MemoryModuleTest, ASecondLoadDetachesAndReleasesTheFirst) {
  BuiltImage first = ExportingImage();
  BuiltImage second;
  second.Nt([](IMAGE_NT_HEADERS32& nt) { nt.OptionalHeader.AddressOfEntryPoint = 0x1010; });
  FakeMachine machine;
  MemoryModule module(machine);
  ASSERT_TRUE(module.Load(first.bytes()));
  EXPECT_EQ(module.GetHandle(), kBase);
  EXPECT_EQ(module.GetProc("Beta"), kBase + 0x1100);
  EXPECT_EQ(module.Copy().GetHandle(), kBase);
  ASSERT_TRUE(module.Load(second.bytes()));
  ASSERT_EQ(machine.calls.size(), 3u);  // attach first, detach first, attach second
  EXPECT_EQ(machine.calls[1].target, kBase + 0x1000);
  EXPECT_EQ(machine.calls[1].args[1], 0u);
  EXPECT_EQ(module.GetHandle(), kBase);  // the first image's range was free again
  EXPECT_EQ(module.GetEntryPoint(), kBase + 0x1010);
  EXPECT_EQ(module.GetProc("Beta"), 0u);
  EXPECT_EQ(machine.ReservationCount(), 1u);

  EXPECT_FALSE(module.Load(std::vector<std::uint8_t>(10)));  // fails after unloading
  EXPECT_EQ(module.GetHandle(), 0u);
  EXPECT_EQ(machine.ReservationCount(), 0u);
}

TEST(MemoryModuleTest, UnloadKeepsAnImageWhoseReleaseFails) {
  BuiltImage image;
  FakeMachine machine;
  MemoryModule module(machine);
  ASSERT_TRUE(module.Load(image.bytes()));
  ASSERT_TRUE(WriteWord(machine, kBase + BuiltImage::kLfanew, 0));  // "PE" gone
  EXPECT_FALSE(module.Unload());
  EXPECT_EQ(module.GetHandle(), kBase);
}

}  // namespace
}  // namespace varomby
