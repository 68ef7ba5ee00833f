#pragma once
// The result grid as the view sees it: the grid's row 0 is the horizontal
// header, its data rows and its trailing row are the view's rows. The cells
// are read from the result set when they are painted; Refresh tells
// the view what changed since it last looked.

#include <QAbstractTableModel>
#include <cstdint>

#include "check/result_cells.h"

namespace kestrilo {

class GridModel final : public QAbstractTableModel {
 public:
  GridModel(const ResultCells& grid, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // Brings the view up to date when the grid changed: a new row count is a
  // new set of rows, otherwise only cell texts changed.
  void Refresh();
  // The grid was set up anew.
  void Reset();

  // The grid row shown as view row `viewRow`, and back.
  static int GridRow(int viewRow) { return viewRow + 1; }
  static int ViewRow(int gridRow) { return gridRow - 1; }

 private:
  const ResultCells& grid_;
  int rows_ = 0;
  std::uint64_t seenVersion_ = 0;
};

}  // namespace kestrilo
