// The commands of the main window that add to the collected files, change the
// window, copy a path and save the report.

#include <QHeaderView>

#include "ui/main_window.h"

namespace kestrilo {

void TForm1::FileAddClick() { logic_.FileAddClick(); }

void TForm1::A1Click() { FileAddClick(); }

void TForm1::F1Click() { logic_.F1Click(); }

void TForm1::WMDropFiles(const std::vector<std::string>& paths) { logic_.WMDropFiles(paths); }

void TForm1::InitInfoClick() { logic_.InitInfoClick(); }

void TForm1::Z1Click() { InitInfoClick(); }

void TForm1::bTopWindowClick() { logic_.bTopWindowClick(); }

void TForm1::Font1Click() {
  const auto chosen = chooseFont_(fontDialogFont_, this);
  if (!chosen) return;
  fontDialogFont_ = *chosen;
  StringGrid1->setFont(*chosen);
  StringGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight);
}

void TForm1::C1Click() { logic_.C1Click(); }

void TForm1::SaveAs1Click() { logic_.SaveAs1Click(); }

}  // namespace kestrilo
