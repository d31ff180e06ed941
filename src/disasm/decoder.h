#pragma once
// x86 decoding of a byte run into instruction texts, one call per
// instruction. The library behind it stays inside this folder: callers see
// only our own types.
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <span>
#include <vector>

#include "common/types.h"
#include "disasm/hex_text.h"

namespace varomby {

enum class CodeMode { Bits32, Bits64 };

struct DecodedInstruction {
  std::uint64_t address = 0;  // runtime address of the first byte
  std::uint8_t length = 0;
  ByteBuffer bytes;           // the instruction's `length` bytes
  AnsiText text;              // MASM-like Intel text, trimmed
};

// Result of one decode step besides a length of 1..15.
inline constexpr int kDecodeStoppedAtLimit = 0;  // the bytes end inside the instruction
inline constexpr int kDecodeNoInstruction = -1;  // the bytes are no instruction

class InstructionDecoder {
 public:
  explicit InstructionDecoder(CodeMode mode);
  ~InstructionDecoder();
  InstructionDecoder(InstructionDecoder&&) noexcept;
  InstructionDecoder& operator=(InstructionDecoder&&) noexcept;
  InstructionDecoder(const InstructionDecoder&) = delete;
  InstructionDecoder& operator=(const InstructionDecoder&) = delete;

  // Decodes the instruction at the start of `bytes`, which lies at
  // `runtimeAddress` (relative targets are shown as absolute addresses).
  // Reads nothing beyond `bytes`. Returns the length and fills `out`, or
  // kDecodeStoppedAtLimit / kDecodeNoInstruction and leaves `out` alone.
  int Decode(std::span<const std::uint8_t> bytes, std::uint64_t runtimeAddress, DecodedInstruction& out) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// All instructions from the first byte on, in order, until the bytes end or
// a step gives 0 or -1. An empty run gives none without any read. A
// `checkpoint` that returns false stops the work: nothing is returned then.
std::optional<std::vector<DecodedInstruction>> DecodeInstructions(std::span<const std::uint8_t> bytes,
                                                                  std::uint64_t runtimeAddress, CodeMode mode,
                                                                  const WorkCheckpoint& checkpoint = {});

// The instruction texts, each ended by CR LF (the last one too); empty
// when no instruction was decoded.
AnsiText JoinInstructionLines(const std::vector<DecodedInstruction>& instructions);

// DecodeInstructions followed by JoinInstructionLines, without checkpoints.
AnsiText DisassembleToText(std::span<const std::uint8_t> bytes, std::uint64_t runtimeAddress, CodeMode mode);

// The runtime address written in a row's address cell (hexadecimal digits,
// at most 16); 0 for "No VA" or any other text.
std::uint64_t RuntimeAddressFromCell(std::string_view cell);

}  // namespace varomby
