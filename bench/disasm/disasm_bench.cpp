// Decoding 1 MiB of real x86-64 code (from the .text section of the C
// library, read at run time) to text: our decoder against a bare Zydis
// decode-and-format loop over the same bytes; both loops stop at the first
// byte that is no instruction, like the decode loop of the window. Also
// the conversion of a 1 MiB byte text back into bytes.
#include <Zydis/Zydis.h>
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "common/byte_reader.h"
#include "disasm/decoder.h"

namespace {

constexpr std::size_t kRunSize = 1 << 20;
constexpr const char* kCodeFile = "/usr/lib/x86_64-linux-gnu/libc.so.6";

std::optional<varomby::ByteBuffer> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return varomby::ByteBuffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes of the ELF64 section named ".text", if any.
std::optional<varomby::ByteBuffer> TextSection(const varomby::ByteBuffer& file) {
  const varomby::ByteReader elf(file);
  const auto sectionTable = elf.Read<std::uint64_t>(0x28);
  const auto entrySize = elf.Read<std::uint16_t>(0x3A);
  const auto count = elf.Read<std::uint16_t>(0x3C);
  const auto namesIndex = elf.Read<std::uint16_t>(0x3E);
  if (!sectionTable || !entrySize || !count || !namesIndex) return std::nullopt;
  const auto entry = [&](std::uint64_t index) { return *sectionTable + index * *entrySize; };
  const auto namesOffset = elf.Read<std::uint64_t>(entry(*namesIndex) + 0x18);
  if (!namesOffset) return std::nullopt;
  for (std::uint16_t i = 0; i < *count; ++i) {
    const auto nameOffset = elf.Read<std::uint32_t>(entry(i));
    const auto offset = elf.Read<std::uint64_t>(entry(i) + 0x18);
    const auto size = elf.Read<std::uint64_t>(entry(i) + 0x20);
    if (!nameOffset || !offset || !size) return std::nullopt;
    const auto name = elf.CString(*namesOffset + *nameOffset, 64);
    if (name && *name == ".text") {
      const auto bytes = elf.Bytes(*offset, *size);
      if (!bytes) return std::nullopt;
      return varomby::ByteBuffer(bytes->begin(), bytes->end());
    }
  }
  return std::nullopt;
}

// 1 MiB of code, or nothing when the library or its .text is missing.
const std::optional<varomby::ByteBuffer>& CodeRun() {
  static const std::optional<varomby::ByteBuffer> run = []() -> std::optional<varomby::ByteBuffer> {
    const auto file = ReadFile(kCodeFile);
    if (!file) return std::nullopt;
    auto text = TextSection(*file);
    if (!text || text->size() < kRunSize) return std::nullopt;
    text->resize(kRunSize);
    return text;
  }();
  return run;
}

void BM_OurDisassembleToText(benchmark::State& state) {
  const auto& code = CodeRun();
  if (!code) {
    state.SkipWithError("no .text of 1 MiB in the C library");
    return;
  }
  std::size_t decoded = 0;
  for (auto _ : state) {
    const auto instructions = varomby::DecodeInstructions(*code, 0x100000, varomby::CodeMode::Bits64);
    const varomby::AnsiText text = varomby::JoinInstructionLines(*instructions);
    benchmark::DoNotOptimize(text.data());
    decoded = 0;
    for (const auto& instruction : *instructions) decoded += instruction.length;
  }
  state.counters["decoded_bytes"] = static_cast<double>(decoded);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * decoded));
}

void BM_BareZydisDecodeAndFormat(benchmark::State& state) {
  const auto& code = CodeRun();
  if (!code) {
    state.SkipWithError("no .text of 1 MiB in the C library");
    return;
  }
  ZydisDecoder decoder;
  ZydisDecoderInit(&decoder, ZYDIS_MACHINE_MODE_LONG_64, ZYDIS_STACK_WIDTH_64);
  ZydisFormatter formatter;
  ZydisFormatterInit(&formatter, ZYDIS_FORMATTER_STYLE_INTEL_MASM);
  std::size_t decoded = 0;
  for (auto _ : state) {
    ZydisDecodedInstruction instruction;
    std::array<ZydisDecodedOperand, ZYDIS_MAX_OPERAND_COUNT> operands;
    std::array<char, 256> text;
    std::size_t offset = 0;
    while (offset < code->size() &&
           ZYAN_SUCCESS(ZydisDecoderDecodeFull(&decoder, code->data() + offset, code->size() - offset, &instruction,
                                               operands.data()))) {
      ZydisFormatterFormatInstruction(&formatter, &instruction, operands.data(), instruction.operand_count_visible,
                                      text.data(), text.size(), 0x100000 + offset, nullptr);
      benchmark::DoNotOptimize(text.data());
      offset += instruction.length;
    }
    decoded = offset;
  }
  state.counters["decoded_bytes"] = static_cast<double>(decoded);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * decoded));
}

// A row's byte text of 1 MiB back into bytes.
void BM_HexTextToBytes(benchmark::State& state) {
  std::string text;
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < kRunSize; ++i) {
    text += kDigits[(i * 7) % 16];
    text += kDigits[(i * 13) % 16];
  }
  const varomby::WorkCheckpoint checkpoint = [] { return true; };
  for (auto _ : state) {
    const auto bytes = varomby::HexTextToBytes(text, checkpoint);
    benchmark::DoNotOptimize(bytes->data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kRunSize));
}

BENCHMARK(BM_OurDisassembleToText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareZydisDecodeAndFormat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HexTextToBytes)->Unit(benchmark::kMillisecond);

}  // namespace
