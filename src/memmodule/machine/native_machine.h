#pragma once
// The process itself as the machine in-memory images run on, for 32-bit x86
// hosts: memory from mmap, routines called through the call thunk, host
// functions reachable through small generated thunks. Built only for i386.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "memmodule/machine/host_library_registry.h"
#include "memmodule/machine/machine_limits.h"
#include "memmodule/machine/reservation_map.h"
#include "memmodule/machine32.h"

namespace varomby {

class NativeMachine final : public HostLibraryMachine {
 public:
  explicit NativeMachine(MachineLimits limits = {});
  ~NativeMachine() override;
  NativeMachine(const NativeMachine&) = delete;
  NativeMachine& operator=(const NativeMachine&) = delete;

  std::uint32_t Allocate(std::uint32_t preferred, std::uint32_t size) override;
  bool Free(std::uint32_t base) override;
  bool Read(std::uint32_t address, std::span<std::uint8_t> out) const override;
  bool Write(std::uint32_t address, std::span<const std::uint8_t> in) override;

  // Calls `target` through the call thunk; a routine that faults or never
  // returns takes the process with it, as on the real platform. A host
  // function body that throws returns 0 to the image code that called it.
  std::uint32_t Call(std::uint32_t target, const Arguments& args) override;

  // One host function with its machine; the generated thunk passes its address.
  struct HostSlot {
    NativeMachine* machine;
    HostFunction function;
  };

 protected:
  std::uint32_t PlaceHostFunction(const HostFunction& function) override;

 private:
  std::uint32_t MakeThunk(const HostSlot& slot);
  void AddCurrentStack();

  MachineLimits limits_;
  ReservationMap reservations_;
  std::vector<std::unique_ptr<HostSlot>> slots_;
  std::vector<std::uint32_t> thunkPages_;  // executable pages holding the thunks
  std::uint32_t thunkCursor_ = 0;          // next free byte in the last page
  std::uint32_t thunkEnd_ = 0;
};

}  // namespace varomby
