// Import resolution of a mapped image.
#include <string>

#include "memmodule/image_loader.h"
#include "memmodule/mapped_image.h"

namespace varomby {
namespace {

constexpr std::uint32_t kOrdinalFlag = kImportOrdinalFlag32;

struct ImportContext {
  Machine32& machine;
  WritableImage& image;
  std::uint32_t resolver;
  std::uint32_t resolverData;
};

// Asks the resolver routine with the name text at `nameAddress`.
std::uint32_t AskResolver(const ImportContext& context, std::uint32_t libraryNameAddress,
                          std::uint32_t nameAddress) {
  CodeRunner::Arguments args{};
  args[0] = libraryNameAddress;
  args[1] = nameAddress;
  args[2] = context.resolverData;
  return context.machine.Call(context.resolver, args);
}

// For an ordinal import the resolver gets a temporary text with the
// ordinal's decimal digits, kept in a scratch block for the call only.
std::uint32_t AskResolverByOrdinal(const ImportContext& context, std::uint32_t libraryNameAddress,
                                   std::uint16_t ordinal) {
  const std::string digits = std::to_string(ordinal);
  const std::uint32_t scratch = context.machine.Allocate(0, static_cast<std::uint32_t>(digits.size() + 1));
  if (scratch == 0) return 0;
  std::uint32_t address = 0;
  const auto* text = reinterpret_cast<const std::uint8_t*>(digits.c_str());
  if (context.machine.Write(scratch, std::span(text, digits.size() + 1))) {
    address = AskResolver(context, libraryNameAddress, scratch);
  }
  context.machine.Free(scratch);
  return address;
}

// The address of the function that `slot` describes, or 0.
std::uint32_t ResolveSlot(const ImportContext& context, std::uint32_t libraryHandle,
                          std::uint32_t libraryNameAddress, std::uint32_t slot) {
  if ((slot & kOrdinalFlag) != 0) {
    const auto ordinal = static_cast<std::uint16_t>(slot & 0xFFFF);
    std::uint32_t address = context.resolver != 0 ? AskResolverByOrdinal(context, libraryNameAddress, ordinal) : 0;
    if (address == 0) address = context.machine.GetProcAddress(libraryHandle, "", ordinal);
    return address;
  }
  const std::uint64_t nameRva = std::uint64_t{slot} + 2;  // behind the unused 16-bit hint
  const auto name = context.image.CString(nameRva, kMaxNameLength);
  if (!name || name->empty()) return 0;
  std::uint32_t address = context.resolver != 0
                              ? AskResolver(context, libraryNameAddress, context.image.Address(nameRva))
                              : 0;
  if (address == 0) address = context.machine.GetProcAddress(libraryHandle, *name, 0);
  return address;
}

// Fills one library's import address table; false at the first function
// nobody supplies or when the table leaves the image without its 0 slot.
bool ResolveLibrary(const ImportContext& context, const IMAGE_IMPORT_DESCRIPTOR& descriptor) {
  const auto libraryName = context.image.CString(descriptor.Name, kMaxNameLength);
  if (!libraryName) return false;
  // A library that cannot be loaded is refused at once.
  const std::uint32_t handle = context.machine.LoadLibrary(*libraryName);
  if (handle == 0) return false;
  const std::uint32_t libraryNameAddress = context.image.Address(descriptor.Name);
  for (std::uint64_t slotAt = descriptor.FirstThunk;; slotAt += 4) {
    const auto slot = context.image.Read<std::uint32_t>(slotAt);
    if (!slot) return false;
    if (*slot == 0) return true;
    const std::uint32_t address = ResolveSlot(context, handle, libraryNameAddress, *slot);
    if (address == 0 || !context.image.WriteWord(slotAt, address)) return false;
  }
}

}  // namespace

bool ResolveImports(Machine32& machine, std::uint32_t base, std::uint32_t imageSize,
                    const IMAGE_NT_HEADERS32& ntHeaders, std::uint32_t resolver, std::uint32_t resolverData) {
  WritableImage image(machine, base, imageSize);
  const ImportContext context{machine, image, resolver, resolverData};
  // Each step moves 20 bytes on and a read outside the image ends the walk,
  // so a table without its terminator cannot run on.
  for (std::uint64_t position = ntHeaders.OptionalHeader.DataDirectory[kDirectoryImport].VirtualAddress;;
       position += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto descriptor = image.Read<IMAGE_IMPORT_DESCRIPTOR>(position);
    if (!descriptor) return false;
    if (descriptor->FirstThunk == 0) return true;
    if (!ResolveLibrary(context, *descriptor)) return false;
  }
}

}  // namespace varomby
