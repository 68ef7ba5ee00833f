#pragma once
// The rows of a new result set as the extraction lays them out, kept the way
// the result set keeps them: a row holds its name, size and signature and the
// number of its folder, each folder's text being kept once, since a large set
// holds many rows of few folders. The result set takes them over as they are,
// so that no second copy of the rows is ever made.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/text_map.h"

namespace kestrilo {

struct CandidateRow {
  std::uint32_t folder = 0;  // its number in CandidateRows::FolderText
  // Which signature the row came from, in extraction order.
  std::uint32_t signature = 0;
  std::uint64_t size = 0;
  std::string name;
};

class CandidateRows {
 public:
  void Reserve(std::size_t count) { rows_.reserve(count); }
  // `folder` as a result row shows it, without a trailing separator.
  void Add(std::string_view folder, std::string_view name, std::uint64_t size, std::uint32_t signature,
           std::optional<std::uint64_t> rest = std::nullopt);
  // Size descending, then folder ascending byte by byte, and the order the
  // rows were added in among equals.
  void SortBySizeThenFolder();

  std::size_t Count() const { return rows_.size(); }
  const CandidateRow& Row(std::size_t index) const { return rows_[index]; }
  // The digest the walk took of the bytes after the head of a small file.
  std::optional<std::uint64_t> RestOf(std::size_t index) const;
  std::string_view FolderText(std::uint32_t folder) const { return folders_[folder]; }

 private:
  std::vector<CandidateRow> rows_;
  // Per row, its rest digest or 0 for none (a digest that is 0 only costs a
  // read); kept only from the first row that has one, as most sets have no
  // small candidates.
  std::vector<std::uint64_t> rests_;
  bool keepsRests_ = false;
  std::vector<std::string> folders_;
  TextMap<std::uint32_t> numbers_;
};

}  // namespace kestrilo
