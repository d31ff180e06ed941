// `varomby-cli call` on the fixture DLLs, run in process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/call_command.h"

namespace varomby::cli {
namespace {

struct CallOutcome {
  int status;
  std::string out;
  std::string err;
};

std::string Drain(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
  std::fclose(file);
  return text;
}

CallOutcome RunCall(const std::string& dll, std::vector<std::string_view> rest) {
  const std::string path = std::string(VAROMBY_LOADER_FIXTURE_DIR) + "/" + dll;
  rest.insert(rest.begin(), path);
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int status = RunCallCommand(rest, out, err);
  return {status, Drain(out), Drain(err)};
}

TEST(CallCommandTest, CallsExportsAndPrintsEax) {
  const struct {
    std::vector<std::string_view> args;
    const char* printed;
  } cases[] = {
      {{"AddStd", "2", "3"}, "00000005\n"},
      {{"SubCdecl", "3", "10"}, "FFFFFFF9\n"},
      {{"Sum10", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, "00000181\n"},
      {{"1", "0xFFFFFFFF", "-1"}, "FFFFFFFE\n"},  // AddStd by ordinal
      {{"7"}, "C0DE0007\n"},                       // exported by ordinal only
      {{"AddStd"}, "00000000\n"},                  // missing arguments are 0
  };
  for (const auto& c : cases) {
    const CallOutcome outcome = RunCall("arith.dll", c.args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, c.printed) << c.args.front();
    EXPECT_EQ(outcome.err, "");
  }
}

TEST(CallCommandTest, RefusalsExitWithTwoAndOneLine) {
  const struct {
    std::string dll;
    std::vector<std::string_view> args;
    const char* message;
  } cases[] = {
      {"arith.dll", {"Secret"}, "varomby-cli call: Secret: no such export\n"},
      {"arith.dll", {"AddStd", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"},
       "varomby-cli call: at most ten arguments can be passed\n"},
      {"arith.dll", {"AddStd", "0x1G"}, "varomby-cli call: not a 32-bit number: 0x1G\n"},
      {"arith.dll", {"AddStd", "4294967296"}, "varomby-cli call: not a 32-bit number: 4294967296\n"},
      {"refuse.dll", {"Unreachable"}, nullptr},  // refuses to attach
      {"fixture.dll", {"AddStd"}, nullptr},      // needs a host library the command does not offer
      {"missing.dll", {"AddStd"}, nullptr},
      {"crash.dll", {"FarCallThroughRegister"}, nullptr},  // code that ends the emulator's process
  };
  for (const auto& c : cases) {
    const CallOutcome outcome = RunCall(c.dll, c.args);
    EXPECT_EQ(outcome.status, 2) << c.dll;
    EXPECT_EQ(outcome.out, "");
    if (c.message != nullptr) {
      EXPECT_EQ(outcome.err, c.message);
    } else {
      EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    }
  }
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const std::vector<std::string_view> onlyDll = {"arith.dll"};
  EXPECT_EQ(RunCallCommand(onlyDll, out, err), 2);
  EXPECT_EQ(Drain(out), "");
  EXPECT_NE(Drain(err), "");
}

TEST(CallCommandTest, ArgumentTexts) {
  const struct {
    const char* text;
    std::optional<std::uint32_t> value;
  } cases[] = {{"0", 0u},           {"4294967295", 0xFFFFFFFFu}, {"-1", 0xFFFFFFFFu}, {"-2147483648", 0x80000000u},
               {"0x0", 0u},         {"0XfF", 0xFFu},             {"0xFFFFFFFF", 0xFFFFFFFFu},
               {"-2147483649", {}}, {"0x100000000", {}},         {"", {}},           {"0x", {}},
               {"+1", {}},          {"1 ", {}},                  {"12a", {}},        {"--1", {}}};
  for (const auto& c : cases) EXPECT_EQ(ParseCallArgument(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace varomby::cli
