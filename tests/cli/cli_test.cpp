#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/compare_command.h"
#include "cli/json_writer.h"
#include "cli/staged_output.h"
#include "compare/run_comparison.h"
#include "export/export_handlers.h"
#include "pe/pe_header_state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace varomby::cli {
namespace {

using varomby::testing::TempDir;

struct CommandResult {
  int status;
  std::string out;
  std::string err;
};

std::string Drain(std::FILE* stream) {
  std::rewind(stream);
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, n);
  std::fclose(stream);
  return text;
}

CommandResult RunCli(const std::vector<std::string>& args) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int status = RunCompareCommand(views, out, err);
  return {status, Drain(out), Drain(err)};
}

// What the window's log export writes after comparing the two files.
std::string WindowLog(const std::string& first, const std::string& second, const TempDir& dir) {
  varomby::testing::FakeUi ui;
  PeHeaderState peState;
  ui.SetText(Control::PathBox1, first);
  ui.SetText(Control::PathBox2, second);
  RunComparison(ui, peState);
  const std::string log = (dir.path() / "window.log").string();
  ui.AnswerDialogWith(log);
  ExportLog(ui);
  return varomby::testing::ReadWholeFile(log);
}

TEST(CliTest, PrintsExactlyTheWindowsLogBytes) {
  TempDir dir;
  std::string pe(300, '\0');
  pe[60] = 64;
  pe.replace(64, 4, std::string("PE\0\0", 4));
  std::string changedPe = pe;
  changedPe.replace(100, 5, "a\"\t\r\n");
  changedPe.replace(299, 1, "\xC4");
  const struct {
    const char* name;
    std::string first;
    std::string second;
  } cases[] = {
      {"text", "ABCD", "AXCY"},
      {"control bytes and CP936", std::string("\x01\0\xC4\xE3 x\"y", 8), std::string("\x02\x03\xBA\xC3 z\ty", 8)},
      {"pe", pe, changedPe},
  };
  for (const auto& c : cases) {
    const std::string first = dir.Write("first", c.first);
    const std::string second = dir.Write("second", c.second);
    const CommandResult result = RunCli({first, second});
    EXPECT_EQ(result.status, kExitDiffer) << c.name;
    EXPECT_EQ(result.out, WindowLog(first, second, dir)) << c.name;
    EXPECT_FALSE(result.out.empty()) << c.name;
    EXPECT_EQ(result.err, "") << c.name;
  }
}

TEST(CliTest, ExitStatusAndMessages) {
  TempDir dir;
  const std::string abcd = dir.Write("abcd", "ABCD");
  const std::string axcy = dir.Write("axcy", "AXCY");
  const std::string longer = dir.Write("longer", "ABCDE");
  const std::string missing = (dir.path() / "missing").string();
  const struct {
    std::vector<std::string> args;
    int status;
    bool anyOutput;
    std::string errStart;
  } cases[] = {
      {{abcd, abcd}, kExitIdentical, false, ""},
      {{abcd, axcy}, kExitDiffer, true, ""},
      {{"-s", abcd, axcy}, kExitDiffer, false, ""},
      {{"--quiet", abcd, abcd}, kExitIdentical, false, ""},
      {{abcd, longer}, kExitTrouble, false, "varomby-cli: the files differ in length"},
      {{longer, abcd}, kExitTrouble, false, "varomby-cli: the files differ in length"},
      {{missing, abcd}, kExitTrouble, false, "varomby-cli: cannot open file: " + missing},
      {{abcd, missing}, kExitTrouble, false, "varomby-cli: cannot open file: " + missing},
      {{"-s", abcd, missing}, kExitTrouble, false, "varomby-cli: cannot open file: " + missing},
      {{abcd}, kExitTrouble, false, "varomby-cli: expected two files"},
      {{"--nope", abcd, axcy}, kExitTrouble, false, "varomby-cli: unknown option"},
      {{"--", "-s", abcd}, kExitTrouble, false, "varomby-cli: cannot open file: -s"},
      {{"--help"}, kExitIdentical, true, ""},
      {{"--version"}, kExitIdentical, true, ""},
  };
  for (const auto& c : cases) {
    const CommandResult result = RunCli(c.args);
    const std::string name = c.args.front() + " " + c.args.back();
    EXPECT_EQ(result.status, c.status) << name;
    EXPECT_EQ(!result.out.empty(), c.anyOutput) << name;
    EXPECT_EQ(result.err.rfind(c.errStart, 0), 0u) << name << ": " << result.err;
    if (!c.errStart.empty()) {
      EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << name;
    }
  }
}

