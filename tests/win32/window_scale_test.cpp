// The window at the display's scale: every size is its figure at 96 DPI
// multiplied by the DPI the window reports. The suite runs at 96 DPI and
// again in a Wine prefix whose display is set to 144 DPI, where
// KESTRILO_EXPECTED_DPI says which scale the window must have found.

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "win32/command_ids.h"
#include "window_fixture.h"

namespace kestrilo::testing {

namespace {

// A control of the command bar and its place there at 96 DPI.
struct BarPlace {
  HWND win32::TForm1::*control;
  int left, top, width, height;
};

const BarPlace kBarPlaces[] = {
    {&win32::TForm1::FileAdd, 8, 8, 97, 25},      {&win32::TForm1::FilterText, 112, 10, 41, 20},
    {&win32::TForm1::CheckStart, 160, 8, 75, 25}, {&win32::TForm1::QuickCheck, 240, 12, 121, 17},
    {&win32::TForm1::SortFlag, 368, 12, 113, 17}, {&win32::TForm1::InitInfo, 488, 8, 75, 25},
};

RECT PlaceIn(HWND control, HWND parent) {
  RECT place;
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

int FontHeight(HWND window) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return std::abs(font.lfHeight);
}

}  // namespace

class Win32WindowScaleTest : public Win32WindowTest {
 protected:
  int Scaled(int pixels) const { return MulDiv(pixels, form.Dpi(), 96); }
};

TEST_F(Win32WindowScaleTest, EverySizeIsItsFigureAt96DpiScaledByTheWindowsDpi) {
  if (const char* expected = std::getenv("KESTRILO_EXPECTED_DPI")) {
    ASSERT_EQ(form.Dpi(), std::atoi(expected));
  }

  RECT outer;
  GetWindowRect(form.Handle(), &outer);
  EXPECT_EQ(outer.right - outer.left, Scaled(576));
  EXPECT_EQ(outer.bottom - outer.top, Scaled(357));
  EXPECT_EQ(FontHeight(form.CheckStart), Scaled(12));
  EXPECT_EQ(FontHeight(form.StatusBar1), Scaled(12));

  for (const BarPlace& bar : kBarPlaces) {
    const RECT place = PlaceIn(form.*bar.control, form.Panel1);
    EXPECT_EQ(place.left, Scaled(bar.left)) << Caption(form.*bar.control);
    EXPECT_EQ(place.top, Scaled(bar.top)) << Caption(form.*bar.control);
    EXPECT_EQ(place.right - place.left, Scaled(bar.width)) << Caption(form.*bar.control);
    EXPECT_EQ(place.bottom - place.top, Scaled(bar.height)) << Caption(form.*bar.control);
  }
  const RECT bar = PlaceIn(form.Panel1, form.Handle());
  EXPECT_EQ(bar.bottom - bar.top, Scaled(41));
  EXPECT_EQ(PlaceIn(form.StringGrid1, form.Handle()).top, bar.bottom);

  const int widths[] = {30, 110, 70, 330};
  for (int column = 0; column < 4; ++column) EXPECT_EQ(form.Grid().ColumnWidth(column), Scaled(widths[column]));
  EXPECT_EQ(form.Grid().RowHeight(), Scaled(16));
  EXPECT_EQ(form.Grid().CellPlace(1, 1).top, Scaled(16));
  int edges[2] = {};
  ASSERT_EQ(SendMessageW(form.StatusBar1, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], Scaled(150));
  EXPECT_GE(PlaceIn(form.StatusBar1, form.Handle()).bottom - PlaceIn(form.StatusBar1, form.Handle()).top, Scaled(19));

  Command(win32::kAbout1Id);
  HWND box = form.AboutBox->Handle();
  RECT main, boxOuter, client;
  GetWindowRect(form.Handle(), &main);
  GetWindowRect(box, &boxOuter);
  GetClientRect(box, &client);
  EXPECT_EQ(client.right, Scaled(298));
  EXPECT_EQ(client.bottom, Scaled(213));
  const POINT centred =
      win32::TAboutBox::CentredOver(main, {boxOuter.right - boxOuter.left, boxOuter.bottom - boxOuter.top});
  EXPECT_EQ(boxOuter.left, centred.x);
  EXPECT_EQ(boxOuter.top, centred.y);
  EXPECT_EQ(FontHeight(form.AboutBox->OKButton), Scaled(12));
  Post(box, WM_CLOSE);
}

}  // namespace kestrilo::testing
