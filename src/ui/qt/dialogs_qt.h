#pragma once
// The window's message boxes and the file dialog component over Qt. The
// window calls them through replaceable runners, so that tests can answer
// a dialog without a real modal loop; the program uses the real ones.
#include <QStringList>
#include <functional>
#include <optional>

#include "ui/ui.h"

class QFileDialog;
class QMessageBox;
class QWidget;

namespace varomby::qt {

struct MessageRequest {
  QString text;
  QString title;
  MessageIcon icon = MessageIcon::None;
};

// Shows a message and returns once it is dismissed.
using MessagePresenter = std::function<void(const MessageRequest&)>;
// Shows the dialog for these settings; the confirmed full path, or nothing
// when the user cancelled.
using FileDialogRunner = std::function<std::optional<QString>(const FileDialogState&)>;

// "desc|pattern|desc|pattern" as Qt name filters "desc (pattern)". Patterns
// separated by ';' become Qt's blank-separated list, and "*.*" matches every
// file, with or without an extension.
QStringList ToQtNameFilters(const AnsiText& filter);

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogState& state);
void ConfigureMessageBox(QMessageBox& box, const MessageRequest& request);

// Application-modal QMessageBox with an OK button, over `parent`.
void ShowMessageBox(const MessageRequest& request, QWidget* parent);
// Modal QFileDialog configured from the settings, over `parent`.
std::optional<QString> RunQtFileDialog(const FileDialogState& state, QWidget* parent);

}  // namespace varomby::qt
