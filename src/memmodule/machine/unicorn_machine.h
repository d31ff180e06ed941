#pragma once
// An emulated x86-32 CPU (Unicorn) as the machine in-memory images run on.
//
// Layout of its 32-bit address space:
//   0x00000000-0x0000FFFF  never mapped (null pointers fault)
//   0x00010000-0x7FDFFFFF  memory handed out by Allocate
//   0x7FE00000-0x7FEFFFFF  the stack of Call
//   0x7FFF0000-0x7FFFFFFF  host thunks: one int3 byte per host function;
//                          the first byte is the return address of Call
// Calls are bounded by an instruction budget; faults and runaway routines
// end the call with 0 and leave the machine usable. A host function body
// that throws returns 0 to the image code that called it.
//
// Known limit of Unicorn 2.0.1 (Debian 12): translating a few invalid
// encodings aborts the whole process inside the engine ("tcg fatal error"),
// among them FF D8..DF and FF E8..EF (far call/jump with a register operand)
// and some LOCK-prefixed instructions that cannot be locked (F0 38 ..).
// Translation happens before any hook runs, so the machine cannot screen
// them; run routines of untrusted images in a separate process when a
// crash must not take the caller down.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "memmodule/machine/host_library_registry.h"
#include "memmodule/machine/machine_limits.h"
#include "memmodule/machine/reservation_map.h"
#include "memmodule/machine32.h"

struct uc_struct;

namespace varomby {

class UnicornMachine final : public HostLibraryMachine {
 public:
  static constexpr std::uint32_t kLowestAllocation = 0x00010000;
  static constexpr std::uint32_t kAllocationEnd = 0x7FE00000;
  static constexpr std::uint32_t kStackBase = 0x7FE00000;
  static constexpr std::uint32_t kStackSize = 0x00100000;
  static constexpr std::uint32_t kThunkBase = 0x7FFF0000;
  static constexpr std::uint32_t kThunkSize = 0x00010000;
  // Nested calls (host functions calling back into image code) go at most this deep.
  static constexpr int kMaxCallDepth = 16;

  explicit UnicornMachine(MachineLimits limits = {});
  ~UnicornMachine() override;
  UnicornMachine(const UnicornMachine&) = delete;
  UnicornMachine& operator=(const UnicornMachine&) = delete;

  // False when the emulator could not be set up; every operation then fails.
  bool IsReady() const { return ready_; }

  std::uint32_t Allocate(std::uint32_t preferred, std::uint32_t size) override;
  bool Free(std::uint32_t base) override;
  bool Read(std::uint32_t address, std::span<std::uint8_t> out) const override;
  bool Write(std::uint32_t address, std::span<const std::uint8_t> in) override;

  std::uint32_t Call(std::uint32_t target, const Arguments& args) override;

 protected:
  std::uint32_t PlaceHostFunction(const HostFunction& function) override;

 private:
  enum class StopReason { kNone, kHostCall, kFault, kBudget };
  class SavedRegisters;

  bool SetUp();
  bool MapFixed(std::uint32_t base, std::uint32_t size, std::uint32_t protection, ReservationMap::Kind kind);
  std::uint32_t Place(std::uint32_t preferred, std::uint64_t size) const;
  std::uint32_t StackTopForCall() const;
  bool PushFrame(std::uint32_t top, const Arguments& args);
  std::uint32_t Run(std::uint32_t start);
  bool ServiceHostCall(std::uint32_t slot, std::uint32_t& next);
  std::uint32_t Register(int id) const;
  void SetRegister(int id, std::uint32_t value);

  static void OnInstruction(uc_struct* uc, std::uint64_t address, std::uint32_t size, void* self);
  static void OnInterrupt(uc_struct* uc, std::uint32_t number, void* self);
  static void OnSystemCall(uc_struct* uc, void* self);

  MachineLimits limits_;
  uc_struct* uc_ = nullptr;
  bool ready_ = false;
  ReservationMap reservations_;
  // Slot i + 1 sits at kThunkBase + i + 1. A deque, so that a body that
  // adds libraries while it runs does not move the running function.
  std::deque<HostFunction> hostFunctions_;

  // State of the running call.
  int depth_ = 0;
  std::uint64_t executed_ = 0;
  StopReason stop_ = StopReason::kNone;
  std::uint32_t pendingSlot_ = 0;
};

}  // namespace varomby
