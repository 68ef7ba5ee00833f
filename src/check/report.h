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

// Writes the report into a new file beside `path` and renames it into place
// only when every write and the close succeeded, so that a failed save never
// leaves a half-written report or spoils an existing file of that name.
ReportResult SaveReport(const Grid& grid, const std::string& path);

// The same for any text: `write` puts it into the descriptor it is given and
// says whether every write succeeded.
ReportResult SaveFile(const std::string& path, const std::function<bool(int fd)>& write);

}  // namespace kestrilo
