#include "ui/qt/drop_site.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "ui/qt/ansi_text_qt.h"

namespace varomby::qt {
namespace {

bool CarriesFilesOrText(const QMimeData* data) {
  return data != nullptr && (data->hasUrls() || data->hasText());
}

}  // namespace

DropSite::DropSite(FilesDropped onFilesDropped, QObject* parent)
    : QObject(parent), onFilesDropped_(std::move(onFilesDropped)) {}

bool DropSite::Register(QWidget& control) {
  if (control_ != nullptr) return false;
  control_ = &control;
  control.installEventFilter(this);
  control.setAcceptDrops(true);
  return true;
}

void DropSite::Revoke() {
  if (control_ == nullptr) return;
  control_->removeEventFilter(this);
  control_->setAcceptDrops(false);
  control_ = nullptr;
}

AnsiText DropSite::DroppedFilesText(const QMimeData& data) {
  AnsiText text;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    text += PathToAnsi(url.toLocalFile());
    text += "\r\n";
  }
  return text;
}

bool DropSite::eventFilter(QObject* watched, QEvent* event) {
  if (watched != control_) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (CarriesFilesOrText(drag->mimeData())) {
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const AnsiText files = drop->mimeData() != nullptr ? DroppedFilesText(*drop->mimeData()) : AnsiText{};
      drop->setDropAction(Qt::IgnoreAction);
      drop->ignore();
      if (!files.empty() && onFilesDropped_) onFilesDropped_(files);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace varomby::qt
