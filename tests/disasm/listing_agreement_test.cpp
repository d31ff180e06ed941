// The window and the command line show the same listing for each row: the
// comparison runs through the window's handlers (in-memory UI) and through
// `varomby-cli --json --disasm` over the same two files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/compare_command.h"
#include "code_files.h"
#include "compare/run_comparison.h"
#include "disasm/disassembly_view.h"
#include "pe/pe_header_state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace varomby {
namespace {

using testing::CodeFiles;
using testing::FakeUi;
using testing::TempDir;

// The "asm1"/"asm2" JSON members for the lines of a box text.
std::string JsonLines(const std::string& key, const AnsiText& box) {
  std::string json = "\"" + key + "\":[";
  std::size_t start = 0;
  for (std::size_t end; (end = box.find("\r\n", start)) != AnsiText::npos; start = end + 2) {
    json += (start == 0 ? "\"" : ",\"") + box.substr(start, end - start) + "\"";
  }
  return json + "]";
}

std::string CliJson(const CodeFiles& files) {
  const std::vector<std::string_view> args = {"--json", "--disasm", files.first, files.second};
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  cli::RunCompareCommand(args, out, err);
  std::rewind(out);
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
  std::fclose(out);
  std::fclose(err);
  return text;
}

struct AgreementCase {
  const char* name;
  bool pe;
  bool pe32Plus;
  ByteBuffer code1;
  ByteBuffer code2;
  AnsiText box1;  // the window's first box after a click on the row
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const AgreementCase& c, std::ostream* os) { *os << c.name; }

class ListingAgreementTest : public ::testing::TestWithParam<AgreementCase> {};

TEST_P(ListingAgreementTest, CommandLineListsWhatTheWindowShows) {
  const AgreementCase& c = GetParam();
  TempDir dir;
  const CodeFiles files = testing::WriteCodeFiles(dir, c.pe, c.pe32Plus, c.code1, c.code2);

  FakeUi ui;
  PeHeaderState peState;
  ui.SetText(Control::PathBox1, files.first);
  ui.SetText(Control::PathBox2, files.second);
  RunComparison(ui, peState);
  ASSERT_EQ(ui.ListRowCount(), 1);
  ui.Select(0);
  ShowRowDisassembly(ui, peState);
  EXPECT_EQ(ui.GetText(Control::DisasmBox1), c.box1);

  const std::string json = CliJson(files);
  EXPECT_NE(json.find(JsonLines("asm1", c.pe ? ui.GetText(Control::DisasmBox1) : "")), std::string::npos) << json;
  EXPECT_NE(json.find(JsonLines("asm2", c.pe ? ui.GetText(Control::DisasmBox2) : "")), std::string::npos) << json;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ListingAgreementTest,
    ::testing::Values(
        AgreementCase{"Pe32", true, false, {0x55, 0xE8, 0xFA, 0x0F, 0x00, 0x00}, {0x90, 0x74, 0xFE, 0x90, 0x90, 0x90},
                      "push ebp\r\ncall 402000h\r\n"},
        AgreementCase{"Pe32Plus", true, true, {0x48, 0x83, 0xEC, 0x28}, {0x90, 0x90, 0x90, 0x90},
                      "sub rsp, 28h\r\n"},
        AgreementCase{"NotPe", false, false, {0x55}, {0x90}, ""}),
    [](const ::testing::TestParamInfo<AgreementCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace varomby
