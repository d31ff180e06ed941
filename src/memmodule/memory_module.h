#pragma once
// Maps a 32-bit PE DLL image from a byte block into a Machine32 and hands
// out the addresses of its exports, without any operating-system loader.
#include <cstdint>
#include <span>
#include <string>

#include "memmodule/machine32.h"

namespace varomby {

// Holds at most one mapped image. The machine must outlive the object.
// Destroying the object does not release the image (the program keeps its
// one image mapped until the process ends); Unload releases it.
class MemoryModule {
 public:
  explicit MemoryModule(Machine32& machine) : machine_(&machine) {}
  ~MemoryModule() = default;  // a mapped image is deliberately not released

  // Copy refers to the same image; nothing counts references.
  MemoryModule(const MemoryModule&) = default;
  MemoryModule& operator=(const MemoryModule&) = default;
  MemoryModule Copy() const { return *this; }

  // Unloads any image held (its result is ignored), then maps `image`.
  // `resolver` is the 32-bit address of an import resolver routine or 0;
  // `resolverData` is handed to it unchanged. True when an image is mapped.
  bool Load(std::span<const std::uint8_t> image, std::uint32_t resolver = 0,
            std::uint32_t resolverData = 0);
  // Detaches and releases the image; true when the object holds none afterwards.
  bool Unload();
  // Address of an export by name or by the decimal text of its ordinal; 0
  // when none is held or the image does not export it.
  std::uint32_t GetProc(const std::string& name) const;
  // base + AddressOfEntryPoint of the held image, 0 when none is held.
  std::uint32_t GetEntryPoint() const;
  // The address the image is mapped at, 0 when none is held.
  std::uint32_t GetHandle() const { return base_; }

 private:
  Machine32* machine_;
  std::uint32_t base_ = 0;
};

}  // namespace varomby
