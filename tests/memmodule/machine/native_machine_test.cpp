// The call thunk on a real 32-bit x86 CPU: compiled C routines of either
// convention called by their address, and host functions called as C
// function pointers.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "memmodule/machine/native_machine.h"

namespace varomby {
namespace {

#define STDCALL __attribute__((stdcall, noinline))
#define CDECL __attribute__((cdecl, noinline))

// Distinct weights per position, so a swapped or shifted argument changes the result.
extern "C" STDCALL std::uint32_t EntryLike(std::uint32_t module, std::uint32_t reason, std::uint32_t reserved) {
  return module * 100 + reason * 10 + reserved;
}
extern "C" CDECL std::uint32_t SixArguments(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                                            std::uint32_t e, std::uint32_t f) {
  return a + 2 * b + 3 * c + 4 * d + 5 * e + 6 * f;
}
extern "C" STDCALL std::uint32_t TenArguments(std::uint32_t a1, std::uint32_t a2, std::uint32_t a3, std::uint32_t a4,
                                              std::uint32_t a5, std::uint32_t a6, std::uint32_t a7, std::uint32_t a8,
                                              std::uint32_t a9, std::uint32_t a10) {
  return a1 + 2 * a2 + 3 * a3 + 4 * a4 + 5 * a5 + 6 * a6 + 7 * a7 + 8 * a8 + 9 * a9 + 10 * a10;
}
extern "C" STDCALL std::uint32_t NoArguments() { return 0x80000001; }
extern "C" CDECL std::uint32_t ReturnsZero() { return 0; }

std::uint32_t AddressOf(auto* function) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(function));
}

TEST(NativeMachineTest, CompiledRoutinesOfEitherConventionGetTheirArguments) {
  NativeMachine machine;
  const CodeRunner::Arguments args{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  struct Case {
    const char* name;
    std::uint32_t target;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {"stdcall 3", AddressOf(&EntryLike), 123},
      {"cdecl 6", AddressOf(&SixArguments), 1 + 4 + 9 + 16 + 25 + 36},
      {"stdcall 10", AddressOf(&TenArguments), 385},
      {"stdcall 0", AddressOf(&NoArguments), 0x80000001},
      {"cdecl 0", AddressOf(&ReturnsZero), 0},
  };
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(machine.Call(c.target, args), c.expected);
    }
  }
}

using StdcallTwo = __attribute__((stdcall)) std::uint32_t (*)(std::uint32_t, std::uint32_t);
using CdeclTwo = __attribute__((cdecl)) std::uint32_t (*)(std::uint32_t, std::uint32_t);

TEST(NativeMachineTest, HostFunctionsAreRealFunctionsOfTheirConvention) {
  NativeMachine machine;
  std::vector<std::uint32_t> seen;
  auto body = [&](std::span<const std::uint32_t> args, AddressSpace32&) {
    seen.assign(args.begin(), args.end());
    return args[0] - args[1];
  };
  machine.AddHostLibrary(HostLibrary{"host.dll", {HostFunction{"Pops", 1, 2, true, body},
                                                  HostFunction{"Leaves", 2, 2, false, body}}});
  const std::uint32_t handle = machine.LoadLibrary("HOST.DLL");
  const auto pops = reinterpret_cast<StdcallTwo>(machine.GetProcAddress(handle, "Pops", 0));
  const auto leaves = reinterpret_cast<CdeclTwo>(machine.GetProcAddress(handle, "", 2));
  ASSERT_NE(pops, nullptr);
  ASSERT_NE(leaves, nullptr);
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(pops(50, 8), 42u);
    EXPECT_EQ(leaves(9, 10), 0xFFFFFFFFu);
  }
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{9, 10}));
}

}  // namespace
}  // namespace varomby
