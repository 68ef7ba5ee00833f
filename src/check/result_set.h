#pragma once
// The result of a duplicate check: one typed row per candidate file, in grid
// order. The extraction lays the rows out, the verification numbers the groups
// and records what it saw of each file, the deletion marks the rows whose file
// it removed; the grid, the report and the listings only read it.
//
// Rows are numbered 1 .. Count(), as the grid numbers its data rows.
// Thread-safe: the worker writes it while the window reads it to paint.
// Version() changes with every write and Generation() with every new set of
// rows, so a reader can tell cheaply what changed since it last looked.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/candidate_rows.h"
#include "platform/file_system.h"

namespace kestrilo {

struct ResultRow {
  // The folder that holds the file, without a trailing separator: "" for
  // the root folder (on Windows a drive's root is "C:").
  std::string folder;
  std::string name;
  std::uint64_t size = 0;
  // Which signature the row came from, in extraction order: rows of
  // different signatures are never identical.
  std::uint32_t signature = 0;
  // The number of its group of identical files; 0 while it is in none.
  int group = 0;
  // Its file was removed by a deletion command: it shows no group and no name.
  bool deleted = false;
  // The file as the verification pass read it, when those facts can vouch
  // for its content later (it had not changed just before it was read).
  std::optional<FileFacts> verified;
  // What the walk learned of the bytes after the head of a small file: rows
  // with different rests are never identical.
  std::optional<std::uint64_t> rest;

  // The group the row shows: 0 once it is deleted.
  int ShownGroup() const { return deleted ? 0 : group; }
  std::string Path() const;
};

class ResultSet {
 public:
  // A new set of rows; the previous rows and everything known of them go.
  void Replace(CandidateRows rows);
  void Replace(std::vector<ResultRow> rows);
  void Clear() { Replace(CandidateRows{}); }

  int Count() const;
  bool Contains(int row) const { return row >= 1 && row <= Count(); }

  // A copy of row `row`; an empty row outside the set.
  ResultRow At(int row) const;

  // The group `row` shows (0: none, deleted, or outside the set).
  int GroupOf(int row) const;
  std::string PathOf(int row) const;
  std::string FolderOf(int row) const;
  std::string NameOf(int row) const;
  std::optional<FileFacts> VerifiedFacts(int row) const;
  std::optional<std::uint64_t> RestOf(int row) const;

  void SetGroup(int row, int group);
  void SetVerified(int row, std::optional<FileFacts> facts);
  void ForgetVerifiedFacts();
  void MarkDeleted(int row);

  std::uint64_t Version() const { return version_.load(std::memory_order_acquire); }
  std::uint64_t Generation() const { return generation_.load(std::memory_order_acquire); }

 private:
  // What the checks and deletions learn of a row, beside its laid-out part.
  struct Marks {
    int group = 0;
    bool deleted = false;
  };

  void Install(CandidateRows rows, std::vector<Marks> marks, std::vector<std::optional<FileFacts>> verified);
  // The row's index; nothing outside the set. Called with the lock held.
  std::optional<std::size_t> Find(int row) const;
  std::optional<FileFacts> VerifiedAt(std::size_t index) const {
    return index < verified_.size() ? verified_[index] : std::nullopt;
  }
  std::string_view FolderText(std::size_t index) const { return rows_.FolderText(rows_.Row(index).folder); }
  void Touch() { version_.fetch_add(1, std::memory_order_acq_rel); }

  mutable std::mutex mutex_;
  CandidateRows rows_;
  std::vector<Marks> marks_;
  // Empty until the first facts are recorded: a set without groups never
  // has any.
  std::vector<std::optional<FileFacts>> verified_;
  std::atomic<std::uint64_t> version_{0};
  std::atomic<std::uint64_t> generation_{0};
};

}  // namespace kestrilo
