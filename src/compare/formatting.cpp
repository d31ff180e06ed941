#include "compare/formatting.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace varomby {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Both digits of every byte value, so that a byte costs one 2-byte copy.
constexpr std::array<char, 512> MakeByteDigits() {
  std::array<char, 512> table{};
  for (int value = 0; value < 256; ++value) {
    table[static_cast<std::size_t>(2 * value)] = kHexDigits[value >> 4];
    table[static_cast<std::size_t>(2 * value + 1)] = kHexDigits[value & 15];
  }
  return table;
}
constexpr std::array<char, 512> kByteDigits = MakeByteDigits();

// Bytes formatted between two checkpoints: small enough to keep the window
// responsive, large enough that the checkpoint costs nothing measurable.
constexpr std::size_t kCheckpointSlice = 64 * 1024;

void AppendHexPairs(std::span<const std::uint8_t> bytes, char* out) {
  for (const std::uint8_t byte : bytes) {
    std::memcpy(out, &kByteDigits[2u * byte], 2);
    out += 2;
  }
}

}  // namespace

AnsiText HexText(std::int64_t value) {
  if (value < 0) return {};
  char digits[16];
  std::size_t count = 0;
  auto rest = static_cast<std::uint64_t>(value);
  do {
    digits[count++] = kHexDigits[rest & 15];
    rest >>= 4;
  } while (rest != 0);
  std::reverse(digits, digits + count);
  return AnsiText(digits, count);
}

AnsiText PadWithZeros(AnsiText text, int width) {
  if (width > 0 && text.size() < static_cast<std::size_t>(width)) {
    text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
  }
  return text;
}

AnsiText ByteToHexText(std::uint8_t value) { return AnsiText(&kByteDigits[2u * value], 2); }

AnsiText BytesToHexText(std::span<const std::uint8_t> bytes, const WorkCheckpoint& checkpoint) {
  AnsiText text(bytes.size() * 2, '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t slice = std::min(kCheckpointSlice, bytes.size() - done);
    AppendHexPairs(bytes.subspan(done, slice), text.data() + 2 * done);
    done += slice;
    if (checkpoint && !checkpoint()) {
      text.resize(2 * done);
      break;
    }
  }
  return text;
}

AnsiText BytesToCharText(std::span<const std::uint8_t> bytes) {
  AnsiText text;
  text.reserve(bytes.size());
  for (const std::uint8_t byte : bytes) {
    if (byte != 0) text.push_back(static_cast<char>(byte));
  }
  return text;
}

}  // namespace varomby
