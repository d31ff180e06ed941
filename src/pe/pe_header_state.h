#pragma once
// The headers of the first compared file, as the latest reading found them.
#include <cstdint>
#include <vector>

#include "pe/pe_format.h"

namespace varomby {

// Value-initialised (PeHeaderState{} or a plain declaration) it is all zero
// with no section record: the start-up state. ReadPeHeaders replaces it whole.
struct PeHeaderState {
  IMAGE_DOS_HEADER dosHeader{};
  // The NT headers in their 32-bit form, as read.
  IMAGE_NT_HEADERS32 ntHeaders32{};
  // The same bytes in the PE32+ layout; filled only when Magic is 0x20B.
  IMAGE_NT_HEADERS64 ntHeaders64{};
  std::vector<IMAGE_SECTION_HEADER> sections;
  // The preferred load address: 32-bit ImageBase, or the 64-bit one of PE32+.
  std::uint64_t imageBase = 0;
};

// True when the latest reading found a PE32+ (64-bit) optional header.
inline bool IsPe32Plus(const PeHeaderState& state) {
  return state.ntHeaders32.Signature == kNtSignature && state.ntHeaders32.OptionalHeader.Magic == kPe32PlusMagic;
}

}  // namespace varomby
