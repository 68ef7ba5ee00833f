#include "store/signature_table.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <unordered_map>

#include "store/elf_hash.h"

namespace kestrilo {

namespace {

// Lists up to this long are searched by walking them; a longer one gets a set
// of its live paths so that adding to a signature shared by thousands of files
// stays constant-time.
constexpr std::uint32_t kWalkedListLength = 8;

constexpr std::size_t kAlignment = alignof(void*);

std::size_t AlignUp(std::size_t bytes) { return (bytes + kAlignment - 1) & ~(kAlignment - 1); }

std::uint32_t IndexHash(std::string_view signature) {
  return static_cast<std::uint32_t>(std::hash<std::string_view>{}(signature));
}

}  // namespace

// One path of a signature; its text follows the node in the same block.
struct SignatureTable::PathNode {
  PathNode* next = nullptr;
  std::uint32_t length = 0;
  bool removed = false;

  std::string_view Text() const { return {reinterpret_cast<const char*>(this + 1), length}; }
  char* Bytes() { return reinterpret_cast<char*>(this + 1); }
};

// One signature with its paths; its text follows the entry in the same block.
struct SignatureTable::Entry {
  Entry* next = nullptr;
  PathNode* first = nullptr;
  PathNode* last = nullptr;
  LivePaths* live = nullptr;
  std::uint32_t signatureLength = 0;
  std::uint32_t nodeCount = 0;
  std::uint32_t indexHash = 0;

  std::string_view Signature() const {
    return {reinterpret_cast<const char*>(this + 1), signatureLength};
  }
  char* Bytes() { return reinterpret_cast<char*>(this + 1); }
};

// The live paths of a long list, each mapped to its node.
struct SignatureTable::LivePaths {
  std::unordered_map<std::string_view, PathNode*> nodes;
};

// Bump allocator over chunks that grow up to 1 MiB: one allocation per chunk
// instead of one per text or node, released all at once.
class SignatureTable::Arena {
 public:
  void* Allocate(std::size_t bytes) {
    bytes = AlignUp(bytes);
    if (bytes > kMaxChunk / 4) {
      // A very long text gets its own chunk so the current one is not wasted.
      MakeRoomForChunk();
      chunks_.emplace_back(new std::byte[bytes]);
      held_ += bytes;
      return chunks_.back().get();
    }
    if (bytes > left_) {
      MakeRoomForChunk();
      chunks_.emplace_back(new std::byte[nextChunk_]);
      held_ += nextChunk_;
      free_ = chunks_.back().get();
      left_ = nextChunk_;
      nextChunk_ = std::min(nextChunk_ * 2, kMaxChunk);
    }
    void* block = free_;
    free_ += bytes;
    left_ -= bytes;
    return block;
  }

  void Release() {
    chunks_.clear();
    chunks_.shrink_to_fit();
    free_ = nullptr;
    left_ = 0;
    held_ = 0;
    nextChunk_ = kFirstChunk;
  }

  std::size_t HeldBytes() const { return held_ + chunks_.capacity() * sizeof(chunks_[0]); }

 private:
  // Growing the list first means a failing chunk allocation leaks nothing.
  void MakeRoomForChunk() {
    if (chunks_.size() == chunks_.capacity()) chunks_.reserve(std::max<std::size_t>(16, chunks_.capacity() * 2));
  }

  static constexpr std::size_t kFirstChunk = 4096;
  static constexpr std::size_t kMaxChunk = 1 << 20;

  std::vector<std::unique_ptr<std::byte[]>> chunks_;
  std::byte* free_ = nullptr;
  std::size_t left_ = 0;
  std::size_t held_ = 0;
  std::size_t nextChunk_ = kFirstChunk;
};

// Open addressing with linear probing over entry pointers, at most half full.
// Entries are never removed one by one, so no tombstones are needed.
class SignatureTable::Index {
 public:
  Entry* Find(std::string_view signature, std::uint32_t hash) const {
    if (slots_.empty()) return nullptr;
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      Entry* entry = slots_[i];
      if (entry == nullptr) return nullptr;
      if (entry->indexHash == hash && entry->Signature() == signature) return entry;
    }
  }

