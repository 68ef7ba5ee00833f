#include "toolkit/memory_grid.h"

#include <utility>

namespace kestrilo {

MemoryGrid::MemoryGrid() : rows_(2) {}

std::string MemoryGrid::Cell(int column, int row) const {
  std::lock_guard lock(mutex_);
  if (column < 0 || column >= kGridColumns || row < 0 || row >= static_cast<int>(rows_.size())) return {};
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void MemoryGrid::SetCell(int column, int row, std::string text) {
  {
    std::lock_guard lock(mutex_);
    if (column < 0 || column >= kGridColumns || row < 0 || row >= static_cast<int>(rows_.size())) return;
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
  }
  Touch();
}

int MemoryGrid::RowCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_.size());
}

void MemoryGrid::SetRowCount(int count) {
  {
    std::lock_guard lock(mutex_);
    rows_.resize(static_cast<std::size_t>(count < 0 ? 0 : count));
  }
  Touch();
}

int MemoryGrid::Row() const {
  std::lock_guard lock(mutex_);
  return currentRow_;
}

void MemoryGrid::SetRow(int row) {
  {
    std::lock_guard lock(mutex_);
    currentRow_ = row;
  }
  Touch();
}

GridRow MemoryGrid::Rows(int row) const {
  std::lock_guard lock(mutex_);
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
  return rows_[static_cast<std::size_t>(row)];
}

void MemoryGrid::SetRows(int row, GridRow cells) {
  {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    rows_[static_cast<std::size_t>(row)] = std::move(cells);
  }
  Touch();
}

}  // namespace kestrilo
