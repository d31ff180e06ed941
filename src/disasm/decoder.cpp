#include "disasm/decoder.h"

#include <Zydis/Zydis.h>

#include <array>
#include <cstring>
#include <optional>
#include <string_view>

namespace varomby {
namespace {

// Instructions decoded between two checkpoints.
constexpr std::size_t kInstructionsPerCheckpoint = 4096;
constexpr std::size_t kTextCapacity = 256;

ZydisMachineMode MachineMode(CodeMode mode) {
  return mode == CodeMode::Bits64 ? ZYDIS_MACHINE_MODE_LONG_64 : ZYDIS_MACHINE_MODE_LEGACY_32;
}

ZydisStackWidth StackWidth(CodeMode mode) {
  return mode == CodeMode::Bits64 ? ZYDIS_STACK_WIDTH_64 : ZYDIS_STACK_WIDTH_32;
}

// An address as upper-case hexadecimal with an "h" suffix and a leading 0
// before a letter, e.g. "401000h", "0FFFFFFFEh".
std::string_view MasmHex(std::uint64_t value, std::array<char, 20>& out) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::size_t start = out.size();
  out[--start] = 'h';
  do {
    out[--start] = kDigits[value % 16];
    value /= 16;
  } while (value != 0);
  if (out[start] > '9') out[--start] = '0';
  return std::string_view(out.data() + start, out.size() - start);
}

// Absolute addresses of branch targets and memory operands. Targets of
// 32-bit code wrap at 4 GiB, as the CPU computes them ("jmp $-2" at 0 goes
// to 0FFFFFFFEh), where the library would carry them into 64 bits.
ZyanStatus PrintAbsoluteAddress(const ZydisFormatter*, ZydisFormatterBuffer* buffer, ZydisFormatterContext* context) {
  ZyanU64 address = 0;
  ZYAN_CHECK(ZydisCalcAbsoluteAddress(context->instruction, context->operand, context->runtime_address, &address));
  if (context->instruction->machine_mode != ZYDIS_MACHINE_MODE_LONG_64) address &= 0xFFFFFFFFu;
  std::array<char, 20> digits;
  const std::string_view text = MasmHex(address, digits);
  ZYAN_CHECK(ZydisFormatterBufferAppend(buffer, ZYDIS_TOKEN_ADDRESS_ABS));
  ZyanString* string = nullptr;
  ZYAN_CHECK(ZydisFormatterBufferGetString(buffer, &string));
  ZyanStringView view;
  ZYAN_CHECK(ZyanStringViewInsideBufferEx(&view, text.data(), text.size()));
  return ZyanStringAppend(string, &view);
}

// MASM-like Intel text: lower case, "dword ptr [ebp-4h]", hexadecimal
// numbers with an "h" suffix and a leading 0 before a letter, immediates
// unsigned, displacements signed. The MASM style prints branch targets
// relative to "$"; the plain Intel routine for the instruction and our own
// for absolute addresses are used instead so that targets come out absolute.
void ConfigureFormatter(ZydisFormatter& formatter) {
  ZydisFormatterInit(&formatter, ZYDIS_FORMATTER_STYLE_INTEL_MASM);
  ZydisFormatter intel;
  ZydisFormatterInit(&intel, ZYDIS_FORMATTER_STYLE_INTEL);
  const void* formatInstruction = reinterpret_cast<const void*>(intel.func_format_instruction);
  ZydisFormatterSetHook(&formatter, ZYDIS_FORMATTER_FUNC_FORMAT_INSTRUCTION, &formatInstruction);
  const void* printAbsolute = reinterpret_cast<const void*>(&PrintAbsoluteAddress);
  ZydisFormatterSetHook(&formatter, ZYDIS_FORMATTER_FUNC_PRINT_ADDRESS_ABS, &printAbsolute);
  ZydisFormatterSetProperty(&formatter, ZYDIS_FORMATTER_PROP_IMM_SIGNEDNESS, ZYDIS_SIGNEDNESS_UNSIGNED);
  ZydisFormatterSetProperty(&formatter, ZYDIS_FORMATTER_PROP_HEX_FORCE_LEADING_NUMBER, ZYAN_TRUE);
  ZydisFormatterSetProperty(&formatter, ZYDIS_FORMATTER_PROP_UPPERCASE_MNEMONIC, ZYAN_FALSE);
  ZydisFormatterSetProperty(&formatter, ZYDIS_FORMATTER_PROP_UPPERCASE_REGISTERS, ZYAN_FALSE);
}

// Leading and trailing blanks removed: the ASCII space and the double-byte
// space A1 A1 of code page 936; tabs and inner blanks stay.
std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kWideSpace = "\xA1\xA1";
  for (;;) {
    if (text.starts_with(' ')) {
      text.remove_prefix(1);
    } else if (text.starts_with(kWideSpace)) {
      text.remove_prefix(kWideSpace.size());
    } else if (text.ends_with(' ')) {
      text.remove_suffix(1);
    } else if (text.ends_with(kWideSpace)) {
      text.remove_suffix(kWideSpace.size());
    } else {
      return text;
    }
  }
}

}  // namespace

