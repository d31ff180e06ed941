// Behaviour every Machine32 of this host shares: calls by address in the
// stdcall and cdecl conventions, host functions reached from image code,
// nested calls, and bounds-checked memory.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <vector>

#include "memmodule/machine/create_machine.h"
#include "tests/memmodule/machine/x86_code.h"

namespace varomby {
namespace {

using testing::Code;
using testing::DistinctArguments;
using testing::Load;

class MachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = CreateMachine32();
    ASSERT_NE(machine_, nullptr);
  }
  std::uint32_t Run(const Code& code, const CodeRunner::Arguments& args = {}) {
    const std::uint32_t address = Load(*machine_, code);
    EXPECT_NE(address, 0u);
    return machine_->Call(address, args);
  }
  std::unique_ptr<Machine32> machine_;
};

TEST_F(MachineTest, StdcallRoutineGetsItsThreeArgumentsInOrder) {
  EXPECT_EQ(Run(testing::StdcallCombine3(), {100, 30, 7}), 100u - 30u + 2u * 7u);
}

TEST_F(MachineTest, EveryArgumentPositionReachesTheRoutine) {
  const auto args = DistinctArguments();
  for (int index = 1; index <= CodeRunner::kArgumentCount; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(Run(testing::ReturnArgument(index, 0), args), args[index - 1]);
    EXPECT_EQ(Run(testing::ReturnArgument(index, 40), args), args[index - 1]);
  }
}

TEST_F(MachineTest, RoutinesOfEveryConventionAndArityReturnTheirResult) {
  struct Case {
    const char* name;
    std::uint8_t arguments;
    std::uint16_t popBytes;
  };
  const Case cases[] = {{"cdecl 6", 6, 0}, {"stdcall 6", 6, 24}, {"cdecl 10", 10, 0}, {"stdcall 10", 10, 40},
                        {"cdecl 1", 1, 0}};
  const CodeRunner::Arguments args{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint32_t expected = 0;
    for (std::uint32_t i = 1; i <= c.arguments; ++i) expected += i * i;
    EXPECT_EQ(Run(testing::WeightedSum(c.arguments, c.popBytes), args), expected);
  }
}

TEST_F(MachineTest, EaxIsReturnedExactly) {
  for (const std::uint32_t value : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(Run(testing::ReturnConstant(value)), value);
  }
}

TEST_F(MachineTest, CallToAddressZeroIsRefused) { EXPECT_EQ(machine_->Call(0, DistinctArguments()), 0u); }

TEST_F(MachineTest, CallerStackIsBalancedWhateverTheRoutinePops) {
  const std::uint32_t probe = Load(*machine_, testing::ReturnStackPointer());
  const std::uint32_t stdcall = Load(*machine_, testing::StdcallCombine3());
  const std::uint32_t cdecl6 = Load(*machine_, testing::WeightedSum(6, 0));
  const std::uint32_t popsAll = Load(*machine_, testing::ReturnArgument(1, 40));
  const std::uint32_t before = machine_->Call(probe, {});
  for (int round = 0; round < 3; ++round) {
    for (const std::uint32_t routine : {stdcall, cdecl6, popsAll}) machine_->Call(routine, DistinctArguments());
    EXPECT_EQ(machine_->Call(probe, {}), before);
  }
}

// A host library whose functions record their arguments.
class HostFunctionTest : public MachineTest {
 protected:
  HostFunction Recording(const char* name, std::uint16_t ordinal, bool calleePops) {
    HostFunction function;
    function.name = name;
    function.ordinal = ordinal;
    function.stackArguments = 2;
    function.calleePopsArguments = calleePops;
    function.body = [this](std::span<const std::uint32_t> args, AddressSpace32&) {
      seen_.assign(args.begin(), args.end());
      return args[0] * 10 + args[1];
    };
    return function;
  }
  void AddLibrary(std::vector<HostFunction> functions) {
    machine_->AddHostLibrary(HostLibrary{"TestHost.DLL", std::move(functions)});
  }
  std::uint32_t Proc(const std::string& name, std::uint16_t ordinal = 0) {
    return machine_->GetProcAddress(machine_->LoadLibrary("testhost.dll"), name, ordinal);
  }
  std::vector<std::uint32_t> seen_;
};

