// Kestrilo: finds identical files in the folders the user adds and helps to
// delete the surplus copies.

#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "platform/file_system.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_translations.h"
#include "version/version.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrilo"));
  QApplication::setApplicationVersion(QString::fromLatin1(kestrilo::kVersion));
  QApplication::setDesktopFileName(QStringLiteral("kestrilo"));
  kestrilo::InstallQtTranslations(application);
  try {
    kestrilo::QtDialogs dialogs;
    kestrilo::TForm1 form1(dialogs, kestrilo::SystemFileSystem());
    dialogs.SetOwner(&form1);
    form1.show();
    QApplication::exec();
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, QStringLiteral("Kestrilo"), QString::fromLocal8Bit(error.what()));
  }
  return 0;
}
