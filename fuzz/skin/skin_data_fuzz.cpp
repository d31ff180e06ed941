// Fuzzes the skin library's reading of skin data: each input is handed to
// SkinH_AttachRes of the mapped library, running on the emulated machine,
// with the host library behind it. Whatever the bytes, the library either
// refuses them or hands the host values inside their ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "memmodule/machine/create_machine.h"
#include "memmodule/memory_module.h"
#include "memmodule/skin/skin_attach.h"
#include "memmodule/skin/skin_host_library.h"
#include "varskin/skin_blocks.h"

namespace {

using namespace varomby;

constexpr std::uint32_t kMaxInput = 0x10000;

struct CheckingStyler : SkinStyler {
  void ApplySkin(const SkinParameters& skin) override {
    for (const auto& color : skin.colors)
      if (color && *color > 0xFFFFFFu) std::abort();
    for (const auto& stops : skin.gradients)
      if (stops.size() > VSKN_MAX_GRADIENT_STOPS) std::abort();
  }
  void RemoveSkin() override {}
};

// The library mapped once; the input goes to one fixed buffer in the
// machine so that runs do not use up its memory.
struct SkinUnderTest {
  CheckingStyler styler;
  SkinHost host{styler};
  std::unique_ptr<Machine32> machine = CreateMachine32();
  MemoryModule module{*machine};
  std::uint32_t entry = 0;
  std::uint32_t buffer = 0;

  SkinUnderTest() {
    machine->AddHostLibrary(host.Library());
    if (!module.Load(SkinLibraryImage())) std::abort();
    entry = module.GetProc(kSkinAttachEntry);
    buffer = machine->Allocate(0, kMaxInput);
    if (entry == 0 || buffer == 0) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SkinUnderTest skin;
  const auto length = static_cast<std::uint32_t>(size < kMaxInput ? size : kMaxInput);
  if (!skin.machine->Write(skin.buffer, std::span(data, length))) std::abort();
  CodeRunner::Arguments args{};
  args[0] = skin.buffer;
  args[1] = length;
  skin.machine->Call(skin.entry, args);
  return 0;
}
