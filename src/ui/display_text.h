#pragma once
// How the window shows a text of the engine (a cell, a status text, a
// question): its bytes read as UTF-8, and every byte that is not part of a
// valid UTF-8 sequence shown as \xNN, so that a file name the system does not
// spell in UTF-8 stays recognisable instead of turning into replacement
// characters. Only the display changes; the engine keeps the bytes.

#include <QString>
#include <string_view>

namespace kestrilo {

QString DisplayText(std::string_view bytes);

// `shown` as a tooltip shows it: a tooltip reads a text that looks like markup
// as markup, so such a text is handed over as markup that shows it unchanged.
QString ToolTipText(const QString& shown);

}  // namespace kestrilo