TEST_F(HostFunctionTest, ImageCodeCallsHostFunctionsInBothConventions) {
  AddLibrary({Recording("Popping", 1, true), Recording("Leaving", 2, false)});
  struct Case {
    const char* name;
    bool calleePops;
  };
  for (const Case c : {Case{"Popping", true}, Case{"Leaving", false}}) {
    SCOPED_TRACE(c.name);
    seen_.clear();
    const std::uint32_t function = Proc(c.name);
    ASSERT_NE(function, 0u);
    EXPECT_EQ(Run(testing::CallWithTwoArguments(function, !c.calleePops), {4, 2}), 42u);
    EXPECT_EQ(seen_, (std::vector<std::uint32_t>{4, 2}));
  }
}

TEST_F(HostFunctionTest, LibrariesAreFoundByNameWithoutCaseAndFunctionsByNameOrOrdinal) {
  AddLibrary({Recording("First", 7, true), Recording("", 9, true)});
  const std::uint32_t handle = machine_->LoadLibrary("TESTHOST.dll");
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(machine_->LoadLibrary("testhost"), 0u);
  EXPECT_EQ(machine_->LoadLibrary("other.dll"), 0u);
  EXPECT_EQ(machine_->LoadLibrary(""), 0u);

  const std::uint32_t first = machine_->GetProcAddress(handle, "First", 0);
  EXPECT_NE(first, 0u);
  EXPECT_EQ(machine_->GetProcAddress(handle, "", 7), first);
  EXPECT_EQ(machine_->GetProcAddress(handle, "first", 0), 0u);  // function names keep their case
  const std::uint32_t byOrdinal = machine_->GetProcAddress(handle, "", 9);
  EXPECT_NE(byOrdinal, 0u);
  EXPECT_NE(byOrdinal, first);
  EXPECT_EQ(machine_->GetProcAddress(handle, "", 0), 0u);
  EXPECT_EQ(machine_->GetProcAddress(handle, "", 8), 0u);
  EXPECT_EQ(machine_->GetProcAddress(handle + 1, "First", 0), 0u);
  EXPECT_EQ(machine_->GetProcAddress(0, "First", 0), 0u);
}

TEST_F(HostFunctionTest, HostFunctionReadsAndWritesImageMemory) {
  HostFunction copy;
  copy.name = "CopyWord";
  copy.stackArguments = 2;
  copy.body = [](std::span<const std::uint32_t> args, AddressSpace32& memory) -> std::uint32_t {
    std::array<std::uint8_t, 4> word{};
    if (!memory.Read(args[0], word) || !memory.Write(args[1], word)) return 0;
    return 1;
  };
  AddLibrary({copy});
  const std::uint32_t data = machine_->Allocate(0, 8);
  const std::array<std::uint8_t, 4> pattern{0xDE, 0xC0, 0xAD, 0x0B};
  ASSERT_TRUE(machine_->Write(data, pattern));
  EXPECT_EQ(Run(testing::CallWithTwoArguments(Proc("CopyWord"), false), {data, data + 4}), 1u);
  std::array<std::uint8_t, 4> copied{};
  ASSERT_TRUE(machine_->Read(data + 4, copied));
  EXPECT_EQ(copied, pattern);
}

TEST_F(HostFunctionTest, HostFunctionFillsABufferOnTheCallersStack) {
  HostFunction fill{"Fill", 0, 1, true, [](std::span<const std::uint32_t> args, AddressSpace32& memory) {
                      const std::array<std::uint8_t, 4> answer{42, 0, 0, 0};
                      return static_cast<std::uint32_t>(memory.Write(args[0], answer));
                    }};
  AddLibrary({fill});
  Code code{0x83, 0xEC, 0x08,  // sub esp, 8
            0xC7, 0x04, 0x24, 0xFF, 0xFF, 0xFF, 0xFF,  // mov dword [esp], -1
            0x89, 0xE0,        // mov eax, esp
            0x50,              // push eax
            0xB8};             // mov eax, Fill
  testing::AppendWord(code, Proc("Fill"));
  testing::Append(code, {0xFF, 0xD0,         // call eax
                         0x8B, 0x04, 0x24,   // mov eax, [esp]
                         0x83, 0xC4, 0x08,   // add esp, 8
                         0xC3});
  EXPECT_EQ(Run(code), 42u);
}

