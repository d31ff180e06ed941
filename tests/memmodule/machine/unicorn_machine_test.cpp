// What only the emulated machine promises: its address-space layout, and
// that faulting or runaway routines end with 0 without harming the host.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "memmodule/machine/unicorn_machine.h"
#include "tests/memmodule/machine/x86_code.h"

namespace varomby {
namespace {

using testing::Code;
using testing::Load;

constexpr std::uint64_t kSmallBudget = 10'000;

class UnicornMachineTest : public ::testing::Test {
 protected:
  UnicornMachine machine_{MachineLimits{.instructionBudget = kSmallBudget}};
};

TEST_F(UnicornMachineTest, FaultingOrRunawayRoutinesReturnZeroAndLeaveTheMachineUsable) {
  machine_.AddHostLibrary(HostLibrary{"host.dll", {HostFunction{"Nothing", 1, 0, true, {}}}});
  const std::uint32_t nothing = machine_.GetProcAddress(machine_.LoadLibrary("host.dll"), "Nothing", 0);
  struct Case {
    const char* name;
    Code code;
  };
  const Case cases[] = {
      {"endless loop", {0xEB, 0xFE}},
      {"read through a null pointer", {0xA1, 0, 0, 0, 0, 0xC3}},
      {"write into the host thunks", {0xA3, 0x10, 0x00, 0xFF, 0x7F, 0xC3}},
      {"undefined instruction", {0x0F, 0x0B}},
      {"division by zero", {0x31, 0xC9, 0xF7, 0xF1, 0xC3}},
      {"stray breakpoint", {0xCC, 0xC3}},
      {"halt", {0xF4, 0xC3}},
      {"system call", {0x0F, 0x34, 0xC3}},
      {"jump into an unused thunk", {0xB8, 0x00, 0xF0, 0xFF, 0x7F, 0xFF, 0xE0}},
      {"jump to unmapped memory", {0xB8, 0x00, 0x00, 0x00, 0x60, 0xFF, 0xE0}},
      {"return to the stack", {0x89, 0xE0, 0x50, 0xC3}},
  };
  const std::uint32_t healthy = Load(machine_, testing::ReturnConstant(0x1234));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint32_t address = Load(machine_, c.code);
    ASSERT_NE(address, 0u);
    EXPECT_EQ(machine_.Call(address, {}), 0u);
    EXPECT_EQ(machine_.Call(healthy, {}), 0x1234u);
  }
  EXPECT_EQ(machine_.Call(nothing, {}), 0u);  // a host function without a body returns 0
  EXPECT_EQ(machine_.Call(healthy, {}), 0x1234u);
}

TEST_F(UnicornMachineTest, RoutinesWithinTheBudgetRunToTheEnd) {
  // 3 + 5 * 100 + 1 instructions, well inside the budget.
  const Code countdown{0xB8, 0, 0, 0, 0,        // mov eax, 0
                       0xB9, 100, 0, 0, 0,      // mov ecx, 100
                       0x40,                    // next: inc eax
                       0x90, 0x90,              // nop; nop
                       0x49,                    // dec ecx
                       0x75, 0xFA,              // jnz next
                       0xC3};
  EXPECT_EQ(machine_.Call(Load(machine_, countdown), {}), 100u);
}

TEST_F(UnicornMachineTest, RunawayNestedCallStopsTheOuterCallToo) {
  const std::uint32_t loop = Load(machine_, {0xEB, 0xFE});
  int nestedResults = 0;
  HostFunction callLoop{"CallLoop", 0, 2, false, [&](std::span<const std::uint32_t>, AddressSpace32&) {
                          nestedResults += static_cast<int>(machine_.Call(loop, {}) == 0);
                          return 7u;
                        }};
  machine_.AddHostLibrary(HostLibrary{"host.dll", {callLoop}});
  const std::uint32_t function = machine_.GetProcAddress(machine_.LoadLibrary("host.dll"), "CallLoop", 0);
  EXPECT_EQ(machine_.Call(Load(machine_, testing::CallWithTwoArguments(function, true)), {}), 0u);
  EXPECT_EQ(nestedResults, 1);
}

TEST_F(UnicornMachineTest, AllocationsKeepClearOfNullStackAndThunks) {
  for (const std::uint32_t preferred : {0u, 0x1000u, UnicornMachine::kStackBase, UnicornMachine::kThunkBase,
                                        UnicornMachine::kStackBase - 0x1000u, 0xFFFF0000u}) {
    SCOPED_TRACE(preferred);
    const std::uint32_t base = machine_.Allocate(preferred, 0x2000);
    ASSERT_NE(base, 0u);
    EXPECT_GE(base, UnicornMachine::kLowestAllocation);
    EXPECT_LE(std::uint64_t{base} + 0x2000, UnicornMachine::kAllocationEnd);
  }
  EXPECT_FALSE(machine_.Free(UnicornMachine::kStackBase));
  EXPECT_FALSE(machine_.Free(UnicornMachine::kThunkBase));
  const std::array<std::uint8_t, 1> byte{0};
  EXPECT_FALSE(machine_.Write(UnicornMachine::kThunkBase + 1, byte));
}

TEST_F(UnicornMachineTest, AllocationsWithoutPreferenceTakeTheFirstGapThatFits) {
  constexpr std::uint32_t kGranule = 0x10000;
  const std::uint32_t first = machine_.Allocate(0, 0x1000);
  const std::uint32_t second = machine_.Allocate(0, kGranule);
  const std::uint32_t third = machine_.Allocate(0, 0x1000);
  ASSERT_EQ(first, UnicornMachine::kLowestAllocation);
  ASSERT_EQ(second, first + kGranule);
  ASSERT_EQ(third, second + kGranule);
  ASSERT_TRUE(machine_.Free(second));
  EXPECT_EQ(machine_.Allocate(0, 2 * kGranule), third + kGranule);  // too big for the gap
  EXPECT_EQ(machine_.Allocate(0, kGranule), second);                // fits it exactly
  // A preferred base in the middle of a page is not honoured.
  const std::uint32_t unaligned = machine_.Allocate(0x30000800, 0x100);
  EXPECT_NE(unaligned, 0u);
  EXPECT_EQ(unaligned % 0x1000, 0u);
}

TEST_F(UnicornMachineTest, NestingDepthIsBounded) {
  // A host function that calls the routine that called it recurses until
  // the depth limit refuses the next call.
  std::uint32_t routine = 0;
  int deepest = 0;
  int depth = 0;
  HostFunction recurse{"Recurse", 0, 2, false, [&](std::span<const std::uint32_t>, AddressSpace32&) {
                         deepest = std::max(deepest, ++depth);
                         const std::uint32_t result = machine_.Call(routine, {});
                         --depth;
                         return result + 1;
                       }};
  machine_.AddHostLibrary(HostLibrary{"host.dll", {recurse}});
  const std::uint32_t function = machine_.GetProcAddress(machine_.LoadLibrary("host.dll"), "Recurse", 0);
  routine = Load(machine_, testing::CallWithTwoArguments(function, true));
  EXPECT_EQ(machine_.Call(routine, {}), static_cast<std::uint32_t>(UnicornMachine::kMaxCallDepth));
  EXPECT_EQ(deepest, UnicornMachine::kMaxCallDepth);
}

}  // namespace
}  // namespace varomby
