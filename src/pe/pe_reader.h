#pragma once
// PE header reading of the first compared file.
#include <cstdint>
#include <optional>

#include "common/byte_source.h"
#include "common/types.h"
#include "pe/pe_header_state.h"

namespace varomby {

// True when the 4 bytes at the offset stored at offset 60 read "PE\0\0".
// Missing bytes of that stored offset count as 0; a negative offset (its top
// bit set) cannot be reached and gives false.
bool IsPeFile(const ByteSource* file);

// Replaces `state` whole with the headers of `file`; true when the NT
// signature matched. The section table is found through SizeOfOptionalHeader;
// a table cut short by the end of the file keeps its complete records.
bool ReadPeHeaders(const ByteSource* file, PeHeaderState& state);

// The virtual address of the byte at file offset `offset` (counted from 0):
// inside a section's raw data it lies at ImageBase + VirtualAddress + the
// distance into that raw data, inside the headers at ImageBase + offset;
// nothing elsewhere, or when the state holds no PE headers.
std::optional<std::uint64_t> VirtualAddressOf(const PeHeaderState& state, std::uint64_t offset);

// The virtual address of the byte at `position` (counted from 1) in the
// image described by `state`, as 8 or more upper-case hex digits, or "No VA".
AnsiText VirtualAddressText(const PeHeaderState& state, std::uint64_t position);

}  // namespace varomby
