#include "store/signature_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "store/elf_hash.h"

namespace kestrilo {
namespace {

using Pair = std::pair<std::string, std::string>;
using Pairs = std::vector<Pair>;

std::uint32_t BucketOf(const std::string& signature) { return ElfHash(signature) % SignatureTable::kBucketCount; }

// A realistic signature: 32 hex digits and a size.
std::string Signature(int n) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  std::uint32_t state = static_cast<std::uint32_t>(n) * 2654435761u + 12345u;
  for (int i = 0; i < 32; ++i) {
    state = state * 1664525u + 1013904223u;
    text.push_back(kHex[state >> 28]);
  }
  return text + std::to_string(1000 + n);
}

// `count` signatures other than `signature` that fall into the same bucket.
std::vector<std::string> CollidingWith(const std::string& signature, std::size_t count) {
  std::vector<std::string> found;
  for (int n = 1; found.size() < count; ++n) {
    std::string other = Signature(n);
    if (other != signature && BucketOf(other) == BucketOf(signature)) found.push_back(other);
  }
  return found;
}

std::string CollidingWith(const std::string& signature) { return CollidingWith(signature, 1)[0]; }

// Two signatures with first's bucket below second's.
std::pair<std::string, std::string> InBucketOrder() {
  std::string low = Signature(0);
  std::string high = Signature(1);
  if (BucketOf(low) > BucketOf(high)) std::swap(low, high);
  return {low, high};
}

Pairs Iterate(SignatureTable& table) {
  Pairs pairs;
  std::string signature;
  std::string path;
  for (int restart = 0; table.NextHash(restart, signature, path) == 0; restart = 1) pairs.emplace_back(signature, path);
  return pairs;
}

TEST(SignatureTable, EmptyTableYieldsNothingAndLeavesOutputsAlone) {
  SignatureTable table;
  std::string signature = "keep";
  std::string path = "this";
  EXPECT_EQ(table.NextHash(0, signature, path), -1);
  EXPECT_EQ(signature, "keep");
  EXPECT_EQ(path, "this");
  EXPECT_EQ(table.GetFileCount(), 0);
  EXPECT_EQ(table.SignatureCount(), 0u);
}

TEST(SignatureTable, AddingTheSamePairTwiceCountsItOnce) {
  SignatureTable table;
  const std::string sig = Signature(1);
  EXPECT_EQ(table.AddHash(sig, "/a/x.jpg"), 0);
  EXPECT_EQ(table.AddHash(sig, "/a/x.jpg"), 0);
  EXPECT_EQ(table.GetFileCount(), 1);
  EXPECT_EQ(Iterate(table), (Pairs{{sig, "/a/x.jpg"}}));
}

TEST(SignatureTable, PathsOfOneSignatureComeInOrderOfAdding) {
  SignatureTable table;
  const std::string sig = Signature(1);
  ASSERT_EQ(table.AddHash(sig, "/z"), 0);
  ASSERT_EQ(table.AddHash(sig, "/b"), 0);
  ASSERT_EQ(table.AddHash(sig, "/m"), 0);
  EXPECT_EQ(Iterate(table), (Pairs{{sig, "/z"}, {sig, "/b"}, {sig, "/m"}}));
  EXPECT_EQ(table.SignatureCount(), 1u);
}

TEST(SignatureTable, BucketsComeInAscendingOrderWhateverTheOrderOfAdding) {
  SignatureTable table;
  const auto [low, high] = InBucketOrder();
  ASSERT_NE(BucketOf(low), BucketOf(high));
  ASSERT_EQ(table.AddHash(high, "/h"), 0);
  ASSERT_EQ(table.AddHash(low, "/l"), 0);
  EXPECT_EQ(Iterate(table), (Pairs{{low, "/l"}, {high, "/h"}}));
}

TEST(SignatureTable, SignaturesOfOneBucketComeInOrderOfCreation) {
  SignatureTable table;
  // Created in the order third, first, second; whatever their order as text.
  const std::vector<std::string> others = CollidingWith(Signature(7), 2);
  const std::string third = Signature(7);
  const std::string& first = others[1];
  const std::string& second = others[0];
  ASSERT_EQ(BucketOf(first), BucketOf(second));
  // Interleaved adds: every pair of an older signature still comes first.
  ASSERT_EQ(table.AddHash(third, "/3a"), 0);
  ASSERT_EQ(table.AddHash(first, "/1a"), 0);
  ASSERT_EQ(table.AddHash(second, "/2a"), 0);
  ASSERT_EQ(table.AddHash(first, "/1b"), 0);
  ASSERT_EQ(table.AddHash(second, "/2b"), 0);
  ASSERT_EQ(table.AddHash(third, "/3b"), 0);
  EXPECT_EQ(Iterate(table),
            (Pairs{{third, "/3a"}, {third, "/3b"}, {first, "/1a"}, {first, "/1b"}, {second, "/2a"}, {second, "/2b"}}));
}

TEST(SignatureTable, RemovedPathIsHiddenAndComesBackAtTheEnd) {
  SignatureTable table;
  const std::string sig = Signature(3);
  ASSERT_EQ(table.AddHash(sig, "/a"), 0);
  ASSERT_EQ(table.AddHash(sig, "/b"), 0);
  ASSERT_EQ(table.AddHash(sig, "/c"), 0);

  EXPECT_EQ(table.RemoveHash(sig, "/a"), 0);
  EXPECT_EQ(table.GetFileCount(), 2);
  EXPECT_EQ(Iterate(table), (Pairs{{sig, "/b"}, {sig, "/c"}}));
  EXPECT_EQ(table.RemoveHash(sig, "/a"), -1);
  EXPECT_EQ(table.GetFileCount(), 2);

  EXPECT_EQ(table.AddHash(sig, "/a"), 0);
  EXPECT_EQ(table.GetFileCount(), 3);
  EXPECT_EQ(Iterate(table), (Pairs{{sig, "/b"}, {sig, "/c"}, {sig, "/a"}}));
}

TEST(SignatureTable, FullyRemovedSignatureKeepsItsPlaceInTheChain) {
  SignatureTable table;
  const std::string first = Signature(11);
  const std::string second = CollidingWith(first);
  ASSERT_EQ(table.AddHash(first, "/old"), 0);
  ASSERT_EQ(table.AddHash(second, "/other"), 0);
  ASSERT_EQ(table.RemoveHash(first, "/old"), 0);
  EXPECT_EQ(Iterate(table), (Pairs{{second, "/other"}}));
  EXPECT_EQ(table.SignatureCount(), 2u);

  // Still the older entry of the bucket: its new path comes first.
  ASSERT_EQ(table.AddHash(first, "/new"), 0);
  EXPECT_EQ(Iterate(table), (Pairs{{first, "/new"}, {second, "/other"}}));
  EXPECT_EQ(table.SignatureCount(), 2u);
}

TEST(SignatureTable, RemoveRefusesWhatIsNotLiveUnderTheSignature) {
  SignatureTable table;
  const std::string sig = Signature(1);
  const std::string other = Signature(2);
  const std::string neighbour = CollidingWith(sig);
  ASSERT_EQ(table.AddHash(sig, "/p"), 0);
  ASSERT_EQ(table.AddHash(other, "/q"), 0);

  EXPECT_EQ(table.RemoveHash(Signature(99), "/p"), -1);
  EXPECT_EQ(table.RemoveHash(neighbour, "/p"), -1);
  EXPECT_EQ(table.RemoveHash(sig, "/q"), -1);
  EXPECT_EQ(table.RemoveHash(sig, "/P"), -1);
  EXPECT_EQ(table.RemoveHash(sig, ""), -1);
  EXPECT_EQ(table.GetFileCount(), 2);
  EXPECT_EQ(Iterate(table).size(), 2u);
}

TEST(SignatureTable, MarkedPathNeverMatchesAnEmptyArgument) {
  SignatureTable table;
  const std::string sig = Signature(1);
  ASSERT_EQ(table.AddHash(sig, "/p"), 0);
  ASSERT_EQ(table.RemoveHash(sig, "/p"), 0);
  EXPECT_EQ(table.RemoveHash(sig, ""), -1);
  EXPECT_EQ(table.GetFileCount(), 0);
}

TEST(SignatureTable, PathsDifferingInCaseAreDifferent) {
  SignatureTable table;
  const std::string sig = Signature(1);
  ASSERT_EQ(table.AddHash(sig, "/Photos/IMG.JPG"), 0);
  ASSERT_EQ(table.AddHash(sig, "/photos/img.jpg"), 0);
  EXPECT_EQ(table.GetFileCount(), 2);
  EXPECT_EQ(table.RemoveHash(sig, "/PHOTOS/IMG.JPG"), -1);
}

TEST(SignatureTable, SamePathUnderTwoSignaturesIsTwoPairs) {
  SignatureTable table;
  const auto [low, high] = InBucketOrder();
  ASSERT_EQ(table.AddHash(high, "/f"), 0);
  ASSERT_EQ(table.AddHash(low, "/f"), 0);
  EXPECT_EQ(table.GetFileCount(), 2);
  ASSERT_EQ(table.RemoveHash(low, "/f"), 0);
  EXPECT_EQ(Iterate(table), (Pairs{{high, "/f"}}));
}

TEST(SignatureTable, PathsAreKeptByteForByteAndAtAnyLength) {
  SignatureTable table;
  const std::string sig = Signature(5);
  const std::string notUtf8 = "/data/\xff\xfe\x80name\x01.bin";
  const std::string longPath = "/" + std::string(5000, 'd') + "/f";
  const std::string huge = "/" + std::string(600 * 1024, 'h');
  ASSERT_EQ(table.AddHash(sig, notUtf8), 0);
  ASSERT_EQ(table.AddHash(sig, longPath), 0);
  ASSERT_EQ(table.AddHash(sig, huge), 0);
  EXPECT_EQ(Iterate(table), (Pairs{{sig, notUtf8}, {sig, longPath}, {sig, huge}}));
  EXPECT_EQ(table.RemoveHash(sig, huge), 0);
  EXPECT_EQ(Iterate(table), (Pairs{{sig, notUtf8}, {sig, longPath}}));
}

TEST(SignatureTable, EndOfIterationHoldsUntilRestarted) {
  SignatureTable table;
  const std::string sig = Signature(1);
  ASSERT_EQ(table.AddHash(sig, "/only"), 0);
  std::string s;
  std::string p;
  ASSERT_EQ(table.NextHash(0, s, p), 0);
  EXPECT_EQ(table.NextHash(1, s, p), -1);
  EXPECT_EQ(table.NextHash(1, s, p), -1);
  EXPECT_EQ(table.NextHash(7, s, p), -1);
  s.clear();
  p.clear();
  ASSERT_EQ(table.NextHash(0, s, p), 0);
  EXPECT_EQ(s, sig);
  EXPECT_EQ(p, "/only");
}

TEST(SignatureTable, RestartInTheMiddleBeginsAgain) {
  SignatureTable table;
  const std::string sig = Signature(1);
  ASSERT_EQ(table.AddHash(sig, "/1"), 0);
  ASSERT_EQ(table.AddHash(sig, "/2"), 0);
  std::string s;
  std::string p;
  ASSERT_EQ(table.NextHash(0, s, p), 0);
  ASSERT_EQ(table.NextHash(0, s, p), 0);
  EXPECT_EQ(p, "/1");
}

TEST(SignatureTable, RemovingEachPairJustReturnedDoesNotDisturbTheIteration) {
  SignatureTable table;
  const std::string a = Signature(1);
  const std::string b = CollidingWith(a);
  const std::string c = Signature(2);
  Pairs added;
  for (int i = 0; i < 12; ++i) {
    for (const std::string& sig : {a, b, c}) {
      const std::string path = "/p" + std::to_string(i);
      ASSERT_EQ(table.AddHash(sig, path), 0);
    }
  }
  const Pairs before = Iterate(table);
  ASSERT_EQ(before.size(), 36u);

  Pairs seen;
  std::string s;
  std::string p;
  for (int restart = 0; table.NextHash(restart, s, p) == 0; restart = 1) {
    seen.emplace_back(s, p);
    ASSERT_EQ(table.RemoveHash(s, p), 0);
  }
  EXPECT_EQ(seen, before);
  EXPECT_EQ(table.GetFileCount(), 0);
  EXPECT_TRUE(Iterate(table).empty());
}

TEST(SignatureTable, RemovingAPairAheadOfTheCursorSkipsIt) {
  SignatureTable table;
  const std::string sig = Signature(1);
  const std::string next = CollidingWith(sig);
  for (const char* path : {"/1", "/2", "/3"}) ASSERT_EQ(table.AddHash(sig, path), 0);
  ASSERT_EQ(table.AddHash(next, "/n"), 0);

  std::string s;
  std::string p;
  ASSERT_EQ(table.NextHash(0, s, p), 0);
  ASSERT_EQ(table.RemoveHash(sig, "/2"), 0);
  ASSERT_EQ(table.RemoveHash(next, "/n"), 0);
  ASSERT_EQ(table.NextHash(1, s, p), 0);
  EXPECT_EQ(p, "/3");
  EXPECT_EQ(table.NextHash(1, s, p), -1);
}

TEST(SignatureTable, ClearEmptiesAndTheTableWorksAsNew) {
  SignatureTable table;
  const std::size_t emptyBytes = table.HeldBytes();
  EXPECT_EQ(table.ClearHash(), 0);
  EXPECT_EQ(table.GetFileCount(), 0);

  for (int i = 0; i < 5000; ++i) ASSERT_EQ(table.AddHash(Signature(i % 700), "/f" + std::to_string(i)), 0);
  ASSERT_EQ(table.GetFileCount(), 5000);
  std::string s;
  std::string p;
  ASSERT_EQ(table.NextHash(0, s, p), 0);

  EXPECT_EQ(table.ClearHash(), 0);
  EXPECT_EQ(table.GetFileCount(), 0);
  EXPECT_EQ(table.SignatureCount(), 0u);
  EXPECT_EQ(table.HeldBytes(), emptyBytes);
  EXPECT_EQ(table.NextHash(1, s, p), -1);
  EXPECT_EQ(table.NextHash(0, s, p), -1);
  EXPECT_EQ(table.RemoveHash(Signature(1), "/f1"), -1);

  ASSERT_EQ(table.AddHash(Signature(1), "/again"), 0);
  EXPECT_EQ(table.GetFileCount(), 1);
  EXPECT_EQ(Iterate(table), (Pairs{{Signature(1), "/again"}}));
}

TEST(SignatureTable, TenThousandPathsUnderOneSignature) {
  SignatureTable table;
  const std::string sig = Signature(42);
  constexpr int kPaths = 10000;
  auto path = [](int i) { return "/photos/IMG_" + std::to_string(i) + ".JPG"; };
  for (int i = 0; i < kPaths; ++i) ASSERT_EQ(table.AddHash(sig, path(i)), 0);
  for (int i = 0; i < kPaths; ++i) ASSERT_EQ(table.AddHash(sig, path(i)), 0);
  EXPECT_EQ(table.GetFileCount(), kPaths);
  EXPECT_EQ(table.SignatureCount(), 1u);
  // What follows finds its paths in lookups made again from the list.
  const std::size_t held = table.HeldBytes();
  table.ReleaseLookups();
  EXPECT_LT(table.HeldBytes(), held);

  for (int i = 0; i < kPaths; i += 2) ASSERT_EQ(table.RemoveHash(sig, path(i)), 0);
  for (int i = 0; i < kPaths; i += 2) ASSERT_EQ(table.RemoveHash(sig, path(i)), -1);
  EXPECT_EQ(table.GetFileCount(), kPaths / 2);
  // Re-adding a removed path appends it; re-adding a live one changes nothing.
  ASSERT_EQ(table.AddHash(sig, path(0)), 0);
  ASSERT_EQ(table.AddHash(sig, path(1)), 0);
  EXPECT_EQ(table.GetFileCount(), kPaths / 2 + 1);

  const Pairs pairs = Iterate(table);
  ASSERT_EQ(pairs.size(), static_cast<std::size_t>(kPaths / 2 + 1));
  for (int i = 0; i < kPaths / 2; ++i) ASSERT_EQ(pairs[static_cast<std::size_t>(i)].second, path(2 * i + 1));
  EXPECT_EQ(pairs.back().second, path(0));
}

// The table against a literal model: buckets holding chains of entries in
// creation order, each a list of (path, removed) in order of adding.
// A small file's rest digest stays with its path: renewed when the path is
// added again with one, forgotten for good when it comes without, in short
// lists and in long ones alike.
TEST(SignatureTable, RestDigestsStayWithTheirPaths) {
  for (const int paths : {3, 40}) {
    SignatureTable table;
    const std::string sig = Signature(7);
    for (int i = 0; i < paths; ++i) {
      const std::string path = "/d/" + std::to_string(i);
      ASSERT_EQ(table.AddHash(sig, path, i % 2 == 0 ? std::optional<std::uint64_t>(100 + i) : std::nullopt), 0);
    }
    ASSERT_EQ(table.AddHash(sig, "/d/0", 5), 0);  // renewed
    ASSERT_EQ(table.AddHash(sig, "/d/2"), 0);     // forgotten
    ASSERT_EQ(table.AddHash(sig, "/d/2", 6), 0);  // no room for it any more
    ASSERT_EQ(table.AddHash(sig, "/d/1", 7), 0);  // never had one
    std::map<std::string, std::optional<std::uint64_t>> seen;
    std::string signature, path;
    std::optional<std::uint64_t> rest = 1;
    for (int restart = 0; table.NextHash(restart, signature, path, rest) == 0; restart = 1) seen[path] = rest;
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(paths)) << paths;
    EXPECT_EQ(seen["/d/0"], 5u) << paths;
    EXPECT_EQ(seen["/d/1"], std::nullopt) << paths;
    EXPECT_EQ(seen["/d/2"], std::nullopt) << paths;
    EXPECT_EQ(seen["/d/" + std::to_string(paths - 1)], std::nullopt) << paths;
    if (paths > 4) {
      EXPECT_EQ(seen["/d/4"], 104u) << paths;
    }
    EXPECT_EQ(table.GetFileCount(), paths);
  }
}

