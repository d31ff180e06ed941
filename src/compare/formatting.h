#pragma once
// Texts of the result list's cells: numbers as upper-case hexadecimal,
// zero padding, bytes as hexadecimal pairs and bytes as characters.
#include <cstdint>
#include <functional>
#include <span>

#include "common/types.h"

namespace varomby {

// Called between slices of long formatting work (never per byte); returns
// false when the work should stop early (the window is closing).
using WorkCheckpoint = std::function<bool()>;

// `value` in upper-case hexadecimal without leading zeros ("0" for 0); the
// empty text for a negative value.
AnsiText HexText(std::int64_t value);

// `text` with "0" put in front until it is at least `width` bytes long;
// never shortened.
AnsiText PadWithZeros(AnsiText text, int width);

// Exactly two upper-case hexadecimal digits.
AnsiText ByteToHexText(std::uint8_t value);

// Two upper-case hexadecimal digits per byte, no separator. `checkpoint`,
// when given, is called between slices of the work; when it returns false
// the text built so far is returned.
AnsiText BytesToHexText(std::span<const std::uint8_t> bytes, const WorkCheckpoint& checkpoint = {});

// Every byte other than 0, unchanged and in order.
AnsiText BytesToCharText(std::span<const std::uint8_t> bytes);

}  // namespace varomby
