// Hex text parsing and decoding of arbitrary input. The first byte picks
// the code mode; the rest is decoded once as raw bytes and once as the
// hexadecimal text of a row cell. Checks that every instruction lies inside
// the input, in order, and that the byte text of the input parses back.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "disasm/decoder.h"
#include "disasm/hex_text.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckDecode(std::span<const std::uint8_t> bytes, std::uint64_t address, varomby::CodeMode mode) {
  const auto instructions = varomby::DecodeInstructions(bytes, address, mode);
  Require(instructions.has_value());
  std::size_t offset = 0;
  for (const auto& instruction : *instructions) {
    Require(instruction.length >= 1 && instruction.length <= 15);
    Require(instruction.address == address + offset);
    Require(offset + instruction.length <= bytes.size());
    Require(std::equal(instruction.bytes.begin(), instruction.bytes.end(), bytes.begin() + offset));
    Require(!instruction.text.empty());
    offset += instruction.length;
  }
}

std::string UpperHex(std::span<const std::uint8_t> bytes) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const std::uint8_t byte : bytes) {
    text += kDigits[byte / 16];
    text += kDigits[byte % 16];
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto mode = (data[0] & 1) != 0 ? varomby::CodeMode::Bits64 : varomby::CodeMode::Bits32;
  const std::uint64_t address = (data[0] & 2) != 0 ? 0xFFFFFFF0u : 0x401000u;
  const std::span<const std::uint8_t> rest(data + 1, size - 1);

  CheckDecode(rest, address, mode);

  const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
  const varomby::ByteBuffer parsed = varomby::HexTextToBytes(text);
  Require(parsed.size() == (rest.size() + 1) / 2);
  CheckDecode(parsed, address, mode);

  Require(varomby::HexTextToBytes(UpperHex(rest)) == varomby::ByteBuffer(rest.begin(), rest.end()));
  return 0;
}