class Model {
 public:
  int Add(const std::string& sig, const std::string& path) {
    Entry& entry = Get(sig);
    for (const auto& [p, removed] : entry.paths) {
      if (!removed && p == path) return 0;
    }
    entry.paths.emplace_back(path, false);
    ++count_;
    return 0;
  }
  int Remove(const std::string& sig, const std::string& path) {
    for (Entry& entry : buckets_[BucketOf(sig)]) {
      if (entry.sig != sig) continue;
      for (auto& [p, removed] : entry.paths) {
        if (!removed && p == path) {
          removed = true;
          --count_;
          return 0;
        }
      }
      return -1;
    }
    return -1;
  }
  Pairs All() const {
    Pairs pairs;
    for (const auto& chain : buckets_) {
      for (const Entry& entry : chain) {
        for (const auto& [p, removed] : entry.paths) {
          if (!removed) pairs.emplace_back(entry.sig, p);
        }
      }
    }
    return pairs;
  }
  int Count() const { return count_; }

 private:
  struct Entry {
    std::string sig;
    std::vector<std::pair<std::string, bool>> paths;
  };
  Entry& Get(const std::string& sig) {
    auto& chain = buckets_[BucketOf(sig)];
    for (Entry& entry : chain) {
      if (entry.sig == sig) return entry;
    }
    chain.push_back(Entry{sig, {}});
    return chain.back();
  }
  std::vector<std::vector<Entry>> buckets_ = std::vector<std::vector<Entry>>(SignatureTable::kBucketCount);
  int count_ = 0;
};

class SignatureTableModelTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(SignatureTableModelTest, RandomOperationsMatchTheModel) {
  std::mt19937 random(GetParam());
  // Few signatures, some sharing a bucket, and few paths, so that lists grow
  // long, paths are removed and re-added, and chains hold several entries.
  std::vector<std::string> sigs;
  for (int i = 0; i < 6; ++i) sigs.push_back(Signature(i));
  for (const std::string& sig : CollidingWith(sigs[0], 2)) sigs.push_back(sig);
  // Texts that look like a signature of digits and size but are other
  // signatures, and the bytes that a digest and a size would be kept as.
  const std::string hex = sigs[0].substr(0, 32);
  std::string upper = sigs[0];
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string digestBytes;
  for (std::size_t i = 0; i < 32; i += 2)
    digestBytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  const std::uint32_t size = 1000;
  digestBytes.append(reinterpret_cast<const char*>(&size), sizeof size);
  for (const std::string& sig :
       {hex + "01000", upper, hex + "4294967295", hex + "4294967296", hex + "0", hex, digestBytes, std::string()}) {
    sigs.push_back(sig);
  }
  // Names repeated in several folders, separators of both kinds, no folder.
  const std::vector<std::string> folders = {"/d/", "/e/", "C:\\w\\", "", "/d/sub\\", "/d/e/"};
  std::vector<std::string> paths{""};
  for (int i = 0; i < 40; ++i)
    paths.push_back(folders[static_cast<std::size_t>(i) % folders.size()] + std::to_string(i % 7));

