#pragma once
// The verification pass: numbers each set of identical files. Anchors are taken top to bottom; an anchor's group is
// every later unnumbered row of its size run that is identical to it. Rows of different signatures differ in their
// first bytes or size, so only rows of one signature are ever read against each other, and two rows that name one file
// (same device and inode) are never taken as identical. The contents of each
// signature's files are classified on reader threads ahead of the numbering,
// in the order the numbering needs them, so the numbers come out as if each
// pair had been compared in turn.
//
// One per duplicate check, after the extraction: construct it, then Run once.
// It refers to the result set, table, panels, stop request and file system it
// is given (it writes the rows' group numbers and file facts, and the status
// texts); it owns its reader threads.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "check/content_classes.h"
#include "check/result_set.h"
#include "platform/file_system.h"
#include "platform/read_ahead.h"
#include "store/signature_table.h"
#include "toolkit/status_panels.h"
#include "toolkit/stop_request.h"

namespace kestrilo {

class VerificationPass {
 public:
  // Told each time the files of one signature have been classified: the bytes
  // of the candidate files read so far and of all of them.
  using Progress = std::function<void(std::uint64_t bytesCompared, std::uint64_t bytesToCompare)>;

  VerificationPass(ResultSet& results, const SignatureTable& table, StatusPanels& status, const StopRequest& stop,
                   FileSystem& fs, unsigned readerThreads, const Progress& progress);

  // Returns the number of groups numbered.
  int Run();

 private:
  // The rows of one signature, in result order.
  struct Candidates {
    std::vector<int> rows;
    std::uint64_t size = 0;   // of each file, as its signature says
    std::uint64_t bytes = 0;  // sizes of the files read together
    // The places whose files are read, when the walk's rest digests tell that
    // the others match none (nothing: all are read).
    std::optional<std::vector<std::uint32_t>> readOnly;

    std::size_t ReadCount() const { return readOnly ? readOnly->size() : rows.size(); }
  };

  void CollectCandidates();
  // Sets apart the places of `set` whose rest digests no other place shares,
  // when every place has one.
  void SetApartByRest(Candidates& set) const;
  // Numbers `row`'s group `number` when it is an anchor with identical rows;
  // whether it did.
  bool NumberGroupOf(int row, int number);
  const ContentClasses& ClassesOf(std::size_t set);
  // Classifies the sets first .. last - 1 together.
  std::vector<ContentClasses> Classify(std::size_t first, std::size_t last, const StopRequest& stop) const;
  const std::vector<std::uint32_t>& LaterOfClass(std::size_t set);
  std::string CounterText(int groups) const;

  ResultSet& results_;
  const SignatureTable& table_;
  StatusPanels& status_;
  const StopRequest& stop_;
  FileSystem& fs_;
  const Progress& progress_;
  const int dataRows_;
  const std::int64_t readStartNs_;

  // Candidate sets in the order of their first row, and each row's set and
  // place in it (by row; rows are numbered by int).
  std::vector<Candidates> sets_;
  std::vector<std::uint32_t> setOf_;
  std::vector<std::uint32_t> placeOf_;
  std::vector<char> numbered_;
  std::vector<ContentClasses> classes_;  // per set, once received
  // Per set, for each place the next later place of the same class (the set's
  // size when there is none).
  std::vector<std::vector<std::uint32_t>> laterOfClass_;
  std::size_t submitted_ = 0;
  std::size_t received_ = 0;
  std::uint64_t bytesCompared_ = 0;
  std::uint64_t bytesToCompare_ = 0;
  // A set too large to keep open is hashed on as many threads.
  const unsigned readerThreads_;
  // Last, so that its threads are joined before the sets they read go. Each
  // read classifies a batch of consecutive sets.
  ReadAhead<std::vector<ContentClasses>> reads_;
};

}  // namespace kestrilo
