#pragma once
// Turns a row's hexadecimal byte text back into bytes.
#include <optional>
#include <string_view>

#include "common/types.h"
#include "compare/formatting.h"  // WorkCheckpoint

namespace varomby {

// One byte per started pair of characters: a pair gives the byte it spells
// (either letter case), a last single character gives its own digit, and a
// character that is no hexadecimal digit counts as -2 in its place (low 8
// bits kept: "1G" -> 0E, "G1" -> E1, "GG" -> DE). `checkpoint` is called
// after every block of bytes and once at the end of a non-empty text;
// nothing is returned when it asks to stop.
std::optional<ByteBuffer> HexTextToBytes(std::string_view text, const WorkCheckpoint& checkpoint);

// The same without checkpoints.
ByteBuffer HexTextToBytes(std::string_view text);

}  // namespace varomby
