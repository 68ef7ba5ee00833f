#pragma once
// The result grid's header row: each cell on the button face with a raised
// edge, the group number and size headers right-aligned.

#include <QHeaderView>

namespace kestrilo {

class GridHeaderView final : public QHeaderView {
 public:
  explicit GridHeaderView(QWidget* parent);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

}  // namespace kestrilo
