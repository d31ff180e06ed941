#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "common/output_file.h"
#include "common/texts.h"
#include "export/export_handlers.h"
#include "export/row_texts.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace varomby {
namespace {

using testing::FakeUi;
using testing::ReadWholeFile;
using testing::TempDir;

TEST(RowTextsTest, LogLineQuotesColumnsTwoToFiveAndAnEmptySeventhField) {
  const std::vector<AnsiText> cells = {"00000002", "No PE", "42", "58", "B", "X"};
  AnsiText log;
  AppendLogLine(cells, log);
  EXPECT_EQ(log, "00000002\tNo PE\t\"42\"\t\"58\"\t\"B\"\t\"X\"\t\"\"\r\n");

  // Cell bytes go out unchanged, separators inside them included.
  const std::vector<AnsiText> odd = {"1", "2", "3", "4", "a\"\tb\r\n", "\xC4\xE3|"};
  AnsiText oddLog;
  AppendLogLine(odd, oddLog);
  EXPECT_EQ(oddLog, "1\t2\t\"3\"\t\"4\"\t\"a\"\tb\r\n\"\t\"\xC4\xE3|\"\t\"\"\r\n");
}

TEST(RowTextsTest, ClipboardJoinsCellsWithBars) {
  const std::vector<AnsiText> cells = {"00000002", "No PE", "42", "58", "B", "|"};
  EXPECT_EQ(ClipboardText(cells), "00000002|No PE|42|58|B||");
  EXPECT_EQ(ClipboardText(std::vector<AnsiText>(6)), "|||||");
}

class ExportLogTest : public ::testing::Test {
 protected:
  void AddRow(const std::vector<AnsiText>& cells) {
    const std::int64_t row = ui.ListAppendRow();
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) ui.ListSetCell(row, c, cells[static_cast<std::size_t>(c)]);
  }
  void ExpectSaveDialogSettings() {
    const FileDialogState& dialog = ui.FileDialog();
    EXPECT_EQ(dialog.kind, FileDialogKind::Save);
    EXPECT_EQ(dialog.filter, texts::kFilterLog);
    EXPECT_EQ(dialog.title, texts::kDialogTitleSave);
    EXPECT_EQ(dialog.defaultExtension, texts::kDefaultLogExtension);
  }

  TempDir dir;
  FakeUi ui;
};

TEST_F(ExportLogTest, WritesOneLinePerRow) {
  AddRow({"00000002", "No PE", "42", "58", "B", "X"});
  AddRow({"00000004", "No PE", "44", "59", "D", "Y"});
  const std::string path = (dir.path() / "log.txt").string();
  ui.AnswerDialogWith(path);
  ExportLog(ui);
  ExpectSaveDialogSettings();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ReadWholeFile(path),
            "00000002\tNo PE\t\"42\"\t\"58\"\t\"B\"\t\"X\"\t\"\"\r\n"
            "00000004\tNo PE\t\"44\"\t\"59\"\t\"D\"\t\"Y\"\t\"\"\r\n");

  // A second export replaces the file whole.
  ui.ListClear();
  AddRow({"00000001", "No PE", "00", "01", "", "\x01"});
  ExportLog(ui);
  EXPECT_EQ(ReadWholeFile(path), "00000001\tNo PE\t\"00\"\t\"01\"\t\"\"\t\"\x01\"\t\"\"\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left
}

TEST_F(ExportLogTest, EmptyListShowsTheMessageButStillSetsTheDialog) {
  ui.AnswerDialogWith((dir.path() / "log.txt").string());
  ExportLog(ui);
  ExpectSaveDialogSettings();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, texts::kMsgNoRows);
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(ui.messages[0].title, texts::kTitleInfo);
  EXPECT_EQ(ui.dialogRuns, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "log.txt"));
}

TEST_F(ExportLogTest, CancelWritesNothing) {
  AddRow({"00000002", "No PE", "42", "58", "B", "X"});
  ui.AnswerDialogWith("");
  ExportLog(ui);
  EXPECT_EQ(ui.dialogRuns, 1);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(ExportLogTest, FailedWriteIsReportedAndKeepsTheEarlierFile) {
  AddRow({"00000002", "No PE", "42", "58", "B", "X"});
  const std::string earlier = dir.Write("earlier.txt", "earlier log\r\n");
  const struct {
    const char* name;
    std::string path;
  } cases[] = {
      {"missing folder", (dir.path() / "missing" / "log.txt").string()},
      {"target is a folder", dir.path().string()},
  };
  for (const auto& c : cases) {
    ui.messages.clear();
    ui.AnswerDialogWith(c.path);
    ExportLog(ui);
    ASSERT_EQ(ui.messages.size(), 1u) << c.name;
    EXPECT_EQ(ui.messages[0].text, texts::kMsgLogWriteFailed + c.path) << c.name;
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(ui.messages[0].title, texts::kTitleError);
  }
  EXPECT_EQ(ReadWholeFile(earlier), "earlier log\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left
}

TEST(CopyRowTest, CopiesTheSelectedRowOrBareSeparators) {
  FakeUi ui;
  const std::int64_t row = ui.ListAppendRow();
  const std::vector<AnsiText> cells = {"00000002", "No PE", "42", "58", "B", "X"};
  for (int c = 0; c < 6; ++c) ui.ListSetCell(row, c, cells[static_cast<std::size_t>(c)]);

  CopyRowToClipboard(ui);
  EXPECT_EQ(ui.clipboard, "|||||");  // nothing selected

  ui.Select(row);
  CopyRowToClipboard(ui);
  EXPECT_EQ(ui.clipboard, "00000002|No PE|42|58|B|X");
}

TEST(OutputFileTest, ReplacesWholeOrLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.Write("file", "old content that is long");
  EXPECT_TRUE(WriteFileAtomically(path, "new"));
  EXPECT_EQ(ReadWholeFile(path), "new");
  EXPECT_TRUE(WriteFileAtomically(path, ""));
  EXPECT_EQ(ReadWholeFile(path), "");
  EXPECT_FALSE(WriteFileAtomically("", "x"));
  EXPECT_FALSE(WriteFileAtomically((dir.path() / "no" / "file").string(), "x"));
}

}  // namespace
}  // namespace varomby
