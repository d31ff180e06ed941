// The program's window as a user drives it: clicks on the buttons and the
// list, drops onto the path boxes, dialogs and message boxes answered here.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

#include "app/application.h"
#include "support/temp_dir.h"
#include "ui/qt/ansi_text_qt.h"
#include "ui/qt/result_list_model.h"
#include "ui/qt/result_list_view.h"

namespace varomby {
namespace {

using app::Application;
using qt::MessageRequest;
using testing::TempDir;

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string CommandOutput(const std::string& command) {
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char block[4096];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) output.append(block, n);
    ::pclose(pipe);
  }
  return output;
}

// Files with `rows` runs: every other byte differs.
std::pair<std::string, std::string> AlternatingPair(const TempDir& dir, std::size_t rows) {
  const std::string first(rows * 2, 'a');
  std::string second = first;
  for (std::size_t i = 0; i < rows; ++i) second[i * 2] = 'b';
  return {dir.Write("many1.bin", first), dir.Write("many2.bin", second)};
}

class WindowTest : public ::testing::Test {
 protected:
  void Start(std::vector<AnsiText> paths = {}, app::SkinHooks skin = {}) {
    program_ = std::make_unique<Application>(std::move(paths), std::move(skin));
    Window().SetMessagePresenter([this](const MessageRequest& request) { messages_.push_back(request); });
    Window().SetFileDialogRunner([this](const FileDialogState& state) -> std::optional<QString> {
      dialogsSeen_.push_back(state);
      return dialogAnswer_;
    });
    program_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  }
  void TearDown() override { program_.reset(); }

  qt::MainWindow& Window() { return program_->Window(); }
  template <typename T>
  T* Find(const char* utf8Name) {
    return Window().findChild<T*>(QString::fromUtf8(utf8Name));
  }
  QWidget* ListViewport() { return Window().ListView().viewport(); }
  QPoint RowPoint(int row) { return Window().ListView().visualRect(Window().ListModel().index(row, 0)).center(); }
  QPoint EmptyListPoint() { return {20, ListViewport()->height() - 5}; }

  void ClickCompare() { QTest::mouseClick(Find<QPushButton>("按钮_对比"), Qt::LeftButton); }
  void Compare(const std::string& first, const std::string& second) {
    Window().SetText(Control::PathBox1, first);
    Window().SetText(Control::PathBox2, second);
    ClickCompare();
    QApplication::processEvents();
  }

  std::unique_ptr<Application> program_;
  std::vector<MessageRequest> messages_;
  std::vector<FileDialogState> dialogsSeen_;
  std::optional<QString> dialogAnswer_;
  TempDir dir_;
};

TEST_F(WindowTest, OpensWithTheDescribedWindowAndControls) {
  Start();
  qt::MainWindow& window = Window();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Varomby Ver:1.3 加入汇编代码识别  By：Quelwin"));
  EXPECT_EQ(window.size(), QSize(505, 555));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);

  struct Expected {
    const char* name;
    QRect place;
    const char* text;
  };
  const Expected controls[] = {
      {"标签1", {16, 24, 72, 16}, "对比文件1："},
      {"编辑框_路径1", {88, 21, 340, 20}, ""},
      {"按钮_打开1", {435, 19, 64, 24}, "打开"},
      {"标签2", {16, 55, 72, 16}, "对比文件2："},
      {"编辑框_路径2", {88, 52, 340, 20}, ""},
      {"按钮_打开2", {435, 50, 64, 24}, "打开"},
      {"超级列表框", {7, 80, 495, 360}, nullptr},
      {"编辑框1", {7, 442, 228, 59}, ""},
      {"编辑框2", {272, 442, 228, 59}, ""},
      {"标签3", {8, 501, 312, 32}, "功能介绍： 1.支持文件的拖放  2.右键单击表项复制信息"},
      {"按钮_写出日志", {332, 507, 72, 24}, "写出日志"},
      {"按钮_对比", {416, 507, 72, 24}, "开始对比"},
  };
  for (const Expected& control : controls) {
    SCOPED_TRACE(control.name);
    QWidget* widget = Find<QWidget>(control.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), control.place);
    EXPECT_TRUE(widget->isEnabled());
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      EXPECT_EQ(label->text(), QString::fromUtf8(control.text));
      EXPECT_EQ(label->palette().color(QPalette::Window), QColor(225, 222, 213));
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
      EXPECT_EQ(button->text(), QString::fromUtf8(control.text));
      EXPECT_FALSE(button->isDefault() || button->autoDefault());
    } else if (auto* box = qobject_cast<QLineEdit*>(widget)) {
      EXPECT_TRUE(box->isReadOnly());
      EXPECT_TRUE(box->text().isEmpty());
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
      EXPECT_FALSE(edit->isReadOnly());
      EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::WidgetWidth);
      EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }
  }

  qt::ResultListView& list = window.ListView();
  const char* titles[] = {"文件地址", "内存地址", "    原始字节", "    替换字节", " 原始字符", " 替换字符"};
  const int widths[] = {60, 60, 110, 110, 75, 75};
  ASSERT_EQ(list.model()->columnCount(), 6);
  for (int column = 0; column < 6; ++column) {
    EXPECT_EQ(list.model()->headerData(column, Qt::Horizontal).toString(), QString::fromUtf8(titles[column]));
    EXPECT_EQ(list.horizontalHeader()->sectionSize(column), widths[column]);
  }
  EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_TRUE(list.showGrid());
  EXPECT_FALSE(list.isSortingEnabled());
  EXPECT_FALSE(list.horizontalHeader()->sectionsMovable());
  EXPECT_EQ(window.ListCurrentRow(), -1);

  auto* status = Find<QStatusBar>("状态条");
  ASSERT_NE(status, nullptr);
  EXPECT_FALSE(status->isSizeGripEnabled());
  EXPECT_EQ(status->geometry().bottom(), 554);
  EXPECT_EQ(status->width(), 505);
  const QList<QLabel*> parts = status->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_EQ(parts.size(), 3);
  const int partLefts[] = {0, 50, 395};
  const int partWidths[] = {50, 345, 100};
  const char* partTexts[] = {"提示：", "", "作者：Quelwin"};
  for (int part = 0; part < 3; ++part) {
    EXPECT_EQ(parts[part]->x(), partLefts[part]);
    EXPECT_EQ(parts[part]->width(), partWidths[part]);
    EXPECT_EQ(parts[part]->text(), QString::fromUtf8(partTexts[part]));
  }
}

