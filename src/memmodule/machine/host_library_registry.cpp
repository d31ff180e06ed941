#include "memmodule/machine/host_library_registry.h"

#include <algorithm>
#include <cstddef>

namespace varomby {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

}  // namespace

int HostArgumentCount(const HostFunction& function) {
  return std::clamp(function.stackArguments, 0, kMaxHostArguments);
}

std::uint32_t HostPoppedArgumentBytes(const HostFunction& function) {
  return function.calleePopsArguments ? static_cast<std::uint32_t>(4 * HostArgumentCount(function)) : 0;
}

void HostLibraryRegistry::Add(const HostLibrary& library, const std::vector<std::uint32_t>& addresses) {
  Library entry{library.name, {}};
  for (std::size_t i = 0; i < library.functions.size(); ++i) {
    const HostFunction& function = library.functions[i];
    const std::uint32_t address = i < addresses.size() ? addresses[i] : 0;
    entry.exports.push_back(Export{function.name, function.ordinal, address});
  }
  const auto same = std::find_if(libraries_.begin(), libraries_.end(), [&](const Library& known) {
    return EqualIgnoringAsciiCase(known.name, library.name);
  });
  if (same != libraries_.end()) {
    *same = std::move(entry);
  } else {
    libraries_.push_back(std::move(entry));
  }
}

std::uint32_t HostLibraryRegistry::LoadLibrary(const std::string& name) const {
  if (name.empty()) return 0;
  for (std::size_t i = 0; i < libraries_.size(); ++i) {
    if (EqualIgnoringAsciiCase(libraries_[i].name, name)) return static_cast<std::uint32_t>(i + 1);
  }
  return 0;
}

std::uint32_t HostLibraryRegistry::GetProcAddress(std::uint32_t handle, const std::string& name,
                                                  std::uint16_t ordinal) const {
  if (handle == 0 || handle > libraries_.size()) return 0;
  const Library& library = libraries_[handle - 1];
  for (const Export& candidate : library.exports) {
    const bool matches = name.empty() ? (ordinal != 0 && candidate.ordinal == ordinal) : candidate.name == name;
    if (matches) return candidate.address;
  }
  return 0;
}

void HostLibraryMachine::AddHostLibrary(HostLibrary library) {
  std::vector<std::uint32_t> addresses;
  for (const HostFunction& function : library.functions) addresses.push_back(PlaceHostFunction(function));
  registry_.Add(library, addresses);
}

}  // namespace varomby
