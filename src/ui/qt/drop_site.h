#pragma once
// A drop target component: registered on one control, it takes drags that
// carry files or plain text there. Dropped files raise its files-dropped
// event with each local path followed by CR LF; plain text runs nothing.
// Every drop is reported back to the source as not done, so the source
// never moves or deletes what was dragged.
#include <QObject>
#include <functional>

#include "common/types.h"

class QMimeData;

namespace varomby::qt {

class DropSite final : public QObject {
  Q_OBJECT

 public:
  using FilesDropped = std::function<void(const AnsiText&)>;

  DropSite(FilesDropped onFilesDropped, QObject* parent);

  // False when already registered on a control.
  bool Register(QWidget& control);
  void Revoke();
  QWidget* RegisteredOn() const { return control_; }

  // The event's text for the local files a drag carries; empty when none.
  static AnsiText DroppedFilesText(const QMimeData& data);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FilesDropped onFilesDropped_;
  QWidget* control_ = nullptr;
};

}  // namespace varomby::qt
