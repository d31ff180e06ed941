// The native machine exists only where image code can run directly: 32-bit x86.
#if defined(__i386__)

#include "memmodule/machine/native_machine.h"

#include <pthread.h>
#include <sys/mman.h>

#include <array>
#include <cstring>

// The call thunk. varomby_call_address(target, a1, ..., a10) (cdecl) sets up
// its own frame, pushes a10 first and a1 last, pushes the target and calls
// the stub. The stub drops its own frame, takes its return address off the
// stack, exchanges it with the target on top of the stack and jumps to the
// target, which thus starts with the return address into
// varomby_call_address on top and a1 ... a10 above it. Afterwards the stack
// pointer comes back from the frame pointer, so stdcall and cdecl routines
// alike leave the caller's stack balanced; EAX is returned unchanged. EBX,
// ESI and EDI are kept for our caller as well.
asm(R"(
  .text
  .p2align 4
  .globl varomby_call_address
  .hidden varomby_call_address
  .type varomby_call_address, @function
varomby_call_address:
  pushl %ebp
  movl %esp, %ebp
  pushl %ebx
  pushl %esi
  pushl %edi
  pushl 48(%ebp)
  pushl 44(%ebp)
  pushl 40(%ebp)
  pushl 36(%ebp)
  pushl 32(%ebp)
  pushl 28(%ebp)
  pushl 24(%ebp)
  pushl 20(%ebp)
  pushl 16(%ebp)
  pushl 12(%ebp)
  pushl 8(%ebp)
  call varomby_call_stub
  leal -12(%ebp), %esp
  popl %edi
  popl %esi
  popl %ebx
  popl %ebp
  ret
  .size varomby_call_address, .-varomby_call_address

  .p2align 4
  .type varomby_call_stub, @function
varomby_call_stub:
  pushl %ebp
  movl %esp, %ebp
  movl %ebp, %esp
  popl %ebp
  popl %eax
  xchgl %eax, (%esp)
  jmpl *%eax
  .size varomby_call_stub, .-varomby_call_stub
)");

extern "C" std::uint32_t varomby_call_address(std::uint32_t target, std::uint32_t a1, std::uint32_t a2,
                                              std::uint32_t a3, std::uint32_t a4, std::uint32_t a5,
                                              std::uint32_t a6, std::uint32_t a7, std::uint32_t a8,
                                              std::uint32_t a9, std::uint32_t a10);

namespace varomby {

namespace {

constexpr std::uint32_t kPageSize = 0x1000;
constexpr std::uint32_t kThunkStride = 32;
constexpr int kReadWriteExecute = PROT_READ | PROT_WRITE | PROT_EXEC;

// Runs a host function for its thunk. Image code only keeps the stack
// 4-byte aligned, hence the realignment; no exception may unwind through
// the image's frames, so a throwing body counts as returning 0.
extern "C" __attribute__((cdecl, force_align_arg_pointer)) std::uint32_t varomby_dispatch_host_call(
    const NativeMachine::HostSlot* slot, const std::uint32_t* arguments) {
  try {
    const HostFunction& function = slot->function;
    if (!function.body) return 0;
    const std::span<const std::uint32_t> view(arguments, static_cast<std::size_t>(HostArgumentCount(function)));
    return function.body(view, *slot->machine);
  } catch (...) {
    return 0;
  }
}

void PutWord(std::uint8_t* at, std::uint32_t value) { std::memcpy(at, &value, sizeof value); }

// The code of one host thunk:
//   lea eax, [esp+4]; push eax; push slot; mov eax, dispatcher; call eax;
//   add esp, 8; ret popped (stdcall) or ret (cdecl)
std::array<std::uint8_t, kThunkStride> ThunkCode(const NativeMachine::HostSlot& slot) {
  std::array<std::uint8_t, kThunkStride> code{};
  code.fill(0xCC);
  std::uint8_t* at = code.data();
  const std::uint8_t prologue[] = {0x8D, 0x44, 0x24, 0x04, 0x50, 0x68};
  std::memcpy(at, prologue, sizeof prologue);
  at += sizeof prologue;
  PutWord(at, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&slot)));
  at += 4;
  *at++ = 0xB8;
  PutWord(at, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&varomby_dispatch_host_call)));
  at += 4;
  const std::uint8_t callAndClean[] = {0xFF, 0xD0, 0x83, 0xC4, 0x08};
  std::memcpy(at, callAndClean, sizeof callAndClean);
  at += sizeof callAndClean;
  const std::uint32_t popped = HostPoppedArgumentBytes(slot.function);
  if (popped == 0) {
    *at = 0xC3;
  } else {
    *at++ = 0xC2;
    at[0] = static_cast<std::uint8_t>(popped & 0xFF);
    at[1] = static_cast<std::uint8_t>(popped >> 8);
  }
  return code;
}

}  // namespace

