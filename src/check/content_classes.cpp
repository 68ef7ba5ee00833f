#include "check/content_classes.h"

#include <xxhash.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <numeric>
#include <string_view>
#include <tuple>

#include "platform/parallel_for.h"

namespace kestrilo {

namespace {

// Files kept open side by side at most; well below the usual descriptor limit.
constexpr std::size_t kOpenAtOnce = 64;
constexpr std::size_t kPairBlock = 256 * 1024;
constexpr std::size_t kGroupBlock = 64 * 1024;
// The blocks of the files read side by side take at most this much together
// (a pair of files excepted): a wide group gets narrower blocks, and a group
// confirmed against its first member is read in narrower slices.
constexpr std::size_t kBlocksBudget = 1024 * 1024;
constexpr std::size_t kNarrowestBlock = 4096;
// Files of a large set no larger than this are read whole, a batch of them at
// once where the file system can: their opening costs more than their bytes.
constexpr std::uint64_t kReadWholeAtOnce = 16 * 1024;
constexpr std::size_t kWholeBatch = 64;

// A member's place in its set, as the per-member tables keep it: a large set
// may hold most of the collection.
using Place = std::uint32_t;

struct OpenFile {
  std::size_t index;  // its place in the set
  FileHandle handle;
  std::uint64_t expected = 0;  // its size when it was opened
  char* block = nullptr;
  long filled = 0;
  bool ended = false;
  std::uint64_t total = 0;  // bytes read so far
};

struct ReadBlock {
  long filled = 0;
  bool ended = false;
};

// The next block of a file that held `expected` bytes when it was opened, of
// which `total` have been read. A regular file's read falls short only at its
// end, so a file that ends where it should takes no further read to find its
// end; one that falls short elsewhere is read on until the block is full or
// the file ends. A read error counts as the end.
ReadBlock ReadNext(const FileHandle& handle, char* block, std::size_t size, std::uint64_t total,
                   std::uint64_t expected) {
  const long got = handle.ReadSome(block, size);
  if (got <= 0) return {0, true};
  const auto count = static_cast<std::size_t>(got);
  if (count == size) return {got, false};
  if (total + count == expected) return {got, true};
  const long rest = handle.ReadFull(block + count, size - count);
  if (rest < 0) return {got, true};
  return {got + rest, static_cast<std::size_t>(rest) < size - count};
}

// A file that was cut short or grew while it was read was not read as any one
// state of it: its bytes match nothing.
bool ReadWhole(const OpenFile& file) { return file.ended && file.total == file.expected; }

// Reads the members side by side and refines them into classes of identical
// content; each member ends up with the index of its class's first member.
// A read error counts as the end of that file. `blocks` holds one block of
// `blockSize` bytes per member.
bool RefineSideBySide(std::vector<OpenFile>& files, char* blocks, std::size_t blockSize, const StopRequest& stop,
                      std::vector<Place>& representative) {
  std::vector<std::vector<OpenFile*>> cells(1);
  for (std::size_t f = 0; f < files.size(); ++f) {
    files[f].block = blocks + f * blockSize;
    cells[0].push_back(&files[f]);
  }
  while (!cells.empty()) {
    if (stop.IsSet()) return false;
    std::vector<std::vector<OpenFile*>> next;
    for (auto& cell : cells) {
      for (OpenFile* file : cell) {
        const ReadBlock read = ReadNext(file->handle, file->block, blockSize, file->total, file->expected);
        file->filled = read.filled;
        file->ended = read.ended;
        file->total += static_cast<std::uint64_t>(read.filled);
      }
      std::vector<std::vector<OpenFile*>> split;
      for (OpenFile* file : cell) {
        auto same = std::find_if(split.begin(), split.end(), [file](const std::vector<OpenFile*>& part) {
          const OpenFile* first = part.front();
          return first->filled == file->filled && first->ended == file->ended &&
                 std::memcmp(first->block, file->block, static_cast<std::size_t>(file->filled)) == 0;
        });
        if (same == split.end()) {
          split.push_back({file});
        } else {
          same->push_back(file);
        }
      }
      for (auto& part : split) {
        const bool ended = part.front()->ended;
        if (part.size() == 1) {
          representative[part.front()->index] = static_cast<Place>(part.front()->index);
        } else if (ended) {
          const OpenFile* first = nullptr;
          for (OpenFile* member : part) {
            if (!ReadWhole(*member)) {
              representative[member->index] = static_cast<Place>(member->index);
              continue;
            }
            if (first == nullptr) first = member;
            representative[member->index] = static_cast<Place>(first->index);
          }
        } else {
          next.push_back(std::move(part));
        }
      }
    }
    cells = std::move(next);
  }
  return true;
}

constexpr std::uint32_t kNoFile = UINT32_MAX;

// A hashed file that takes no part in the grouping: it was not read whole, or
// it is a further path of a file hashed already.
constexpr std::uint32_t kLeftOut = UINT32_MAX - 1;

struct HashedFile {
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  std::uint32_t index = 0;  // its place in the set
  // Once it was read whole, so that its hash stands for it: an earlier file of
  // its slice whose bytes it was found identical to as it was hashed (it then
  // needs no confirmation of its own), or kNoFile.
  std::uint32_t sameAs = kLeftOut;
};
static_assert(sizeof(HashedFile) == 24, "a large set may hold most of the collection");

struct FreeHashState {
  void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

// Reads `file` to its end, hashing what follows the head; `block` then holds
// its last block. Nothing when it was not read whole.
std::optional<XXH128_hash_t> HashWhole(OpenFile& file, const StopRequest& stop, XXH3_state_t& state,
                                       std::size_t blockSize) {
  XXH3_128bits_reset(&state);
  while (!file.ended) {
    if (stop.IsSet()) return std::nullopt;
    const ReadBlock read = ReadNext(file.handle, file.block, blockSize, file.total, file.expected);
    file.filled = read.filled;
    file.ended = read.ended;
    // The files of a set share their head but for a digest collision, which
    // the confirmation side by side finds: the head need not be hashed.
    const auto got = static_cast<std::size_t>(read.filled);
    const std::size_t skipped = file.total == 0 ? std::min(kHeadBytes, got) : 0;
    file.total += got;
    XXH3_128bits_update(&state, file.block + skipped, got - skipped);
  }
  if (!ReadWhole(file)) return std::nullopt;
  return XXH3_128bits_digest(&state);
}

// The first file of a slice that was read in one block, kept to compare the
// slice's later files with as they are hashed: a large set is most often many
// copies of one file, which then need not be read a second time.
struct Reference {
  std::unique_ptr<char[]> bytes;
  std::size_t count = 0;
  std::uint32_t index = kNoFile;
  XXH128_hash_t hash{};

