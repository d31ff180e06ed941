#pragma once
// The libraries a machine offers to images in place of LoadLibraryA and
// GetProcAddress: library names matched without regard to ASCII case,
// functions found by their exact name or by their ordinal. The machine
// decides where each function is reachable; the registry only remembers
// the addresses.
#include <cstdint>
#include <string>
#include <vector>

#include "memmodule/machine32.h"

namespace varomby {

// At most this many stack arguments are passed to a host function; larger
// counts in a HostFunction are clamped to it.
inline constexpr int kMaxHostArguments = 32;

// The number of stack arguments a host function really takes (0 to kMaxHostArguments).
int HostArgumentCount(const HostFunction& function);

// The bytes a host function removes from the stack when it returns, the
// return address excluded (0 for cdecl).
std::uint32_t HostPoppedArgumentBytes(const HostFunction& function);

class HostLibraryRegistry {
 public:
  // Offers `library`, whose functions are reachable at `addresses` (one per
  // function, in order; 0 where a function got no address). A second
  // library of the same name replaces the first for later lookups; the
  // handle stays the same.
  void Add(const HostLibrary& library, const std::vector<std::uint32_t>& addresses);

  // A non-zero handle for an offered library, else 0.
  std::uint32_t LoadLibrary(const std::string& name) const;
  // The address of a function of the library `handle`: by its exact name,
  // or by `ordinal` when `name` is empty; 0 when there is none.
  std::uint32_t GetProcAddress(std::uint32_t handle, const std::string& name,
                               std::uint16_t ordinal) const;

 private:
  struct Export {
    std::string name;
    std::uint16_t ordinal;
    std::uint32_t address;
  };
  struct Library {
    std::string name;
    std::vector<Export> exports;
  };
  std::vector<Library> libraries_;  // handle = index + 1
};

// A Machine32 whose libraries live in a HostLibraryRegistry; the machine
// only says where each host function becomes reachable.
class HostLibraryMachine : public Machine32 {
 public:
  std::uint32_t LoadLibrary(const std::string& name) final { return registry_.LoadLibrary(name); }
  std::uint32_t GetProcAddress(std::uint32_t handle, const std::string& name, std::uint16_t ordinal) final {
    return registry_.GetProcAddress(handle, name, ordinal);
  }
  void AddHostLibrary(HostLibrary library) final;

 protected:
  // Makes `function` callable by image code; its address, or 0 when the
  // machine has no room for it.
  virtual std::uint32_t PlaceHostFunction(const HostFunction& function) = 0;

 private:
  HostLibraryRegistry registry_;
};

}  // namespace varomby
