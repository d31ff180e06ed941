#include "ui/qt/result_list_model.h"

#include <limits>
#include <new>

#include "ui/qt/ansi_text_qt.h"

namespace varomby::qt {
namespace {

// "文件地址", "内存地址", "    原始字节", "    替换字节", " 原始字符", " 替换字符"
const std::array<AnsiText, ResultListModel::kColumns> kColumnTitles = {
    "\xCE\xC4\xBC\xFE\xB5\xD8\xD6\xB7",
    "\xC4\xDA\xB4\xE6\xB5\xD8\xD6\xB7",
    "    \xD4\xAD\xCA\xBC\xD7\xD6\xBD\xDA",
    "    \xCC\xE6\xBB\xBB\xD7\xD6\xBD\xDA",
    " \xD4\xAD\xCA\xBC\xD7\xD6\xB7\xFB",
    " \xCC\xE6\xBB\xBB\xD7\xD6\xB7\xFB",
};

// Qt addresses rows with int: the list holds at most that many.
constexpr std::size_t kMaxRows = static_cast<std::size_t>(std::numeric_limits<int>::max());
// A row keeps its cell ends in 32 bits.
constexpr std::size_t kMaxRowBytes = std::numeric_limits<std::uint32_t>::max();

}  // namespace

ResultListModel::ResultListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultListModel::Clear() {
  beginResetModel();
  std::deque<Row>().swap(rows_);  // gives the memory back
  published_ = 0;
  endResetModel();
}

std::int64_t ResultListModel::AppendRow() {
  if (rows_.size() >= kMaxRows) return -1;
  try {
    rows_.emplace_back();
  } catch (const std::bad_alloc&) {
    return -1;
  }
  if (rows_.size() == published_ + 1) emit rowsPending();
  return static_cast<std::int64_t>(rows_.size()) - 1;
}

bool ResultListModel::Holds(std::int64_t row, int column) const {
  return row >= 0 && row < StoredRowCount() && column >= 0 && column < kColumns;
}

void ResultListModel::SetCell(std::int64_t row, int column, const AnsiText& text) {
  if (!Holds(row, column)) return;
  Row& stored = rows_[static_cast<std::size_t>(row)];
  const std::size_t col = static_cast<std::size_t>(column);
  const std::size_t begin = col == 0 ? 0 : stored.cellEnd[col - 1];
  const std::size_t end = stored.cellEnd[col];
  if (stored.bytes.size() - (end - begin) + text.size() > kMaxRowBytes) return;
  try {
    stored.bytes.replace(begin, end - begin, text);
  } catch (const std::bad_alloc&) {
    return;
  }
  const std::int64_t shift = static_cast<std::int64_t>(text.size()) - static_cast<std::int64_t>(end - begin);
  for (std::size_t c = col; c < kColumns; ++c) {
    stored.cellEnd[c] = static_cast<std::uint32_t>(static_cast<std::int64_t>(stored.cellEnd[c]) + shift);
  }
  if (static_cast<std::size_t>(row) < published_) {
    const QModelIndex changed = index(static_cast<int>(row), column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
  }
}

AnsiText ResultListModel::Cell(std::int64_t row, int column) const {
  if (!Holds(row, column)) return {};
  const Row& stored = rows_[static_cast<std::size_t>(row)];
  const std::size_t col = static_cast<std::size_t>(column);
  const std::size_t begin = col == 0 ? 0 : stored.cellEnd[col - 1];
  return stored.bytes.substr(begin, stored.cellEnd[col] - begin);
}

void ResultListModel::Publish() {
  if (!HasUnpublishedRows()) return;
  beginInsertRows({}, static_cast<int>(published_), static_cast<int>(rows_.size() - 1));
  published_ = rows_.size();
  endInsertRows();
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(published_);
}

int ResultListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  // The tool tip shows a cell that its column is too narrow for in full.
  if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid()) return {};
  return DecodeAnsiForDisplay(Cell(index.row(), index.column()));
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
  if (role == Qt::DisplayRole) return DecodeAnsi(kColumnTitles[static_cast<std::size_t>(section)]);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace varomby::qt
