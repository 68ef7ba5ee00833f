#include "ui/qt_dialogs.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

#include "ui/display_text.h"

namespace kestrilo {

namespace {

QString Decode(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

std::optional<std::string> Encode(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return QFile::encodeName(path).toStdString();
}

}  // namespace

QtDialogs::QtDialogs() : lastFolder_(QDir::homePath()) {}

bool QtDialogs::AskOkCancel(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::NoIcon, DisplayText(caption), DisplayText(text), QMessageBox::Ok | QMessageBox::Cancel,
                  owner_);
  // The text holds file and folder names, which are never markup.
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok;
}

std::optional<std::string> QtDialogs::ChooseFolder(const std::string& prompt) {
  const QString folder = QFileDialog::getExistingDirectory(owner_, QString::fromStdString(prompt), lastFolder_);
  if (!folder.isEmpty()) lastFolder_ = folder;
  return Encode(folder);
}

std::optional<std::string> QtDialogs::ChooseOpenFile() { return Encode(QFileDialog::getOpenFileName(owner_)); }

std::optional<std::string> QtDialogs::ChooseSaveFile(const std::string& proposed) {
  return Encode(QFileDialog::getSaveFileName(owner_, QString(), Decode(proposed), QString(), nullptr,
                                             QFileDialog::DontConfirmOverwrite));
}

void QtDialogs::SetClipboardText(const std::string& text) { QGuiApplication::clipboard()->setText(Decode(text)); }

}  // namespace kestrilo