  // Makes room for `count` entries; throws std::bad_alloc, leaving the index
  // as it was.
  void Reserve(std::size_t count) {
    if (count * 2 <= slots_.size()) return;
    std::size_t capacity = std::max<std::size_t>(slots_.size(), 64);
    while (count * 2 > capacity) capacity *= 2;
    std::vector<Entry*> grown(capacity, nullptr);
    const std::size_t mask = capacity - 1;
    for (Entry* entry : slots_) {
      if (entry != nullptr) Place(grown, mask, entry);
    }
    slots_.swap(grown);
    mask_ = mask;
  }

  // Needs a Reserve for the new count first.
  void Insert(Entry* entry) { Place(slots_, mask_, entry); }

  void Release() {
    slots_.clear();
    slots_.shrink_to_fit();
    mask_ = 0;
  }

  // The slots hold pointers; their size is what is counted.
  std::size_t Bytes() const { return slots_.capacity() * sizeof(Entry*); }  // NOLINT(bugprone-sizeof-expression)

 private:
  static void Place(std::vector<Entry*>& slots, std::size_t mask, Entry* entry) {
    std::size_t i = entry->indexHash & mask;
    while (slots[i] != nullptr) i = (i + 1) & mask;
    slots[i] = entry;
  }

  std::vector<Entry*> slots_;
  std::size_t mask_ = 0;
};

SignatureTable::SignatureTable() : arena_(std::make_unique<Arena>()), index_(std::make_unique<Index>()) {}

SignatureTable::~SignatureTable() = default;

