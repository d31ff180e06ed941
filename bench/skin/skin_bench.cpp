// Cost of the skin at start-up: mapping the built-in skin library into a
// fresh machine, and attaching the built-in skin data (the library parses
// it and calls the host library; the styler here does nothing, so the
// window's own restyling cost is not included).
#include <benchmark/benchmark.h>

#include "memmodule/machine/create_machine.h"
#include "memmodule/skin/skin_attach.h"
#include "memmodule/skin/skin_host_library.h"
#include "varskin/skin_blocks.h"

namespace {

using namespace varomby;

struct NullStyler : SkinStyler {
  int applied = 0;
  void ApplySkin(const SkinParameters&) override { ++applied; }
  void RemoveSkin() override {}
};

void BM_LoadSkinLibrary(benchmark::State& state) {
  NullStyler styler;
  SkinHost host(styler);
  for (auto _ : state) {
    auto machine = CreateMachine32();
    machine->AddHostLibrary(host.Library());
    MemoryModule module(*machine);
    benchmark::DoNotOptimize(module.Load(SkinLibraryImage()));
  }
}
BENCHMARK(BM_LoadSkinLibrary)->Unit(benchmark::kMicrosecond);

void BM_AttachSkin(benchmark::State& state) {
  NullStyler styler;
  SkinHost host(styler);
  auto machine = CreateMachine32();
  machine->AddHostLibrary(host.Library());
  MemoryModule module(*machine);
  if (!module.Load(SkinLibraryImage())) {
    state.SkipWithError("skin library did not load");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(AttachSkin(module, *machine, SkinData(), "", 0, 0, 0));
  state.counters["applied"] = styler.applied;
}
BENCHMARK(BM_AttachSkin)->Unit(benchmark::kMicrosecond);

void BM_LoadAndAttachSkin(benchmark::State& state) {
  NullStyler styler;
  SkinHost host(styler);
  for (auto _ : state) {
    auto machine = CreateMachine32();
    machine->AddHostLibrary(host.Library());
    MemoryModule module(*machine);
    module.Load(SkinLibraryImage());
    benchmark::DoNotOptimize(AttachSkin(module, *machine, SkinData(), "", 0, 0, 0));
  }
}
BENCHMARK(BM_LoadAndAttachSkin)->Unit(benchmark::kMicrosecond);

}  // namespace
