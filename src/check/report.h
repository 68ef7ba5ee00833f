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

// Writes the report to an open descriptor; false when a write fails.
bool WriteReport(const Grid& grid, int fd);

enum class ReportResult { Saved, CannotOpen, CannotWrite };

// Saves the report as `path`. An existing file is written in place, keeping
// its owner, mode and links; CannotOpen when it may not be written. A new
// file is written beside `path` and renamed into place only when every write
// and the close succeeded, so that a failed save leaves no half-written file.
ReportResult SaveReport(const Grid& grid, const std::string& path);

// The same for any text: `write` puts it into the descriptor it is given and
// says whether every write succeeded.
ReportResult SaveFile(const std::string& path, const std::function<bool(int fd)>& write);

}  // namespace kestrilo
