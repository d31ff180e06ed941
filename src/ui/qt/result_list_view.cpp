#include "ui/qt/result_list_view.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace varomby::qt {

ResultListView::ResultListView(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setSortingEnabled(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  setContextMenuPolicy(Qt::NoContextMenu);
  setAcceptDrops(false);
  viewport()->setAcceptDrops(false);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setTabKeyNavigation(false);

  // Uniform row heights: the view never measures rows, whatever their count.
  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 4);

  QHeaderView* columns = horizontalHeader();
  columns->setSectionsMovable(false);
  columns->setSectionsClickable(true);  // pressed look only; nothing is bound to it
  columns->setSortIndicatorShown(false);
  columns->setHighlightSections(false);
  columns->setStretchLastSection(false);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  // The selection is not drawn while the list has no focus.
  QPalette colours = palette();
  colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Base));
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Active, QPalette::Text));
  setPalette(colours);
}

int ResultListView::SelectedRow() const {
  const QItemSelectionModel* selection = selectionModel();
  if (selection == nullptr) return -1;
  const QModelIndexList rows = selection->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void ResultListView::SelectRowAt(int y) {
  QItemSelectionModel* selection = selectionModel();
  if (selection == nullptr) return;
  const int row = rowAt(y);
  if (row < 0) {
    selection->clear();
    return;
  }
  const QModelIndex index = model()->index(row, 0);
  selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ResultListView::mousePressEvent(QMouseEvent* event) {
  const Qt::MouseButton button = event->button();
  if (button != Qt::LeftButton && button != Qt::RightButton) return;
  setFocus(Qt::MouseFocusReason);
  SelectRowAt(event->position().toPoint().y());
  event->accept();
  if (button == Qt::LeftButton) emit leftClicked();
  else emit rightClicked();
}

// Dragging with a button held does not move the selection.
void ResultListView::mouseMoveEvent(QMouseEvent* event) { event->accept(); }

void ResultListView::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

// The second click of a double click runs nothing.
void ResultListView::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

}  // namespace varomby::qt
