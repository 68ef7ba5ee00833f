#include "ui/grid_cell_delegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QPen>
#include <QStyle>
#include <QToolTip>

#include "ui/display_text.h"

namespace kestrilo {

namespace {

// Text stands this far inside the cell on every side.
constexpr int kTextInset = 2;

// The colours follow the cell's own state only: a grid disabled while a job
// runs keeps them.
QPalette::ColorGroup GroupOf(const QStyleOptionViewItem& option) {
  return (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
}

QRect TextRect(const QStyleOptionViewItem& option) {
  return option.rect.adjusted(kTextInset, kTextInset, -kTextInset, -kTextInset);
}

// The cell's text as it fits into the cell: cut with "…" when it is wider.
QString ShownText(const QStyleOptionViewItem& option, const QString& text) {
  return QFontMetrics(option.font).elidedText(text, option.textElideMode, TextRect(option).width());
}

}  // namespace

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QPalette::ColorGroup group = GroupOf(option);
  const bool focused = option.state & QStyle::State_HasFocus;
  const bool selected = option.state & QStyle::State_Selected;
  const QPalette& palette = option.palette;

  const QColor background =
      (!focused && selected) ? palette.color(group, QPalette::Highlight) : palette.color(group, QPalette::Base);
  const QColor foreground =
      (!focused && selected) ? palette.color(group, QPalette::HighlightedText) : palette.color(group, QPalette::Text);

  painter->save();
  painter->fillRect(option.rect, background);
  if (focused) {
    // A dotted rectangle along the whole cell, drawn before the text.
    painter->setPen(QPen(foreground, 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
  }
  const QRect textRect = TextRect(option);
  const auto alignment = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
  painter->setClipRect(textRect);
  painter->setFont(option.font);
  painter->setPen(foreground);
  painter->drawText(textRect, static_cast<int>(alignment), ShownText(option, index.data(Qt::DisplayRole).toString()));
  painter->restore();
}

bool GridCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) {
  if (event->type() != QEvent::ToolTip) return QStyledItemDelegate::helpEvent(event, view, option, index);
  const QString text = index.data(Qt::DisplayRole).toString();
  if (ShownText(option, text) == text) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(event->globalPos(), ToolTipText(text), view->viewport(), option.rect);
  }
  return true;
}

}  // namespace kestrilo
