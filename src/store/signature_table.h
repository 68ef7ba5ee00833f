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
// Storage is compact, since the table holds every registered file: a
// signature of 32 hex digits and a size is kept as its 20 bytes, and a path as
// its name and the number of its folder, each folder's text being kept once
// (and, for a small file, the 8 bytes of its rest digest).
//
// Not thread-safe: one job at a time uses the table (AddHash, RemoveHash and
// NextHash on the worker thread; ClearHash only while no job runs).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kestrilo {

class SignatureTable {
 public:
  static constexpr std::uint32_t kBucketCount = 3989;

  SignatureTable();
  ~SignatureTable();
  SignatureTable(const SignatureTable&) = delete;
  SignatureTable& operator=(const SignatureTable&) = delete;

  // 0 when `path` is now stored under `signature` (also when it already was);
  // -1 when memory ran out. `rest`, the digest of the rest of a small file
  // that the walk read whole, is kept with the path; a path stored again
  // keeps the newer digest, or none when it comes without one.
  int AddHash(std::string_view signature, std::string_view path, std::optional<std::uint64_t> rest = std::nullopt);

  // 0 when a live path equal to `path` was found under `signature` and marked
  // removed; -1 otherwise.
  int RemoveHash(std::string_view signature, std::string_view path);

  // restart == 0 starts again from the beginning. 0 with the next live pair
  // copied into the outputs; -1 when no live pair remains (outputs untouched).
  int NextHash(int restart, std::string& signatureOut, std::string& pathOut);
  // The same, with the path's rest digest (nothing when it has none).
  int NextHash(int restart, std::string& signatureOut, std::string& pathOut, std::optional<std::uint64_t>& restOut);

  // The number of live (registered, not removed) paths.
  std::int32_t GetFileCount() const { return liveCount_; }

  // Empties the table. Always 0.
  int ClearHash();

  // Lets go of what only speeds up finding a signature or a path (the index
  // of signatures and the sets of long lists' live paths) while the table is
  // only read; the next call that needs them makes them again.
  void ReleaseLookups();

  // The texts that every path is kept under, each the path up to and with its
  // last separator ("/" or "\\"), numbered 0 .. FolderCount() - 1; a text may
  // be left with no live path.
  std::size_t FolderCount() const;
  std::string_view FolderText(std::size_t number) const;

  // Number of distinct signatures (entries in use); for memory accounting.
  std::size_t SignatureCount() const;
  // Bytes the table holds, texts included.
  std::size_t HeldBytes() const;

 private:
  struct PathNode;
  struct Entry;
  struct Key;
  struct PathKey;
  struct NewPath;
  struct Cursor {
    std::int32_t bucket = -1;
    Entry* entry = nullptr;
    PathNode* node = nullptr;
    std::string signature;
  };
  class Arena;
  class Index;
  class Folders;
  struct LivePaths;

  void CreateEntry(const Key& key, std::string_view signature, const NewPath& path);
  void AppendPath(Entry& entry, PathNode* last, std::uint32_t nodeCount, const NewPath& path);
  PathNode* MakeNode(const NewPath& path);
  Index& IndexOfEntries();
  Entry* FindEntry(const Key& key, std::string_view signature);
  LivePaths& LivePathsOf(const Entry& entry);
  static std::unique_ptr<LivePaths> LivePathsFromList(const Entry& entry);

  std::array<Entry*, kBucketCount> heads_{};
  std::array<Entry*, kBucketCount> tails_{};
  std::unique_ptr<Arena> arena_;
  std::unique_ptr<Index> index_;
  std::unique_ptr<Folders> folders_;
  std::unordered_map<const Entry*, std::unique_ptr<LivePaths>> livePaths_;
  std::int32_t liveCount_ = 0;
  std::size_t entryCount_ = 0;
  Cursor cursor_;
};

}  // namespace kestrilo