  // Whether file `place`, whose `count` bytes are `data` and hash `hash`, is
  // the same as the reference; the first such file becomes the reference.
  bool Matches(std::size_t place, const char* data, std::size_t count, const XXH128_hash_t& hash) {
    if (index == kNoFile) {
      bytes = std::make_unique_for_overwrite<char[]>(count);
      std::memcpy(bytes.get(), data, count);
      this->count = count;
      this->hash = hash;
      index = static_cast<std::uint32_t>(place);
      return false;
    }
    return count == this->count && XXH128_isEqual(hash, this->hash) && std::memcmp(bytes.get(), data, count) == 0;
  }
};

class Classifier {
 public:
  Classifier(FileSystem& fs, std::size_t count, const PathOfPlace& pathOf, std::uint64_t size, const StopRequest& stop,
             unsigned threads)
      : fs_(fs), count_(count), pathOf_(pathOf), size_(size), stop_(stop), threads_(threads) {
    result_.classOf.assign(count, -1);
    result_.facts.resize(count);
    representative_.resize(count);
    std::iota(representative_.begin(), representative_.end(), Place{0});
  }

  // Classifies the set by reading its files.
  ContentClasses Run() {
    // One reader per file: further paths of an already seen file share its class.
    // A set too large to keep open is hashed file by file as it is opened.
    const bool sideBySide = count_ <= kOpenAtOnce;
    std::vector<std::size_t> readable;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> firstOfFile;
    std::vector<FileHandle> handles(sideBySide ? count_ : 0);
    // Per hashed file: its hash and its index, 24 bytes, since a large set
    // may hold most of the collection.
    std::vector<HashedFile> hashed;
    if (sideBySide) {
      for (std::size_t i = 0; i < count_; ++i) {
        FileHandle handle = fs_.OpenRead(pathOf_(i));
        if (!handle.IsOpen()) continue;
        result_.facts[i] = handle.OpenedFacts();
        if (!result_.facts[i]) continue;
        opened_.push_back(static_cast<Place>(i));
        const auto key = std::make_pair(result_.facts[i]->id.device, result_.facts[i]->id.inode);
        if (auto [it, fresh] = firstOfFile.emplace(key, i); !fresh) {
          representative_[i] = static_cast<Place>(it->second);
          continue;
        }
        readable.push_back(i);
        handles[i] = std::move(handle);
      }
    } else {
      const auto outcome = HashAll(hashed);
      if (outcome == Hashing::Stopped) return Stopped();
      if (outcome == Hashing::Failed) return Unreadable();
    }

    bool complete = true;
    if (sideBySide) {
      if (readable.size() >= 2) complete = Refine(readable, &handles);
    } else {
      ShareClassesOfOneFile(hashed);
      std::erase_if(hashed, [](const HashedFile& file) { return file.sameAs == kLeftOut; });
      std::sort(hashed.begin(), hashed.end(), [](const HashedFile& a, const HashedFile& b) {
        return std::tie(a.high, a.low, a.index) < std::tie(b.high, b.low, b.index);
      });
      // Members that differ from their group's first after all (a hash
      // collision) are classified again among themselves.
      for (std::size_t begin = 0; begin < hashed.size() && complete;) {
        std::size_t end = begin + 1;
        while (end < hashed.size() && hashed[end].high == hashed[begin].high && hashed[end].low == hashed[begin].low) {
          ++end;
        }
        std::vector<std::size_t> group;
        for (std::size_t k = begin; k < end; ++k) {
          if (hashed[k].sameAs == kNoFile) {
            group.push_back(hashed[k].index);
          } else {
            representative_[hashed[k].index] = hashed[k].sameAs;
          }
        }
        complete = ConfirmGroup(std::move(group));
        begin = end;
      }
    }
    return Finish(complete);
  }

