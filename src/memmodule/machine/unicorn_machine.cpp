#include "memmodule/machine/unicorn_machine.h"

#include <unicorn/unicorn.h>

#include <array>
#include <cstring>

namespace varomby {

namespace {

constexpr std::uint64_t kPageSize = 0x1000;
constexpr std::uint64_t kAllocationGranularity = 0x10000;
constexpr std::uint32_t kStopAddress = UnicornMachine::kThunkBase;
constexpr std::uint8_t kBreakpoint = 0xCC;  // int3
constexpr std::uint32_t kInitialFlags = 0x202;  // IF set, DF clear as the calling conventions expect
// A nested call leaves this gap below the suspended routine's stack pointer
// and needs at least this much stack below it.
constexpr std::uint32_t kNestedGap = 64;
constexpr std::uint32_t kNestedMinimumStack = 0x4000;
constexpr std::uint32_t kFrameBytes = 4 * (1 + CodeRunner::kArgumentCount);

}  // namespace

// The CPU registers of a routine suspended at a host function, kept while a
// nested call runs on the same CPU and put back afterwards.
class UnicornMachine::SavedRegisters {
 public:
  explicit SavedRegisters(uc_engine* uc) : uc_(uc) {
    if (uc_context_alloc(uc_, &context_) != UC_ERR_OK || uc_context_save(uc_, context_) != UC_ERR_OK) {
      Release();
    }
  }
  ~SavedRegisters() {
    if (context_ != nullptr) uc_context_restore(uc_, context_);
    Release();
  }
  SavedRegisters(const SavedRegisters&) = delete;
  SavedRegisters& operator=(const SavedRegisters&) = delete;
  bool IsSaved() const { return context_ != nullptr; }

