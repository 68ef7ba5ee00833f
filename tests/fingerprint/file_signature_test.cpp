#include "fingerprint/file_signature.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/faulty_file_system.h"
#include "support/temp_tree.h"

namespace kestrilo {
namespace {

using testing::ReadWholeFile;
using testing::TempTree;

Md5Digest Filled(std::uint8_t value) {
  Md5Digest digest;
  digest.fill(value);
  return digest;
}

// A sparse file of `size` bytes (all zero) without writing them.
std::string SparseFile(TempTree& tree, const std::string& name, std::uint64_t size) {
  const std::string path = tree.Write(name, "");
  std::filesystem::resize_file(path, size);
  return path;
}

class GetFileMD5SizeTest : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(GetFileMD5SizeTest, DigestsAtMostTheFirst2048Bytes) {
  TempTree tree;
  const std::string path = tree.WriteSized("f.bin", GetParam(), 7);
  const std::string content = ReadWholeFile(path);
  const std::string head = content.substr(0, kDigestedBytes);

  Md5Digest digest = Filled(0xAB);
  std::int32_t bytesRead = -5;
  ASSERT_EQ(GetFileMD5(SystemFileSystem(), path, digest, bytesRead), 0);
  EXPECT_EQ(digest, Md5Of(head));
  EXPECT_EQ(bytesRead, static_cast<std::int32_t>(head.size()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, GetFileMD5SizeTest,
                         ::testing::Values(0u, 1u, 63u, 64u, 2047u, 2048u, 2049u, 4096u, 100000u));

TEST(GetFileMD5, UnopenableFileLeavesTheDigestAlone) {
  TempTree tree;
  const std::string path = tree.Write("locked.txt", "content");
  FaultyFileSystem fs(SystemFileSystem());
  fs.FailOpen(path);
  for (const std::string& target : {path, tree.Path("missing.txt")}) {
    Md5Digest digest = Filled(0x5C);
    std::int32_t bytesRead = 77;
    EXPECT_EQ(GetFileMD5(fs, target, digest, bytesRead), -1) << target;
    EXPECT_EQ(digest, Filled(0x5C));
    EXPECT_EQ(bytesRead, 0);
  }
}

TEST(MakeSignature, DigestInLowercaseHexThenSizeInDecimal) {
  EXPECT_EQ(MakeSignature(Md5Of("abc"), 3), "900150983cd24fb0d6963f7d28e17f723");
  Md5Digest low{};
  low[0] = 0x0f;
  low[1] = 0xA0;
  EXPECT_EQ(MakeSignature(low, 4294967295u), "0fa000000000000000000000000000004294967295");
  EXPECT_EQ(MakeSignature(low, 1).size(), 33u);
}

TEST(ProbeFile, RegularFileIsDigestedWithItsSize) {
  TempTree tree;
  const std::string path = tree.WriteSized("photo.jpg", 5000, 3);
  const FileProbe probe = ProbeFile(SystemFileSystem(), path);
  EXPECT_EQ(probe.outcome, FileProbe::Outcome::Digested);
  EXPECT_EQ(probe.size, 5000u);
  EXPECT_EQ(probe.digest, Md5Of(ReadWholeFile(path).substr(0, kDigestedBytes)));
}

TEST(ProbeFile, SignaturesSeeOnlySizeAndFirst2048Bytes) {
  TempTree tree;
  std::string base(6000, 'q');
  std::string laterDiffers = base;
  laterDiffers[kDigestedBytes] = 'Z';
  laterDiffers.back() = 'Z';
  std::string longer = base + "tail";
  auto signature = [&](const std::string& name, const std::string& content) {
    const FileProbe probe = ProbeFile(SystemFileSystem(), tree.Write(name, content));
    EXPECT_EQ(probe.outcome, FileProbe::Outcome::Digested);
    return MakeSignature(probe.digest, static_cast<std::uint32_t>(probe.size));
  };
  const std::string baseSignature = signature("base", base);
  EXPECT_EQ(signature("later", laterDiffers), baseSignature);
  EXPECT_NE(signature("longer", longer), baseSignature);
  std::string early = base;
  early[kDigestedBytes - 1] = 'Z';
  EXPECT_NE(signature("early", early), baseSignature);
}

TEST(ProbeFile, EmptyFileIsEmptyWhetherOrNotItOpens) {
  TempTree tree;
  const std::string path = tree.Write("empty", "");
  EXPECT_EQ(ProbeFile(SystemFileSystem(), path).outcome, FileProbe::Outcome::Empty);
  FaultyFileSystem fs(SystemFileSystem());
  fs.FailOpen(path);
  EXPECT_EQ(ProbeFile(fs, path).outcome, FileProbe::Outcome::Empty);
}

TEST(ProbeFile, UnopenableFileReportsItsSize) {
  TempTree tree;
  const std::string path = tree.WriteSized("locked", 123, 1);
  FaultyFileSystem fs(SystemFileSystem());
  fs.FailOpen(path);
  const FileProbe probe = ProbeFile(fs, path);
  EXPECT_EQ(probe.outcome, FileProbe::Outcome::Unopenable);
  EXPECT_EQ(probe.size, 123u);
}

TEST(ProbeFile, MissingFileAndFolderAreUnopenable) {
  TempTree tree;
  EXPECT_EQ(ProbeFile(SystemFileSystem(), tree.Path("gone")).outcome, FileProbe::Outcome::Unopenable);
  EXPECT_EQ(ProbeFile(SystemFileSystem(), tree.MakeFolder("dir")).outcome, FileProbe::Outcome::Unopenable);
}

TEST(ProbeFile, FourGibibytesIsTooLargeAndOneByteLessIsDigested) {
  TempTree tree;
  const std::uint64_t limit = std::uint64_t{1} << 32;
  const std::string huge = SparseFile(tree, "huge", limit);
  const std::string largest = SparseFile(tree, "largest", limit - 1);

  const FileProbe tooLarge = ProbeFile(SystemFileSystem(), huge);
  EXPECT_EQ(tooLarge.outcome, FileProbe::Outcome::TooLarge);
  EXPECT_EQ(tooLarge.size, limit);

  FaultyFileSystem fs(SystemFileSystem());
  fs.FailOpen(huge);
  EXPECT_EQ(ProbeFile(fs, huge).outcome, FileProbe::Outcome::TooLarge);

  const FileProbe digested = ProbeFile(SystemFileSystem(), largest);
  EXPECT_EQ(digested.outcome, FileProbe::Outcome::Digested);
  EXPECT_EQ(digested.size, limit - 1);
  EXPECT_EQ(digested.digest, Md5Of(std::string(kDigestedBytes, '\0')));
  EXPECT_EQ(MakeSignature(digested.digest, static_cast<std::uint32_t>(digested.size)),
            Md5Hex(digested.digest) + "4294967295");
}

// Many files probed at once: full heads are digested several side by side,
// with as many left over as the count leaves, short files one by one. Each
// file's digest must be that of its own first bytes.
class ProbeFilesTest : public ::testing::TestWithParam<int> {};

TEST_P(ProbeFilesTest, EachFileGetsTheDigestOfItsOwnHead) {
  TempTree tree;
  std::vector<std::string> paths;
  for (int i = 0; i < GetParam(); ++i) {
    const std::uint64_t size = i % 5 == 4 ? 700 + static_cast<std::uint64_t>(i) : 4096 + static_cast<std::uint64_t>(i);
    paths.push_back(tree.WriteSized("f" + std::to_string(i), size, static_cast<std::uint32_t>(i)));
  }
  std::vector<HeadRequest> requests;
  for (const auto& path : paths) requests.push_back({nullptr, nullptr, &path});
  const std::vector<FileProbe> probes = ProbeFiles(SystemFileSystem(), requests);
  ASSERT_EQ(probes.size(), paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string content = ReadWholeFile(paths[i]);
    EXPECT_EQ(probes[i].outcome, FileProbe::Outcome::Digested) << i;
    EXPECT_EQ(probes[i].size, content.size()) << i;
    EXPECT_EQ(probes[i].digest, Md5Of(content.substr(0, kDigestedBytes))) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, ProbeFilesTest, ::testing::Values(1, 4, 6, 10, 13, 40));

// A file small enough to be read whole with its head brings the digest of
// its rest, whether it was read with others or alone, by the ring or by
// calls; a file that is all head, or larger, brings none.
void ExpectRestsOfSmallFilesOnly(FileSystem& fs) {
  TempTree tree;
  const std::vector<std::uint64_t> sizes = {1, 2048, 2049, 3000, 3000, 4096, 4097, 9000};
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    paths.push_back(tree.WriteSized("f" + std::to_string(i), sizes[i], static_cast<std::uint32_t>(i)));
  }
  std::vector<HeadRequest> requests;
  for (const auto& path : paths) requests.push_back({nullptr, nullptr, &path});
  const std::vector<FileProbe> probes = ProbeFiles(fs, requests);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string content = ReadWholeFile(paths[i]);
    const bool small = content.size() > kDigestedBytes && content.size() <= kSmallFileBytes;
    const auto expected =
        small ? std::optional(RestDigest({reinterpret_cast<const std::uint8_t*>(content.data()) + kDigestedBytes,
                                          content.size() - kDigestedBytes}))
              : std::nullopt;
    EXPECT_EQ(probes[i].rest, expected) << sizes[i];
    EXPECT_EQ(probes[i].digest, Md5Of(content.substr(0, kDigestedBytes))) << sizes[i];
    EXPECT_EQ(ProbeFile(fs, paths[i]).rest, expected) << sizes[i];
  }
  EXPECT_NE(probes[3].rest, probes[4].rest);
}

#ifdef _WIN32
TEST(ProbeRest, OnlySmallFilesLongerThanTheirHeadBringTheirRest) { ExpectRestsOfSmallFilesOnly(SystemFileSystem()); }
#else
class ProbeRestTest : public ::testing::TestWithParam<ReadMethod> {};

TEST_P(ProbeRestTest, OnlySmallFilesLongerThanTheirHeadBringTheirRest) {
  PosixFileSystem fs(GetParam());
  ExpectRestsOfSmallFilesOnly(fs);
}

INSTANTIATE_TEST_SUITE_P(Methods, ProbeRestTest, ::testing::Values(ReadMethod::Ring, ReadMethod::Calls));
#endif

}  // namespace
}  // namespace kestrilo
