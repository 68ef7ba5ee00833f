#include "ui/display_text.h"

#include <QTextDocument>
#include <cstddef>

namespace kestrilo {

namespace {

// Length of the valid UTF-8 sequence that starts at `at` (RFC 3629: no
// overlong forms, no surrogates, nothing above U+10FFFF); 0 when there is none.
std::size_t SequenceLength(std::string_view bytes, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > bytes.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

QString DisplayText(std::string_view bytes) {
  QString shown;
  std::size_t validFrom = 0;
  const auto takeValid = [&](std::size_t end) {
    shown += QString::fromUtf8(bytes.data() + validFrom, static_cast<qsizetype>(end - validFrom));
  };
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t length = SequenceLength(bytes, at);
    if (length > 0) {
      at += length;
      continue;
    }
    takeValid(at);
    shown += QStringLiteral("\\x") +
             QString::number(static_cast<unsigned char>(bytes[at]), 16).rightJustified(2, QLatin1Char('0')).toUpper();
    validFrom = ++at;
  }
  takeValid(at);
  return shown;
}

QString ToolTipText(const QString& shown) {
  return Qt::mightBeRichText(shown) ? Qt::convertFromPlainText(shown, Qt::WhiteSpaceNoWrap) : shown;
}

}  // namespace kestrilo
