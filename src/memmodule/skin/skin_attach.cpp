#include "memmodule/skin/skin_attach.h"

#include <limits>
#include <optional>

namespace varomby {
namespace {

// Copies `bytes` into fresh machine memory; its address, or nothing when the
// block does not fit a 32-bit length or no memory can be had.
std::optional<std::uint32_t> PlaceInMachine(Machine32& machine, std::span<const std::uint8_t> bytes) {
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  const std::uint32_t address = machine.Allocate(0, static_cast<std::uint32_t>(bytes.size()));
  if (address == 0 || !machine.Write(address, bytes)) return std::nullopt;
  return address;
}

// The password as a NUL-terminated text in machine memory; 0 for the empty
// password, as the library expects no text at all then.
std::optional<std::uint32_t> PlacePassword(Machine32& machine, const AnsiText& password) {
  if (password.empty()) return 0;
  ByteBuffer text(password.begin(), password.end());
  text.push_back(0);
  return PlaceInMachine(machine, text);
}

}  // namespace

std::uint32_t AttachSkinAt(std::uint32_t entry, Machine32& machine, std::span<const std::uint8_t> data,
                           const AnsiText& password, std::uint32_t value1, std::uint32_t value2,
                           std::uint32_t value3) {
  if (entry == 0 || data.empty()) return 0;
  const auto dataAddress = PlaceInMachine(machine, data);
  const auto passwordAddress = PlacePassword(machine, password);
  if (!dataAddress || !passwordAddress) return 0;
  CodeRunner::Arguments args{};
  args[0] = *dataAddress;
  args[1] = static_cast<std::uint32_t>(data.size());
  args[2] = *passwordAddress;
  args[3] = value1;
  args[4] = value2;
  args[5] = value3;
  return machine.Call(entry, args);
}

std::uint32_t DetachSkinAt(std::uint32_t entry, CodeRunner& runner) {
  if (entry == 0) return 0;
  return runner.Call(entry, CodeRunner::Arguments{});
}

std::uint32_t AttachSkin(const MemoryModule& module, Machine32& machine, std::span<const std::uint8_t> data,
                         const AnsiText& password, std::uint32_t value1, std::uint32_t value2,
                         std::uint32_t value3) {
  return AttachSkinAt(module.GetProc(kSkinAttachEntry), machine, data, password, value1, value2, value3);
}

std::uint32_t DetachSkin(const MemoryModule& module, CodeRunner& runner) {
  return DetachSkinAt(module.GetProc(kSkinDetachEntry), runner);
}

}  // namespace varomby