  // Classifies the set from its files' facts and whole bytes, in place order.
  ContentClasses CompareInMemory(std::span<const FileFacts> facts, std::span<const std::string_view> contents) {
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> firstOfFile;
    std::vector<std::size_t> firstOfContent;
    for (std::size_t i = 0; i < count_; ++i) {
      result_.facts[i] = facts[i];
      opened_.push_back(static_cast<Place>(i));
      const auto key = std::make_pair(facts[i].id.device, facts[i].id.inode);
      if (auto [it, fresh] = firstOfFile.emplace(key, i); !fresh) {
        representative_[i] = static_cast<Place>(it->second);
        continue;
      }
      const auto same = std::find_if(firstOfContent.begin(), firstOfContent.end(),
                                     [&](std::size_t first) { return contents[first] == contents[i]; });
      if (same == firstOfContent.end()) {
        firstOfContent.push_back(i);
      } else {
        representative_[i] = static_cast<Place>(*same);
      }
    }
    return Finish(true);
  }

 private:
  ContentClasses Finish(bool complete) {
    result_.stopped = !complete;
    for (std::size_t i : opened_) result_.classOf[i] = static_cast<int>(Root(i));
    return std::move(result_);
  }

  ContentClasses Stopped() {
    result_.stopped = true;
    return Unreadable();
  }

  // Every file opened so far stays a class of its own.
  ContentClasses Unreadable() {
    for (std::size_t i : opened_) result_.classOf[i] = static_cast<int>(i);
    return std::move(result_);
  }

  static std::size_t BlockFor(std::size_t most, std::uint64_t largest) {
    return static_cast<std::size_t>(std::min<std::uint64_t>(most, largest + 1));
  }

  // `count` blocks of `size` bytes, kept for the whole classification so
  // that reading many groups allocates (and faults in) its blocks once.
  char* Blocks(std::size_t count, std::size_t size) {
    if (count * size > blocksSize_) {
      blocksSize_ = count * size;
      blocks_ = std::make_unique_for_overwrite<char[]>(blocksSize_);
    }
    return blocks_.get();
  }

  enum class Hashing { Done, Stopped, Failed };

