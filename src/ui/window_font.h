#pragma once
// The window's font: "ＭＳ Ｐゴシック" at 12 pixels, or a Japanese face of the
// same kind where that one is not installed.

#include <QFont>

namespace kestrilo {

QFont WindowFont();

}  // namespace kestrilo