SignatureTable::PathNode* SignatureTable::MakeNode(std::string_view path) {
  static_assert(alignof(PathNode) <= kAlignment);
  if (path.size() > std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
  auto* node = new (arena_->Allocate(sizeof(PathNode) + path.size())) PathNode;
  node->length = static_cast<std::uint32_t>(path.size());
  if (!path.empty()) std::memcpy(node->Bytes(), path.data(), path.size());
  return node;
}

void SignatureTable::CreateEntry(std::string_view signature, std::string_view path) {
  static_assert(alignof(Entry) <= kAlignment);
  if (signature.size() > std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
  // Everything that can fail comes before anything is linked.
  index_->Reserve(entryCount_ + 1);
  auto* entry = new (arena_->Allocate(sizeof(Entry) + signature.size())) Entry;
  entry->signatureLength = static_cast<std::uint32_t>(signature.size());
  if (!signature.empty()) std::memcpy(entry->Bytes(), signature.data(), signature.size());
  entry->indexHash = IndexHash(signature);
  PathNode* node = MakeNode(path);

  entry->first = node;
  entry->last = node;
  entry->nodeCount = 1;
  const std::uint32_t bucket = ElfHash(signature) % kBucketCount;
  if (tails_[bucket] == nullptr) {
    heads_[bucket] = entry;
  } else {
    tails_[bucket]->next = entry;
  }
  tails_[bucket] = entry;
  index_->Insert(entry);
  ++entryCount_;
}

void SignatureTable::AppendPath(Entry& entry, std::string_view path) {
  PathNode* node = MakeNode(path);
  if (entry.live != nullptr) {
    entry.live->nodes.emplace(node->Text(), node);
  } else if (entry.nodeCount >= kWalkedListLength) {
    auto live = std::make_unique<LivePaths>();
    for (PathNode* old = entry.first; old != nullptr; old = old->next) {
      if (!old->removed) live->nodes.emplace(old->Text(), old);
    }
    live->nodes.emplace(node->Text(), node);
    livePaths_.push_back(std::move(live));
    entry.live = livePaths_.back().get();
  }
  entry.last->next = node;
  entry.last = node;
  ++entry.nodeCount;
}

int SignatureTable::AddHash(std::string_view signature, std::string_view path) {
  try {
    Entry* entry = index_->Find(signature, IndexHash(signature));
    if (entry == nullptr) {
      CreateEntry(signature, path);
    } else if (entry->live != nullptr) {
      if (entry->live->nodes.contains(path)) return 0;
      AppendPath(*entry, path);
    } else {
      for (const PathNode* node = entry->first; node != nullptr; node = node->next) {
        if (!node->removed && node->Text() == path) return 0;
      }
      AppendPath(*entry, path);
    }
  } catch (const std::bad_alloc&) {
    return -1;
  }
  pathBytes_ += path.size();
  ++liveCount_;
  return 0;
}

int SignatureTable::RemoveHash(std::string_view signature, std::string_view path) {
  Entry* entry = index_->Find(signature, IndexHash(signature));
  if (entry == nullptr) return -1;
  PathNode* found = nullptr;
  if (entry->live != nullptr) {
    const auto it = entry->live->nodes.find(path);
    if (it == entry->live->nodes.end()) return -1;
    found = it->second;
    entry->live->nodes.erase(it);
  } else {
    for (PathNode* node = entry->first; node != nullptr && found == nullptr; node = node->next) {
      if (!node->removed && node->Text() == path) found = node;
    }
    if (found == nullptr) return -1;
  }
  found->removed = true;
  --liveCount_;
  return 0;
}

int SignatureTable::NextHash(int restart, std::string& signatureOut, std::string& pathOut) {
  if (restart == 0) {
    cursor_.bucket = -1;
    cursor_.entry = nullptr;
    cursor_.node = nullptr;
  }
  // The rest of the list of the entry that yielded the previous pair.
  for (; cursor_.node != nullptr; cursor_.node = cursor_.node->next) {
    if (!cursor_.node->removed) {
      signatureOut = cursor_.signature;
      pathOut.assign(cursor_.node->Text());
      cursor_.node = cursor_.node->next;
      return 0;
    }
  }
  for (;;) {
    for (Entry* entry = cursor_.entry; entry != nullptr; entry = entry->next) {
      for (PathNode* node = entry->first; node != nullptr; node = node->next) {
        if (node->removed) continue;
        cursor_.signature.assign(entry->Signature());
        cursor_.entry = entry->next;
        cursor_.node = node->next;
        signatureOut = cursor_.signature;
        pathOut.assign(node->Text());
        return 0;
      }
    }
    cursor_.entry = nullptr;
    if (cursor_.bucket + 1 >= static_cast<std::int32_t>(kBucketCount)) {
      cursor_.bucket = static_cast<std::int32_t>(kBucketCount);
      return -1;
    }
    ++cursor_.bucket;
    cursor_.entry = heads_[static_cast<std::size_t>(cursor_.bucket)];
  }
}

int SignatureTable::ClearHash() {
  heads_.fill(nullptr);
  tails_.fill(nullptr);
  livePaths_.clear();
  livePaths_.shrink_to_fit();
  index_->Release();
  arena_->Release();
  pathBytes_ = 0;
  liveCount_ = 0;
  entryCount_ = 0;
  cursor_ = Cursor{};
  return 0;
}

std::size_t SignatureTable::SignatureCount() const { return entryCount_; }

std::size_t SignatureTable::OverheadBytes() const {
  std::size_t sets = livePaths_.capacity() * sizeof(livePaths_[0]);
  for (const auto& live : livePaths_) {
    // Approximate: one heap node per element (link, key, value, cached hash)
    // plus the bucket array.
    sets += sizeof(LivePaths) + live->nodes.size() * (2 * sizeof(void*) + sizeof(std::string_view) + sizeof(void*)) +
            live->nodes.bucket_count() * sizeof(void*);
  }
  return arena_->HeldBytes() - pathBytes_ + index_->Bytes() + sizeof(heads_) + sizeof(tails_) + sets;
}

}  // namespace kestrilo
