// varomby-cli: the command-line front end. The first argument may name a
// subcommand; anything else is the comparison.
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "cli/call_command.h"
#include "cli/compare_command.h"

namespace {

using CommandFunction = int (*)(std::span<const std::string_view> args, std::FILE* out, std::FILE* err);

struct Subcommand {
  std::string_view name;
  CommandFunction run;
};

// Subcommands chosen by the first argument; each gets the arguments after
// its name. Add one as a line {"name", RunNameCommand}.
std::span<const Subcommand> Subcommands() {
  static const std::vector<Subcommand> subcommands = {
      {"call", varomby::cli::RunCallCommand},
  };
  return subcommands;
}

// A large output buffer: rows are written in big blocks, not line by line.
constexpr std::size_t kOutputBufferSize = 1 << 20;

}  // namespace

int main(int argc, char** argv) {
  static std::vector<char> outputBuffer(kOutputBufferSize);
  std::setvbuf(stdout, outputBuffer.data(), _IOFBF, outputBuffer.size());

  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::span<const std::string_view> rest(args);
  CommandFunction command = varomby::cli::RunCompareCommand;
  for (const Subcommand& subcommand : Subcommands()) {
    if (!rest.empty() && rest.front() == subcommand.name) {
      command = subcommand.run;
      rest = rest.subspan(1);
      break;
    }
  }
  const int status = command(rest, stdout, stderr);
  if (std::fflush(stdout) != 0) return varomby::cli::kExitTrouble;
  return status;
}
