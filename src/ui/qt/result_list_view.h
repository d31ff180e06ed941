#pragma once
// The report view of 超级列表框: whole-row single selection with grid lines.
// A press of the left or right button below the header selects the row under
// the pointer (or clears the selection on the empty space), then reports the
// click. The second press of a double click, header clicks and keyboard moves
// report nothing.
#include <QTableView>

namespace varomby::qt {

class ResultListView final : public QTableView {
  Q_OBJECT

 public:
  explicit ResultListView(QWidget* parent = nullptr);

  // The selected row, or -1.
  int SelectedRow() const;

 signals:
  void leftClicked();
  void rightClicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void SelectRowAt(int y);
};

}  // namespace varomby::qt
