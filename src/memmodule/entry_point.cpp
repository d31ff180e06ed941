// Entry-point calls and the release of a mapped image.
#include <optional>
#include <utility>

#include "memmodule/image_loader.h"
#include "memmodule/mapped_image.h"

namespace varomby {

std::uint32_t CallEntryPoint(CodeRunner& runner, std::uint32_t entryPoint, std::uint32_t reason) {
  CodeRunner::Arguments args{};
  args[0] = 0;  // module handle: the image has none the system knows
  args[1] = reason;
  args[2] = 0;
  return runner.Call(entryPoint, args);
}

namespace {

// The DOS and NT headers at the start of a mapped image, signatures not
// tested; nothing when they cannot be read.
std::optional<std::pair<IMAGE_DOS_HEADER, IMAGE_NT_HEADERS32>> ReadHeadersAt(const AddressSpace32& memory,
                                                                            std::uint32_t base) {
  IMAGE_DOS_HEADER dos{};
  IMAGE_NT_HEADERS32 nt{};
  if (!memory.Read(base, std::span(reinterpret_cast<std::uint8_t*>(&dos), sizeof(dos))) || dos.e_lfanew < 0) {
    return std::nullopt;
  }
  const std::uint64_t ntAddress = std::uint64_t{base} + static_cast<std::uint32_t>(dos.e_lfanew);
  if (ntAddress > UINT32_MAX ||
      !memory.Read(static_cast<std::uint32_t>(ntAddress), std::span(reinterpret_cast<std::uint8_t*>(&nt), sizeof(nt)))) {
    return std::nullopt;
  }
  return std::pair{dos, nt};
}

}  // namespace

bool ReleaseImage(Machine32& machine, std::uint32_t base) {
  const auto headers = ReadHeadersAt(machine, base);
  if (!headers || headers->first.e_magic != kDosSignature || headers->second.Signature != kNtSignature) return false;
  const IMAGE_NT_HEADERS32& nt = headers->second;
  const std::uint32_t entry = nt.OptionalHeader.AddressOfEntryPoint;
  if ((nt.FileHeader.Characteristics & kFileDll) != 0 && entry != 0) {
    CallEntryPoint(machine, base + entry, kDllProcessDetach);
  }
  return ReleaseImageMemory(machine, base);
}

bool ReleaseImageMemory(AddressSpace32& memory, std::uint32_t base) { return memory.Free(base); }

std::uint32_t ReadEntryPoint(const AddressSpace32& memory, std::uint32_t base) {
  const auto headers = ReadHeadersAt(memory, base);
  return headers ? base + headers->second.OptionalHeader.AddressOfEntryPoint : 0;
}

}  // namespace varomby
