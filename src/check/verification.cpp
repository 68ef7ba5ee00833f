// The verification pass: numbers each set of identical files in column 0.
// Anchors are taken top to bottom; an anchor's group is every later unnumbered
// row of its size run that is identical to it. Rows of different signatures
// differ in their first bytes or size, so only rows of one signature are ever
// read against each other, and two rows that name one file (same device and
// inode) are never taken as identical. The contents of each signature's files
// are classified on the reader threads ahead of the numbering, in the order
// the numbering needs them, so the numbers come out as if each pair had been
// compared in turn.

#include <charconv>
#include <chrono>
#include <deque>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "check/content_classes.h"
#include "check/duplicate_engine.h"
#include "check/status_texts.h"
#include "check/task_pool.h"
#include "platform/path_text.h"

namespace kestrilo {

namespace {

// A file changed within this long before it was read may change again without
// its timestamps moving (they come from a coarse clock, and some file systems
// keep whole seconds): its facts cannot vouch for its content later.
constexpr std::int64_t kTimestampMarginNs = 2'000'000'000;

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::optional<FileFacts> Trustworthy(const std::optional<FileFacts>& facts, std::int64_t readStartNs) {
  if (!facts || facts->ctimeNs > readStartNs - kTimestampMarginNs || facts->mtimeNs > readStartNs - kTimestampMarginNs) {
    return std::nullopt;
  }
  return facts;
}

struct Candidates {
  std::vector<int> rows;  // grid rows, top to bottom
  std::vector<std::string> paths;
  std::uint64_t bytes = 0;  // sizes of the files together
};

std::uint64_t SizeOf(const std::string& sizeCell) {
  std::uint64_t size = 0;
  std::from_chars(sizeCell.data(), sizeCell.data() + sizeCell.size(), size);
  return size;
}

}  // namespace

void DuplicateEngine::CheckFiles() {
  const int rowCount = grid_.RowCount();
  const int dataRows = rowCount - 2;
  verified_.assign(static_cast<std::size_t>(rowCount > 0 ? rowCount : 0), std::nullopt);
  const std::int64_t readStartNs = NowNs();

  // Candidate sets in the order of their first row, and each row's place in
  // its set. A set is a signature; a grid that this engine did not extract is
  // grouped by size alone.
  const bool knownSignatures = rowSignature_.size() == static_cast<std::size_t>(dataRows > 0 ? dataRows : 0);
  std::map<std::string, std::uint32_t> sizeKeys;
  std::vector<Candidates> sets;
  std::map<std::uint32_t, std::size_t> setOfKey;
  const auto rowSlots = static_cast<std::size_t>(rowCount > 0 ? rowCount : 0);
  std::vector<std::size_t> setOf(rowSlots, 0);
  std::vector<std::size_t> placeOf(rowSlots, 0);
  std::uint64_t bytesToCompare = 0;
  for (int row = 1; row <= dataRows; ++row) {
    const auto r = static_cast<std::size_t>(row);
    const GridRow cells = grid_.Rows(row);
    const std::uint32_t key =
        knownSignatures ? rowSignature_[r - 1]
                        : sizeKeys.emplace(cells[2], static_cast<std::uint32_t>(sizeKeys.size())).first->second;
    const auto [it, fresh] = setOfKey.emplace(key, sets.size());
    if (fresh) sets.emplace_back();
    Candidates& set = sets[it->second];
    setOf[r] = it->second;
    placeOf[r] = set.rows.size();
    set.rows.push_back(row);
    set.paths.push_back(JoinFolderAndName(cells[3], cells[1]));
    set.bytes += SizeOf(cells[2]);
    bytesToCompare += SizeOf(cells[2]);
  }

  const unsigned threads = EffectiveThreads(readerThreads_);
  std::optional<TaskPool> pool;
  if (threads > 1) pool.emplace(threads);
  const std::size_t ahead = 4 * static_cast<std::size_t>(threads);
  std::deque<std::future<ContentClasses>> queued;
  std::vector<ContentClasses> classes(sets.size());
  std::size_t submitted = 0;
  std::size_t received = 0;
  std::uint64_t bytesCompared = 0;
  auto classesOf = [&](std::size_t set) -> const ContentClasses& {
    while (received <= set) {
      while (submitted < sets.size() && submitted < received + ahead) {
        const Candidates* candidates = &sets[submitted++];
        if (pool) {
          queued.push_back(pool->Submit(
              [this, candidates, threads] { return ClassifyContents(fs_, candidates->paths, stop_, threads); }));
        } else {
          queued.push_back(std::async(std::launch::deferred,
                                      [this, candidates] { return ClassifyContents(fs_, candidates->paths, stop_); }));
        }
      }
      classes[received] = queued.front().get();
      queued.pop_front();
      bytesCompared += sets[received++].bytes;
      if (compareProgress_) compareProgress_(bytesCompared, bytesToCompare);
    }
    // The stop is looked at before each row only: the anchor that is being
    // numbered gets its whole group even when a stop cut its reading short.
    if (classes[set].stopped) {
      const StopRequest never;
      classes[set] = ClassifyContents(fs_, sets[set].paths, never);
    }
    return classes[set];
  };

  // Per set, for each place the next later place of the same class (the set's
  // size when there is none): an anchor visits only the rows that can match
  // it, so a large set of different files costs no scan per anchor.
  std::vector<std::vector<std::size_t>> laterOfClassOf(sets.size());
  auto laterOfClass = [&](std::size_t set) -> const std::vector<std::size_t>& {
    std::vector<std::size_t>& later = laterOfClassOf[set];
    if (later.empty()) {
      const std::vector<int>& classOf = classes[set].classOf;
      const std::size_t size = classOf.size();
      later.assign(size, size);
      // Classes are places of the set; the latest place seen of each so far.
      std::vector<std::size_t> following(size, size);
      for (std::size_t place = size; place-- > 0;) {
        if (classOf[place] < 0) continue;
        const auto of = static_cast<std::size_t>(classOf[place]);
        later[place] = following[of];
        following[of] = place;
      }
    }
    return later;
  };

  auto counterText = [&](int groups) {
    return std::to_string(groups) + "/" + std::to_string(dataRows) + "/" + std::to_string(table_.GetFileCount());
  };

  std::vector<char> numbered(rowSlots, 0);
  int groups = 0;
  for (int row = 1; row <= dataRows; ++row) {
    if (stop_.IsSet()) {
      status_.SetPanelText(1, texts::kStopped);
      if (pool) pool->DropPending();
      return;
    }
    const auto r = static_cast<std::size_t>(row);
    if (numbered[r]) continue;
    const Candidates& set = sets[setOf[r]];
    const ContentClasses& content = classesOf(setOf[r]);
    const std::size_t place = placeOf[r];
    verified_[r] = Trustworthy(content.facts[place], readStartNs);
    const int anchorClass = content.classOf[place];
    if (anchorClass < 0) continue;

    const std::string label = std::to_string(groups + 1);
    bool matched = false;
    const std::vector<std::size_t>& nextOfClass = laterOfClass(setOf[r]);
    for (std::size_t other = nextOfClass[place]; other < set.rows.size(); other = nextOfClass[other]) {
      const auto k = static_cast<std::size_t>(set.rows[other]);
      if (numbered[k]) continue;
      if (content.facts[other]->id == content.facts[place]->id) continue;
      grid_.SetCell(0, row, label);
      grid_.SetCell(0, set.rows[other], label);
      numbered[r] = numbered[k] = 1;
      verified_[k] = Trustworthy(content.facts[other], readStartNs);
      matched = true;
    }
    if (matched) {
      ++groups;
      status_.SetPanelText(0, counterText(groups));
    }
  }
  status_.SetPanelText(0, counterText(groups));
  status_.SetPanelText(1, groups > 0 ? std::to_string(groups) + texts::kGroupsFound : std::string(texts::kNoDuplicatesFound));
}

}  // namespace kestrilo
