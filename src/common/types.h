#pragma once
// Shared value types of the core.
#include <cstdint>
#include <string>
#include <vector>

namespace varomby {

// A counted sequence of bytes: whole files, byte runs, embedded images.
using ByteBuffer = std::vector<std::uint8_t>;

// Text in code page 936 (GBK), kept as raw bytes. The core never converts
// it; only what is drawn or put on the clipboard is decoded.
using AnsiText = std::string;

}  // namespace varomby
