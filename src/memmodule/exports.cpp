// Export lookup in a mapped image.
#include <charconv>
#include <cstring>
#include <vector>

#include "memmodule/image_loader.h"
#include "memmodule/mapped_image.h"

namespace varomby {
namespace {

struct ExportTable {
  const MappedImage& image;
  IMAGE_DATA_DIRECTORY directory;
  IMAGE_EXPORT_DIRECTORY exports;
};

// The address of address-table entry `index`; 0 when the entry is missing,
// is 0, or lies inside the export directory (a forwarder text naming
// another library's export, which is no code).
std::uint32_t FunctionAddress(const ExportTable& table, std::uint64_t index) {
  if (index >= table.exports.NumberOfFunctions) return 0;
  const auto entry = table.image.Read<std::uint32_t>(std::uint64_t{table.exports.AddressOfFunctions} + index * 4);
  if (!entry || *entry == 0) return 0;
  const std::uint64_t start = table.directory.VirtualAddress;
  if (*entry >= start && *entry < start + table.directory.Size) return 0;
  return table.image.Address(*entry);
}

// True when the export name at `rva` is exactly `name`.
bool NameMatches(const MappedImage& image, std::uint64_t rva, const std::string& name) {
  std::vector<std::uint8_t> candidate(name.size() + 1);
  if (!image.ReadBytes(rva, candidate)) return false;
  return candidate.back() == 0 && std::memcmp(candidate.data(), name.data(), name.size()) == 0;
}

// Walks the name pointer table in order; the first acceptable match wins.
// A table that leaves the image ends the walk.
std::uint32_t FindByName(const ExportTable& table, const std::string& name) {
  if (name.empty()) return 0;
  const IMAGE_EXPORT_DIRECTORY& exports = table.exports;
  for (std::uint64_t i = 0; i < exports.NumberOfNames; ++i) {
    const auto nameRva = table.image.Read<std::uint32_t>(std::uint64_t{exports.AddressOfNames} + i * 4);
    const auto ordinal = table.image.Read<std::uint16_t>(std::uint64_t{exports.AddressOfNameOrdinals} + i * 2);
    if (!nameRva || !ordinal) return 0;
    if (*ordinal < exports.NumberOfFunctions && NameMatches(table.image, *nameRva, name)) {
      const std::uint32_t address = FunctionAddress(table, *ordinal);
      if (address != 0) return address;
    }
  }
  return 0;
}

}  // namespace

bool ParseOrdinalText(const std::string& text, std::int32_t& value) {
  std::int32_t parsed = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, parsed);
  if (error != std::errc() || stop != end) return false;
  if (std::to_string(parsed) != text) return false;  // leading zeros, "-0"
  value = parsed;
  return true;
}

std::uint32_t FindExport(const AddressSpace32& memory, std::uint32_t base, const std::string& name) {
  const auto mapped = ReadMappedImage(memory, base);
  if (!mapped) return 0;
  const MappedImage& image = mapped->second;
  const IMAGE_DATA_DIRECTORY directory = mapped->first.nt.OptionalHeader.DataDirectory[kDirectoryExport];
  if (directory.Size == 0) return 0;
  const auto exports = image.Read<IMAGE_EXPORT_DIRECTORY>(directory.VirtualAddress);
  if (!exports) return 0;
  const ExportTable table{image, directory, *exports};

  std::int32_t ordinal = 0;
  if (!ParseOrdinalText(name, ordinal)) return FindByName(table, name);
  const std::int64_t index = std::int64_t{ordinal} - std::int64_t{exports->Base};
  if (index < 0) return 0;
  return FunctionAddress(table, static_cast<std::uint64_t>(index));
}

}  // namespace varomby
