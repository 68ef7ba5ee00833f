#include "check/result_set.h"

#include <utility>

#include "platform/path_text.h"

namespace kestrilo {

std::string ResultRow::Path() const { return JoinFolderAndName(folder, name); }

void ResultSet::Replace(CandidateRows rows) {
  const std::size_t count = rows.Count();
  Install(std::move(rows), std::vector<Marks>(count), {});
}

void ResultSet::Replace(std::vector<ResultRow> rows) {
  CandidateRows laidOut;
  laidOut.Reserve(rows.size());
  std::vector<Marks> marks;
  marks.reserve(rows.size());
  std::vector<std::optional<FileFacts>> verified;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ResultRow& row = rows[i];
    laidOut.Add(row.folder, row.name, row.size, row.signature, row.rest);
    marks.push_back({row.group, row.deleted});
    if (!row.verified) continue;
    verified.resize(rows.size());
    verified[i] = row.verified;
  }
  Install(std::move(laidOut), std::move(marks), std::move(verified));
}

void ResultSet::Install(CandidateRows rows, std::vector<Marks> marks, std::vector<std::optional<FileFacts>> verified) {
  {
    std::lock_guard lock(mutex_);
    rows_ = std::move(rows);
    marks_ = std::move(marks);
    verified_ = std::move(verified);
  }
  generation_.fetch_add(1, std::memory_order_acq_rel);
  Touch();
}

int ResultSet::Count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_.Count());
}

std::optional<std::size_t> ResultSet::Find(int row) const {
  if (row < 1 || static_cast<std::size_t>(row) > rows_.Count()) return std::nullopt;
  return static_cast<std::size_t>(row) - 1;
}

ResultRow ResultSet::At(int row) const {
  std::lock_guard lock(mutex_);
  const auto found = Find(row);
  if (!found) return ResultRow{};
  const CandidateRow& laidOut = rows_.Row(*found);
  return {
      std::string(FolderText(*found)), laidOut.name,       laidOut.size,        laidOut.signature, marks_[*found].group,
      marks_[*found].deleted,          VerifiedAt(*found), rows_.RestOf(*found)};
}

int ResultSet::GroupOf(int row) const {
  std::lock_guard lock(mutex_);
  const auto found = Find(row);
  return found && !marks_[*found].deleted ? marks_[*found].group : 0;
}

std::string ResultSet::PathOf(int row) const {
  std::lock_guard lock(mutex_);
  const auto found = Find(row);
  return found ? JoinFolderAndName(FolderText(*found), rows_.Row(*found).name) : std::string();
}

std::string ResultSet::FolderOf(int row) const {
  std::lock_guard lock(mutex_);
  const auto found = Find(row);
  return found ? std::string(FolderText(*found)) : std::string();
}

std::string ResultSet::NameOf(int row) const {
  std::lock_guard lock(mutex_);
  const auto found = Find(row);
  return found && !marks_[*found].deleted ? rows_.Row(*found).name : std::string();
}

std::optional<std::uint64_t> ResultSet::RestOf(int row) const {
  std::lock_guard lock(mutex_);
  const auto found = Find(row);
  return found ? rows_.RestOf(*found) : std::nullopt;
}

std::optional<FileFacts> ResultSet::VerifiedFacts(int row) const {
  std::lock_guard lock(mutex_);
  const auto found = Find(row);
  return found ? VerifiedAt(*found) : std::nullopt;
}

void ResultSet::SetGroup(int row, int group) {
  {
    std::lock_guard lock(mutex_);
    const auto found = Find(row);
    if (!found) return;
    marks_[*found].group = group;
  }
  Touch();
}

void ResultSet::SetVerified(int row, std::optional<FileFacts> facts) {
  std::lock_guard lock(mutex_);
  const auto found = Find(row);
  if (!found || (!facts && verified_.empty())) return;
  verified_.resize(rows_.Count());
  verified_[*found] = facts;
}

void ResultSet::ForgetVerifiedFacts() {
  std::lock_guard lock(mutex_);
  verified_ = {};
}

void ResultSet::MarkDeleted(int row) {
  {
    std::lock_guard lock(mutex_);
    const auto found = Find(row);
    if (!found) return;
    marks_[*found].deleted = true;
  }
  Touch();
}

}  // namespace kestrilo