TEST_F(WindowTest, CompareButtonFillsTheListAndTheStatusBar) {
  Start({dir_.Write("a.txt", "ABCD"), dir_.Write("b.txt", "AXCY")});
  ClickCompare();
  qt::MainWindow& window = Window();
  ASSERT_EQ(window.ListRowCount(), 2);
  const AnsiText first[] = {"00000002", "No PE", "42", "58", "B", "X"};
  for (int column = 0; column < 6; ++column) EXPECT_EQ(window.ListGetCell(0, column), first[column]);
  EXPECT_EQ(window.ListGetCell(1, 0), "00000004");
  EXPECT_EQ(window.ListGetCell(2, 0), "");
  EXPECT_EQ(window.ListGetCell(-1, 0), "");
  EXPECT_EQ(window.ListGetCell(0, 6), "");
  QApplication::processEvents();
  EXPECT_EQ(window.ListModel().rowCount(), 2);  // drawn rows caught up
  EXPECT_EQ(window.ListModel().index(1, 2).data().toString(), QStringLiteral("44"));
  const QList<QLabel*> parts = Find<QStatusBar>("状态条")->findChildren<QLabel*>();
  EXPECT_EQ(parts[1]->text(), QStringLiteral("对比完成！！共有：2项不同  长度为：2"));
  EXPECT_TRUE(Find<QPushButton>("按钮_对比")->isEnabled());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(WindowTest, RefusedRunsShowOnlyTheirMessage) {
  Start();
  const std::string same1 = dir_.Write("s1", "ABCD"), same2 = dir_.Write("s2", "ABCE");
  Compare(same1, same2);
  ASSERT_EQ(Window().ListRowCount(), 1);
  const QString status = Find<QStatusBar>("状态条")->findChildren<QLabel*>()[1]->text();

  const std::string missing = (dir_.path() / "missing.bin").string();
  struct Case {
    std::string first, second;
    const char* message;
  };
  const Case cases[] = {
      {same1, dir_.Write("longer", "ABCDE"), "两文件长度不同，不存在可比性！！！"},
      {missing, same2, nullptr},
  };
  for (const Case& c : cases) {
    messages_.clear();
    Compare(c.first, c.second);
    ASSERT_EQ(messages_.size(), 1u);
    const QString expected = c.message != nullptr ? QString::fromUtf8(c.message)
                                                   : QStringLiteral("无法打开文件：") + QString::fromStdString(missing);
    EXPECT_EQ(messages_[0].text, expected);
    EXPECT_EQ(messages_[0].title, QStringLiteral("错误："));
    EXPECT_EQ(messages_[0].icon, MessageIcon::Error);
    EXPECT_EQ(Window().ListRowCount(), 1);  // the earlier run's list stays
    EXPECT_EQ(Find<QStatusBar>("状态条")->findChildren<QLabel*>()[1]->text(), status);
    EXPECT_TRUE(Find<QPushButton>("按钮_对比")->isEnabled());
  }
}

TEST_F(WindowTest, LogFileMatchesTheCommandLineOutputAndTheDialogKeepsItsState) {
  const std::string first = dir_.Write("x1", std::string("MZ\x01\x02\tab\"cd|\x80\xA1", 14));
  const std::string second = dir_.Write("x2", std::string("MZ\x03\x02\nab'cd!\xC4\xE3", 14));
  Start({first, second});
  ClickCompare();
  ASSERT_GE(Window().ListRowCount(), 3);

  const std::string log = (dir_.path() / "result").string();
  dialogAnswer_ = QString::fromStdString(log);
  QTest::mouseClick(Find<QPushButton>("按钮_写出日志"), Qt::LeftButton);
  ASSERT_EQ(dialogsSeen_.size(), 1u);
  EXPECT_EQ(dialogsSeen_[0].kind, FileDialogKind::Save);
  EXPECT_EQ(ReadWhole(log), CommandOutput(std::string(VAROMBY_CLI_PATH) + " '" + first + "' '" + second + "'"));

  // The open dialog starts on the log file and keeps the default extension.
  dialogAnswer_.reset();
  Window().SetText(Control::PathBox1, "kept");
  QTest::mouseClick(Find<QPushButton>("按钮_打开1"), Qt::LeftButton);
  ASSERT_EQ(dialogsSeen_.size(), 2u);
  const FileDialogState& open = dialogsSeen_[1];
  EXPECT_EQ(open.kind, FileDialogKind::Open);
  EXPECT_EQ(open.fileName, log);
  EXPECT_EQ(open.defaultExtension, "txt");
  EXPECT_EQ(qt::DecodeAnsi(open.title), QStringLiteral("请选择文件："));
  EXPECT_EQ(Window().GetText(Control::PathBox1), "kept");  // cancelled: box unchanged

  dialogAnswer_ = QStringLiteral("/tmp/picked file");
  QTest::mouseClick(Find<QPushButton>("按钮_打开2"), Qt::LeftButton);
  EXPECT_EQ(Window().GetText(Control::PathBox2), "/tmp/picked file");
  EXPECT_EQ(Window().GetText(Control::PathBox1), "kept");
}

TEST_F(WindowTest, RightClickCopiesTheRowUnderThePointerOrSeparatorsOnEmptySpace) {
  Start({dir_.Write("a", "ABCD"), dir_.Write("b", "AXCY")});
  ClickCompare();
  QApplication::processEvents();
  QClipboard* clipboard = QGuiApplication::clipboard();

  QTest::mouseClick(ListViewport(), Qt::RightButton, {}, RowPoint(1));
  EXPECT_EQ(Window().ListCurrentRow(), 1);
  EXPECT_EQ(clipboard->text(), QStringLiteral("00000004|No PE|44|59|D|Y"));

  QTest::mouseClick(ListViewport(), Qt::RightButton, {}, EmptyListPoint());
  EXPECT_EQ(Window().ListCurrentRow(), -1);
  EXPECT_EQ(clipboard->text(), QStringLiteral("|||||"));
}

TEST_F(WindowTest, OnlyFirstClicksInTheListRunTheLeftClickHandler) {
  int leftClicks = 0;
  Start({dir_.Write("a", "ABCD"), dir_.Write("b", "AXCY")});
  ClickCompare();
  QApplication::processEvents();
  // Count left-click handler runs through the list's own signal.
  QObject::connect(&Window().ListView(), &qt::ResultListView::leftClicked, [&] { ++leftClicks; });

  // A double click: the first click, then the double-click event.
  QTest::mouseClick(ListViewport(), Qt::LeftButton, {}, RowPoint(0));
  QTest::mouseDClick(ListViewport(), Qt::LeftButton, {}, RowPoint(0));
  EXPECT_EQ(leftClicks, 1);
  EXPECT_EQ(Window().ListCurrentRow(), 0);

  QTest::keyClick(&Window().ListView(), Qt::Key_Down);
  EXPECT_EQ(Window().ListCurrentRow(), 1);
  QTest::mouseClick(Window().ListView().horizontalHeader()->viewport(), Qt::LeftButton, {}, {10, 5});
  EXPECT_EQ(leftClicks, 1);

  QTest::mouseClick(ListViewport(), Qt::LeftButton, {}, EmptyListPoint());
  EXPECT_EQ(leftClicks, 2);
  EXPECT_EQ(Window().ListCurrentRow(), -1);
}

TEST_F(WindowTest, DroppedFilesLandInTheBoxTheyWereDroppedOn) {
  Start();
  auto drop = [](QWidget* target, QMimeData& data) {
    QDragEnterEvent enter({5, 5}, Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    const bool offered = enter.isAccepted();
    QDropEvent dropped({5, 5}, Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    EXPECT_FALSE(dropped.isAccepted());  // reported as not done: the source keeps its files
    return offered;
  };
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile("/tmp/first dropped"), QUrl::fromLocalFile("/tmp/second")});
  EXPECT_TRUE(drop(Find<QWidget>("编辑框_路径2"), files));
  EXPECT_EQ(Window().GetText(Control::PathBox2), "/tmp/first dropped");
  EXPECT_EQ(Window().GetText(Control::PathBox1), "");

  QMimeData text;
  text.setText(QStringLiteral("/tmp/typed"));
  EXPECT_TRUE(drop(Find<QWidget>("编辑框_路径1"), text));
  EXPECT_EQ(Window().GetText(Control::PathBox1), "");

  // Only the two path boxes take drops.
  for (QWidget* widget : Window().findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    if (name == QStringLiteral("编辑框_路径1") || name == QStringLiteral("编辑框_路径2")) continue;
    EXPECT_FALSE(widget->acceptDrops()) << name.toStdString();
  }
}

TEST_F(WindowTest, DropSitesAreRegisteredBeforeTheSkinAttachesAndRevokedBeforeItDetaches) {
  std::vector<std::string> calls;
  app::SkinHooks skin;
  skin.loadSkinLibrary = [&](app::AppGlobals& globals) {
    calls.push_back("load");
    EXPECT_TRUE(globals.peHeaders.sections.empty());
    EXPECT_EQ(globals.peHeaders.imageBase, 0u);
  };
  skin.attach = [&](app::AppGlobals&, qt::MainWindow& window) {
    calls.push_back(window.ControlWidget(Control::PathBox1)->acceptDrops() ? "attach after drops" : "attach");
  };
  skin.detach = [&](app::AppGlobals&) {
    calls.push_back(program_->Window().ControlWidget(Control::PathBox2)->acceptDrops() ? "detach" : "detach after revoke");
  };
  Start({}, skin);
  program_->Window().close();
  program_->Window().close();
  program_.reset();
  EXPECT_EQ(calls, (std::vector<std::string>{"load", "attach after drops", "detach after revoke"}));
}

TEST_F(WindowTest, ARightClickDuringALongRunCopiesTheRowAlreadyListed) {
  const auto [first, second] = AlternatingPair(dir_, 300000);
  Start({first, second});
  bool clickedMidRun = false;
  std::function<void()> clickWhenRowsShow = [&] {
    if (Window().ListModel().rowCount() == 0) return QTimer::singleShot(1, clickWhenRowsShow);
    clickedMidRun = !Find<QPushButton>("按钮_对比")->isEnabled();
    QTest::mouseClick(ListViewport(), Qt::RightButton, {}, RowPoint(0));
  };
  QTimer::singleShot(0, clickWhenRowsShow);
  ClickCompare();
  EXPECT_TRUE(clickedMidRun);
  EXPECT_EQ(Window().ListRowCount(), 300000);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("00000001|No PE|61|62|a|b"));
  EXPECT_EQ(Window().ListCurrentRow(), 0);
}

TEST_F(WindowTest, ClosingDuringARunStopsItAndClosesAfterItUnwinds) {
  const auto [first, second] = AlternatingPair(dir_, 500000);
  Start({first, second});
  bool closedSignal = false;
  QObject::connect(&Window(), &qt::MainWindow::closed, [&] { closedSignal = true; });
  std::function<void()> closeWhenRowsShow = [&] {
    if (Window().ListRowCount() == 0) return QTimer::singleShot(1, closeWhenRowsShow);
    Window().close();
  };
  QTimer::singleShot(0, closeWhenRowsShow);
  ClickCompare();  // returns once the run has stopped

  EXPECT_TRUE(Window().IsClosing());
  EXPECT_LT(Window().ListRowCount(), 500000);
  EXPECT_FALSE(Window().isVisible());
  EXPECT_FALSE(closedSignal);  // not before the handler unwound
  EXPECT_TRUE(QTest::qWaitFor([&] { return closedSignal; }));
  EXPECT_FALSE(Window().ControlWidget(Control::PathBox1)->acceptDrops());  // destroying event ran
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace varomby
