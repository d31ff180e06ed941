#include "disasm/hex_text.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace varomby {
namespace {

// Bytes converted between two checkpoints.
constexpr std::size_t kBytesPerCheckpoint = 64 * 1024;

// The value of a character as a digit once the letters a-z are upper case:
// 0..15 for the sixteen digits, -2 for any other character.
constexpr std::array<std::int8_t, 256> MakeDigitTable() {
  std::array<std::int8_t, 256> table{};
  for (auto& value : table) value = -2;
  for (int c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - '0');
  for (int c = 'A'; c <= 'F'; ++c) {
    table[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'A' + 10);
    table[static_cast<std::size_t>(c - 'A' + 'a')] = static_cast<std::int8_t>(c - 'A' + 10);
  }
  return table;
}
constexpr std::array<std::int8_t, 256> kDigitValue = MakeDigitTable();

bool IsLeadByte(std::uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsLowerAsciiLetter(std::uint8_t byte) { return byte >= 'a' && byte <= 'z'; }

// The byte of a two-character piece. Only ASCII letters are made upper
// case; the second byte of a double-byte character (lead byte first) is
// left as it is, so a trail byte a-f there is no digit.
std::uint8_t PairValue(std::uint8_t high, std::uint8_t low) {
  const int highValue = kDigitValue[high];
  const int lowValue = (IsLeadByte(high) && IsLowerAsciiLetter(low)) ? -2 : kDigitValue[low];
  return static_cast<std::uint8_t>(highValue * 16 + lowValue);
}

std::uint8_t SingleValue(std::uint8_t digit) { return static_cast<std::uint8_t>(kDigitValue[digit]); }

}  // namespace

std::optional<ByteBuffer> HexTextToBytes(std::string_view text, const WorkCheckpoint& checkpoint) {
  const auto* chars = reinterpret_cast<const std::uint8_t*>(text.data());
  const std::size_t pairs = text.size() / 2;
  ByteBuffer bytes(pairs + text.size() % 2);
  std::size_t done = 0;
  while (done < pairs) {
    const std::size_t blockEnd = pairs - done > kBytesPerCheckpoint ? done + kBytesPerCheckpoint : pairs;
    for (; done < blockEnd; ++done) bytes[done] = PairValue(chars[2 * done], chars[2 * done + 1]);
    if (done < pairs && checkpoint && !checkpoint()) return std::nullopt;
  }
  if (text.size() % 2 != 0) bytes[pairs] = SingleValue(chars[text.size() - 1]);
  if (!text.empty() && checkpoint && !checkpoint()) return std::nullopt;
  return bytes;
}

ByteBuffer HexTextToBytes(std::string_view text) { return *HexTextToBytes(text, WorkCheckpoint{}); }

}  // namespace varomby
