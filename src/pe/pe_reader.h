#pragma once
// PE header reading of the first compared file.
#include "common/byte_source.h"
#include "common/types.h"

namespace varomby {

struct PeHeaderState;  // defined by the PE reader

// True when the 4 bytes at the offset stored at offset 60 read "PE\0\0".
bool IsPeFile(const ByteSource* file);

// Replaces `state` whole with the headers of `file`; true when the NT
// signature matched.
bool ReadPeHeaders(const ByteSource* file, PeHeaderState& state);

// The virtual address of the byte at `position` (counted from 1) in the
// image described by `state`, as 8 or more upper-case hex digits, or "No VA".
AnsiText VirtualAddressText(const PeHeaderState& state, std::uint64_t position);

}  // namespace varomby
