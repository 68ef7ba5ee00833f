#include "store/signature_table.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <optional>
#include <unordered_set>

#include "store/elf_hash.h"

namespace kestrilo {

namespace {

// Lists up to this long are searched by walking them; a longer one gets a set
// of its live paths so that adding to a signature shared by thousands of files
// stays constant-time.
constexpr std::uint32_t kWalkedListLength = 8;

constexpr std::size_t kAlignment = alignof(void*);

std::size_t AlignUp(std::size_t bytes) { return (bytes + kAlignment - 1) & ~(kAlignment - 1); }

constexpr std::size_t kDigestBytes = 16;
constexpr std::size_t kHexDigits = 2 * kDigestBytes;
constexpr std::size_t kPackedBytes = kDigestBytes + sizeof(std::uint32_t);
constexpr std::size_t kLongestSizeText = 10;  // 4294967295

// Texts longer than this are refused: their lengths share a word with flags.
constexpr std::size_t kLongestText = std::numeric_limits<std::uint32_t>::max() >> 2;

// The value of each lowercase hex digit, -1 for every other byte.
constexpr std::array<std::int8_t, 256> kHexValue = [] {
  std::array<std::int8_t, 256> values{};
  values.fill(-1);
  for (int c = '0'; c <= '9'; ++c) values[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - '0');
  for (int c = 'a'; c <= 'f'; ++c) values[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'a' + 10);
  return values;
}();

int HexValue(char c) { return kHexValue[static_cast<unsigned char>(c)]; }

// The 20 bytes of a signature of 32 lowercase hex digits followed by a size
// as the walk writes it (decimal, no leading zero, below 2^32): the digest,
// then the size. Any other text is kept as it is, so that packing never makes
// two signatures one.
bool Pack(std::string_view signature, char* packed) {
  if (signature.size() <= kHexDigits || signature.size() > kHexDigits + kLongestSizeText) return false;
  for (std::size_t i = 0; i < kDigestBytes; ++i) {
    const int high = HexValue(signature[2 * i]);
    const int low = HexValue(signature[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    packed[i] = static_cast<char>(high << 4 | low);
  }
  const std::string_view digits = signature.substr(kHexDigits);
  if (digits.size() > 1 && digits.front() == '0') return false;
  std::uint64_t size = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    size = size * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (size > std::numeric_limits<std::uint32_t>::max()) return false;
  const auto size32 = static_cast<std::uint32_t>(size);
  std::memcpy(packed + kDigestBytes, &size32, sizeof size32);
  return true;
}

void Unpack(const char* packed, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::array<char, kHexDigits + kLongestSizeText> text;
  for (std::size_t i = 0; i < kDigestBytes; ++i) {
    const auto byte = static_cast<unsigned char>(packed[i]);
    text[2 * i] = kHex[byte >> 4];
    text[2 * i + 1] = kHex[byte & 0x0f];
  }
  std::uint32_t size = 0;
  std::memcpy(&size, packed + kDigestBytes, sizeof size);
  const auto end = std::to_chars(text.data() + kHexDigits, text.data() + text.size(), size).ptr;
  out.assign(text.data(), static_cast<std::size_t>(end - text.data()));
}

std::uint32_t KeyHash(std::string_view bytes) {
  return static_cast<std::uint32_t>(std::hash<std::string_view>{}(bytes));
}

// A path as the table keeps it: everything up to and including the last
// separator (either kind), and the rest. Any split gives the same text back;
// this one lets the files of one folder share its text.
struct SplitText {
  std::string_view folder;
  std::string_view name;
};

SplitText SplitForStorage(std::string_view path) {
  const std::size_t last = path.find_last_of("/\\");
  if (last == std::string_view::npos) return {{}, path};
  return {path.substr(0, last + 1), path.substr(last + 1)};
}

}  // namespace

// A signature as the table compares it: packed where it can be, the text
// otherwise.
struct SignatureTable::Key {
  explicit Key(std::string_view signature) {
    const bool isPacked = Pack(signature, packed.data());
    bytes = isPacked ? std::string_view(packed.data(), kPackedBytes) : signature;
    word = static_cast<std::uint64_t>(bytes.size()) << 2 | (isPacked ? 1u : 0u);
    hash = KeyHash(bytes);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  std::array<char, kPackedBytes> packed{};
  std::string_view bytes;
  std::uint64_t word = 0;  // as in Entry, without the long-list bit
  std::uint32_t hash = 0;
};

// A path by the number of its folder and its name.
struct SignatureTable::PathKey {
  std::uint32_t folder = 0;
  std::string_view name;
};

// A path to be stored, with its rest digest.
struct SignatureTable::NewPath {
  PathKey key;
  std::optional<std::uint64_t> rest;
};

// One path of a signature; its name follows the node in the same block, and
// its rest digest, where it was given one, follows the name.
struct SignatureTable::PathNode {
  static constexpr std::uint32_t kRemoved = 1;
  static constexpr std::uint32_t kHasRest = 2;

  PathNode* next = nullptr;
  std::uint32_t folder = 0;
  std::uint32_t word = 0;  // name length << 2 | kHasRest | kRemoved

  static std::size_t BlockSize(std::size_t nameLength, bool withRest) {
    return sizeof(PathNode) + nameLength + (withRest ? sizeof(std::uint64_t) : 0);
  }
  bool Removed() const { return (word & kRemoved) != 0; }
  void MarkRemoved() { word |= kRemoved; }
  std::string_view Name() const { return {reinterpret_cast<const char*>(this + 1), word >> 2}; }
  char* NameBytes() { return reinterpret_cast<char*>(this + 1); }
  bool Is(const PathKey& path) const { return folder == path.folder && Name() == path.name; }

  std::optional<std::uint64_t> Rest() const {
    if ((word & kHasRest) == 0) return std::nullopt;
    std::uint64_t rest = 0;
    std::memcpy(&rest, reinterpret_cast<const char*>(this + 1) + Name().size(), sizeof rest);
    return rest;
  }
  // A path added again takes the new digest in place of the one it has, or
  // forgets it; one that has none never gets one, as it has no room for it.
  void Renew(std::optional<std::uint64_t> rest) {
    if (!rest) {
      word &= ~kHasRest;
    } else if ((word & kHasRest) != 0) {
      std::memcpy(NameBytes() + Name().size(), &*rest, sizeof *rest);
    }
  }
};

// One signature with its paths; its key follows `word` directly, in the same
// block (a packed key fills the block to 40 bytes).
struct SignatureTable::Entry {
  static constexpr std::uint32_t kPacked = 1;
  static constexpr std::uint32_t kLongList = 2;

  Entry* next = nullptr;
  PathNode* first = nullptr;
  std::uint32_t word = 0;  // key length << 2 | kLongList | kPacked

  static std::size_t BlockSize(std::size_t keyLength) {
    return AlignUp(std::max(sizeof(Entry), offsetof(Entry, word) + sizeof(word) + keyLength));
  }
  const char* KeyBytes() const { return reinterpret_cast<const char*>(this) + offsetof(Entry, word) + sizeof(word); }
  char* KeyBytes() { return reinterpret_cast<char*>(this) + offsetof(Entry, word) + sizeof(word); }
  std::string_view KeyView() const { return {KeyBytes(), word >> 2}; }
  bool Packed() const { return (word & kPacked) != 0; }
  bool HasLongList() const { return (word & kLongList) != 0; }
  bool Matches(const Key& key) const {
    return (word & ~kLongList) == key.word && std::memcmp(KeyBytes(), key.bytes.data(), key.bytes.size()) == 0;
  }
  std::uint32_t Hash() const { return KeyHash(KeyView()); }
};

// The live paths of a long list, and its last node.
struct SignatureTable::LivePaths {
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(const PathKey& path) const {
      return std::hash<std::string_view>{}(path.name) * 31 + path.folder;
    }
    std::size_t operator()(const PathNode* node) const { return (*this)(PathKey{node->folder, node->Name()}); }
  };
  struct Same {
    using is_transparent = void;
    bool operator()(const PathNode* a, const PathNode* b) const { return a->Is({b->folder, b->Name()}); }
    bool operator()(const PathKey& a, const PathNode* b) const { return b->Is(a); }
    bool operator()(const PathNode* a, const PathKey& b) const { return a->Is(b); }
  };
  std::unordered_set<PathNode*, Hash, Same> nodes;
  PathNode* last = nullptr;
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
  Entry* Find(const Key& key) const {
    if (slots_.empty()) return nullptr;
    for (std::size_t i = key.hash & mask_;; i = (i + 1) & mask_) {
      Entry* entry = slots_[i];
      if (entry == nullptr) return nullptr;
      if (entry->Matches(key)) return entry;
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
      if (entry != nullptr) Place(grown, mask, entry, entry->Hash());
    }
    slots_.swap(grown);
    mask_ = mask;
  }

  // Needs a Reserve for the new count first.
  void Insert(Entry* entry, std::uint32_t hash) { Place(slots_, mask_, entry, hash); }

  void Release() {
    slots_.clear();
    slots_.shrink_to_fit();
    mask_ = 0;
  }

  bool Empty() const { return slots_.empty(); }

  // The slots hold pointers; their size is what is counted.
  std::size_t Bytes() const { return slots_.capacity() * sizeof(Entry*); }  // NOLINT(bugprone-sizeof-expression)

 private:
  static void Place(std::vector<Entry*>& slots, std::size_t mask, Entry* entry, std::uint32_t hash) {
    std::size_t i = hash & mask;
    while (slots[i] != nullptr) i = (i + 1) & mask;
    slots[i] = entry;
  }

  std::vector<Entry*> slots_;
  std::size_t mask_ = 0;
};

// The text of every folder part of a stored path, kept once and numbered.
class SignatureTable::Folders {
 public:
  std::optional<std::uint32_t> Find(std::string_view folder) {
    // Files arrive folder by folder: the last one found is usually the one.
    if (last_ < texts_.size() && texts_[last_] == folder) return last_;
    const auto found = numbers_.find(folder);
    if (found == numbers_.end()) return std::nullopt;
    last_ = found->second;
    return last_;
  }

  // The number of `folder`, kept from now on; throws std::bad_alloc, leaving
  // the folders as they were.
  std::uint32_t Intern(std::string_view folder, Arena& arena) {
    if (const auto found = Find(folder)) return *found;
    if (texts_.size() >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
    if (texts_.size() == texts_.capacity()) texts_.reserve(std::max<std::size_t>(16, texts_.capacity() * 2));
    std::string_view text;
    if (!folder.empty()) {
      auto* bytes = static_cast<char*>(arena.Allocate(folder.size()));
      std::memcpy(bytes, folder.data(), folder.size());
      text = {bytes, folder.size()};
    }
    const auto number = static_cast<std::uint32_t>(texts_.size());
    numbers_.emplace(text, number);
    texts_.push_back(text);
    last_ = number;
    return number;
  }

  std::string_view Text(std::uint32_t number) const { return texts_[number]; }
  std::size_t Count() const { return texts_.size(); }

  void Release() {
    texts_.clear();
    texts_.shrink_to_fit();
    decltype(numbers_)().swap(numbers_);
    last_ = 0;
  }

  // Approximate for the map: one heap node per element plus its buckets.
  std::size_t Bytes() const {
    return texts_.capacity() * sizeof(std::string_view) +
           numbers_.size() * (2 * sizeof(void*) + sizeof(std::string_view) + sizeof(std::uint32_t)) +
           numbers_.bucket_count() * sizeof(void*);
  }

 private:
  std::vector<std::string_view> texts_;  // into the arena
  std::unordered_map<std::string_view, std::uint32_t> numbers_;
  std::uint32_t last_ = 0;
};

SignatureTable::SignatureTable()
    : arena_(std::make_unique<Arena>()), index_(std::make_unique<Index>()), folders_(std::make_unique<Folders>()) {}

SignatureTable::~SignatureTable() = default;

SignatureTable::PathNode* SignatureTable::MakeNode(const NewPath& path) {
  static_assert(alignof(PathNode) <= kAlignment);
  if (path.key.name.size() > kLongestText) throw std::bad_alloc();
  const std::string_view name = path.key.name;
  auto* node = new (arena_->Allocate(PathNode::BlockSize(name.size(), path.rest.has_value()))) PathNode;
  node->folder = path.key.folder;
  node->word = static_cast<std::uint32_t>(name.size()) << 2;
  if (!name.empty()) std::memcpy(node->NameBytes(), name.data(), name.size());
  if (path.rest) {
    std::memcpy(node->NameBytes() + name.size(), &*path.rest, sizeof *path.rest);
    node->word |= PathNode::kHasRest;
  }
  return node;
}

// Both lookups throw std::bad_alloc when there is no room to make them again.
SignatureTable::Index& SignatureTable::IndexOfEntries() {
  if (entryCount_ > 0 && index_->Empty()) {
    index_->Reserve(entryCount_);
    for (Entry* head : heads_) {
      for (Entry* entry = head; entry != nullptr; entry = entry->next) index_->Insert(entry, entry->Hash());
    }
  }
  return *index_;
}

SignatureTable::LivePaths& SignatureTable::LivePathsOf(const Entry& entry) {
  if (const auto found = livePaths_.find(&entry); found != livePaths_.end()) return *found->second;
  return *livePaths_.emplace(&entry, LivePathsFromList(entry)).first->second;
}

std::unique_ptr<SignatureTable::LivePaths> SignatureTable::LivePathsFromList(const Entry& entry) {
  auto made = std::make_unique<LivePaths>();
  for (PathNode* node = entry.first; node != nullptr; node = node->next) {
    if (!node->Removed()) made->nodes.insert(node);
    made->last = node;
  }
  return made;
}

// Without room for the index, the signature's bucket still finds its entry:
// a removal never fails for want of memory.
SignatureTable::Entry* SignatureTable::FindEntry(const Key& key, std::string_view signature) {
  try {
    return IndexOfEntries().Find(key);
  } catch (const std::bad_alloc&) {
    for (Entry* entry = heads_[ElfHash(signature) % kBucketCount]; entry != nullptr; entry = entry->next) {
      if (entry->Matches(key)) return entry;
    }
    return nullptr;
  }
}

void SignatureTable::CreateEntry(const Key& key, std::string_view signature, const NewPath& path) {
  static_assert(alignof(Entry) <= kAlignment);
  // Everything that can fail comes before anything is linked.
  IndexOfEntries().Reserve(entryCount_ + 1);
  auto* entry = new (arena_->Allocate(Entry::BlockSize(key.bytes.size()))) Entry;
  entry->word = static_cast<std::uint32_t>(key.word);
  if (!key.bytes.empty()) std::memcpy(entry->KeyBytes(), key.bytes.data(), key.bytes.size());
  entry->first = MakeNode(path);

  const std::uint32_t bucket = ElfHash(signature) % kBucketCount;
  if (tails_[bucket] == nullptr) {
    heads_[bucket] = entry;
  } else {
    tails_[bucket]->next = entry;
  }
  tails_[bucket] = entry;
  index_->Insert(entry, key.hash);
  ++entryCount_;
}

void SignatureTable::AppendPath(Entry& entry, PathNode* last, std::uint32_t nodeCount, const NewPath& path) {
  PathNode* node = MakeNode(path);
  LivePaths* live = nullptr;
  if (entry.HasLongList()) {
    live = &LivePathsOf(entry);
    live->nodes.insert(node);
  } else if (nodeCount >= kWalkedListLength) {
    auto created = LivePathsFromList(entry);
    created->nodes.insert(node);
    live = livePaths_.emplace(&entry, std::move(created)).first->second.get();
    entry.word |= Entry::kLongList;
  }
  last->next = node;
  if (live != nullptr) live->last = node;
}

int SignatureTable::AddHash(std::string_view signature, std::string_view path, std::optional<std::uint64_t> rest) {
  try {
    if (signature.size() > kLongestText) throw std::bad_alloc();
    const Key key(signature);
    const SplitText split = SplitForStorage(path);
    Entry* entry = IndexOfEntries().Find(key);
    if (entry == nullptr) {
      CreateEntry(key, signature, {{folders_->Intern(split.folder, *arena_), split.name}, rest});
    } else if (entry->HasLongList()) {
      LivePaths& live = LivePathsOf(*entry);
      const auto folder = folders_->Find(split.folder);
      if (folder) {
        if (const auto found = live.nodes.find(PathKey{*folder, split.name}); found != live.nodes.end()) {
          (*found)->Renew(rest);
          return 0;
        }
      }
      AppendPath(*entry, live.last, 0,
                 {{folder ? *folder : folders_->Intern(split.folder, *arena_), split.name}, rest});
    } else {
      const auto folder = folders_->Find(split.folder);
      PathNode* last = nullptr;
      std::uint32_t count = 0;
      for (PathNode* node = entry->first; node != nullptr; node = node->next) {
        if (folder && !node->Removed() && node->Is({*folder, split.name})) {
          node->Renew(rest);
          return 0;
        }
        last = node;
        ++count;
      }
      AppendPath(*entry, last, count, {{folder ? *folder : folders_->Intern(split.folder, *arena_), split.name}, rest});
    }
  } catch (const std::bad_alloc&) {
    return -1;
  }
  ++liveCount_;
  return 0;
}

int SignatureTable::RemoveHash(std::string_view signature, std::string_view path) {
  if (signature.size() > kLongestText) return -1;
  const Key key(signature);
  Entry* entry = FindEntry(key, signature);
  if (entry == nullptr) return -1;
  const SplitText split = SplitForStorage(path);
  const auto folder = folders_->Find(split.folder);
  if (!folder) return -1;
  const PathKey wanted{*folder, split.name};
  PathNode* found = nullptr;
  LivePaths* live = nullptr;
  if (entry->HasLongList()) {
    try {
      live = &LivePathsOf(*entry);
    } catch (const std::bad_alloc&) {
      // Without room for the set, the list itself is searched.
    }
  }
  if (live != nullptr) {
    const auto it = live->nodes.find(wanted);
    if (it == live->nodes.end()) return -1;
    found = *it;
    live->nodes.erase(it);
  } else {
    for (PathNode* node = entry->first; node != nullptr && found == nullptr; node = node->next) {
      if (!node->Removed() && node->Is(wanted)) found = node;
    }
    if (found == nullptr) return -1;
  }
  found->MarkRemoved();
  --liveCount_;
  return 0;
}

int SignatureTable::NextHash(int restart, std::string& signatureOut, std::string& pathOut) {
  std::optional<std::uint64_t> rest;
  return NextHash(restart, signatureOut, pathOut, rest);
}

int SignatureTable::NextHash(int restart, std::string& signatureOut, std::string& pathOut,
                             std::optional<std::uint64_t>& restOut) {
  if (restart == 0) {
    cursor_.bucket = -1;
    cursor_.entry = nullptr;
    cursor_.node = nullptr;
  }
  const auto yield = [&](const PathNode& node) {
    signatureOut = cursor_.signature;
    pathOut.assign(folders_->Text(node.folder));
    pathOut.append(node.Name());
    restOut = node.Rest();
  };
  // The rest of the list of the entry that yielded the previous pair.
  for (; cursor_.node != nullptr; cursor_.node = cursor_.node->next) {
    if (!cursor_.node->Removed()) {
      yield(*cursor_.node);
      cursor_.node = cursor_.node->next;
      return 0;
    }
  }
  for (;;) {
    for (Entry* entry = cursor_.entry; entry != nullptr; entry = entry->next) {
      for (PathNode* node = entry->first; node != nullptr; node = node->next) {
        if (node->Removed()) continue;
        if (entry->Packed()) {
          Unpack(entry->KeyBytes(), cursor_.signature);
        } else {
          cursor_.signature.assign(entry->KeyView());
        }
        cursor_.entry = entry->next;
        cursor_.node = node->next;
        yield(*node);
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
  decltype(livePaths_)().swap(livePaths_);
  index_->Release();
  folders_->Release();
  arena_->Release();
  liveCount_ = 0;
  entryCount_ = 0;
  cursor_ = Cursor{};
  return 0;
}

void SignatureTable::ReleaseLookups() {
  decltype(livePaths_)().swap(livePaths_);
  index_->Release();
}

std::size_t SignatureTable::SignatureCount() const { return entryCount_; }

std::size_t SignatureTable::FolderCount() const { return folders_->Count(); }

std::string_view SignatureTable::FolderText(std::size_t number) const {
  return folders_->Text(static_cast<std::uint32_t>(number));
}

std::size_t SignatureTable::HeldBytes() const {
  std::size_t sets = livePaths_.bucket_count() * sizeof(void*);
  for (const auto& [entry, live] : livePaths_) {
    // Approximate: one heap node per element (link, node, cached hash) plus
    // the bucket array, and the map's own node.
    sets += sizeof(LivePaths) + 4 * sizeof(void*) + live->nodes.size() * 3 * sizeof(void*) +
            live->nodes.bucket_count() * sizeof(void*);
  }
  return arena_->HeldBytes() + index_->Bytes() + folders_->Bytes() + sizeof(heads_) + sizeof(tails_) + sets;
}

}  // namespace kestrilo
