#pragma once
// `varomby-cli [options] FILE1 FILE2`: the window's comparison on the
// command line.
#include <cstdio>
#include <span>
#include <string_view>

namespace varomby::cli {

// Exit statuses of the comparison command.
inline constexpr int kExitIdentical = 0;
inline constexpr int kExitDiffer = 1;
inline constexpr int kExitTrouble = 2;

// Runs the comparison with the arguments after the program name. Rows go
// to `out` (the log's bytes, or JSON Lines with --json), messages to `err`.
int RunCompareCommand(std::span<const std::string_view> args, std::FILE* out, std::FILE* err);

// The usage text shown by --help.
void PrintUsage(std::FILE* stream);

}  // namespace varomby::cli