TEST(CliTest, JsonLinesCarryNumbersCellsAndDecodedText) {
  TempDir dir;
  const std::string first = dir.Write("first", std::string("==\xC4\xE3\x01\"\\==\x81", 10));
  const std::string second = dir.Write("second", std::string("==\xBA\xC3\n\tA==\xFF", 10));
  const CommandResult result = RunCli({"--json", first, second});
  EXPECT_EQ(result.status, kExitDiffer);
  EXPECT_EQ(result.out,
            "{\"offset\":2,\"length\":5,\"position\":\"00000003\",\"address\":\"No PE\","
            "\"hex1\":\"C4E301225C\",\"hex2\":\"BAC30A0941\","
            "\"text1\":\"\xE4\xBD\xA0\\u0001\\\"\\\\\",\"text2\":\"\xE5\xA5\xBD\\n\\tA\"}\n"
            "{\"offset\":9,\"length\":1,\"position\":\"0000000A\",\"address\":\"No PE\","
            "\"hex1\":\"81\",\"hex2\":\"FF\",\"text1\":\"\xEF\xBF\xBD\",\"text2\":\"\xEF\xBF\xBD\"}\n");
}

TEST(Cp936DecoderTest, ReplacesEachUndecodableByte) {
  Cp936Decoder decoder;
  const struct {
    std::string ansi;
    std::string utf8;
  } cases[] = {
      {"plain", "plain"},
      {"\xC4\xE3\xBA\xC3", "\xE4\xBD\xA0\xE5\xA5\xBD"},       // 你好
      {"\xC4", "\xEF\xBF\xBD"},                                // a lead byte at the end
      {"\xFF" "A", "\xEF\xBF\xBD" "A"},                       // never a lead byte
      {"\xC4\xE3\xC4", "\xE4\xBD\xA0\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) {
    std::string out;
    decoder.AppendUtf8(c.ansi, out);
    EXPECT_EQ(out, c.utf8);
  }
}

TEST(CliProgramTest, TroubleLeavesStandardOutputEmpty) {
  TempDir dir;
  const std::string a = dir.Write("a", "ABCD");
  const std::string b = dir.Write("b", "ABC");
  const std::string out = (dir.path() / "out").string();
  const std::string command = std::string("'") + VAROMBY_CLI_PATH + "' '" + a + "' '" + b + "' >'" + out + "' 2>/dev/null";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), kExitTrouble);
  EXPECT_EQ(varomby::testing::ReadWholeFile(out), "");
}

constexpr const char* kRowPieces[] = {"00000001\t", "No PE\t", "\"41\"\r\n"};
constexpr const char* kRows = "00000001\tNo PE\t\"41\"\r\n";

void WriteRows(StagedOutput& staged) {
  for (const char* piece : kRowPieces) staged.Write(piece, std::string(piece).size());
}

TEST(StagedOutputTest, IntoAFileRowsAreCutBackWhenDiscarded) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  std::fputs("earlier\n", out);  // as with >>: what was there stays
  {
    StagedOutput failed(out);
    WriteRows(failed);
  }  // not committed
  StagedOutput succeeded(out);
  WriteRows(succeeded);
  ASSERT_TRUE(succeeded.Commit());
  EXPECT_EQ(Drain(out), std::string("earlier\n") + kRows);
}

TEST(StagedOutputTest, IntoAPipeRowsArriveOnlyOnCommitWhetherHeldInMemoryOrSpilled) {
  for (const std::size_t limit : {std::size_t{1} << 20, std::size_t{4}}) {
    SCOPED_TRACE(limit);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::FILE* out = ::fdopen(ends[1], "w");
    {
      StagedOutput failed(out, limit);
      WriteRows(failed);
    }
    StagedOutput succeeded(out, limit);
    WriteRows(succeeded);
    ASSERT_TRUE(succeeded.Commit());
    std::fclose(out);
    EXPECT_EQ(Drain(::fdopen(ends[0], "r")), kRows);
  }
}

}  // namespace
}  // namespace varomby::cli
