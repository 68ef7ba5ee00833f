#pragma once
// Paints the result grid's cells: the group number and size columns
// right-aligned, the name and folder columns left-aligned, with colours that
// depend only on the cell's state. The focused cell keeps the ordinary colours
// even inside the selected row and gets a focus rectangle. A text too long for
// its cell ends in "…" and shows whole as the cell's tooltip.

#include <QStyledItemDelegate>

namespace kestrilo {

class GridCellDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;
};

}  // namespace kestrilo
