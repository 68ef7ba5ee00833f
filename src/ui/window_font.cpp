#include "ui/window_font.h"

#include <QStringList>

namespace kestrilo {

QFont WindowFont() {
  QFont font;
  // IPAPGothic has the metrics of the first face; Noto Sans CJK JP covers
  // every Japanese text where neither is installed.
  font.setFamilies(
      {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
  font.setPixelSize(12);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace kestrilo
