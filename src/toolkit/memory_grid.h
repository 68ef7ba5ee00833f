#pragma once
// The grid's cell store. Thread-safe: the worker writes it while the window
// reads it to paint. Version() changes with every write, so a reader can tell
// cheaply whether anything changed since it last looked.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "toolkit/grid.h"

namespace kestrilo {

class MemoryGrid final : public Grid {
 public:
  // A grid with the header row and the trailing row (RowCount 2).
  MemoryGrid();

  std::string Cell(int column, int row) const override;
  void SetCell(int column, int row, std::string text) override;
  int RowCount() const override;
  void SetRowCount(int count) override;
  int Row() const override;
  void SetRow(int row) override;
  GridRow Rows(int row) const override;
  void SetRows(int row, GridRow cells) override;

  std::uint64_t Version() const { return version_.load(std::memory_order_acquire); }

 private:
  void Touch() { version_.fetch_add(1, std::memory_order_acq_rel); }

  mutable std::mutex mutex_;
  std::vector<GridRow> rows_;
  int currentRow_ = 1;
  std::atomic<std::uint64_t> version_{0};
};

}  // namespace kestrilo
