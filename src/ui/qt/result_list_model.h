#pragma once
// The rows of the result list (超级列表框). Every cell keeps its code page
// 936 bytes unchanged; they are decoded only for drawing. Appended rows are
// stored at once (so handlers read them back immediately) and announced to
// the view in batches by Publish(), which keeps a fill of a million rows
// from costing one view update per row.
#include <QAbstractTableModel>
#include <array>
#include <cstdint>
#include <deque>

#include "common/types.h"

namespace varomby::qt {

class ResultListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kColumns = 6;

  explicit ResultListModel(QObject* parent = nullptr);

  // The row operations of the window; see Ui for their contracts.
  void Clear();
  std::int64_t AppendRow();
  void SetCell(std::int64_t row, int column, const AnsiText& text);
  AnsiText Cell(std::int64_t row, int column) const;
  std::int64_t StoredRowCount() const { return static_cast<std::int64_t>(rows_.size()); }

  // Announces the rows appended since the last call to the views.
  void Publish();
  bool HasUnpublishedRows() const { return published_ < rows_.size(); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // Emitted once when unpublished rows appear, so the owner can schedule a
  // Publish() from the event loop.
  void rowsPending();

 private:
  // One row's cells back to back; cellEnd[c] is where cell c ends.
  struct Row {
    AnsiText bytes;
    std::array<std::uint32_t, kColumns> cellEnd{};
  };

  bool Holds(std::int64_t row, int column) const;

  // A deque: growing never moves the rows already stored, so an append
  // costs the same at a million rows as at the first.
  std::deque<Row> rows_;
  std::size_t published_ = 0;
};

}  // namespace varomby::qt
