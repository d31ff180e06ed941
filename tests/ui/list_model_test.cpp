// The result list's row store, the dialog set-up and the message box.
#include <QFileDialog>
#include <QMessageBox>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "common/texts.h"
#include "ui/qt/ansi_text_qt.h"
#include "ui/qt/dialogs_qt.h"
#include "ui/qt/result_list_model.h"

namespace varomby::qt {
namespace {

TEST(ResultListModel, CellsKeepTheirBytesAndDrawDecoded) {
  ResultListModel model;
  const std::int64_t row = model.AppendRow();
  ASSERT_EQ(row, 0);
  struct Case {
    AnsiText bytes;
    QString drawn;
  };
  const Case cases[] = {
      {"\xC4\xE3\xBA\xC3", QStringLiteral("你好")},
      {"a\tb\r\n\"|", QStringLiteral("a·b··\"|")},
      {"\x80\xFF", DecodeAnsi("\x80\xFF")},  // odd bytes: stored as they came
      {"", QString()},
  };
  model.Publish();
  for (const Case& c : cases) {
    model.SetCell(row, 4, c.bytes);
    EXPECT_EQ(model.Cell(row, 4), c.bytes);
    EXPECT_EQ(model.index(0, 4).data().toString(), c.drawn);
  }
  // Resetting one cell leaves its neighbours alone.
  model.SetCell(row, 3, "33");
  model.SetCell(row, 5, "55");
  model.SetCell(row, 4, "a much longer text than before");
  model.SetCell(row, 4, "4");
  EXPECT_EQ(model.Cell(row, 3), "33");
  EXPECT_EQ(model.Cell(row, 4), "4");
  EXPECT_EQ(model.Cell(row, 5), "55");

  for (auto [r, c] : {std::pair<std::int64_t, int>{-1, 0}, {1, 0}, {0, 6}, {0, -1}}) {
    model.SetCell(r, c, "x");
    EXPECT_EQ(model.Cell(r, c), "");
  }
}

TEST(ResultListModel, AppendedRowsReadAtOnceAndReachViewsInOneBatch) {
  ResultListModel model;
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy pending(&model, &ResultListModel::rowsPending);
  for (int i = 0; i < 1000; ++i) model.SetCell(model.AppendRow(), 0, std::to_string(i));
  EXPECT_EQ(model.StoredRowCount(), 1000);
  EXPECT_EQ(model.Cell(999, 0), "999");
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(pending.count(), 1);

  model.Publish();
  EXPECT_EQ(model.rowCount(), 1000);
  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted[0][1].toInt(), 0);
  EXPECT_EQ(inserted[0][2].toInt(), 999);

  model.Clear();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.StoredRowCount(), 0);
  EXPECT_EQ(model.Cell(0, 0), "");
}

TEST(FileDialogSetUp, FiltersBecomeQtNameFilters) {
  struct Case {
    AnsiText filter;
    QStringList expected;
  };
  const Case cases[] = {
      {texts::kFilterAllFiles, {QStringLiteral("所有文件(*.*) (*)")}},
      {texts::kFilterLog, {QStringLiteral("日志文件(*.txt) (*.txt)")}},
      {"Exe|*.exe;*.dll|All|*.*", {QStringLiteral("Exe (*.exe *.dll)"), QStringLiteral("All (*)")}},
      {"", {QStringLiteral("(*)")}},
      {"odd|", {QStringLiteral("(*)")}},
  };
  for (const Case& c : cases) EXPECT_EQ(ToQtNameFilters(c.filter), c.expected);
}

TEST(FileDialogSetUp, TheDialogFollowsTheSharedState) {
  QFileDialog save;
  const std::string folder = QDir::tempPath().toStdString();
  ConfigureFileDialog(save, {FileDialogKind::Save, texts::kDialogTitleSave, texts::kFilterLog, "txt", folder + "/run.log"});
  EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
  EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_EQ(save.windowTitle(), QStringLiteral("请选择保存路径："));
  EXPECT_EQ(save.defaultSuffix(), QStringLiteral("txt"));
  EXPECT_EQ(save.directory().absolutePath(), QDir(QDir::tempPath()).absolutePath());

  QFileDialog open;
  ConfigureFileDialog(open, FileDialogState{});
  EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
  EXPECT_TRUE(open.defaultSuffix().isEmpty());
}

TEST(MessageBoxSetUp, OkOnlyWithTheRequestedIcon) {
  for (MessageIcon icon : {MessageIcon::None, MessageIcon::Error}) {
    QMessageBox box;
    ConfigureMessageBox(box, {QStringLiteral("text"), QStringLiteral("信息："), icon});
    EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box.icon(), icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon);
    EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("信息："));
  }
}

}  // namespace
}  // namespace varomby::qt
