#pragma once
// The program's one window over Qt Widgets: the sixteen controls at fixed
// places, the event table's events and the UI operations that handlers use.
#include <QWidget>
#include <array>
#include <functional>
#include <map>

#include "ui/event_table.h"
#include "ui/qt/dialogs_qt.h"
#include "ui/ui.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace varomby::qt {

class ResultListModel;
class ResultListView;
class DropSite;

// Where each event goes. Unset entries run nothing.
struct WindowHandlers {
  std::function<void(WindowEvent)> onEvent;
  std::function<void(DropTarget, const AnsiText&)> onFilesDropped;
  // The will-be-destroyed event: runs once, while every control still exists.
  std::function<void()> onDestroying;
};

class MainWindow final : public QWidget, public Ui {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 505;
  static constexpr int kClientHeight = 555;

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  void SetHandlers(WindowHandlers handlers) { handlers_ = std::move(handlers); }
  void SetMessagePresenter(MessagePresenter presenter) { showMessage_ = std::move(presenter); }
  void SetFileDialogRunner(FileDialogRunner runner) { runFileDialog_ = std::move(runner); }

  // The widget of a control (null for controls without one).
  QWidget* ControlWidget(Control control) const;
  ResultListView& ListView() const { return *listView_; }
  ResultListModel& ListModel() const { return *listModel_; }

  // For restyling the whole window (the skin): a style sheet and a palette
  // applied to the window and every control.
  void ApplyStyleSheet(const QString& styleSheet);
  void ApplyWindowPalette(const QPalette& palette);

  // Places the window in the middle of its screen's available area.
  void CenterOnScreen();
  // True while a handler runs (possibly nested).
  bool HandlerRunning() const { return handlerDepth_ > 0; }

  // Ui
  AnsiText GetText(Control box) const override;
  void SetText(Control box, const AnsiText& text) override;
  void SetEnabled(Control control, bool enabled) override;
  void ListClear() override;
  std::int64_t ListAppendRow() override;
  void ListSetCell(std::int64_t row, int column, const AnsiText& text) override;
  AnsiText ListGetCell(std::int64_t row, int column) const override;
  std::int64_t ListRowCount() const override;
  int ListColumnCount() const override;
  std::int64_t ListCurrentRow() const override;
  void SetStatusPart(int part, const AnsiText& text) override;
  void ShowMessage(const AnsiText& text, MessageIcon icon, const AnsiText& title = {}) override;
  FileDialogState& FileDialog() override { return fileDialog_; }
  bool RunFileDialog() override;
  void SetClipboardText(const AnsiText& text) override;
  void ProcessPendingEvents() override;
  bool RegisterDropTarget(DropTarget target, Control control) override;
  void RevokeDropTarget(DropTarget target, Control control) override;
  bool IsClosing() const override { return closing_; }

  // Runs the handler of a files-dropped event (called by the drop sites).
  void RaiseFilesDropped(DropTarget target, const AnsiText& droppedText);

 signals:
  // The window has closed for good: the destroying event has run.
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void CreateStatusBar();
  void BindEvents();
  void Raise(WindowEvent event);
  template <typename Run>
  void RunHandler(Run&& run);
  void RunDestroyingOnce();

  QLabel* label1_ = nullptr;
  QLineEdit* pathBox1_ = nullptr;
  QPushButton* openButton1_ = nullptr;
  QLabel* label2_ = nullptr;
  QLineEdit* pathBox2_ = nullptr;
  QPushButton* openButton2_ = nullptr;
  ResultListModel* listModel_ = nullptr;
  ResultListView* listView_ = nullptr;
  QPlainTextEdit* disasmBox1_ = nullptr;
  QPlainTextEdit* disasmBox2_ = nullptr;
  QLabel* helpLabel_ = nullptr;
  QPushButton* exportLogButton_ = nullptr;
  QPushButton* compareButton_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  std::array<QLabel*, 3> statusParts_{};
  std::map<DropTarget, DropSite*> dropSites_;

  FileDialogState fileDialog_;
  WindowHandlers handlers_;
  MessagePresenter showMessage_ = [this](const MessageRequest& request) { ShowMessageBox(request, this); };
  FileDialogRunner runFileDialog_ = [this](const FileDialogState& state) { return RunQtFileDialog(state, this); };

  int handlerDepth_ = 0;
  bool closing_ = false;
  bool closeWhenIdle_ = false;
  bool destroyingRan_ = false;
};

}  // namespace varomby::qt