TEST_F(HostFunctionTest, HostFunctionMayCallBackIntoImageCode) {
  const std::uint32_t inner = Load(*machine_, testing::StdcallCombine3());
  HostFunction callback;
  callback.name = "CallBack";
  callback.stackArguments = 2;
  callback.body = [this, inner](std::span<const std::uint32_t> args, AddressSpace32&) {
    return machine_->Call(inner, {args[0], args[1], 1}) + 1000;
  };
  AddLibrary({callback});
  // The outer routine also checks that its own stack survived the nested call.
  EXPECT_EQ(Run(testing::CallWithTwoArguments(Proc("CallBack"), false), {50, 8}), 1000u + 50u - 8u + 2u);
}

TEST_F(HostFunctionTest, HostFunctionCanBeCalledDirectlyByAddress) {
  AddLibrary({Recording("Popping", 1, true), Recording("Leaving", 2, false)});
  EXPECT_EQ(machine_->Call(Proc("Popping"), {4, 2, 9}), 42u);
  EXPECT_EQ(machine_->Call(Proc("Leaving"), {5, 1}), 51u);
}

TEST_F(HostFunctionTest, BodiesMayAddLibrariesOrFailWhileTheyRun) {
  HostFunction grows{"Grows", 0, 2, true, [this](std::span<const std::uint32_t> args, AddressSpace32&) {
                       std::vector<HostFunction> many(64, HostFunction{"Filler", 0, 0, true, {}});
                       machine_->AddHostLibrary(HostLibrary{"more.dll", std::move(many)});
                       return args[0] + args[1];
                     }};
  HostFunction throws{"Throws", 0, 2, true, [](std::span<const std::uint32_t>, AddressSpace32&) -> std::uint32_t {
                        throw std::runtime_error("host failure");
                      }};
  AddLibrary({grows, throws});
  EXPECT_EQ(Run(testing::CallWithTwoArguments(Proc("Grows"), false), {40, 2}), 42u);
  EXPECT_NE(machine_->LoadLibrary("more.dll"), 0u);
  // The image code sees 0 from the failing function and carries on.
  EXPECT_EQ(Run(testing::CallWithTwoArguments(Proc("Throws"), false), {1, 2}), 0u);
  EXPECT_EQ(Run(testing::CallWithTwoArguments(Proc("Grows"), false), {1, 2}), 3u);
}

TEST_F(MachineTest, FloatingPointAndVectorInstructionsRun) {
  const Code x87{0x83, 0xEC, 0x04,   // sub esp, 4
                 0xD9, 0xE8,         // fld1
                 0xD8, 0xC0,         // fadd st0, st0
                 0xDB, 0x1C, 0x24,   // fistp dword [esp]
                 0x58, 0xC3};        // pop eax; ret
  const Code sse2{0x66, 0x0F, 0x6E, 0x44, 0x24, 0x04,  // movd xmm0, [esp+4]
                  0x66, 0x0F, 0xFE, 0xC0,              // paddd xmm0, xmm0
                  0x66, 0x0F, 0x7E, 0xC0,              // movd eax, xmm0
                  0xC3};
  EXPECT_EQ(Run(x87), 2u);
  EXPECT_EQ(Run(sse2, {21}), 42u);
}

TEST_F(MachineTest, AllocateHonoursAFreePreferredAddressAndAvoidsATakenOne) {
  constexpr std::uint32_t kPreferred = 0x20000000;
  const std::uint32_t first = machine_->Allocate(kPreferred, 0x3000);
  ASSERT_EQ(first, kPreferred);
  const std::uint32_t second = machine_->Allocate(kPreferred, 0x1000);
  ASSERT_NE(second, 0u);
  EXPECT_TRUE(second >= kPreferred + 0x3000 || second + 0x1000 <= kPreferred) << std::hex << second;
  EXPECT_TRUE(machine_->Free(first));
  EXPECT_EQ(machine_->Allocate(kPreferred, 0x1000), kPreferred);
}

