#pragma once
// The 32-bit machine that in-memory images are mapped into and run on:
// its memory, a way to call a routine by address, and the libraries that
// the program offers to images. On a 32-bit x86 host it is the process
// itself; elsewhere an emulated x86-32 CPU.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace varomby {

// Memory at 32-bit addresses.
class AddressSpace32 {
 public:
  virtual ~AddressSpace32() = default;
  // Reserves and commits `size` zeroed, readable, writable and executable
  // bytes at `preferred` when that range is free, else anywhere; returns
  // the base address, or 0 when no memory can be had.
  virtual std::uint32_t Allocate(std::uint32_t preferred, std::uint32_t size) = 0;
  // Releases a whole reservation made by Allocate; false when `base` is
  // not the start of one.
  virtual bool Free(std::uint32_t base) = 0;
  // Bounds-checked access: succeeds only when [address, address + n) lies
  // inside one reservation; nothing is read or written otherwise.
  virtual bool Read(std::uint32_t address, std::span<std::uint8_t> out) const = 0;
  virtual bool Write(std::uint32_t address, std::span<const std::uint8_t> in) = 0;
};

// Calls routines known only by their address.
class CodeRunner {
 public:
  static constexpr int kArgumentCount = 10;
  using Arguments = std::array<std::uint32_t, kArgumentCount>;
  virtual ~CodeRunner() = default;
  // Calls the routine at `target` with ten 32-bit stack arguments (a1 at the
  // lowest address), in the stdcall or the cdecl convention alike; the
  // caller's stack is restored afterwards and EAX is returned. A routine
  // that faults or does not return within the runner's budget counts as
  // returning 0.
  virtual std::uint32_t Call(std::uint32_t target, const Arguments& args) = 0;
};

// A function that a host library offers to images. It is called with the
// routine's stack arguments and the machine's memory (to read texts and
// buffers the image passes by address) and returns the value for EAX.
struct HostFunction {
  std::string name;            // empty when exported by ordinal only
  std::uint16_t ordinal = 0;   // 0 when it has none
  int stackArguments = 0;      // 32-bit arguments taken from the stack
  bool calleePopsArguments = true;  // stdcall (true) or cdecl (false)
  std::function<std::uint32_t(std::span<const std::uint32_t> args, AddressSpace32& memory)> body;
};

// A library that the program offers to images in place of a system DLL.
struct HostLibrary {
  std::string name;  // file name, matched without regard to ASCII case, e.g. "skinhost.dll"
  std::vector<HostFunction> functions;
};

// The libraries that images may import from (LoadLibraryA/GetProcAddress).
class LibraryProvider {
 public:
  virtual ~LibraryProvider() = default;
  // A non-zero handle for a library that can be loaded, else 0.
  virtual std::uint32_t LoadLibrary(const std::string& name) = 0;
  // The 32-bit address of a function, or 0. `ordinal` is used when `name`
  // is empty.
  virtual std::uint32_t GetProcAddress(std::uint32_t handle, const std::string& name, std::uint16_t ordinal) = 0;
};

// Everything an image needs from the machine it runs on.
class Machine32 : public AddressSpace32, public CodeRunner, public LibraryProvider {
 public:
  // Makes the functions of `library` reachable at 32-bit addresses and
  // offers the library to LoadLibrary.
  virtual void AddHostLibrary(HostLibrary library) = 0;
};

}  // namespace varomby
