#include "ui/qt/dialogs_qt.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "ui/qt/ansi_text_qt.h"

namespace varomby::qt {
namespace {

QString QtPatternList(QString pattern) {
  QStringList patterns = pattern.split(';', Qt::SkipEmptyParts);
  for (QString& one : patterns) {
    one = one.trimmed();
    if (one == QStringLiteral("*.*")) one = QStringLiteral("*");
  }
  return patterns.join(' ');
}

}  // namespace

QStringList ToQtNameFilters(const AnsiText& filter) {
  const QStringList items = DecodeAnsi(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
    const QString patterns = QtPatternList(items[i + 1]);
    if (patterns.isEmpty()) continue;
    filters.push_back(items[i] + QStringLiteral(" (") + patterns + QStringLiteral(")"));
  }
  if (filters.isEmpty()) filters.push_back(QStringLiteral("(*)"));
  return filters;
}

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogState& state) {
  const bool save = state.kind == FileDialogKind::Save;
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  // The descriptions already name their patterns, as the program writes them.
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setWindowTitle(DecodeAnsi(state.title));
  dialog.setNameFilters(ToQtNameFilters(state.filter));
  dialog.setDefaultSuffix(DecodeAnsi(state.defaultExtension));
  if (!state.fileName.empty()) {
    const QFileInfo last(AnsiToPath(state.fileName));
    dialog.setDirectory(last.absolutePath());
    dialog.selectFile(last.fileName());
  }
}

void ConfigureMessageBox(QMessageBox& box, const MessageRequest& request) {
  box.setWindowModality(Qt::ApplicationModal);
  box.setIcon(request.icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon);
  box.setWindowTitle(request.title);
  box.setText(request.text);
  box.setStandardButtons(QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
}

void ShowMessageBox(const MessageRequest& request, QWidget* parent) {
  QMessageBox box(parent);
  ConfigureMessageBox(box, request);
  box.exec();
}

std::optional<QString> RunQtFileDialog(const FileDialogState& state, QWidget* parent) {
  QFileDialog dialog(parent);
  dialog.setWindowModality(Qt::ApplicationModal);
  ConfigureFileDialog(dialog, state);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.first();
}

}  // namespace varomby::qt
