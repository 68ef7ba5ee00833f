#include "check/verification.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "check/status_texts.h"

namespace kestrilo {

namespace {

// Sets compared in memory are classified together up to this many files: most
// hold two or three, and a batch keeps the file system busy where one set
// would wait on it.
constexpr std::size_t kBatchFiles = 32;

// A file changed just before it was read may change again without its times
// moving: its facts cannot vouch for its content later.
std::optional<FileFacts> Trustworthy(const std::optional<FileFacts>& facts, std::int64_t readStartNs) {
  return facts && SettledAt(*facts, readStartNs) ? facts : std::nullopt;
}

}  // namespace

VerificationPass::VerificationPass(ResultSet& results, const SignatureTable& table, StatusPanels& status,
                                   const StopRequest& stop, FileSystem& fs, unsigned readerThreads,
                                   const Progress& progress)
    : results_(results),
      table_(table),
      status_(status),
      stop_(stop),
      fs_(fs),
      progress_(progress),
      dataRows_(results.Count()),
      readStartNs_(SystemClockNs()),
      readerThreads_(readerThreads),
      reads_(readerThreads, 4 * static_cast<std::size_t>(readerThreads)) {
  const auto rowSlots = static_cast<std::size_t>(dataRows_) + 1;
  results_.ForgetVerifiedFacts();
  setOf_.assign(rowSlots, 0);
  placeOf_.assign(rowSlots, 0);
  numbered_.assign(rowSlots, 0);
}

int VerificationPass::Run() {
  CollectCandidates();
  int groups = 0;
  for (int row = 1; row <= dataRows_; ++row) {
    if (stop_.IsSet()) {
      status_.SetPanelText(1, texts::kStopped);
      reads_.Cancel();
      return groups;
    }
    if (NumberGroupOf(row, groups + 1)) {
      ++groups;
      status_.SetPanelText(0, CounterText(groups));
    }
  }
  status_.SetPanelText(0, CounterText(groups));
  status_.SetPanelText(
      1, groups > 0 ? std::to_string(groups) + texts::kGroupsFound : std::string(texts::kNoDuplicatesFound));
  return groups;
}

void VerificationPass::CollectCandidates() {
  // A set is a signature.
  std::map<std::uint32_t, std::size_t> setOfSignature;
  for (int row = 1; row <= dataRows_; ++row) {
    const auto r = static_cast<std::size_t>(row);
    const ResultRow file = results_.At(row);
    const auto [it, fresh] = setOfSignature.emplace(file.signature, sets_.size());
    if (fresh) sets_.emplace_back();
    Candidates& set = sets_[it->second];
    setOf_[r] = static_cast<std::uint32_t>(it->second);
    placeOf_[r] = static_cast<std::uint32_t>(set.rows.size());
    set.rows.push_back(row);
    set.size = file.size;
  }
  for (Candidates& set : sets_) {
    SetApartByRest(set);
    set.bytes = set.size * set.ReadCount();
    bytesToCompare_ += set.bytes;
  }
  classes_.resize(sets_.size());
  laterOfClass_.resize(sets_.size());
}

void VerificationPass::SetApartByRest(Candidates& set) const {
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byRest;  // digest, place
  for (std::size_t place = 0; place < set.rows.size(); ++place) {
    const std::optional<std::uint64_t> rest = results_.RestOf(set.rows[place]);
    // A file without a digest may match any other, so it keeps every file in.
    if (!rest) return;
    if (byRest.empty()) byRest.reserve(set.rows.size());
    byRest.emplace_back(*rest, static_cast<std::uint32_t>(place));
  }
  std::sort(byRest.begin(), byRest.end());
  std::vector<std::uint32_t> read;
  for (std::size_t i = 0; i < byRest.size(); ++i) {
    const bool shared = (i > 0 && byRest[i - 1].first == byRest[i].first) ||
                        (i + 1 < byRest.size() && byRest[i + 1].first == byRest[i].first);
    if (shared) read.push_back(byRest[i].second);
  }
  if (read.size() == set.rows.size()) return;
  std::sort(read.begin(), read.end());
  set.readOnly = std::move(read);
}

bool VerificationPass::NumberGroupOf(int row, int number) {
  const auto r = static_cast<std::size_t>(row);
  if (numbered_[r]) return false;
  const std::size_t set = setOf_[r];
  const ContentClasses& content = ClassesOf(set);
  const std::size_t place = placeOf_[r];
  if (content.classOf[place] < 0) return false;

  const std::vector<int>& rows = sets_[set].rows;
  const std::vector<std::uint32_t>& nextOfClass = LaterOfClass(set);
  bool matched = false;
  for (std::size_t other = nextOfClass[place]; other < rows.size(); other = nextOfClass[other]) {
    const auto k = static_cast<std::size_t>(rows[other]);
    if (numbered_[k]) continue;
    if (content.facts[other]->id == content.facts[place]->id) continue;
    results_.SetGroup(row, number);
    results_.SetGroup(rows[other], number);
    numbered_[r] = numbered_[k] = 1;
    results_.SetVerified(rows[other], Trustworthy(content.facts[other], readStartNs_));
    matched = true;
  }
  // Only a group's members are ever deleted, so only theirs are kept.
  if (matched) results_.SetVerified(row, Trustworthy(content.facts[place], readStartNs_));
  return matched;
}

const ContentClasses& VerificationPass::ClassesOf(std::size_t set) {
  while (received_ <= set) {
    while (submitted_ < sets_.size() && reads_.HasRoom()) {
      const std::size_t first = submitted_;
      std::size_t files = sets_[submitted_++].ReadCount();
      const auto joins = [](const Candidates& set) { return ComparedInMemory(set.ReadCount(), set.size); };
      if (joins(sets_[first])) {
        while (submitted_ < sets_.size() && joins(sets_[submitted_]) &&
               files + sets_[submitted_].ReadCount() <= kBatchFiles) {
          files += sets_[submitted_++].ReadCount();
        }
      }
      reads_.Push([this, first, last = submitted_] { return Classify(first, last, stop_); });
    }
    for (ContentClasses& classes : reads_.Take()) {
      classes_[received_] = std::move(classes);
      bytesCompared_ += sets_[received_++].bytes;
    }
    if (progress_) progress_(bytesCompared_, bytesToCompare_);
  }
  // The stop is looked at before each row only: the anchor that is being
  // numbered gets its whole group even when a stop cut its reading short.
  if (classes_[set].stopped) {
    const StopRequest never;
    classes_[set] = std::move(Classify(set, set + 1, never).front());
  }
  return classes_[set];
}

std::vector<ContentClasses> VerificationPass::Classify(std::size_t first, std::size_t last,
                                                       const StopRequest& stop) const {
  std::vector<FileSet> sets;
  sets.reserve(last - first);
  for (std::size_t s = first; s < last; ++s) {
    const Candidates& set = sets_[s];
    if (set.ReadCount() == 0) continue;
    sets.push_back(
        {set.ReadCount(),
         [this, &set](std::size_t i) { return results_.PathOf(set.rows[set.readOnly ? (*set.readOnly)[i] : i]); },
         set.size});
  }
  std::vector<ContentClasses> read = ClassifyContents(fs_, sets, stop, readerThreads_);
  // The places set apart take class -1, as a file that could not be opened
  // does: they join no group.
  std::vector<ContentClasses> classes;
  classes.reserve(last - first);
  auto next = read.begin();
  for (std::size_t s = first; s < last; ++s) {
    const Candidates& set = sets_[s];
    if (!set.readOnly) {
      classes.push_back(std::move(*next++));
      continue;
    }
    ContentClasses& whole = classes.emplace_back();
    whole.classOf.assign(set.rows.size(), -1);
    whole.facts.resize(set.rows.size());
    if (set.readOnly->empty()) continue;
    ContentClasses& part = *next++;
    whole.stopped = part.stopped;
    for (std::size_t i = 0; i < set.readOnly->size(); ++i) {
      const std::uint32_t place = (*set.readOnly)[i];
      whole.classOf[place] = part.classOf[i];
      whole.facts[place] = part.facts[i];
    }
  }
  return classes;
}

const std::vector<std::uint32_t>& VerificationPass::LaterOfClass(std::size_t set) {
  // An anchor visits only the rows that can match it, so a large set of
  // different files costs no scan per anchor.
  std::vector<std::uint32_t>& later = laterOfClass_[set];
  if (later.empty()) {
    const std::vector<int>& classOf = classes_[set].classOf;
    const auto size = static_cast<std::uint32_t>(classOf.size());
    later.assign(size, size);
    // Classes are places of the set; the latest place seen of each so far.
    std::vector<std::uint32_t> following(size, size);
    for (std::uint32_t place = size; place-- > 0;) {
      if (classOf[place] < 0) continue;
      const auto of = static_cast<std::size_t>(classOf[place]);
      later[place] = following[of];
      following[of] = place;
    }
  }
  return later;
}

std::string VerificationPass::CounterText(int groups) const {
  return std::to_string(groups) + "/" + std::to_string(dataRows_) + "/" + std::to_string(table_.GetFileCount());
}

}  // namespace kestrilo