struct InstructionDecoder::State {
  ZydisDecoder decoder;
  ZydisFormatter formatter;
};

InstructionDecoder::InstructionDecoder(CodeMode mode) : state_(std::make_unique<State>()) {
  ZydisDecoderInit(&state_->decoder, MachineMode(mode), StackWidth(mode));
  ConfigureFormatter(state_->formatter);
}

InstructionDecoder::~InstructionDecoder() = default;
InstructionDecoder::InstructionDecoder(InstructionDecoder&&) noexcept = default;
InstructionDecoder& InstructionDecoder::operator=(InstructionDecoder&&) noexcept = default;

int InstructionDecoder::Decode(std::span<const std::uint8_t> bytes, std::uint64_t runtimeAddress,
                               DecodedInstruction& out) const {
  if (bytes.empty()) return kDecodeStoppedAtLimit;
  ZydisDecodedInstruction instruction;
  std::array<ZydisDecodedOperand, ZYDIS_MAX_OPERAND_COUNT> operands;
  const ZyanStatus decoded =
      ZydisDecoderDecodeFull(&state_->decoder, bytes.data(), bytes.size(), &instruction, operands.data());
  if (decoded == ZYDIS_STATUS_NO_MORE_DATA) return kDecodeStoppedAtLimit;
  if (!ZYAN_SUCCESS(decoded)) return kDecodeNoInstruction;

  std::array<char, kTextCapacity> text;
  if (!ZYAN_SUCCESS(ZydisFormatterFormatInstruction(&state_->formatter, &instruction, operands.data(),
                                                    instruction.operand_count_visible, text.data(), text.size(),
                                                    runtimeAddress, nullptr))) {
    return kDecodeNoInstruction;
  }
  out.address = runtimeAddress;
  out.length = instruction.length;
  out.bytes.assign(bytes.begin(), bytes.begin() + instruction.length);
  out.text.assign(TrimBlanks(std::string_view(text.data())));
  return instruction.length;
}

std::optional<std::vector<DecodedInstruction>> DecodeInstructions(std::span<const std::uint8_t> bytes,
                                                                  std::uint64_t runtimeAddress, CodeMode mode,
                                                                  const WorkCheckpoint& checkpoint) {
  std::vector<DecodedInstruction> instructions;
  if (bytes.empty()) return instructions;  // no first byte to read
  const InstructionDecoder decoder(mode);
  std::size_t offset = 0;
  while (offset < bytes.size()) {
    DecodedInstruction instruction;
    const int length = decoder.Decode(bytes.subspan(offset), runtimeAddress + offset, instruction);
    if (length <= 0) break;
    instructions.push_back(std::move(instruction));
    offset += static_cast<std::size_t>(length);
    if (checkpoint && instructions.size() % kInstructionsPerCheckpoint == 0 && !checkpoint()) return std::nullopt;
  }
  return instructions;
}

AnsiText JoinInstructionLines(const std::vector<DecodedInstruction>& instructions) {
  std::size_t size = 0;
  for (const auto& instruction : instructions) size += instruction.text.size() + 2;
  AnsiText text;
  text.reserve(size);
  for (const auto& instruction : instructions) {
    text += instruction.text;
    text += "\r\n";
  }
  return text;
}

AnsiText DisassembleToText(std::span<const std::uint8_t> bytes, std::uint64_t runtimeAddress, CodeMode mode) {
  return JoinInstructionLines(*DecodeInstructions(bytes, runtimeAddress, mode));
}

std::uint64_t RuntimeAddressFromCell(std::string_view cell) {
  constexpr std::size_t kMaxDigits = 16;
  if (cell.empty() || cell.size() > kMaxDigits) return 0;
  std::uint64_t address = 0;
  for (const char c : cell) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit < 0) return 0;
    address = address * 16 + static_cast<std::uint64_t>(digit);
  }
  return address;
}

}  // namespace varomby