  SignatureTable table;
  Model model;
  for (int step = 0; step < 3000; ++step) {
    const std::string& sig = sigs[random() % sigs.size()];
    const std::string& path = paths[random() % paths.size()];
    // Lookups let go of are made again by whatever needs them next.
    if (random() % 61 == 0) table.ReleaseLookups();
    if (random() % 3 == 0) {
      ASSERT_EQ(table.RemoveHash(sig, path), model.Remove(sig, path)) << "step " << step;
    } else {
      ASSERT_EQ(table.AddHash(sig, path), model.Add(sig, path)) << "step " << step;
    }
    ASSERT_EQ(table.GetFileCount(), model.Count());
    if (step % 50 == 0) {
      ASSERT_EQ(Iterate(table), model.All()) << "step " << step;
    }
  }
  EXPECT_EQ(Iterate(table), model.All());
}

INSTANTIATE_TEST_SUITE_P(Seeds, SignatureTableModelTest, ::testing::Values(1u, 2u, 3u, 4u));

TEST(SignatureTable, ManyDistinctSignaturesAreAllFound) {
  SignatureTable table;
  constexpr int kFiles = 50000;
  for (int i = 0; i < kFiles; ++i) ASSERT_EQ(table.AddHash(Signature(i), "/f/" + std::to_string(i)), 0);
  EXPECT_EQ(table.SignatureCount(), static_cast<std::size_t>(kFiles));
  for (int i = 0; i < kFiles; ++i) ASSERT_EQ(table.AddHash(Signature(i), "/f/" + std::to_string(i)), 0);
  EXPECT_EQ(table.GetFileCount(), kFiles);

  const Pairs pairs = Iterate(table);
  ASSERT_EQ(pairs.size(), static_cast<std::size_t>(kFiles));
  std::set<std::string> distinct;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    distinct.insert(pairs[i].first);
    if (i > 0) {
      ASSERT_LE(BucketOf(pairs[i - 1].first), BucketOf(pairs[i].first));
    }
  }
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kFiles));
  for (int i = 0; i < kFiles; i += 3) ASSERT_EQ(table.RemoveHash(Signature(i), "/f/" + std::to_string(i)), 0);
  EXPECT_EQ(table.GetFileCount(), kFiles - (kFiles + 2) / 3);
}

}  // namespace
}  // namespace kestrilo
