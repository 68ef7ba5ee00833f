#include "ui/grid_header_view.h"

#include <qdrawutil.h>

#include <QPainter>

namespace kestrilo {

namespace {

constexpr int kTextInset = 2;

}  // namespace

GridHeaderView::GridHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  setSectionsMovable(false);
  setSectionsClickable(false);
  setHighlightSections(false);
  setSectionResizeMode(QHeaderView::Interactive);
  setStretchLastSection(false);
}

void GridHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  if (!rect.isValid()) return;
  const QPalette& colours = palette();
  // A grid disabled while a job runs keeps its header's colours.
  const QPalette::ColorGroup group = QPalette::Active;
  painter->save();
  painter->fillRect(rect, colours.color(group, QPalette::Button));
  qDrawShadePanel(painter, rect, colours, false, 1);
  const QRect textRect = rect.adjusted(kTextInset, kTextInset, -kTextInset, -kTextInset);
  const auto alignment = model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole).value<Qt::Alignment>();
  painter->setClipRect(textRect);
  painter->setPen(colours.color(group, QPalette::WindowText));
  painter->drawText(textRect, static_cast<int>(alignment),
                    model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString());
  painter->restore();
}

}  // namespace kestrilo
