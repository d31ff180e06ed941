#include <benchmark/benchmark.h>

#include "memmodule/machine/create_machine.h"
#include "tests/memmodule/machine/x86_code.h"

namespace varomby {
namespace {

void BM_CallReturningAConstant(benchmark::State& state) {
  auto machine = CreateMachine32();
  const std::uint32_t routine = testing::Load(*machine, testing::ReturnConstant(7));
  for (auto _ : state) benchmark::DoNotOptimize(machine->Call(routine, {}));
}
BENCHMARK(BM_CallReturningAConstant);

// A loop of five instructions per round; items are instructions.
void BM_EmulatedInstructions(benchmark::State& state) {
  auto machine = CreateMachine32();
  const auto rounds = static_cast<std::uint32_t>(state.range(0));
  testing::Code loop{0xB8, 0, 0, 0, 0, 0xB9};  // mov eax, 0; mov ecx, rounds
  testing::AppendWord(loop, rounds);
  testing::Append(loop, {0x40, 0x90, 0x90, 0x49, 0x75, 0xFA, 0xC3});  // inc eax; nop; nop; dec ecx; jnz; ret
  const std::uint32_t routine = testing::Load(*machine, loop);
  for (auto _ : state) benchmark::DoNotOptimize(machine->Call(routine, {}));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 5 * rounds);
}
BENCHMARK(BM_EmulatedInstructions)->Arg(1'000'000);

void BM_HostFunctionRoundTrip(benchmark::State& state) {
  auto machine = CreateMachine32();
  machine->AddHostLibrary(HostLibrary{
      "host.dll", {HostFunction{"Add", 0, 2, true, [](std::span<const std::uint32_t> args, AddressSpace32&) {
                                  return args[0] + args[1];
                                }}}});
  const std::uint32_t add = machine->GetProcAddress(machine->LoadLibrary("host.dll"), "Add", 0);
  const std::uint32_t routine = testing::Load(*machine, testing::CallWithTwoArguments(add, false));
  for (auto _ : state) benchmark::DoNotOptimize(machine->Call(routine, {1, 2}));
}
BENCHMARK(BM_HostFunctionRoundTrip);

}  // namespace
}  // namespace varomby