NativeMachine::NativeMachine(MachineLimits limits) : limits_(limits) { AddCurrentStack(); }

NativeMachine::~NativeMachine() {
  for (const auto& [base, size] : reservations_.AllocatedRanges()) {
    munmap(reinterpret_cast<void*>(base), static_cast<std::size_t>(size));
  }
  for (const std::uint32_t page : thunkPages_) munmap(reinterpret_cast<void*>(page), kPageSize);
}

// Host functions get pointers to the caller's stack buffers (locals of the
// image's routines), so the thread's stack is readable and writable too.
void NativeMachine::AddCurrentStack() {
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
  void* address = nullptr;
  std::size_t size = 0;
  if (pthread_attr_getstack(&attributes, &address, &size) == 0) {
    reservations_.Add(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)), size,
                      ReservationMap::Kind::kFixed);
  }
  pthread_attr_destroy(&attributes);
}

std::uint32_t NativeMachine::Allocate(std::uint32_t preferred, std::uint32_t size) {
  if (size == 0) return 0;
  const std::uint64_t pages = RoundUp(size, kPageSize);
  if (!reservations_.FitsWithin(limits_.memoryLimit, pages)) return 0;
  if (pages > UINT32_MAX) return 0;
  const auto length = static_cast<std::size_t>(pages);
  void* memory = MAP_FAILED;
  if (preferred != 0 && preferred % kPageSize == 0) {
    memory = mmap(reinterpret_cast<void*>(preferred), length, kReadWriteExecute,
                  MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  }
  if (memory == MAP_FAILED) {
    memory = mmap(nullptr, length, kReadWriteExecute, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  }
  if (memory == MAP_FAILED) return 0;
  const auto base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(memory));
  if (base == 0 || !reservations_.Add(base, pages, ReservationMap::Kind::kAllocated)) {
    munmap(memory, length);
    return 0;
  }
  return base;
}

bool NativeMachine::Free(std::uint32_t base) {
  const auto size = reservations_.RemoveAllocated(base);
  if (!size) return false;
  munmap(reinterpret_cast<void*>(base), static_cast<std::size_t>(*size));
  return true;
}

bool NativeMachine::Read(std::uint32_t address, std::span<std::uint8_t> out) const {
  if (!reservations_.Contains(address, out.size(), false)) return false;
  if (!out.empty()) std::memcpy(out.data(), reinterpret_cast<const void*>(address), out.size());
  return true;
}

bool NativeMachine::Write(std::uint32_t address, std::span<const std::uint8_t> in) {
  if (!reservations_.Contains(address, in.size(), true)) return false;
  if (!in.empty()) std::memcpy(reinterpret_cast<void*>(address), in.data(), in.size());
  return true;
}

std::uint32_t NativeMachine::Call(std::uint32_t target, const Arguments& args) {
  if (target == 0) return 0;  // a missing routine: refused instead of jumping to null
  return varomby_call_address(target, args[0], args[1], args[2], args[3], args[4], args[5], args[6], args[7],
                              args[8], args[9]);
}

std::uint32_t NativeMachine::MakeThunk(const HostSlot& slot) {
  if (thunkCursor_ == thunkEnd_) {
    void* page = mmap(nullptr, kPageSize, kReadWriteExecute, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) return 0;
    thunkCursor_ = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(page));
    thunkEnd_ = thunkCursor_ + kPageSize;
    thunkPages_.push_back(thunkCursor_);
  }
  const auto code = ThunkCode(slot);
  const std::uint32_t address = thunkCursor_;
  std::memcpy(reinterpret_cast<void*>(address), code.data(), code.size());
  thunkCursor_ += kThunkStride;
  return address;
}

std::uint32_t NativeMachine::PlaceHostFunction(const HostFunction& function) {
  slots_.push_back(std::make_unique<HostSlot>(HostSlot{this, function}));
  return MakeThunk(*slots_.back());
}

}  // namespace varomby

#endif  // defined(__i386__)
