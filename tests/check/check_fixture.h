#pragma once
// A check session over a temporary tree, with the in-memory toolkit and a
// file system that can be told to fail.

#include <string>
#include <vector>

#include "check/check_session.h"
#include "check/result_cells.h"
#include "support/faulty_file_system.h"
#include "support/memory_status_panels.h"
#include "support/temp_tree.h"

namespace kestrilo::testing {

struct CheckFixture {
  TempTree tree;
  MemoryStatusPanels status;
  MemoryJobSettings settings;
  FaultyFileSystem fs{SystemFileSystem()};
  CheckSession session{status, settings, fs};
  SignatureTable& table = session.Table();
  ResultSet& results = session.Results();
  StopRequest& stop = session.Stop();
  DuplicateEngine& engine = session.Engine();
  // The results as the window shows them.
  ResultCells grid{results};

  // Every live (signature, path) pair in iteration order.
  std::vector<std::pair<std::string, std::string>> Pairs() {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::string signature, path;
    for (int restart = 0; table.NextHash(restart, signature, path) == 0; restart = 1)
      pairs.emplace_back(signature, path);
    return pairs;
  }
  std::vector<std::string> Paths() {
    std::vector<std::string> paths;
    for (auto& pair : Pairs()) paths.push_back(pair.second);
    return paths;
  }
  // Data rows as "group|name|size|folder".
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int row = 1; row < grid.RowCount() - 1; ++row) {
      const GridRow cells = grid.Rows(row);
      rows.push_back(cells[0] + "|" + cells[1] + "|" + cells[2] + "|" + cells[3]);
    }
    return rows;
  }
  // A whole duplicate check, as run control runs it.
  int Check() { return session.RunDuplicateCheck().rows; }
};

}  // namespace kestrilo::testing
