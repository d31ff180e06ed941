#pragma once
// The abstract UI operations through which every handler reads and changes
// the main window. The Qt window implements them; tests use an in-memory
// implementation. No toolkit type appears here.
#include <cstdint>

#include "common/types.h"

namespace varomby {

// The controls that handlers address, named after the window's controls.
enum class Control {
  Label1,              // 标签1
  PathBox1,            // 编辑框_路径1
  OpenButton1,         // 按钮_打开1
  Label2,              // 标签2
  PathBox2,            // 编辑框_路径2
  OpenButton2,         // 按钮_打开2
  ResultList,          // 超级列表框
  DisasmBox1,          // 编辑框1
  DisasmBox2,          // 编辑框2
  HelpLabel,           // 标签3
  ExportLogButton,     // 按钮_写出日志
  CompareButton,       // 按钮_对比
  StatusBar,           // 状态条
};

enum class MessageIcon { None, Error };

// The two drop target components (拖放对象_1, 拖放对象_2).
enum class DropTarget { Target1, Target2 };

enum class FileDialogKind { Open, Save };

// The shared state of the one file dialog component (通用对话框). Every
// setting keeps its value until it is set again.
struct FileDialogState {
  FileDialogKind kind = FileDialogKind::Open;
  AnsiText title;
  AnsiText filter = "\xCB\xF9\xD3\xD0\xCE\xC4\xBC\xFE(*.*)|*.*";  // 所有文件(*.*)|*.*
  AnsiText defaultExtension;
  AnsiText fileName;  // full path confirmed last, in either kind
};

// Rows and columns count from 0; a missing row or column reads as the empty
// text; no selected row reads as -1. No operation reports an error: each
// either works or leaves the window as it was.
class Ui {
 public:
  virtual ~Ui() = default;

  virtual AnsiText GetText(Control box) const = 0;
  virtual void SetText(Control box, const AnsiText& text) = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;

  virtual void ListClear() = 0;
  // Appends a row of empty cells; its index, or -1 when it cannot be added.
  virtual std::int64_t ListAppendRow() = 0;
  virtual void ListSetCell(std::int64_t row, int column, const AnsiText& text) = 0;
  virtual AnsiText ListGetCell(std::int64_t row, int column) const = 0;
  virtual std::int64_t ListRowCount() const = 0;
  virtual int ListColumnCount() const = 0;
  virtual std::int64_t ListCurrentRow() const = 0;

  // Parts 0..2 of the status bar; any other index changes nothing.
  virtual void SetStatusPart(int part, const AnsiText& text) = 0;

  // A modal box with an OK button; returns when dismissed. An empty title
  // means the default title "信息：".
  virtual void ShowMessage(const AnsiText& text, MessageIcon icon, const AnsiText& title = {}) = 0;

  virtual FileDialogState& FileDialog() = 0;
  // Shows the dialog with its current settings; on confirmation stores the
  // full path in FileDialog().fileName and returns true; on cancel false.
  virtual bool RunFileDialog() = 0;

  virtual void SetClipboardText(const AnsiText& text) = 0;

  // Dispatches the waiting window events, so that their handlers run
  // nested inside this call.
  virtual void ProcessPendingEvents() = 0;

  // Makes the control's area a drop site of the component; false and no
  // change when the component is already registered on a control.
  virtual bool RegisterDropTarget(DropTarget, Control) { return false; }
  // Ends the component's registration; nothing when it is not registered.
  virtual void RevokeDropTarget(DropTarget, Control) {}

  // True once the window has begun to close: long work stops cleanly and
  // touches no control afterwards.
  virtual bool IsClosing() const = 0;
};

}  // namespace varomby
