// A left click on a row of the real window, after a comparison of two
// images, shows both sides' instructions with real branch targets.
#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "code_files.h"
#include "pe/pe_header_state.h"
#include "ui/event_table.h"
#include "ui/qt/main_window.h"
#include "ui/qt/result_list_view.h"

namespace varomby {
namespace {

TEST(WindowClick, ShowsTheClickedRowsInstructionsInBothBoxes) {
  testing::TempDir dir;
  const testing::CodeFiles files =
      testing::WriteCodeFiles(dir, true, false, {0x55, 0xE8, 0xFA, 0x0F, 0x00, 0x00}, {0x90, 0x74, 0xFE, 0x90, 0x90, 0x90});
  qt::MainWindow window;
  PeHeaderState peState;
  window.SetHandlers({[&](WindowEvent event) { DispatchWindowEvent(event, window, peState); }, {}, {}});
  window.show();
  window.SetText(Control::PathBox1, files.first);
  window.SetText(Control::PathBox2, files.second);
  DispatchWindowEvent(WindowEvent::CompareClicked, window, peState);
  ASSERT_EQ(window.ListRowCount(), 1);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QCoreApplication::processEvents();  // lay out the new row

  qt::ResultListView& list = window.ListView();
  const QRect cell = list.visualRect(list.model()->index(0, 2));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());

  EXPECT_EQ(window.ListCurrentRow(), 0);
  EXPECT_EQ(window.GetText(Control::DisasmBox1), "push ebp\r\ncall 402000h\r\n");
  EXPECT_EQ(window.GetText(Control::DisasmBox2), "nop\r\njz 401001h\r\nnop\r\nnop\r\nnop\r\n");
}

}  // namespace
}  // namespace varomby