 private:
  void Release() {
    if (context_ != nullptr) uc_context_free(context_);
    context_ = nullptr;
  }
  uc_engine* uc_;
  uc_context* context_ = nullptr;
};

UnicornMachine::UnicornMachine(MachineLimits limits) : limits_(limits) { ready_ = SetUp(); }

UnicornMachine::~UnicornMachine() {
  if (uc_ != nullptr) uc_close(uc_);
}

bool UnicornMachine::SetUp() {
  if (uc_open(UC_ARCH_X86, UC_MODE_32, &uc_) != UC_ERR_OK) {
    uc_ = nullptr;
    return false;
  }
  if (!MapFixed(kStackBase, kStackSize, UC_PROT_READ | UC_PROT_WRITE, ReservationMap::Kind::kFixed) ||
      !MapFixed(kThunkBase, kThunkSize, UC_PROT_READ | UC_PROT_EXEC, ReservationMap::Kind::kReadOnly)) {
    return false;
  }
  // Every thunk byte traps, so a jump anywhere into the area is caught.
  const std::vector<std::uint8_t> breakpoints(kThunkSize, kBreakpoint);
  if (uc_mem_write(uc_, kThunkBase, breakpoints.data(), breakpoints.size()) != UC_ERR_OK) return false;

  uc_hook instructionHook = 0;
  uc_hook interruptHook = 0;
  uc_hook sysenterHook = 0;
  uc_hook syscallHook = 0;
  return uc_hook_add(uc_, &instructionHook, UC_HOOK_CODE, reinterpret_cast<void*>(&OnInstruction), this, 1, 0) ==
             UC_ERR_OK &&
         uc_hook_add(uc_, &interruptHook, UC_HOOK_INTR, reinterpret_cast<void*>(&OnInterrupt), this, 1, 0) ==
             UC_ERR_OK &&
         uc_hook_add(uc_, &sysenterHook, UC_HOOK_INSN, reinterpret_cast<void*>(&OnSystemCall), this, 1, 0,
                     UC_X86_INS_SYSENTER) == UC_ERR_OK &&
         uc_hook_add(uc_, &syscallHook, UC_HOOK_INSN, reinterpret_cast<void*>(&OnSystemCall), this, 1, 0,
                     UC_X86_INS_SYSCALL) == UC_ERR_OK;
}

bool UnicornMachine::MapFixed(std::uint32_t base, std::uint32_t size, std::uint32_t protection,
                              ReservationMap::Kind kind) {
  return uc_mem_map(uc_, base, size, protection) == UC_ERR_OK && reservations_.Add(base, size, kind);
}

// ---- memory ----

std::uint32_t UnicornMachine::Place(std::uint32_t preferred, std::uint64_t size) const {
  const bool preferredUsable = preferred != 0 && preferred % kPageSize == 0 && preferred >= kLowestAllocation &&
                               preferred < kAllocationEnd && size <= kAllocationEnd - preferred &&
                               reservations_.IsFree(preferred, size);
  if (preferredUsable) return preferred;
  return reservations_.FindFree(size, kLowestAllocation, kAllocationEnd, kAllocationGranularity).value_or(0);
}

std::uint32_t UnicornMachine::Allocate(std::uint32_t preferred, std::uint32_t size) {
  if (!ready_ || size == 0) return 0;
  const std::uint64_t pages = RoundUp(size, kPageSize);
  if (!reservations_.FitsWithin(limits_.memoryLimit, pages)) return 0;
  const std::uint32_t base = Place(preferred, pages);
  if (base == 0) return 0;
  // Unicorn maps fresh anonymous memory, so the pages start zeroed.
  if (uc_mem_map(uc_, base, pages, UC_PROT_ALL) != UC_ERR_OK) return 0;
  if (!reservations_.Add(base, pages, ReservationMap::Kind::kAllocated)) {
    uc_mem_unmap(uc_, base, pages);
    return 0;
  }
  return base;
}

bool UnicornMachine::Free(std::uint32_t base) {
  if (!ready_) return false;
  const auto size = reservations_.RemoveAllocated(base);
  if (!size) return false;
  // Drop code translated from the old contents before the range is reused.
  uc_ctl_remove_cache(uc_, std::uint64_t{base}, std::uint64_t{base} + *size);
  uc_mem_unmap(uc_, base, *size);
  return true;
}

bool UnicornMachine::Read(std::uint32_t address, std::span<std::uint8_t> out) const {
  if (!ready_ || !reservations_.Contains(address, out.size(), false)) return false;
  return out.empty() || uc_mem_read(uc_, address, out.data(), out.size()) == UC_ERR_OK;
}

bool UnicornMachine::Write(std::uint32_t address, std::span<const std::uint8_t> in) {
  if (!ready_ || !reservations_.Contains(address, in.size(), true)) return false;
  if (in.empty()) return true;
  if (uc_mem_write(uc_, address, in.data(), in.size()) != UC_ERR_OK) return false;
  // Code written over code that already ran must run in its new form.
  uc_ctl_remove_cache(uc_, std::uint64_t{address}, std::uint64_t{address} + in.size());
  return true;
}

// ---- registers ----

std::uint32_t UnicornMachine::Register(int id) const {
  std::uint32_t value = 0;
  uc_reg_read(uc_, id, &value);
  return value;
}

void UnicornMachine::SetRegister(int id, std::uint32_t value) { uc_reg_write(uc_, id, &value); }

// ---- calls ----

std::uint32_t UnicornMachine::StackTopForCall() const {
  if (depth_ == 0) return kStackBase + kStackSize;
  // A nested call runs below the suspended routine's stack; refuse it when
  // that routine moved its stack pointer out of the machine's stack.
  const std::uint32_t esp = Register(UC_X86_REG_ESP);
  if (esp < kStackBase + kNestedMinimumStack || esp > kStackBase + kStackSize) return 0;
  return (esp - kNestedGap) & ~std::uint32_t{0xF};
}

bool UnicornMachine::PushFrame(std::uint32_t top, const Arguments& args) {
  // Return address at the lowest address, then a1 ... a10 above it.
  std::array<std::uint32_t, 1 + kArgumentCount> frame{};
  frame[0] = kStopAddress;
  std::copy(args.begin(), args.end(), frame.begin() + 1);
  const std::uint32_t esp = top - kFrameBytes;
  if (uc_mem_write(uc_, esp, frame.data(), kFrameBytes) != UC_ERR_OK) return false;
  SetRegister(UC_X86_REG_ESP, esp);
  SetRegister(UC_X86_REG_EFLAGS, kInitialFlags);
  return true;
}

std::uint32_t UnicornMachine::Call(std::uint32_t target, const Arguments& args) {
  if (!ready_ || depth_ >= kMaxCallDepth) return 0;
  const std::uint32_t top = StackTopForCall();
  if (top == 0) return 0;
  SavedRegisters suspended(uc_);
  if (!suspended.IsSaved()) return 0;
  if (depth_ == 0) executed_ = 0;  // nested calls share the outermost call's budget
  if (!PushFrame(top, args)) return 0;
  ++depth_;
  struct DepthGuard {
    int& depth;
    ~DepthGuard() { --depth; }
  } guard{depth_};
  return Run(target);
}

std::uint32_t UnicornMachine::Run(std::uint32_t start) {
  std::uint32_t next = start;
  for (;;) {
    // A host function called directly by Call returns straight to the stop address.
    if (next == kStopAddress) return Register(UC_X86_REG_EAX);
    stop_ = StopReason::kNone;
    if (uc_emu_start(uc_, next, kStopAddress, 0, 0) != UC_ERR_OK) return 0;  // unmapped access, bad opcode, ...
    switch (stop_) {
      case StopReason::kHostCall:
        if (!ServiceHostCall(pendingSlot_, next)) return 0;
        continue;
      case StopReason::kFault:
      case StopReason::kBudget:
        return 0;
      case StopReason::kNone:
        // Reaching the stop address is the routine's return; anything else
        // (hlt, say) is not.
        return Register(UC_X86_REG_EIP) == kStopAddress ? Register(UC_X86_REG_EAX) : 0;
    }
  }
}

bool UnicornMachine::ServiceHostCall(std::uint32_t slot, std::uint32_t& next) {
  const HostFunction& function = hostFunctions_[slot - 1];
  const int count = HostArgumentCount(function);
  const std::uint32_t esp = Register(UC_X86_REG_ESP);
  std::array<std::uint32_t, 1 + kMaxHostArguments> frame{};  // return address, then the arguments
  const std::size_t frameBytes = 4 * (1 + static_cast<std::size_t>(count));
  if (!Read(esp, std::span(reinterpret_cast<std::uint8_t*>(frame.data()), frameBytes))) return false;
  const std::span<const std::uint32_t> arguments(frame.data() + 1, static_cast<std::size_t>(count));
  const std::uint32_t popped = HostPoppedArgumentBytes(function);
  std::uint32_t result = 0;
  try {
    if (function.body) result = function.body(arguments, *this);
  } catch (...) {
    result = 0;  // as on the native machine: the image sees a failing function return 0
  }
  // The body may have run nested calls; they restored this routine's registers.
  SetRegister(UC_X86_REG_EAX, result);
  SetRegister(UC_X86_REG_ESP, esp + 4 + popped);
  next = frame[0];
  return true;
}

// ---- hooks (run inside uc_emu_start) ----

void UnicornMachine::OnInstruction(uc_struct* uc, std::uint64_t, std::uint32_t, void* self) {
  auto* machine = static_cast<UnicornMachine*>(self);
  if (++machine->executed_ > machine->limits_.instructionBudget) {
    machine->stop_ = StopReason::kBudget;
    uc_emu_stop(uc);
  }
}

void UnicornMachine::OnInterrupt(uc_struct* uc, std::uint32_t number, void* self) {
  auto* machine = static_cast<UnicornMachine*>(self);
  // int3 leaves EIP just past the breakpoint byte of the thunk that was called.
  const std::uint32_t slot = machine->Register(UC_X86_REG_EIP) - 1 - kThunkBase;
  const bool isHostCall = number == 3 && slot >= 1 && slot <= machine->hostFunctions_.size();
  machine->stop_ = isHostCall ? StopReason::kHostCall : StopReason::kFault;
  machine->pendingSlot_ = slot;
  uc_emu_stop(uc);
}

void UnicornMachine::OnSystemCall(uc_struct* uc, void* self) {
  static_cast<UnicornMachine*>(self)->stop_ = StopReason::kFault;
  uc_emu_stop(uc);
}

// ---- host functions ----

std::uint32_t UnicornMachine::PlaceHostFunction(const HostFunction& function) {
  if (hostFunctions_.size() + 1 >= kThunkSize) return 0;  // every thunk byte is taken
  hostFunctions_.push_back(function);
  return kThunkBase + static_cast<std::uint32_t>(hostFunctions_.size());
}

}  // namespace varomby
