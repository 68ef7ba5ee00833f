#include "ui/grid_model.h"

#include <algorithm>

#include "ui/display_text.h"

namespace kestrilo {

namespace {

bool IsNumberColumn(int column) { return column == kGroupColumn || column == kSizeColumn; }

}  // namespace

GridModel::GridModel(const ResultCells& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
  seenVersion_ = grid_.Version();
  rows_ = std::max(grid_.RowCount() - 1, 0);
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kGridColumns; }

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
      return DisplayText(grid_.Cell(index.column(), GridRow(index.row())));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(
          Qt::Alignment((IsNumberColumn(index.column()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop));
    default:
      return {};
  }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // The trailing row holds no file: it can be the current row, but it never
  // shows as a selected one.
  if (index.row() == rows_ - 1) return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  switch (role) {
    case Qt::DisplayRole:
      return DisplayText(grid_.Cell(section, 0));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(
          Qt::Alignment((IsNumberColumn(section) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop));
    default:
      return {};
  }
}

void GridModel::Refresh() {
  const std::uint64_t version = grid_.Version();
  if (version == seenVersion_) return;
  const int rows = std::max(grid_.RowCount() - 1, 0);
  if (rows != rows_) {
    beginResetModel();
    seenVersion_ = version;
    rows_ = rows;
    endResetModel();
    return;
  }
  seenVersion_ = version;
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, kGridColumns - 1), {Qt::DisplayRole});
  emit headerDataChanged(Qt::Horizontal, 0, kGridColumns - 1);
}

void GridModel::Reset() {
  beginResetModel();
  seenVersion_ = grid_.Version();
  rows_ = std::max(grid_.RowCount() - 1, 0);
  endResetModel();
}

}  // namespace kestrilo
