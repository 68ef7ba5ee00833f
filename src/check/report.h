#pragma once
// The report: one line per numbered row of the result set, in grid order,
// "group, name, size, folder" and a line end, as the grid shows the row's
// cells, byte for byte.

#include <functional>
#include <ostream>
#include <string>

#include "check/result_set.h"

namespace kestrilo {

// The report's text.
std::string ReportText(const ResultSet& results);

// Hands the report's text to `sink` a piece at a time, so that a report of a
// million rows never stands in memory whole; false as soon as the sink
// refuses a piece.
bool ForEachReportPiece(const ResultSet& results, const std::function<bool(const std::string&)>& sink);

// Writes the report to an open descriptor; false when a write fails. On
// Windows the lines end in CR LF and the text is in code page 932, or, when a
// name cannot be written in it, UTF-8 after a byte-order mark.
bool WriteReport(const ResultSet& results, int fd);

enum class ReportResult { Saved, CannotOpen, CannotWrite };

// Saves the report as `path`. An existing file is written in place, keeping
// its owner, mode and links; CannotOpen when it may not be written. A new
// file is written beside `path` and renamed into place only when every write
// and the close succeeded, so that a failed save leaves no half-written file.
// On Windows an existing file is replaced that way too, unless it is read-only
// (CannotOpen).
ReportResult SaveReport(const ResultSet& results, const std::string& path);

// The same for any text: `write` puts it into the descriptor it is given and
// says whether every write succeeded.
ReportResult SaveFile(const std::string& path, const std::function<bool(int fd)>& write);

}  // namespace kestrilo