TEST_F(MachineTest, MemoryStartsZeroedEvenWhenReused) {
  const std::uint32_t base = machine_->Allocate(0x21000000, 0x2000);
  ASSERT_NE(base, 0u);
  const std::vector<std::uint8_t> ones(0x2000, 0xFF);
  ASSERT_TRUE(machine_->Write(base, ones));
  ASSERT_TRUE(machine_->Free(base));
  ASSERT_EQ(machine_->Allocate(base, 0x2000), base);
  std::vector<std::uint8_t> back(0x2000, 0xAA);
  ASSERT_TRUE(machine_->Read(base, back));
  EXPECT_EQ(back, std::vector<std::uint8_t>(0x2000, 0));
}

TEST_F(MachineTest, ReadAndWriteStayInsideOneReservation) {
  const std::uint32_t base = machine_->Allocate(0, 0x1000);
  ASSERT_NE(base, 0u);
  std::array<std::uint8_t, 2> two{};
  std::array<std::uint8_t, 1> one{};
  struct Case {
    std::uint32_t address;
    bool twoBytesFit;
    bool oneByteFits;
  };
  const Case cases[] = {{base, true, true},
                        {base + 0xFFE, true, true},
                        {base + 0xFFF, false, true},
                        {base + 0x1000, false, false},
                        {base - 1, false, false},
                        {0, false, false},
                        {0xFFFFFFFF, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(machine_->Write(c.address, two), c.twoBytesFit);
    EXPECT_EQ(machine_->Read(c.address, two), c.twoBytesFit);
    EXPECT_EQ(machine_->Write(c.address, one), c.oneByteFits);
    EXPECT_EQ(machine_->Read(c.address, one), c.oneByteFits);
  }
}

TEST_F(MachineTest, FreeReleasesWholeReservationsOnly) {
  const std::uint32_t base = machine_->Allocate(0, 0x2000);
  ASSERT_NE(base, 0u);
  EXPECT_FALSE(machine_->Free(base + 0x1000));
  EXPECT_FALSE(machine_->Free(0));
  EXPECT_TRUE(machine_->Free(base));
  EXPECT_FALSE(machine_->Free(base));
  std::array<std::uint8_t, 1> one{};
  EXPECT_FALSE(machine_->Read(base, one));
}

TEST_F(MachineTest, AllocationsAreBoundedByTheMemoryLimit) {
  auto small = CreateMachine32(MachineLimits{.memoryLimit = 0x10000});
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->Allocate(0, 0), 0u);
  EXPECT_EQ(small->Allocate(0, 0xFFFFFFFF), 0u);
  EXPECT_EQ(small->Allocate(0, 0x10001), 0u);
  const std::uint32_t all = small->Allocate(0, 0x10000);
  EXPECT_NE(all, 0u);
  EXPECT_EQ(small->Allocate(0, 1), 0u);
  EXPECT_TRUE(small->Free(all));
  EXPECT_NE(small->Allocate(0, 1), 0u);
}

TEST_F(MachineTest, RewrittenCodeRunsInItsNewForm) {
  const std::uint32_t address = Load(*machine_, testing::ReturnConstant(1));
  ASSERT_EQ(machine_->Call(address, {}), 1u);
  ASSERT_TRUE(machine_->Write(address, testing::ReturnConstant(2)));
  EXPECT_EQ(machine_->Call(address, {}), 2u);
  ASSERT_TRUE(machine_->Free(address));
  ASSERT_EQ(machine_->Allocate(address, 0x1000), address);
  ASSERT_TRUE(machine_->Write(address, testing::ReturnConstant(3)));
  EXPECT_EQ(machine_->Call(address, {}), 3u);
}

}  // namespace
}  // namespace varomby
