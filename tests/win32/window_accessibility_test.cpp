// The result grid read as a screen reader reads it: by another process
// (accessibility_reader.exe) through the grid's accessible object, while this
// process, the grid's, answers the calls in its message loop.

#include <windows.h>
#include <oleacc.h>

#include <sstream>

#include "win32/wide.h"
#include "window_fixture.h"

namespace kestrilo::testing {

namespace {

// One line of the reader's output, split at its tabs.
using Fields = std::vector<std::string>;

std::vector<Fields> Lines(const std::string& text) {
  std::vector<Fields> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    Fields fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
      fields.push_back(line.substr(start, tab - start));
      start = tab + 1;
    }
    fields.push_back(line.substr(start));
    lines.push_back(fields);
  }
  return lines;
}

std::vector<Fields> Kind(const std::vector<Fields>& lines, const std::string& kind) {
  std::vector<Fields> found;
  for (const Fields& fields : lines) {
    if (fields[0] == kind) found.push_back(fields);
  }
  return found;
}

std::wstring ReaderPath() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"accessibility_reader.exe";
}

class Win32AccessibilityTest : public Win32WindowTest {
 protected:
  Win32AccessibilityTest() { OleInitialize(nullptr); }
  ~Win32AccessibilityTest() override { OleUninitialize(); }

  // Runs the reader on the grid, answering its calls until it ends; its
  // output split into lines, nothing when it failed.
  std::vector<Fields> ReadGrid() {
    const std::string output = tree.Path("read.txt");
    std::wstring command = L"\"" + ReaderPath() + L"\" " +
                           std::to_wstring(reinterpret_cast<INT_PTR>(form.StringGrid1)) + L" \"" + win32::Wide(output) +
                           L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      ADD_FAILURE() << "cannot start the reader: " << GetLastError();
      return {};
    }
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) Pump();
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(status, 0u);
    return status == 0 ? Lines(ReadWholeFile(output)) : std::vector<Fields>{};
  }

  // The state of the row whose child id is `id` as read.
  static long StateOf(const std::vector<Fields>& lines, int id) {
    for (const Fields& row : Kind(lines, "row")) {
      if (row[1] == std::to_string(id)) return std::stol(row[3]);
    }
    return -1;
  }
};

}  // namespace

TEST_F(Win32AccessibilityTest, AnotherProcessReadsEveryRowAndCellAsTheGridShowsThem) {
  const std::string folder = WriteThree("one");
  tree.Write("one/写真/旅行.jpg", "photo");
  tree.Write("one/写真のコピー/旅行.jpg", "photo");
  AddFolder(folder);
  Click(form.CheckStart);
  ASSERT_EQ(form.Cells().RowCount(), 6);

  const std::vector<Fields> lines = ReadGrid();
  ASSERT_FALSE(lines.empty());
  ASSERT_EQ(lines[0], (Fields{"table", std::to_string(ROLE_SYSTEM_TABLE), "6"}));
  const std::vector<Fields> rows = Kind(lines, "row");
  const std::vector<Fields> cells = Kind(lines, "cell");
  ASSERT_EQ(rows.size(), 6u);
  ASSERT_EQ(cells.size(), 24u);
  for (int row = 0; row < 6; ++row) {
    const GridRow shown = form.Cells().Rows(row);
    std::string name;
    for (const std::string& text : shown) {
      if (!text.empty()) name += (name.empty() ? "" : " ") + text;
    }
    const Fields& read = rows[static_cast<std::size_t>(row)];
    EXPECT_EQ(read[1], std::to_string(row + 1));
    EXPECT_EQ(read[2], std::to_string(ROLE_SYSTEM_ROW));
    EXPECT_EQ(read[8], name);
    // Where the grid draws the row, on the screen.
    const RECT place = form.Grid().RowPlace(row);
    POINT corner{place.left, place.top};
    ClientToScreen(form.StringGrid1, &corner);
    EXPECT_EQ(read[4], std::to_string(corner.x)) << "row " << row;
    EXPECT_EQ(read[5], std::to_string(corner.y)) << "row " << row;
    EXPECT_EQ(read[7], std::to_string(form.Grid().RowHeight()));
    for (int column = 0; column < 4; ++column) {
      const Fields& cell = cells[static_cast<std::size_t>(row * 4 + column)];
      const int role = row == 0 ? ROLE_SYSTEM_COLUMNHEADER : ROLE_SYSTEM_CELL;
      const std::string description = row == 0 ? "" : form.Cells().Cell(column, 0);
      EXPECT_EQ(cell, (Fields{"cell", std::to_string(row + 1), std::to_string(column + 1), std::to_string(role),
                              shown[static_cast<std::size_t>(column)], description}));
    }
  }
  // The trailing row holds no file and is never selected.
  EXPECT_EQ(StateOf(lines, 6) & STATE_SYSTEM_SELECTED, 0);
}

TEST_F(Win32AccessibilityTest, TheRowAKeyMovesToIsReadFocusedAndSelected) {
  AddFolder(WriteThree("one"));
  Click(form.CheckStart);
  SetFocus(form.StringGrid1);
  Pump();
  ASSERT_EQ(form.Cells().Row(), 1);

  Post(form.StringGrid1, WM_KEYDOWN, VK_DOWN, 1);
  ASSERT_EQ(form.Cells().Row(), 2);

  const std::vector<Fields> lines = ReadGrid();
  const long both = STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED;
  EXPECT_EQ(StateOf(lines, 3) & both, both);
  EXPECT_EQ(StateOf(lines, 2) & both, 0);
  EXPECT_EQ(StateOf(lines, 1) & both, 0);
  ASSERT_EQ(Kind(lines, "focus").size(), 1u);
  EXPECT_EQ(Kind(lines, "focus")[0][1], Kind(lines, "row")[2][8]);
}

}  // namespace kestrilo::testing
