// AddHash when memory runs out: -1, and the table exactly as before the call,
// at whichever allocation the failure strikes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "store/signature_table.h"

namespace {

// Allocations left before one fails; negative means none fails. Armed only
// around the call under test, on this thread.
thread_local long allocationsLeft = -1;

void* Allocate(std::size_t size) {
  if (allocationsLeft == 0) {
    allocationsLeft = -1;
    throw std::bad_alloc();
  }
  if (allocationsLeft > 0) --allocationsLeft;
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

void* AllocateNoThrow(std::size_t size) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateNoThrow(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateNoThrow(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace kestrilo {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs Iterate(SignatureTable& table) {
  Pairs pairs;
  std::string signature;
  std::string path;
  for (int restart = 0; table.NextHash(restart, signature, path) == 0; restart = 1) pairs.emplace_back(signature, path);
  return pairs;
}

// Retries one AddHash with the k-th allocation failing, k = 0, 1, ..., until
// it needs fewer; checks that every failed try left the table untouched.
// Returns the number of failed tries.
int AddUnderFailures(SignatureTable& table, const std::string& signature, const std::string& path) {
  for (long k = 0;; ++k) {
    const Pairs before = Iterate(table);
    const std::int32_t count = table.GetFileCount();
    const std::size_t signatures = table.SignatureCount();

    allocationsLeft = k;
    const int result = table.AddHash(signature, path);
    const bool failureStruck = allocationsLeft < 0;
    allocationsLeft = -1;

    if (!failureStruck) {
      EXPECT_EQ(result, 0);
      return static_cast<int>(k);
    }
    EXPECT_EQ(result, -1) << "allocation " << k;
    EXPECT_EQ(table.GetFileCount(), count);
    EXPECT_EQ(table.SignatureCount(), signatures);
    EXPECT_EQ(Iterate(table), before);
    if (::testing::Test::HasFailure()) return static_cast<int>(k);
  }
}

TEST(SignatureTableOutOfMemory, FailedAddsChangeNothingAndLaterAddsComplete) {
  SignatureTable table;
  int failedTries = 0;
  // New signatures (the index grows at 33 and 65), long paths (their own
  // arena chunk), and one signature whose list passes the length at which it
  // gets a set of live paths.
  for (int i = 0; i < 70; ++i) {
    failedTries += AddUnderFailures(table, "sig" + std::to_string(i), "/p/" + std::to_string(i));
    ASSERT_FALSE(HasFailure());
  }
  for (int i = 0; i < 3; ++i) {
    failedTries += AddUnderFailures(table, "sig-long", "/" + std::string(300 * 1024, static_cast<char>('a' + i)));
    ASSERT_FALSE(HasFailure());
  }
  for (int i = 0; i < 12; ++i) {
    failedTries += AddUnderFailures(table, "shared", "/copy/" + std::to_string(i));
    ASSERT_FALSE(HasFailure());
  }
  EXPECT_GT(failedTries, 0);
  EXPECT_EQ(table.GetFileCount(), 70 + 3 + 12);
  EXPECT_EQ(table.RemoveHash("shared", "/copy/11"), 0);
  EXPECT_EQ(table.AddHash("shared", "/copy/3"), 0);
  EXPECT_EQ(table.GetFileCount(), 70 + 3 + 11);
}

// Lookups let go of are made again as they are needed; a removal that finds
// no room for them searches the lists themselves.
TEST(SignatureTableOutOfMemory, RemovalsNeedNoRoomForLookupsLetGoOf) {
  const auto filled = [] {
    auto table = std::make_unique<SignatureTable>();
    for (int i = 0; i < 40; ++i) EXPECT_EQ(table->AddHash("sig" + std::to_string(i % 2), "/p/" + std::to_string(i)), 0);
    table->ReleaseLookups();
    return table;
  };
  for (long k = 0;; ++k) {
    const auto table = filled();
    allocationsLeft = k;
    const int result = table->RemoveHash("sig1", "/p/7");
    const bool failureStruck = allocationsLeft < 0;
    allocationsLeft = -1;
    EXPECT_EQ(result, 0) << "allocation " << k;
    EXPECT_EQ(table->GetFileCount(), 39);
    EXPECT_EQ(table->RemoveHash("sig1", "/p/7"), -1);
    if (!failureStruck || HasFailure()) break;
  }
  const auto table = filled();
  for (int i = 40; i < 50; ++i) {
    AddUnderFailures(*table, "sig" + std::to_string(i % 3), "/p/" + std::to_string(i));
    ASSERT_FALSE(HasFailure());
  }
  EXPECT_EQ(table->GetFileCount(), 50);
}

}  // namespace
}  // namespace kestrilo
