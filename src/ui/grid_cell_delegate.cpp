#include "ui/grid_cell_delegate.h"

#include <QPainter>
#include <QPen>
#include <QStyle>

namespace kestrilo {

namespace {

// Text stands this far inside the cell on every side.
constexpr int kTextInset = 2;

QPalette::ColorGroup GroupOf(const QStyleOptionViewItem& option) {
  if (!(option.state & QStyle::State_Enabled)) return QPalette::Disabled;
  return (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
}

}  // namespace

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QPalette::ColorGroup group = GroupOf(option);
  const bool focused = option.state & QStyle::State_HasFocus;
  const bool selected = option.state & QStyle::State_Selected;
  const QPalette& palette = option.palette;

  const QColor background = (!focused && selected) ? palette.color(group, QPalette::Highlight)
                                                   : palette.color(group, QPalette::Base);
  const QColor foreground = (!focused && selected) ? palette.color(group, QPalette::HighlightedText)
                                                   : palette.color(group, QPalette::Text);

  painter->save();
  painter->fillRect(option.rect, background);
  if (focused) {
    // A dotted rectangle along the whole cell, drawn before the text.
    painter->setPen(QPen(foreground, 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
  }
  const QRect textRect = option.rect.adjusted(kTextInset, kTextInset, -kTextInset, -kTextInset);
  const auto alignment = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
  painter->setClipRect(textRect);
  painter->setFont(option.font);
  painter->setPen(foreground);
  painter->drawText(textRect, static_cast<int>(alignment), index.data(Qt::DisplayRole).toString());
  painter->restore();
}

}  // namespace kestrilo
