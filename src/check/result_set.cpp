#include "check/result_set.h"

#include <unordered_map>
#include <utility>

#include "platform/path_text.h"

namespace kestrilo {

std::string ResultRow::Path() const { return JoinFolderAndName(folder, name); }

void ResultSet::Replace(std::vector<ResultRow> rows) {
  std::vector<StoredRow> stored;
  std::vector<std::string> folders;
  stored.reserve(rows.size());
  // Rows come folder by folder, or nearly: the last folder is usually the one.
  std::unordered_map<std::string, std::uint32_t> numbers;
  for (ResultRow& row : rows) {
    auto number = static_cast<std::uint32_t>(folders.size());
    if (!folders.empty() && folders.back() == row.folder) {
      --number;
    } else if (const auto found = numbers.find(row.folder); found != numbers.end()) {
      number = found->second;
    } else {
      numbers.emplace(row.folder, number);
      folders.push_back(std::move(row.folder));
    }
    stored.push_back({number, row.signature, row.size, row.group, row.deleted, std::move(row.name), row.verified});
    // Each row's texts go as it is stored, so that the two copies are never
    // held whole at once.
    row = ResultRow{};
  }
  {
    std::lock_guard lock(mutex_);
    rows_ = std::move(stored);
    folders_ = std::move(folders);
  }
  generation_.fetch_add(1, std::memory_order_acq_rel);
  Touch();
}

int ResultSet::Count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_.size());
}

const ResultSet::StoredRow* ResultSet::Find(int row) const {
  if (row < 1 || static_cast<std::size_t>(row) > rows_.size()) return nullptr;
  return &rows_[static_cast<std::size_t>(row) - 1];
}

ResultSet::StoredRow* ResultSet::Find(int row) { return const_cast<StoredRow*>(std::as_const(*this).Find(row)); }

ResultRow ResultSet::At(int row) const {
  std::lock_guard lock(mutex_);
  const StoredRow* found = Find(row);
  if (found == nullptr) return ResultRow{};
  return {std::string(FolderText(*found)),
          found->name,
          found->size,
          found->signature,
          found->group,
          found->deleted,
          found->verified};
}

int ResultSet::GroupOf(int row) const {
  std::lock_guard lock(mutex_);
  const StoredRow* found = Find(row);
  return found != nullptr && !found->deleted ? found->group : 0;
}

std::string ResultSet::PathOf(int row) const {
  std::lock_guard lock(mutex_);
  const StoredRow* found = Find(row);
  return found != nullptr ? JoinFolderAndName(FolderText(*found), found->name) : std::string();
}

std::string ResultSet::FolderOf(int row) const {
  std::lock_guard lock(mutex_);
  const StoredRow* found = Find(row);
  return found != nullptr ? std::string(FolderText(*found)) : std::string();
}

std::string ResultSet::NameOf(int row) const {
  std::lock_guard lock(mutex_);
  const StoredRow* found = Find(row);
  return found != nullptr && !found->deleted ? found->name : std::string();
}

std::optional<FileFacts> ResultSet::VerifiedFacts(int row) const {
  std::lock_guard lock(mutex_);
  const StoredRow* found = Find(row);
  return found != nullptr ? found->verified : std::nullopt;
}

void ResultSet::SetGroup(int row, int group) {
  {
    std::lock_guard lock(mutex_);
    StoredRow* found = Find(row);
    if (found == nullptr) return;
    found->group = group;
  }
  Touch();
}

void ResultSet::SetVerified(int row, std::optional<FileFacts> facts) {
  std::lock_guard lock(mutex_);
  if (StoredRow* found = Find(row)) found->verified = facts;
}

void ResultSet::ForgetVerifiedFacts() {
  std::lock_guard lock(mutex_);
  for (StoredRow& row : rows_) row.verified.reset();
}

void ResultSet::MarkDeleted(int row) {
  {
    std::lock_guard lock(mutex_);
    StoredRow* found = Find(row);
    if (found == nullptr) return;
    found->deleted = true;
  }
  Touch();
}

}  // namespace kestrilo
