// The commands of the main window that add to the collected files, change the
// window, copy a path and save the report.

#include "win32/dpi.h"
#include "win32/main_window.h"

namespace kestrilo::win32 {

void TForm1::FileAddClick() { logic_.FileAddClick(); }

void TForm1::A1Click() { FileAddClick(); }

void TForm1::F1Click() { logic_.F1Click(); }

void TForm1::InitInfoClick() { logic_.InitInfoClick(); }

void TForm1::Z1Click() { InitInfoClick(); }

void TForm1::bTopWindowClick() { logic_.bTopWindowClick(); }

void TForm1::Font1Click() {
  // The dialog works at the window's scale; the choice is kept at 96 DPI, so
  // that it keeps its size on a display of another scale.
  ChosenFont offered = fontDialogFont_;
  offered.font = ScaledFont(offered.font, dpi_);
  const auto chosen = chooseFont_(offered, hwnd_);
  if (!chosen) return;
  fontDialogFont_ = {ScaledFont(chosen->font, kBaseDpi, dpi_), chosen->colour};
  HFONT font = CreateFontIndirectW(&chosen->font);
  resultGrid_.SetGridFont(font, chosen->colour);
  DeleteObject(gridFont_);
  gridFont_ = font;
}

void TForm1::C1Click() { logic_.C1Click(); }

void TForm1::SaveAs1Click() { logic_.SaveAs1Click(); }

}  // namespace kestrilo::win32
