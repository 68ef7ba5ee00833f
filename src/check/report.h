#pragma once
// The report: one line per numbered row of the result grid, in grid order,
// "group, name, size, folder" and a line end, every cell byte for byte.

#include <functional>
#include <ostream>
#include <string>

#include "toolkit/grid.h"

namespace kestrilo {

// The report's text.
std::string ReportText(const Grid& grid);

// Hands the report's text to `sink` a piece at a time, so that a report of a
// million rows never stands in memory whole; false as soon as the sink
// refuses a piece.
bool ForEachReportPiece(const Grid& grid, const std::function<bool(const std::string&)>& sink);

// Writes the report to an open descriptor; false when a write fails. On
// Windows the lines end in CR LF and the text is in code page 932, or, when a
// name cannot be written in it, UTF-8 after a byte-order mark.
bool WriteReport(const Grid& grid, int fd);

enum class ReportResult { Saved, CannotOpen, CannotWrite };

// Writes the report into a new file beside `path` and renames it into place
// only when every write and the close succeeded, so that a failed save never
// leaves a half-written report or spoils an existing file of that name.
ReportResult SaveReport(const Grid& grid, const std::string& path);

}  // namespace kestrilo