  // Opens and hashes every member, in contiguous slices on the threads;
  // `hashed` then holds the members that were opened, in order.
  Hashing HashAll(std::vector<HashedFile>& hashed) {
    const std::size_t count = count_;
    hashed.assign(count, HashedFile{});
    for (std::size_t i = 0; i < count; ++i) hashed[i].index = static_cast<std::uint32_t>(i);
    std::vector<char> opened(count, 0);
    const std::size_t slices = 2 * static_cast<std::size_t>(std::max(1u, threads_));
    ParallelFor(slices, threads_, [&](std::size_t slice) {
      HashSlice(count * slice / slices, count * (slice + 1) / slices, hashed, opened);
    });
    opened_.reserve(static_cast<std::size_t>(std::count(opened.begin(), opened.end(), 1)));
    for (std::size_t i = 0; i < count; ++i) {
      if (opened[i]) opened_.push_back(static_cast<Place>(i));
    }
    std::erase_if(hashed, [&](const HashedFile& file) { return !opened[file.index]; });
    if (stop_.IsSet()) return Hashing::Stopped;
    return failed_ ? Hashing::Failed : Hashing::Done;
  }

  // What a slice keeps from one file to the next: one block, as large as its
  // largest file needs, and its reference.
  struct Slice {
    std::unique_ptr<XXH3_state_t, FreeHashState> state{XXH3_createState()};
    std::unique_ptr<char[]> block;
    std::size_t blockSize = 0;
    Reference reference;
  };

  void HashSlice(std::size_t begin, std::size_t end, std::vector<HashedFile>& hashed, std::vector<char>& opened) {
    Slice slice;
    if (!slice.state) {
      failed_ = true;
      return;
    }
    for (std::size_t first = begin; first < end; first += kWholeBatch) {
      const std::size_t last = std::min(end, first + kWholeBatch);
      std::array<char, kWholeBatch> done{};
      if (size_ <= kReadWholeAtOnce && !stop_.IsSet()) ReadBatch(first, last, done, slice, hashed, opened);
      for (std::size_t i = first; i < last; ++i) {
        if (stop_.IsSet()) return;
        if (!done[i - first]) HashOneFile(i, slice, hashed, opened);
      }
    }
  }

  // Members first to last that the file system reads whole at once are hashed
  // and marked done; it leaves the rest to HashOneFile.
  void ReadBatch(std::size_t first, std::size_t last, std::array<char, kWholeBatch>& done, Slice& slice,
                 std::vector<HashedFile>& hashed, std::vector<char>& opened) {
    std::vector<std::string> paths;
    paths.reserve(last - first);
    for (std::size_t i = first; i < last; ++i) paths.push_back(pathOf_(i));
    std::vector<WholeRequest> requests;
    requests.reserve(paths.size());
    for (const auto& path : paths) requests.push_back({&path, static_cast<std::uint32_t>(size_)});
    fs_.ReadWholeFiles(requests, [&](std::size_t place, const FileFacts& facts, std::span<const std::uint8_t> bytes) {
      const std::size_t i = first + place;
      done[place] = 1;
      opened[i] = 1;
      result_.facts[i] = facts;
      const auto* data = reinterpret_cast<const char*>(bytes.data());
      // As in HashWhole, the head the members share is not hashed.
      const std::size_t skipped = std::min(kHeadBytes, bytes.size());
      Record(i, XXH3_128bits(data + skipped, bytes.size() - skipped), data, bytes.size(), slice, hashed);
    });
  }

  void HashOneFile(std::size_t i, Slice& slice, std::vector<HashedFile>& hashed, std::vector<char>& opened) {
    OpenFile file{i, fs_.OpenRead(pathOf_(i))};
    if (!file.handle.IsOpen()) return;
    result_.facts[i] = file.handle.OpenedFacts();
    if (!result_.facts[i]) return;
    opened[i] = 1;
    file.expected = result_.facts[i]->size;
    // A block no larger than the file needs: most candidates are small, and a
    // file read in one block gains nothing from read-ahead advice.
    const std::size_t size = BlockFor(kPairBlock, file.expected);
    if (size == kPairBlock) file.handle.AdviseSequential();
    if (size > slice.blockSize) {
      slice.block = std::make_unique_for_overwrite<char[]>(size);
      slice.blockSize = size;
    }
    file.block = slice.block.get();
    const auto hash = HashWhole(file, stop_, *slice.state, size);
    if (!hash) return;
    const bool oneBlock = file.total == static_cast<std::uint64_t>(file.filled);
    Record(i, *hash, oneBlock ? file.block : nullptr, static_cast<std::size_t>(file.total), slice, hashed);
  }

