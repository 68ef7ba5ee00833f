#include "check/result_set.h"

#include <utility>

#include "platform/path_text.h"

namespace kestrilo {

std::string ResultRow::Path() const { return JoinFolderAndName(folder, name); }

void ResultSet::Replace(std::vector<ResultRow> rows) {
  {
    std::lock_guard lock(mutex_);
    // Kept as given: the extraction reserves room for every file it could lay
    // out, and the pages of that room it never wrote take no memory, while
    // fitting the room to the rows would copy them all.
    rows_ = std::move(rows);
  }
  generation_.fetch_add(1, std::memory_order_acq_rel);
  Touch();
}

int ResultSet::Count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_.size());
}

const ResultRow* ResultSet::Find(int row) const {
  if (row < 1 || static_cast<std::size_t>(row) > rows_.size()) return nullptr;
  return &rows_[static_cast<std::size_t>(row) - 1];
}

ResultRow* ResultSet::Find(int row) { return const_cast<ResultRow*>(std::as_const(*this).Find(row)); }

ResultRow ResultSet::At(int row) const {
  std::lock_guard lock(mutex_);
  const ResultRow* found = Find(row);
  return found != nullptr ? *found : ResultRow{};
}

int ResultSet::GroupOf(int row) const {
  std::lock_guard lock(mutex_);
  const ResultRow* found = Find(row);
  return found != nullptr ? found->ShownGroup() : 0;
}

std::string ResultSet::PathOf(int row) const {
  std::lock_guard lock(mutex_);
  const ResultRow* found = Find(row);
  return found != nullptr ? found->Path() : std::string();
}

std::string ResultSet::FolderOf(int row) const {
  std::lock_guard lock(mutex_);
  const ResultRow* found = Find(row);
  return found != nullptr ? found->folder : std::string();
}

std::string ResultSet::NameOf(int row) const {
  std::lock_guard lock(mutex_);
  const ResultRow* found = Find(row);
  return found != nullptr && !found->deleted ? found->name : std::string();
}

std::optional<FileFacts> ResultSet::VerifiedFacts(int row) const {
  std::lock_guard lock(mutex_);
  const ResultRow* found = Find(row);
  return found != nullptr ? found->verified : std::nullopt;
}

void ResultSet::SetGroup(int row, int group) {
  {
    std::lock_guard lock(mutex_);
    ResultRow* found = Find(row);
    if (found == nullptr) return;
    found->group = group;
  }
  Touch();
}

void ResultSet::SetVerified(int row, std::optional<FileFacts> facts) {
  std::lock_guard lock(mutex_);
  if (ResultRow* found = Find(row)) found->verified = facts;
}

void ResultSet::ForgetVerifiedFacts() {
  std::lock_guard lock(mutex_);
  for (ResultRow& row : rows_) row.verified.reset();
}

void ResultSet::MarkDeleted(int row) {
  {
    std::lock_guard lock(mutex_);
    ResultRow* found = Find(row);
    if (found == nullptr) return;
    found->deleted = true;
  }
  Touch();
}

}  // namespace kestrilo
