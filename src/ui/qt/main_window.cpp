#include "ui/qt/main_window.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include "common/texts.h"
#include "ui/qt/ansi_text_qt.h"
#include "ui/qt/drop_site.h"
#include "ui/qt/result_list_model.h"
#include "ui/qt/result_list_view.h"

namespace varomby::qt {
namespace {

// Control names, as the window description gives them.
const QString kNameLabel1 = QStringLiteral("标签1");
const QString kNamePathBox1 = QStringLiteral("编辑框_路径1");
const QString kNameOpenButton1 = QStringLiteral("按钮_打开1");
const QString kNameLabel2 = QStringLiteral("标签2");
const QString kNamePathBox2 = QStringLiteral("编辑框_路径2");
const QString kNameOpenButton2 = QStringLiteral("按钮_打开2");
const QString kNameResultList = QStringLiteral("超级列表框");
const QString kNameDisasmBox1 = QStringLiteral("编辑框1");
const QString kNameDisasmBox2 = QStringLiteral("编辑框2");
const QString kNameHelpLabel = QStringLiteral("标签3");
const QString kNameExportLogButton = QStringLiteral("按钮_写出日志");
const QString kNameCompareButton = QStringLiteral("按钮_对比");
const QString kNameStatusBar = QStringLiteral("状态条");

constexpr std::array<int, ResultListModel::kColumns> kColumnWidths = {60, 60, 110, 110, 75, 75};
constexpr std::array<int, 3> kStatusPartWidths = {50, 345, 100};
constexpr int kStatusBarHeight = 22;
const QColor kLabelBackground(225, 222, 213);

// Names a new control and puts it at its fixed place in the client area.
template <typename Widget>
Widget* Placed(Widget* widget, const QString& name, QRect place) {
  widget->setObjectName(name);
  widget->setGeometry(place);
  return widget;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, QRect place) {
  auto* label = Placed(new QLabel(text, parent), name, place);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setWordWrap(false);
  label->setAutoFillBackground(true);
  QPalette colours = label->palette();
  colours.setColor(QPalette::Window, kLabelBackground);
  colours.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(colours);
  return label;
}

QLineEdit* MakePathBox(QWidget* parent, const QString& name, QRect place) {
  auto* box = Placed(new QLineEdit(parent), name, place);
  box->setReadOnly(true);
  box->setAcceptDrops(false);  // only a registered drop target takes drops
  return box;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text, QRect place) {
  auto* button = Placed(new QPushButton(text, parent), name, place);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QPlainTextEdit* MakeDisasmBox(QWidget* parent, const QString& name, QRect place) {
  auto* box = Placed(new QPlainTextEdit(parent), name, place);
  box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setAcceptDrops(false);
  box->viewport()->setAcceptDrops(false);
  box->setTabChangesFocus(true);
  return box;
}

// Edit boxes separate lines with CR LF; Qt's plain text uses LF.
QString LinesFromAnsi(const AnsiText& text) { return DecodeAnsi(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
AnsiText LinesToAnsi(QString text) { return EncodeAnsi(text.replace('\n', QStringLiteral("\r\n"))); }

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowTitle(DecodeAnsi(texts::kCaption));
  setFixedSize(kClientWidth, kClientHeight);
  setAcceptDrops(false);
  CreateControls();
  CreateStatusBar();
  BindEvents();
}

MainWindow::~MainWindow() { RunDestroyingOnce(); }

void MainWindow::CreateControls() {
  label1_ = MakeLabel(this, kNameLabel1, QStringLiteral("对比文件1："), {16, 24, 72, 16});
  pathBox1_ = MakePathBox(this, kNamePathBox1, {88, 21, 340, 20});
  openButton1_ = MakeButton(this, kNameOpenButton1, QStringLiteral("打开"), {435, 19, 64, 24});
  label2_ = MakeLabel(this, kNameLabel2, QStringLiteral("对比文件2："), {16, 55, 72, 16});
  pathBox2_ = MakePathBox(this, kNamePathBox2, {88, 52, 340, 20});
  openButton2_ = MakeButton(this, kNameOpenButton2, QStringLiteral("打开"), {435, 50, 64, 24});

  listModel_ = new ResultListModel(this);
  listView_ = Placed(new ResultListView(this), kNameResultList, {7, 80, 495, 360});
  listView_->setModel(listModel_);
  for (int column = 0; column < ResultListModel::kColumns; ++column) {
    listView_->horizontalHeader()->resizeSection(column, kColumnWidths[static_cast<std::size_t>(column)]);
  }
  // Appended rows reach the view from the event loop in one batch.
  connect(listModel_, &ResultListModel::rowsPending, listModel_, &ResultListModel::Publish, Qt::QueuedConnection);

  disasmBox1_ = MakeDisasmBox(this, kNameDisasmBox1, {7, 442, 228, 59});
  disasmBox2_ = MakeDisasmBox(this, kNameDisasmBox2, {272, 442, 228, 59});
  helpLabel_ = MakeLabel(this, kNameHelpLabel, QStringLiteral("功能介绍： 1.支持文件的拖放  2.右键单击表项复制信息"),
                         {8, 501, 312, 32});
  exportLogButton_ = MakeButton(this, kNameExportLogButton, QStringLiteral("写出日志"), {332, 507, 72, 24});
  compareButton_ = MakeButton(this, kNameCompareButton, QStringLiteral("开始对比"), {416, 507, 72, 24});
}

void MainWindow::CreateStatusBar() {
  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName(kNameStatusBar);
  statusBar_->setSizeGripEnabled(false);
  statusBar_->setGeometry(0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight);
  const std::array<QString, 3> initial = {QStringLiteral("提示："), QString(), QStringLiteral("作者：Quelwin")};
  int left = 0;
  for (std::size_t part = 0; part < statusParts_.size(); ++part) {
    auto* label = new QLabel(initial[part], statusBar_);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setGeometry(left, 1, kStatusPartWidths[part], kStatusBarHeight - 2);
    label->setTextFormat(Qt::PlainText);
    left += kStatusPartWidths[part];
    statusParts_[part] = label;
  }
}

void MainWindow::BindEvents() {
  connect(openButton1_, &QPushButton::clicked, this, [this] { Raise(WindowEvent::OpenButton1Clicked); });
  connect(openButton2_, &QPushButton::clicked, this, [this] { Raise(WindowEvent::OpenButton2Clicked); });
  connect(compareButton_, &QPushButton::clicked, this, [this] { Raise(WindowEvent::CompareClicked); });
  connect(exportLogButton_, &QPushButton::clicked, this, [this] { Raise(WindowEvent::ExportLogClicked); });
  connect(listView_, &ResultListView::leftClicked, this, [this] { Raise(WindowEvent::ListLeftClick); });
  connect(listView_, &ResultListView::rightClicked, this, [this] { Raise(WindowEvent::ListRightClick); });
  for (DropTarget target : {DropTarget::Target1, DropTarget::Target2}) {
    dropSites_[target] = new DropSite([this, target](const AnsiText& text) { RaiseFilesDropped(target, text); }, this);
  }
}

template <typename Run>
void MainWindow::RunHandler(Run&& run) {
  if (closing_) return;  // the window is going away: no new handler starts
  ++handlerDepth_;
  run();
  --handlerDepth_;
  // A close that arrived inside a handler is carried out once the outermost
  // handler has unwound, so no handler outlives its controls.
  if (handlerDepth_ == 0 && closeWhenIdle_) QTimer::singleShot(0, this, [this] { close(); });
}

void MainWindow::Raise(WindowEvent event) {
  RunHandler([&] {
    if (handlers_.onEvent) handlers_.onEvent(event);
  });
}

void MainWindow::RaiseFilesDropped(DropTarget target, const AnsiText& droppedText) {
  RunHandler([&] {
    if (handlers_.onFilesDropped) handlers_.onFilesDropped(target, droppedText);
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  closing_ = true;
  if (handlerDepth_ > 0) {
    closeWhenIdle_ = true;
    hide();
    event->ignore();
    return;
  }
  RunDestroyingOnce();
  event->accept();
  emit closed();
}

void MainWindow::RunDestroyingOnce() {
  if (destroyingRan_) return;
  destroyingRan_ = true;
  if (handlers_.onDestroying) handlers_.onDestroying();
}

QWidget* MainWindow::ControlWidget(Control control) const {
  switch (control) {
    case Control::Label1: return label1_;
    case Control::PathBox1: return pathBox1_;
    case Control::OpenButton1: return openButton1_;
    case Control::Label2: return label2_;
    case Control::PathBox2: return pathBox2_;
    case Control::OpenButton2: return openButton2_;
    case Control::ResultList: return listView_;
    case Control::DisasmBox1: return disasmBox1_;
    case Control::DisasmBox2: return disasmBox2_;
    case Control::HelpLabel: return helpLabel_;
    case Control::ExportLogButton: return exportLogButton_;
    case Control::CompareButton: return compareButton_;
    case Control::StatusBar: return statusBar_;
  }
  return nullptr;
}

void MainWindow::ApplyStyleSheet(const QString& styleSheet) { setStyleSheet(styleSheet); }

void MainWindow::ApplyWindowPalette(const QPalette& palette) { setPalette(palette); }

void MainWindow::CenterOnScreen() {
  const QScreen* target = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  if (target == nullptr) return;
  const QRect area = target->availableGeometry();
  QRect frame = frameGeometry();
  frame.moveCenter(area.center());
  move(frame.topLeft());
}

AnsiText MainWindow::GetText(Control box) const {
  switch (box) {
    case Control::PathBox1: return PathToAnsi(pathBox1_->text());
    case Control::PathBox2: return PathToAnsi(pathBox2_->text());
    case Control::DisasmBox1: return LinesToAnsi(disasmBox1_->toPlainText());
    case Control::DisasmBox2: return LinesToAnsi(disasmBox2_->toPlainText());
    default: break;
  }
  if (auto* label = qobject_cast<QLabel*>(ControlWidget(box))) return EncodeAnsi(label->text());
  if (auto* button = qobject_cast<QPushButton*>(ControlWidget(box))) return EncodeAnsi(button->text());
  return {};
}

void MainWindow::SetText(Control box, const AnsiText& text) {
  switch (box) {
    case Control::PathBox1: return pathBox1_->setText(AnsiToPath(text));
    case Control::PathBox2: return pathBox2_->setText(AnsiToPath(text));
    case Control::DisasmBox1: return disasmBox1_->setPlainText(LinesFromAnsi(text));
    case Control::DisasmBox2: return disasmBox2_->setPlainText(LinesFromAnsi(text));
    default: break;
  }
  if (auto* label = qobject_cast<QLabel*>(ControlWidget(box))) return label->setText(DecodeAnsi(text));
  if (auto* button = qobject_cast<QPushButton*>(ControlWidget(box))) return button->setText(DecodeAnsi(text));
}

void MainWindow::SetEnabled(Control control, bool enabled) {
  if (QWidget* widget = ControlWidget(control)) widget->setEnabled(enabled);
}

void MainWindow::ListClear() { listModel_->Clear(); }

std::int64_t MainWindow::ListAppendRow() { return listModel_->AppendRow(); }

void MainWindow::ListSetCell(std::int64_t row, int column, const AnsiText& text) {
  listModel_->SetCell(row, column, text);
}

AnsiText MainWindow::ListGetCell(std::int64_t row, int column) const { return listModel_->Cell(row, column); }

std::int64_t MainWindow::ListRowCount() const { return listModel_->StoredRowCount(); }

int MainWindow::ListColumnCount() const { return ResultListModel::kColumns; }

std::int64_t MainWindow::ListCurrentRow() const { return listView_->SelectedRow(); }

void MainWindow::SetStatusPart(int part, const AnsiText& text) {
  if (part < 0 || part >= static_cast<int>(statusParts_.size())) return;
  statusParts_[static_cast<std::size_t>(part)]->setText(DecodeAnsi(text));
}

void MainWindow::ShowMessage(const AnsiText& text, MessageIcon icon, const AnsiText& title) {
  const AnsiText& shownTitle = title.empty() ? texts::kTitleInfo : title;
  if (showMessage_) showMessage_({DecodeAnsi(text), DecodeAnsi(shownTitle), icon});
}

bool MainWindow::RunFileDialog() {
  if (!runFileDialog_) return false;
  const std::optional<QString> chosen = runFileDialog_(fileDialog_);
  if (!chosen || chosen->isEmpty()) return false;
  fileDialog_.fileName = PathToAnsi(*chosen);
  return true;
}

void MainWindow::SetClipboardText(const AnsiText& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(DecodeAnsi(text));
}

void MainWindow::ProcessPendingEvents() {
  listModel_->Publish();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool MainWindow::RegisterDropTarget(DropTarget target, Control control) {
  auto* box = qobject_cast<QLineEdit*>(ControlWidget(control));
  auto site = dropSites_.find(target);
  if (box == nullptr || site == dropSites_.end()) return false;
  return site->second->Register(*box);
}

void MainWindow::RevokeDropTarget(DropTarget target, Control) {
  auto site = dropSites_.find(target);
  if (site != dropSites_.end()) site->second->Revoke();
}

}  // namespace varomby::qt
