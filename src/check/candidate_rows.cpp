#include "check/candidate_rows.h"

#include <algorithm>
#include <numeric>
#include <tuple>
#include <utility>

namespace kestrilo {

void CandidateRows::Add(std::string_view folder, std::string_view name, std::uint64_t size, std::uint32_t signature,
                        std::optional<std::uint64_t> rest) {
  auto number = static_cast<std::uint32_t>(folders_.size());
  // Rows come folder by folder, or nearly: the last folder is usually the one.
  if (!folders_.empty() && folders_.back() == folder) {
    --number;
  } else if (const auto found = numbers_.find(folder); found != numbers_.end()) {
    number = found->second;
  } else {
    numbers_.emplace(folder, number);
    folders_.emplace_back(folder);
  }
  if (rest && !keepsRests_) {
    // Room as reserved for the rows: used only as far as they go.
    rests_.reserve(rows_.capacity());
    rests_.assign(rows_.size(), 0);
    keepsRests_ = true;
  }
  if (keepsRests_) rests_.push_back(rest.value_or(0));
  rows_.push_back({number, signature, size, std::string(name)});
}

std::optional<std::uint64_t> CandidateRows::RestOf(std::size_t index) const {
  if (index >= rests_.size() || rests_[index] == 0) return std::nullopt;
  return rests_[index];
}

void CandidateRows::SortBySizeThenFolder() {
  // Folders are ranked once, so that rows compare by number; the rows are
  // sorted as numbers and moved into place along the permutation's cycles,
  // without a second copy of them.
  std::vector<std::uint32_t> byText(folders_.size());
  std::iota(byText.begin(), byText.end(), std::uint32_t{0});
  std::sort(byText.begin(), byText.end(),
            [this](std::uint32_t a, std::uint32_t b) { return folders_[a] < folders_[b]; });
  std::vector<std::uint32_t> rank(folders_.size());
  for (std::uint32_t k = 0; k < byText.size(); ++k) rank[byText[k]] = k;

  std::vector<std::uint32_t> order(rows_.size());
  std::iota(order.begin(), order.end(), std::uint32_t{0});
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const CandidateRow& x = rows_[a];
    const CandidateRow& y = rows_[b];
    return std::tuple(y.size, rank[x.folder], a) < std::tuple(x.size, rank[y.folder], b);
  });
  // order[p] is the row that belongs at p.
  for (std::uint32_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    CandidateRow held = std::move(rows_[start]);
    const std::uint64_t heldRest = rests_.empty() ? 0 : rests_[start];
    std::uint32_t at = start;
    while (order[at] != start) {
      const std::uint32_t from = order[at];
      rows_[at] = std::move(rows_[from]);
      if (!rests_.empty()) rests_[at] = rests_[from];
      order[at] = at;
      at = from;
    }
    rows_[at] = std::move(held);
    if (!rests_.empty()) rests_[at] = heldRest;
    order[at] = at;
  }
}

}  // namespace kestrilo
