// kestrilo-cli.exe as Windows scripts meet it: paths written as they are,
// CR LF line ends, Windows examples in its help, and every file it could not
// delete named on standard error with exit status 1.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "cli/output_format.h"
#include "platform/wide_text.h"
#include "platform/win32_paths.h"
#include "support/temp_tree.h"

namespace kestrilo::testing {
namespace {

struct CliRun {
  DWORD status = ~DWORD{0};
  std::string out;
  std::string err;
};

// The built program, as Wine reaches the Linux path it was built at.
std::wstring Program() {
  std::wstring path = L"Z:";
  for (const char c : std::string(KESTRILO_CLI)) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

std::string ReadAll(HANDLE pipe) {
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

// Runs kestrilo-cli.exe with `arguments` (UTF-8, quoted as the command line
// wants them); standard error goes to a file in `scratch`, so that neither
// pipe can fill.
CliRun RunCli(const std::string& arguments, const TempTree& scratch) {
  CliRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readOut = nullptr;
  HANDLE writeOut = nullptr;
  if (!::CreatePipe(&readOut, &writeOut, &inherit, 0)) return run;
  ::SetHandleInformation(readOut, HANDLE_FLAG_INHERIT, 0);
  const std::wstring errPath = SystemPath(scratch.Path("stderr.txt"));
  HANDLE err = ::CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  HANDLE in =
      ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = writeOut;
  startup.hStdError = err;
  const std::u16string wide = WidenUtf8(arguments).value_or(u"");
  std::wstring command = L"\"" + Program() + L"\" " + std::wstring(wide.begin(), wide.end());
  PROCESS_INFORMATION child{};
  const bool started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &child);
  ::CloseHandle(writeOut);
  ::CloseHandle(err);
  ::CloseHandle(in);
  if (started) {
    run.out = ReadAll(readOut);
    ::WaitForSingleObject(child.hProcess, INFINITE);
    ::GetExitCodeProcess(child.hProcess, &run.status);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
  }
  ::CloseHandle(readOut);
  HANDLE errRead = ::CreateFileW(errPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  run.err = ReadAll(errRead);
  ::CloseHandle(errRead);
  return run;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

class CliOnWindows : public ::testing::Test {
 protected:
  // Two groups, listed larger first: keep\x with old\x, keep\y with old\y.
  void WriteGroups() {
    tree.Write("keep/x", "first content, the longer");
    tree.Write("old/x", "first content, the longer");
    tree.Write("keep/y", "second content");
    tree.Write("old/y", "second content");
  }
  std::string Path(const std::string& relative) const { return tree.Path(relative); }

  TempTree tree;
  TempTree scratch;
};

TEST_F(CliOnWindows, FdupesPathsAreWrittenAsTheyAreWithCrLf) {
  WriteGroups();
  const CliRun run = RunCli("--format fdupes " + Quoted(tree.Root()), scratch);
  EXPECT_EQ(run.status, 0u) << run.err;
  EXPECT_EQ(run.out, Path("keep/x") + "\r\n" + Path("old/x") + "\r\n\r\n" + Path("keep/y") + "\r\n" + Path("old/y") +
                         "\r\n\r\n");
}

TEST_F(CliOnWindows, JsonStaysJson) {
  WriteGroups();
  const CliRun run = RunCli("--format json " + Quoted(tree.Root()), scratch);
  EXPECT_EQ(run.status, 0u) << run.err;
  EXPECT_NE(run.out.find("\"paths\": [" + cli::JsonString(Path("keep/x")) + ", "), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find('\r'), std::string::npos);
}

TEST_F(CliOnWindows, AReadOnlyDuplicateIsNamedOnStandardErrorWithStatusOne) {
  WriteGroups();
  ASSERT_TRUE(::SetFileAttributesW(SystemPath(Path("old/x")).c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string arguments = "--delete-below " + Quoted(Path("old")) + " " + Quoted(tree.Root());

  const CliRun plan = RunCli("--dry-run " + arguments, scratch);
  EXPECT_EQ(plan.status, 1u);
  EXPECT_EQ(plan.out, "fail " + Path("old/x") + "\r\ndelete " + Path("old/y") + "\r\nkeep " + Path("keep/y") + "\r\n");
  EXPECT_NE(plan.err.find("kestrilo-cli: cannot delete " + Path("old/x") + ": it is read-only"), std::string::npos)
      << plan.err;

  const CliRun run = RunCli("--yes " + arguments, scratch);
  EXPECT_EQ(run.status, 1u);
  EXPECT_NE(run.err.find("kestrilo-cli: cannot delete " + Path("old/x") + ": it is read-only"), std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("cannot delete " + Path("old/y")), std::string::npos) << run.err;
  EXPECT_NE(::GetFileAttributesW(SystemPath(Path("old/x")).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(::GetFileAttributesW(SystemPath(Path("old/y")).c_str()), INVALID_FILE_ATTRIBUTES);
  ::SetFileAttributesW(SystemPath(Path("old/x")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(CliOnWindowsHelp, GivesWindowsExamples) {
  TempTree scratch;
  const CliRun run = RunCli("--help", scratch);
  EXPECT_EQ(run.status, 0u);
  EXPECT_NE(run.out.find("kestrilo-cli C:\\Users\\"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("| more"), std::string::npos);
  EXPECT_EQ(run.out.find("~/"), std::string::npos);
}

}  // namespace
}  // namespace kestrilo::testing
