// Cost of the skin at start-up: mapping the built-in skin library into a
// fresh machine, and attaching the built-in skin data (the library parses
// it and calls the host library; the styler here does nothing, so the
// window's own restyling cost is not included).
#include <benchmark/benchmark.h>

#include <memory>

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

// A fresh machine offering the host library, with an empty MemoryModule.
struct SkinMachine {
  NullStyler styler;
  SkinHost host{styler};
  std::unique_ptr<Machine32> machine = CreateMachine32();
  MemoryModule module{*machine};
  SkinMachine() { machine->AddHostLibrary(host.Library()); }
  std::uint32_t Attach() { return AttachSkin(module, *machine, SkinData(), "", 0, 0, 0); }
};

void BM_LoadSkinLibrary(benchmark::State& state) {
  for (auto _ : state) {
    SkinMachine skin;
    benchmark::DoNotOptimize(skin.module.Load(SkinLibraryImage()));
  }
}
BENCHMARK(BM_LoadSkinLibrary)->Unit(benchmark::kMicrosecond);

void BM_AttachSkin(benchmark::State& state) {
  SkinMachine skin;
  if (!skin.module.Load(SkinLibraryImage())) {
    state.SkipWithError("skin library did not load");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(skin.Attach());
  state.counters["applied"] = skin.styler.applied;
}
BENCHMARK(BM_AttachSkin)->Unit(benchmark::kMicrosecond);

void BM_LoadAndAttachSkin(benchmark::State& state) {
  for (auto _ : state) {
    SkinMachine skin;
    skin.module.Load(SkinLibraryImage());
    benchmark::DoNotOptimize(skin.Attach());
  }
}
BENCHMARK(BM_LoadAndAttachSkin)->Unit(benchmark::kMicrosecond);

}  // namespace
