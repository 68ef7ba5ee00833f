#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "check/report.h"
#include "platform/win32_paths.h"
#include "support/result_rows.h"
#include "support/temp_tree.h"

namespace kestrilo::testing {
namespace {

// 写真 (U+5199 U+771F) and Ω are in code page 932; the snowman is not.
constexpr char kJapanese[] = "\xE5\x86\x99\xE7\x9C\x9F \xCE\xA9.jpg";
constexpr char kCp932Japanese[] = "\x8E\xCA\x90\x5E \x83\xB6.jpg";
constexpr char kSnowman[] = "\xE2\x98\x83.txt";

// A group, a deleted row between its members, one member at a drive's root.
void Fill(ResultSet& grid, const std::string& name, const std::string& lastName = "b.txt", int group = 1) {
  grid.Replace({MadeRow(group, name, 1024, "C:\\data"), MadeRow(group, "gone", 1024, "C:\\old", true),
                MadeRow(group, lastName, 1024, "C:")});
}

TEST(Win32Report, CodePage932WithCrLf) {
  TempTree tree;
  const std::string path = tree.Path("report.txt");
  tree.Write("report.txt", "an older, longer report that must go entirely");
  ResultSet grid;
  Fill(grid, kJapanese);
  ASSERT_EQ(SaveReport(grid, path), ReportResult::Saved);
  // The second byte of 真 (0x90 0x5E) is no separator and stays as it is.
  EXPECT_EQ(ReadWholeFile(path), std::string("1, ") + kCp932Japanese + ", 1024, C:\\data\r\n1, b.txt, 1024, C:\r\n");
  // A device is written into, not replaced.
  EXPECT_EQ(SaveReport(grid, "NUL"), ReportResult::Saved);
}

TEST(Win32Report, ANameOutsideCodePage932MakesTheWholeReportUtf8) {
  TempTree tree;
  const std::string path = tree.Path("report.txt");
  ResultSet grid;
  Fill(grid, kJapanese, kSnowman);
  ASSERT_EQ(SaveReport(grid, path), ReportResult::Saved);
  EXPECT_EQ(ReadWholeFile(path),
            std::string("\xEF\xBB\xBF") + "1, " + kJapanese + ", 1024, C:\\data\r\n1, " + kSnowman + ", 1024, C:\r\n");
}

TEST(Win32Report, AnEmptyReportIsAnEmptyFile) {
  TempTree tree;
  const std::string path = tree.Path("report.txt");
  ResultSet grid;
  Fill(grid, "a", "b", 0);
  ASSERT_EQ(SaveReport(grid, path), ReportResult::Saved);
  EXPECT_TRUE(ReadWholeFile(path).empty());
}

TEST(Win32Report, FoldersReadOnlyFilesAndMissingFoldersCannotBeOpened) {
  TempTree tree;
  ResultSet grid;
  Fill(grid, "a");
  const std::string readOnly = tree.Write("kept.txt", "old");
  ASSERT_TRUE(::SetFileAttributesW(SystemPath(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(SaveReport(grid, readOnly), ReportResult::CannotOpen);
  EXPECT_EQ(ReadWholeFile(readOnly), "old");
  ::SetFileAttributesW(SystemPath(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(SaveReport(grid, tree.Root()), ReportResult::CannotOpen);
  EXPECT_EQ(SaveReport(grid, tree.Path("missing/report.txt")), ReportResult::CannotOpen);
}

}  // namespace
}  // namespace kestrilo::testing
