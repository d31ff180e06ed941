#include "cli/call_command.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "memmodule/machine/create_machine.h"
#include "memmodule/memory_module.h"

namespace varomby::cli {
namespace {

constexpr int kExitCallFailed = 2;
constexpr std::size_t kMaxArguments = CodeRunner::kArgumentCount;

int Fail(std::FILE* err, const std::string& message) {
  std::fprintf(err, "varomby-cli call: %s\n", message.c_str());
  return kExitCallFailed;
}

std::optional<std::uint64_t> ParseDigits(std::string_view digits, int base) {
  std::uint64_t value = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
  if (digits.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<std::uint32_t> ParseCallArgument(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) {
    const auto value = ParseDigits(text.substr(2), 16);
    if (!value || *value > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
  }
  const bool negative = text.starts_with('-');
  const auto value = ParseDigits(negative ? text.substr(1) : text, 10);
  if (!value) return std::nullopt;
  if (!negative) {
    if (*value > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
  }
  if (*value > std::uint64_t{1} << 31) return std::nullopt;
  return static_cast<std::uint32_t>(0 - *value);
}

int RunCallCommand(std::span<const std::string_view> args, std::FILE* out, std::FILE* err) {
  if (args.size() < 2) return Fail(err, "usage: varomby-cli call DLL EXPORT [ARG ...] (at most ten arguments)");
  if (args.size() > 2 + kMaxArguments) return Fail(err, "at most ten arguments can be passed");
  CodeRunner::Arguments callArguments{};
  for (std::size_t i = 2; i < args.size(); ++i) {
    const auto value = ParseCallArgument(args[i]);
    if (!value) return Fail(err, "not a 32-bit number: " + std::string(args[i]));
    callArguments[i - 2] = *value;
  }
  const std::string path(args[0]);
  const auto image = ReadWholeFile(path);
  if (!image) return Fail(err, path + ": cannot read the file");
  const auto machine = CreateMachine32();
  if (!machine) return Fail(err, "no 32-bit machine is available on this host");
  MemoryModule module(*machine);
  if (!module.Load(*image)) return Fail(err, path + ": the image does not load");
  const std::string exportName(args[1]);
  const std::uint32_t address = module.GetProc(exportName);
  if (address == 0) return Fail(err, exportName + ": no such export");
  std::fprintf(out, "%08X\n", machine->Call(address, callArguments));
  return 0;
}

}  // namespace varomby::cli
