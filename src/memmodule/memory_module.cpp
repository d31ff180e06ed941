#include "memmodule/memory_module.h"

#include "memmodule/image_loader.h"

namespace varomby {

bool MemoryModule::Load(std::span<const std::uint8_t> image, std::uint32_t resolver, std::uint32_t resolverData) {
  if (base_ != 0) Unload();
  base_ = MapImage(*machine_, image, resolver, resolverData);
  return base_ != 0;
}

bool MemoryModule::Unload() {
  if (base_ != 0 && ReleaseImage(*machine_, base_)) base_ = 0;
  return base_ == 0;
}

std::uint32_t MemoryModule::GetProc(const std::string& name) const {
  if (base_ == 0) return 0;
  return FindExport(*machine_, base_, name);
}

std::uint32_t MemoryModule::GetEntryPoint() const {
  if (base_ == 0) return 0;
  return ReadEntryPoint(*machine_, base_);
}

}  // namespace varomby