  // Member i was read whole with hash `hash`; `data`, when not null, holds
  // all of its `count` bytes.
  static void Record(std::size_t i, const XXH128_hash_t& hash, const char* data, std::size_t count, Slice& slice,
                     std::vector<HashedFile>& hashed) {
    hashed[i].high = hash.high64;
    hashed[i].low = hash.low64;
    const bool same = data != nullptr && slice.reference.Matches(i, data, count, hash);
    hashed[i].sameAs = same ? slice.reference.index : kNoFile;
  }

  // Further paths of a file that was hashed under an earlier path share its
  // class and take no part in the grouping.
  void ShareClassesOfOneFile(std::vector<HashedFile>& hashed) {
    std::vector<std::uint32_t> byFile(hashed.size());
    std::iota(byFile.begin(), byFile.end(), std::uint32_t{0});
    const auto idOf = [&](std::uint32_t k) {
      const FileIdentity& id = result_.facts[hashed[k].index]->id;
      return std::tie(id.device, id.inode);
    };
    std::sort(byFile.begin(), byFile.end(), [&](std::uint32_t a, std::uint32_t b) {
      return std::tuple_cat(idOf(a), std::tie(hashed[a].index)) < std::tuple_cat(idOf(b), std::tie(hashed[b].index));
    });
    for (std::size_t k = 1; k < byFile.size(); ++k) {
      HashedFile& later = hashed[byFile[k]];
      const HashedFile& first = hashed[byFile[k - 1]];
      if (idOf(byFile[k]) != idOf(byFile[k - 1])) continue;
      representative_[later.index] = representative_[first.index];
      later.sameAs = kLeftOut;
    }
  }

  std::size_t Root(std::size_t i) {
    while (representative_[i] != i) i = representative_[i];
    return i;
  }

  // Opens member i again; not open when its path names another file by now
  // than the one its facts were taken of.
  FileHandle Reopen(std::size_t i) {
    FileHandle handle = fs_.OpenRead(pathOf_(i));
    const auto facts = handle.OpenedFacts();
    if (!facts || facts->id != result_.facts[i]->id) return FileHandle();
    return handle;
  }

  // `handles`, when given, holds members that are open already.
  bool Refine(const std::vector<std::size_t>& members, std::vector<FileHandle>* handles) {
    std::vector<OpenFile> files;
    files.reserve(members.size());
    for (std::size_t i : members) {
      FileHandle handle = handles != nullptr && (*handles)[i].IsOpen() ? std::move((*handles)[i]) : Reopen(i);
      // A file that could be opened once but not again matches nothing.
      if (!handle.IsOpen()) continue;
      handle.AdviseSequential();
      files.push_back({i, std::move(handle), result_.facts[i]->size});
    }
    if (files.size() < 2) return true;
    // Blocks no larger than the files need: most candidates are small.
    std::uint64_t largest = 0;
    for (const auto& file : files) {
      if (const auto& facts = result_.facts[file.index]) largest = std::max(largest, facts->size);
    }
    const std::size_t widest =
        files.size() == 2 ? kPairBlock : std::clamp(kBlocksBudget / files.size(), kNarrowestBlock, kGroupBlock);
    const std::size_t block = BlockFor(widest, largest);
    // Kept for the whole classification: a large set is refined slice by slice.
    refined_.resize(count_);
    for (const auto& file : files) refined_[file.index] = static_cast<Place>(file.index);
    const bool done = RefineSideBySide(files, Blocks(files.size(), block), block, stop_, refined_);
    for (const auto& file : files) representative_[file.index] = refined_[file.index];
    return done;
  }

  // Confirms a group of equal hashes side by side in slices that all include
  // its first member.
  bool ConfirmGroup(std::vector<std::size_t> group) {
    // Members of a group all but always have one size: as many side by side
    // as the budget holds in blocks of that size, and at least a pair.
    const std::size_t block = BlockFor(kGroupBlock, result_.facts[group.front()]->size);
    const std::size_t width = std::clamp<std::size_t>(kBlocksBudget / block, 2, kOpenAtOnce);
    while (group.size() >= 2) {
      const std::size_t first = group.front();
      std::vector<std::size_t> strangers;
      for (std::size_t begin = 1; begin < group.size(); begin += width - 1) {
        const std::size_t end = std::min(group.size(), begin + width - 1);
        std::vector<std::size_t> slice{first};
        slice.insert(slice.end(), group.begin() + static_cast<std::ptrdiff_t>(begin),
                     group.begin() + static_cast<std::ptrdiff_t>(end));
        if (!Refine(slice, nullptr)) return false;
        for (std::size_t k = 1; k < slice.size(); ++k) {
          if (Root(slice[k]) != first) {
            representative_[slice[k]] = static_cast<Place>(slice[k]);
            strangers.push_back(slice[k]);
          }
        }
      }
      group = std::move(strangers);
    }
    return true;
  }

