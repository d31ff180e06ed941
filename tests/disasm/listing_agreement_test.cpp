// The window and the command line show the same listing for each row: the
// comparison runs through the window's handlers (in-memory UI) and through
// `varomby-cli --json --disasm` over the same two files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/compare_command.h"
#include "compare/run_comparison.h"
#include "disasm/disassembly_view.h"
#include "pe/pe_header_state.h"
#include "pe/test_image.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace varomby {
namespace {

using testing::FakeUi;
using testing::TempDir;
using testing::TestImage;

constexpr std::size_t kCodeOffset = 0x400;  // raw data of the first section, at RVA 0x1000

struct Pair {
  std::string first;
  std::string second;
};

// Two images whose code bytes at the start of the first section differ in
// every position, so they make one row (two plain files when `pe` is false).
Pair WriteFiles(const TempDir& dir, bool pe, bool pe32Plus, const ByteBuffer& code1, const ByteBuffer& code2) {
  TestImage image;
  image.pe32Plus = pe32Plus;
  image.imageBase = pe32Plus ? 0x140000000 : 0x400000;
  ByteBuffer first = image.Bytes();
  if (!pe) first[static_cast<std::size_t>(image.lfanew)] = 'X';  // no PE signature
  ByteBuffer second = first;
  std::copy(code1.begin(), code1.end(), first.begin() + kCodeOffset);
  std::copy(code2.begin(), code2.end(), second.begin() + kCodeOffset);
  return {dir.Write("first.bin", first), dir.Write("second.bin", second)};
}

// The "asm1"/"asm2" JSON members for the lines of a box text.
std::string JsonLines(const std::string& key, const AnsiText& box) {
  std::string json = "\"" + key + "\":[";
  std::size_t start = 0;
  for (std::size_t end; (end = box.find("\r\n", start)) != AnsiText::npos; start = end + 2) {
    json += (start == 0 ? "\"" : ",\"") + box.substr(start, end - start) + "\"";
  }
  return json + "]";
}

std::string CliJson(const Pair& files) {
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

class ListingAgreementTest : public ::testing::TestWithParam<AgreementCase> {};

TEST_P(ListingAgreementTest, CommandLineListsWhatTheWindowShows) {
  const AgreementCase& c = GetParam();
  TempDir dir;
  const Pair files = WriteFiles(dir, c.pe, c.pe32Plus, c.code1, c.code2);

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
