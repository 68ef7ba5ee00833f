#pragma once
// How the deletion commands read a row of the result grid: its group number,
// its file's full path and the folder that holds it.

#include <string>

#include "platform/path_text.h"
#include "toolkit/grid.h"

namespace kestrilo {

inline constexpr int kGroupColumn = 0;
inline constexpr int kNameColumn = 1;
inline constexpr int kFolderColumn = 3;

// Rows 1 .. RowCount-2; the header and the trailing row are not data rows.
inline bool IsDataRow(const Grid& grid, int row) { return row >= 1 && row < grid.RowCount() - 1; }

inline std::string GroupOf(const Grid& grid, int row) { return grid.Cell(kGroupColumn, row); }

inline std::string FullPathOf(const Grid& grid, int row) {
  return JoinFolderAndName(grid.Cell(kFolderColumn, row), grid.Cell(kNameColumn, row));
}

// A folder cell as a path: the root folder's cell is empty (a drive's is "C:").
inline std::string FolderPathOf(const std::string& folderCell) { return FolderCellAsPath(folderCell); }

}  // namespace kestrilo
