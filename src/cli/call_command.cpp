#include "cli/call_command.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cerrno>
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

// Maps the image, finds the export and calls it; prints EAX on success.
int LoadAndCall(const std::vector<std::uint8_t>& image, const std::string& path, const std::string& exportName,
                const CodeRunner::Arguments& callArguments, std::FILE* out, std::FILE* err) {
  const auto machine = CreateMachine32();
  if (!machine) return Fail(err, "no 32-bit machine is available on this host");
  MemoryModule module(*machine);
  if (!module.Load(image)) return Fail(err, path + ": the image does not load");
  const std::uint32_t address = module.GetProc(exportName);
  if (address == 0) return Fail(err, exportName + ": no such export");
  std::fprintf(out, "%08X\n", machine->Call(address, callArguments));
  return 0;
}

// Runs `work` in a child process: the image's code runs on an emulator that
// ends the whole process on some invalid instructions, and a hostile DLL
// must not take the command down with it. The child writes its own output.
template <typename Work>
int RunIsolated(std::FILE* out, std::FILE* err, const std::string& path, Work work) {
  std::fflush(out);
  std::fflush(err);
  const pid_t child = ::fork();
  if (child < 0) return work(err);  // no process to spare: run it here
  if (child == 0) {
    // The emulator's own dying words go nowhere; ours keep their stream.
    std::FILE* childErr = err;
    const int errCopy = ::dup(::fileno(err));
    if (errCopy >= 0 && (childErr = ::fdopen(errCopy, "w")) == nullptr) childErr = err;
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (childErr != err && devNull >= 0) ::dup2(devNull, STDERR_FILENO);
    const int status = work(childErr);
    std::fflush(out);
    std::fflush(childErr);
    ::_exit(status);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return Fail(err, "lost the process that ran the image");
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return Fail(err, path + ": the image's code ended the emulator (signal " + std::to_string(WTERMSIG(status)) + ")");
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
  const std::string exportName(args[1]);
  return RunIsolated(out, err, path, [&](std::FILE* childErr) {
    return LoadAndCall(*image, path, exportName, callArguments, out, childErr);
  });
}

}  // namespace varomby::cli
