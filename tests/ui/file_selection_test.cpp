// The file selection and the event table over the in-memory window.
#include <gtest/gtest.h>

#include "common/texts.h"
#include "pe/pe_header_state.h"
#include "support/fake_ui.h"
#include "ui/event_table.h"
#include "ui/file_selection.h"

namespace varomby {
namespace {

using testing::FakeUi;

TEST(PickFileWithDialog, SetsTheOpenDialogAndFillsOnlyItsBox) {
  FakeUi ui;
  ui.FileDialog() = {FileDialogKind::Save, "t", texts::kFilterLog, "txt", "/logs/last.txt"};
  ui.SetText(Control::PathBox2, "other");
  ui.AnswerDialogWith("/data/picked.bin");
  PickFileWithDialog(ui, Control::PathBox1);

  const FileDialogState& dialog = ui.FileDialog();
  EXPECT_EQ(dialog.kind, FileDialogKind::Open);
  EXPECT_EQ(dialog.filter, texts::kFilterAllFiles);
  EXPECT_EQ(dialog.title, texts::kDialogTitleOpen);
  EXPECT_EQ(dialog.defaultExtension, "txt");  // kept from the log export
  EXPECT_EQ(ui.GetText(Control::PathBox1), "/data/picked.bin");
  EXPECT_EQ(ui.GetText(Control::PathBox2), "other");
}

TEST(PickFileWithDialog, CancelLeavesTheBoxAsItWas) {
  for (const AnsiText& before : {AnsiText{}, AnsiText("/kept")}) {
    FakeUi ui;
    ui.SetText(Control::PathBox2, before);
    PickFileWithDialog(ui, Control::PathBox2);
    EXPECT_EQ(ui.dialogRuns, 1);
    EXPECT_EQ(ui.GetText(Control::PathBox2), before);
  }
}

TEST(AcceptDroppedFile, TheBoxGetsTheFirstDroppedPathAsGiven) {
  struct Case {
    AnsiText dropped, expected;
  };
  const Case cases[] = {
      {"/a/one.exe\r\n", "/a/one.exe"},
      {"/a/one.exe\r\n/b/two.exe\r\n", "/a/one.exe"},
      {"/a/folder", "/a/folder"},
      {"/no such/file\r\n", "/no such/file"},
  };
  for (const Case& c : cases) {
    FakeUi ui;
    AcceptDroppedFile(ui, Control::PathBox2, c.dropped);
    EXPECT_EQ(ui.GetText(Control::PathBox2), c.expected);
    EXPECT_EQ(ui.GetText(Control::PathBox1), "");
  }
}

TEST(DispatchWindowEvent, EachEventRunsItsOwnHandler) {
  PeHeaderState peState{};
  {
    FakeUi ui;
    ui.AnswerDialogWith("/x");
    DispatchWindowEvent(WindowEvent::OpenButton2Clicked, ui, peState);
    EXPECT_EQ(ui.GetText(Control::PathBox2), "/x");
    EXPECT_EQ(ui.GetText(Control::PathBox1), "");
  }
  {
    FakeUi ui;
    DispatchWindowEvent(WindowEvent::CompareClicked, ui, peState);  // empty paths cannot be opened
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, texts::kMsgCannotOpen);
  }
  {
    FakeUi ui;
    DispatchWindowEvent(WindowEvent::ExportLogClicked, ui, peState);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, texts::kMsgNoRows);
  }
  {
    FakeUi ui;
    DispatchWindowEvent(WindowEvent::ListRightClick, ui, peState);
    EXPECT_EQ(ui.clipboard, "|||||");
  }
  {
    FakeUi ui;
    ui.SetText(Control::DisasmBox1, "old");
    DispatchWindowEvent(WindowEvent::ListLeftClick, ui, peState);  // no row selected
    EXPECT_EQ(ui.GetText(Control::DisasmBox1), "");
    EXPECT_TRUE(ui.messages.empty());
  }
  FakeUi ui;
  DispatchFilesDropped(DropTarget::Target1, ui, "/dropped\r\n");
  EXPECT_EQ(ui.GetText(Control::PathBox1), "/dropped");
}

}  // namespace
}  // namespace varomby