  FileSystem& fs_;
  const std::size_t count_;
  const PathOfPlace& pathOf_;
  const std::uint64_t size_;
  const StopRequest& stop_;
  const unsigned threads_;
  ContentClasses result_;
  std::vector<Place> representative_;
  std::vector<Place> refined_;
  std::vector<Place> opened_;
  std::unique_ptr<char[]> blocks_;
  std::size_t blocksSize_ = 0;
  std::atomic<bool> failed_{false};
};

}  // namespace

ContentClasses ClassifyContents(FileSystem& fs, std::size_t count, const PathOfPlace& pathOf, std::uint64_t size,
                                const StopRequest& stop, unsigned threads) {
  const FileSet set{count, pathOf, size};
  return std::move(ClassifyContents(fs, std::span(&set, 1), stop, threads).front());
}

bool ComparedInMemory(std::size_t count, std::uint64_t size) {
  return count <= kOpenAtOnce && size <= kReadWholeAtOnce;
}

std::vector<ContentClasses> ClassifyContents(FileSystem& fs, std::span<const FileSet> sets, const StopRequest& stop,
                                             unsigned threads) {
  // The files of the sets compared in memory, one after another, each set's
  // from its first request on; where the file system can, they are read
  // whole at once.
  constexpr std::size_t kNone = SIZE_MAX;
  std::vector<std::size_t> firstRequest(sets.size(), kNone);
  std::vector<std::string> paths;
  for (std::size_t s = 0; s < sets.size() && !stop.IsSet(); ++s) {
    if (!ComparedInMemory(sets[s].count, sets[s].size)) continue;
    firstRequest[s] = paths.size();
    for (std::size_t i = 0; i < sets[s].count; ++i) paths.push_back(sets[s].pathOf(i));
  }
  std::vector<WholeRequest> requests;
  requests.reserve(paths.size());
  for (std::size_t s = 0; s < sets.size(); ++s) {
    if (firstRequest[s] == kNone) continue;
    for (std::size_t i = 0; i < sets[s].count; ++i) {
      requests.push_back({&paths[firstRequest[s] + i], static_cast<std::uint32_t>(sets[s].size)});
    }
  }
  struct Got {
    FileFacts facts;
    std::size_t offset = 0;
    std::size_t count = 0;
  };
  std::vector<std::optional<Got>> got(requests.size());
  // Room for every file at the size it was walked with: a file read whole
  // holds no more.
  std::string bytes;
  std::size_t room = 0;
  for (const WholeRequest& request : requests) room += request.most;
  bytes.reserve(room);
  if (!requests.empty()) {
    fs.ReadWholeFiles(requests, [&](std::size_t request, const FileFacts& facts, std::span<const std::uint8_t> read) {
      got[request] = Got{facts, bytes.size(), read.size()};
      bytes.append(reinterpret_cast<const char*>(read.data()), read.size());
    });
  }

  std::vector<ContentClasses> classes;
  classes.reserve(sets.size());
  std::vector<FileFacts> facts;
  std::vector<std::string_view> contents;
  for (std::size_t s = 0; s < sets.size(); ++s) {
    const FileSet& set = sets[s];
    Classifier classifier(fs, set.count, set.pathOf, set.size, stop, threads);
    const std::span<const std::optional<Got>> files = firstRequest[s] == kNone
                                                          ? std::span<const std::optional<Got>>()
                                                          : std::span(got).subspan(firstRequest[s], set.count);
    // A set of which a file could not be read so is read the usual way.
    if (files.empty() || !std::all_of(files.begin(), files.end(), [](const auto& file) { return file.has_value(); })) {
      classes.push_back(classifier.Run());
      continue;
    }
    facts.clear();
    contents.clear();
    for (const auto& file : files) {
      facts.push_back(file->facts);
      contents.emplace_back(bytes.data() + file->offset, file->count);
    }
    classes.push_back(classifier.CompareInMemory(facts, contents));
  }
  return classes;
}

}  // namespace kestrilo
