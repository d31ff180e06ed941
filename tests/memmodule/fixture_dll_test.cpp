// End to end: fixture DLLs cross-built with MinGW are mapped, relocated,
// linked against a host library and run on the machine this host creates.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "memmodule/machine/create_machine.h"
#include "memmodule/machine/memory_access.h"
#include "memmodule/memory_module.h"

namespace varomby {
namespace {

constexpr std::uint32_t kPreferredBase = 0x10000000;

std::vector<std::uint8_t> ReadFixture(const char* name) {
  std::ifstream in(std::filesystem::path(VAROMBY_LOADER_FIXTURE_DIR) / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct EntryCall {
  std::uint32_t handle;
  std::uint32_t reason;
  bool operator==(const EntryCall&) const = default;
};

// A machine offering "testhost.dll": HostAdd (stdcall, by name), HostTwice
// (ordinal 5 only) and HostNote, which records the entry-point calls.
class FixtureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = CreateMachine32();
    ASSERT_NE(machine_, nullptr);
    fixture_ = ReadFixture("fixture.dll");
    ASSERT_FALSE(fixture_.empty());
    HostLibrary host{"TestHost.dll", {}};
    host.functions.push_back({"HostAdd", 0, 2, true, [](auto args, auto&) { return args[0] + args[1]; }});
    host.functions.push_back({"", 5, 1, true, [](auto args, auto&) { return 2 * args[0]; }});
    host.functions.push_back({"HostNote", 0, 2, true, [this](auto args, auto&) {
                                notes_.push_back({args[0], args[1]});
                                return 0u;
                              }});
    machine_->AddHostLibrary(std::move(host));
  }

  std::uint32_t Call(const MemoryModule& module, const char* name, CodeRunner::Arguments args = {}) {
    const std::uint32_t address = module.GetProc(name);
    EXPECT_NE(address, 0u) << name;
    return address == 0 ? 0xBAD : machine_->Call(address, args);
  }

  void ExpectExportsWork(const MemoryModule& module) {
    EXPECT_EQ(Call(module, "AddStd", {2, 3}), 5u);
    EXPECT_EQ(Call(module, "SubCdecl", {10, 3}), 7u);
    EXPECT_EQ(Call(module, "Sum10", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), 385u);
    EXPECT_EQ(Call(module, "1", {0xFFFFFFFF, 2}), 1u);  // AddStd by ordinal, wrapping
    EXPECT_EQ(Call(module, "7"), 0xC0DE0007u);          // ordinal-only export
    EXPECT_EQ(Call(module, "TableEntry", {2}), 0x33333333u);  // absolute pointers, relocated
    EXPECT_EQ(Call(module, "CallHost", {3, 4}), 13u);   // 3 + 4 by name, 2 * 3 by ordinal
    EXPECT_EQ(Call(module, "AttachCount"), 1u);
    EXPECT_EQ(module.GetProc("Secret"), 0u);    // exported without a name
    EXPECT_EQ(module.GetProc("addstd"), 0u);
    EXPECT_EQ(module.GetProc("Forwarded"), 0u);  // forwarded to testhost.HostAdd: no code here
    EXPECT_EQ(module.GetProc("4"), 0u);
    EXPECT_EQ(module.GetProc("11"), 0u);
    EXPECT_EQ(module.GetProc("0"), 0u);
  }

  std::unique_ptr<Machine32> machine_;
  std::vector<std::uint8_t> fixture_;
  std::vector<EntryCall> notes_;
};

TEST_F(FixtureTest, LoadsAtThePreferredBaseAndRunsItsExports) {
  MemoryModule module(*machine_);
  ASSERT_TRUE(module.Load(fixture_));
  EXPECT_EQ(module.GetHandle(), kPreferredBase);
  EXPECT_EQ(notes_, (std::vector<EntryCall>{{0, 1}}));
  ExpectExportsWork(module);
  EXPECT_TRUE(module.Unload());
  EXPECT_EQ(notes_, (std::vector<EntryCall>{{0, 1}, {0, 0}}));
  EXPECT_EQ(module.GetProc("AddStd"), 0u);
}

TEST_F(FixtureTest, RelocatesWhenThePreferredBaseIsTaken) {
  ASSERT_EQ(machine_->Allocate(kPreferredBase, 0x10000), kPreferredBase);
  MemoryModule module(*machine_);
  ASSERT_TRUE(module.Load(fixture_));
  EXPECT_NE(module.GetHandle(), kPreferredBase);
  ExpectExportsWork(module);
}

TEST_F(FixtureTest, TheResolverIsAskedBeforeTheHostLibrary) {
  std::vector<std::string> asked;
  HostLibrary resolverLibrary{"resolver.dll", {}};
  resolverLibrary.functions.push_back({"Resolve", 0, 3, true, [&](auto args, AddressSpace32& memory) -> std::uint32_t {
                                         EXPECT_EQ(ReadCString(memory, args[0], 64).value_or("?"), "testhost.dll");
                                         EXPECT_EQ(args[2], 0x5EEDu);
                                         asked.push_back(ReadCString(memory, args[1], 64).value_or("?"));
                                         // The ordinal-5 import (HostTwice) is answered with Thrice.
                                         return asked.back() == "5" ? machine_->GetProcAddress(machine_->LoadLibrary("resolver.dll"), "Thrice", 0) : 0;
                                       }});
  resolverLibrary.functions.push_back({"Thrice", 0, 1, true, [](auto args, auto&) { return 3 * args[0]; }});
  machine_->AddHostLibrary(std::move(resolverLibrary));
  const std::uint32_t resolver = machine_->GetProcAddress(machine_->LoadLibrary("resolver.dll"), "Resolve", 0);
  ASSERT_NE(resolver, 0u);
  MemoryModule module(*machine_);
  ASSERT_TRUE(module.Load(fixture_, resolver, 0x5EED));
  EXPECT_EQ(asked, (std::vector<std::string>{"HostAdd", "HostNote", "5"}));
  // HostAdd(3, 4) + Thrice(3): the resolver's function got the ordinal's slot.
  EXPECT_EQ(Call(module, "CallHost", {3, 4}), 16u);
}

TEST_F(FixtureTest, AnEntryPointThatRefusesIsDetachedAndReleased) {
  const std::vector<std::uint8_t> refusing = ReadFixture("refuse.dll");
  MemoryModule module(*machine_);
  EXPECT_FALSE(module.Load(refusing));
  EXPECT_EQ(module.GetHandle(), 0u);
  EXPECT_EQ(notes_, (std::vector<EntryCall>{{0, 1}, {0, 0}}));
  EXPECT_EQ(machine_->Allocate(kPreferredBase, 0x1000), kPreferredBase);  // the range is free again
}

TEST_F(FixtureTest, WithoutTheHostLibraryTheImageDoesNotLoad) {
  auto bare = CreateMachine32();
  MemoryModule module(*bare);
  EXPECT_FALSE(module.Load(fixture_));
  EXPECT_EQ(bare->Allocate(kPreferredBase, 0x1000), kPreferredBase);
}

}  // namespace
}  // namespace varomby
