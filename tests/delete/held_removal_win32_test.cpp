// On Windows a removal holds the file and its kept copy open with writing
// denied from the check to the removal: no other program can change either
// in between, and a file that another program is writing stays.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "delete/deletion_fixture.h"
#include "platform/win32_paths.h"

namespace kestrilo::testing {
namespace {

constexpr wchar_t kProbeVariable[] = L"KESTRILO_OPEN_FOR_WRITING";

// Opens `path` for writing as an editor would, sharing everything.
HANDLE OpenForWriting(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

// The child process's side: opens the file that the variable names for
// writing, as an editor would, and ends with the error it got (0: opened).
TEST(HeldRemovalProbe, OpensForWriting) {
  wchar_t path[32768];
  if (::GetEnvironmentVariableW(kProbeVariable, path, 32768) == 0) GTEST_SKIP() << "only run as the child";
  const HANDLE file = OpenForWriting(path);
  const DWORD error = file == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  std::_Exit(static_cast<int>(error));
}

// Runs this test program again as a second process that tries to open
// `path` for writing; its error (0 when it could).
DWORD OpenForWritingElsewhere(const std::string& path) {
  wchar_t program[32768];
  const DWORD length = ::GetModuleFileNameW(nullptr, program, 32768);
  if (length == 0 || length == 32768) return ERROR_INVALID_FUNCTION;
  std::wstring command = L"\"" + std::wstring(program, length) + L"\" --gtest_filter=HeldRemovalProbe.*";
  ::SetEnvironmentVariableW(kProbeVariable, SystemPath(path).c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const bool started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &child);
  ::SetEnvironmentVariableW(kProbeVariable, nullptr);
  if (!started) return ERROR_INVALID_FUNCTION;
  ::WaitForSingleObject(child.hProcess, INFINITE);
  DWORD code = ERROR_INVALID_FUNCTION;
  ::GetExitCodeProcess(child.hProcess, &code);
  ::CloseHandle(child.hThread);
  ::CloseHandle(child.hProcess);
  return code;
}

// Passes everything to the system, and when a removal is about to happen
// (both files checked and held), lets a second process try to write to each.
class WriterAtRemoval final : public FileSystem {
 public:
  explicit WriterAtRemoval(FileSystem& inner) : inner_(inner) {}

  bool ListFolder(const std::string& folder, std::vector<DirEntry>& out) override {
    return inner_.ListFolder(folder, out);
  }
  std::optional<FileFacts> Examine(const std::string& path, bool followLink) override {
    return inner_.Examine(path, followLink);
  }
  FileHandle OpenRead(const std::string& path) override { return inner_.OpenRead(path); }
  bool Exists(const std::string& path) override { return inner_.Exists(path); }
  bool Unlink(const std::string& path) override { return inner_.Unlink(path); }
  std::optional<MountInfo> MountOf(const std::string& path) override { return inner_.MountOf(path); }
  bool HoldsRemovals() const override { return inner_.HoldsRemovals(); }
  FileHandle OpenToRemove(const std::string& path) override { return inner_.OpenToRemove(path); }
  FileHandle OpenToKeep(const std::string& path) override {
    kept_ = path;
    return inner_.OpenToKeep(path);
  }
  bool RemoveOpen(const FileHandle& file, const std::string& path) override {
    errors.emplace_back(OpenForWritingElsewhere(kept_), OpenForWritingElsewhere(path));
    return inner_.RemoveOpen(file, path);
  }

  // For each removal: the second process's error on the kept copy, then on
  // the file to remove.
  std::vector<std::pair<DWORD, DWORD>> errors;

 private:
  FileSystem& inner_;
  std::string kept_;
};

TEST_F(DeletionTest, NoOtherProcessCanWriteEitherFileDuringTheRemoval) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}});
  WriterAtRemoval writer(fs);
  DuplicateDeletion deletion(results, status, writer);
  EXPECT_EQ(deletion.DeleteBelow(tree.Path("d"), stop), 1);
  EXPECT_EQ(writer.errors, (std::vector<std::pair<DWORD, DWORD>>{{ERROR_SHARING_VIOLATION, ERROR_SHARING_VIOLATION}}));
  EXPECT_FALSE(IsFile("d/a"));
  // Let go right after: the kept copy can be written again.
  EXPECT_EQ(OpenForWritingElsewhere(tree.Path("d/b")), 0u);
}

TEST_F(DeletionTest, AFileAnotherProgramIsWritingStays) {
  LayOut({{"1", "d", "a", "same"}, {"1", "e", "b", "same"}});
  const HANDLE writing = OpenForWriting(SystemPath(tree.Path("d/a")));
  ASSERT_NE(writing, INVALID_HANDLE_VALUE);
  std::vector<RemovalFailure> told;
  bulk.SetFailureObserver([&](int, RemovalFailure why) { told.push_back(why); });
  EXPECT_EQ(bulk.DeleteBelow(tree.Path("d"), stop), 0);
  ::CloseHandle(writing);
  EXPECT_EQ(told, std::vector<RemovalFailure>{RemovalFailure::InUse});
  EXPECT_TRUE(IsFile("d/a"));
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "1"}));
}

// A kept copy that another program is writing vouches for nothing.
TEST_F(DeletionTest, ACopyAnotherProgramIsWritingKeepsTheFile) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}});
  const HANDLE writing = OpenForWriting(SystemPath(tree.Path("d/b")));
  ASSERT_NE(writing, INVALID_HANDLE_VALUE);
  grid.SetRow(1);
  Answer(true);
  commands.Delete1Click();
  ::CloseHandle(writing);
  EXPECT_EQ(status.Text(1), tree.Path("d/a") + " が削除できませんでした");
  EXPECT_TRUE(IsFile("d/a"));
}

// It still vouches for the later members of its group.
TEST_F(DeletionTest, AReadOnlyFileStaysAndSaysSo) {
  LayOut({{"1", "d", "a", "same"}, {"1", "d", "b", "same"}, {"1", "d", "c", "same"}});
  ASSERT_TRUE(::SetFileAttributesW(SystemPath(tree.Path("d/a")).c_str(), FILE_ATTRIBUTE_READONLY));
  std::vector<std::pair<int, RemovalFailure>> told;
  bulk.SetFailureObserver([&](int row, RemovalFailure why) { told.emplace_back(row, why); });
  EXPECT_TRUE(fs.RemovalRefused(tree.Path("d/a")));
  EXPECT_EQ(bulk.DeleteBelow(tree.Path("d"), stop), 2);
  EXPECT_EQ(told, (std::vector<std::pair<int, RemovalFailure>>{{1, RemovalFailure::ReadOnly}}));
  EXPECT_EQ(status.Text(1), "2 個のファイルを削除しました。");
  EXPECT_EQ(Groups(), (std::vector<std::string>{"1", "", ""}));
  EXPECT_TRUE(IsFile("d/a"));
  ::SetFileAttributesW(SystemPath(tree.Path("d/a")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace kestrilo::testing
