#pragma once
// The signature table: signature text -> the paths of every registered file
// with that signature. 3989 buckets chosen by the ELF hash; each bucket holds
// its entries in a chain in creation order, each entry its paths in the order
// they were added. Iteration follows exactly that order: ascending bucket,
// chain order, path order. A removed path stays in its list, marked, and is
// skipped by every reader; memory is only released by ClearHash.
//
// Beside the buckets an index finds a signature's entry directly, and an entry
// with many paths keeps a set of its live paths, so that registering millions
// of files stays linear. Neither changes what an operation means or the order
// of iteration.
//
// Not thread-safe: one job at a time uses the table (AddHash, RemoveHash and
// NextHash on the worker thread; ClearHash only while no job runs).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrilo {

class SignatureTable {
 public:
  static constexpr std::uint32_t kBucketCount = 3989;

  SignatureTable();
  ~SignatureTable();
  SignatureTable(const SignatureTable&) = delete;
  SignatureTable& operator=(const SignatureTable&) = delete;

  // 0 when `path` is now stored under `signature` (also when it already was);
  // -1 when memory ran out.
  int AddHash(std::string_view signature, std::string_view path);

  // 0 when a live path equal to `path` was found under `signature` and marked
  // removed; -1 otherwise.
  int RemoveHash(std::string_view signature, std::string_view path);

  // restart == 0 starts again from the beginning. 0 with the next live pair
  // copied into the outputs; -1 when no live pair remains (outputs untouched).
  int NextHash(int restart, std::string& signatureOut, std::string& pathOut);

  // The number of live (registered, not removed) paths.
  std::int32_t GetFileCount() const { return liveCount_; }

  // Empties the table. Always 0.
  int ClearHash();

  // Number of distinct signatures (entries in use); for memory accounting.
  std::size_t SignatureCount() const;
  // Bytes the table holds beyond the path texts themselves.
  std::size_t OverheadBytes() const;

 private:
  struct PathNode;
  struct Entry;
  struct Cursor {
    std::int32_t bucket = -1;
    Entry* entry = nullptr;
    PathNode* node = nullptr;
    std::string signature;
  };
  class Arena;
  class Index;
  struct LivePaths;

  void CreateEntry(std::string_view signature, std::string_view path);
  void AppendPath(Entry& entry, std::string_view path);
  PathNode* MakeNode(std::string_view path);

  std::array<Entry*, kBucketCount> heads_{};
  std::array<Entry*, kBucketCount> tails_{};
  std::unique_ptr<Arena> arena_;
  std::unique_ptr<Index> index_;
  std::vector<std::unique_ptr<LivePaths>> livePaths_;
  std::size_t pathBytes_ = 0;
  std::int32_t liveCount_ = 0;
  std::size_t entryCount_ = 0;
  Cursor cursor_;
};

}  // namespace kestrilo
