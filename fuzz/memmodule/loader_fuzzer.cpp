// Maps fuzzed images and looks up fuzzed export names and ordinals on a
// machine that runs no code. Input: a flags byte, a name length byte, the
// name, then the image.
//   flags bit 0: the preferred base is taken (the relocation walk moves values)
//   flags bit 1: entry points refuse to attach
//   flags bit 2: imported functions are missing
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "memmodule/memory_module.h"
#include "tests/memmodule/fake_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t flags = data[0];
  const std::size_t nameLength = std::min<std::size_t>(data[1], size - 2);
  const std::string name(reinterpret_cast<const char*>(data + 2), nameLength);
  const std::span<const std::uint8_t> image(data + 2 + nameLength, size - 2 - nameLength);

  varomby::testing::FakeMachine machine;
  machine.maxAllocation = 1u << 20;  // larger images only slow the search down
  machine.procsMissing = (flags & 4) != 0;
  const std::uint32_t attachResult = (flags & 2) != 0 ? 0 : 1;
  machine.onCall = [attachResult](std::uint32_t, const varomby::CodeRunner::Arguments&) { return attachResult; };
  if ((flags & 1) != 0) {  // the usual preferred bases of DLLs and executables
    machine.Allocate(0x00400000, 0x10000);
    machine.Allocate(0x10000000, 0x10000);
  }
  varomby::MemoryModule module(machine);
  if (!module.Load(image)) return 0;
  module.GetProc(name);
  module.GetProc(std::to_string(static_cast<std::int16_t>(flags << 8 | (nameLength & 0xFF))));
  module.GetEntryPoint();
  module.Unload();
  return 0;
}
