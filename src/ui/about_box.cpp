#include "ui/about_box.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>

#include "ui/window_font.h"
#include "version/version.h"

namespace kestrilo {

TAboutBox::TAboutBox(QWidget& mainWindow)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      mainWindow_(mainWindow) {
  setWindowTitle(QStringLiteral("バージョン情報"));
  setFont(WindowFont());
  setFixedSize(298, 213);

  Panel1 = new QFrame(this);
  Panel1->setGeometry(8, 8, 281, 161);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(2);

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setGeometry(18, 10, 39, 39);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(QIcon(QStringLiteral(":/kestrilo/kestrilo.png")).pixmap(39, 39));

  ProductName = new QLabel(QStringLiteral("Kestrilo"), Panel1);
  ProductName->move(88, 16);
  Version = new QLabel(QStringLiteral("Version ") + QString::fromLatin1(kVersion), Panel1);
  Version->move(88, 40);
  Comments = new QLabel(QStringLiteral("同じ内容のファイルを探して整理します。"), Panel1);
  Comments->move(8, 80);
  Usage = new QLabel(
      QStringLiteral(
          "フォルダやファイルを追加して「調査開始」を押すと、同じ内容のファイルが番号付きで一覧になります。"),
      Panel1);
  Usage->setGeometry(8, 104, 265, 48);
  Usage->setWordWrap(true);
  Usage->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setGeometry(111, 180, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
}

void TAboutBox::OKButtonClick() {
  mainWindow_.setEnabled(true);
  hide();
}

void TAboutBox::FormShow() { move(CentredOver(mainWindow_.frameGeometry(), frameGeometry().size())); }

QPoint TAboutBox::CentredOver(const QRect& mainFrame, const QSize& boxFrame) {
  return {mainFrame.left() + mainFrame.width() / 2 - boxFrame.width() / 2,
          mainFrame.top() + mainFrame.height() / 2 - boxFrame.height() / 2};
}

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TAboutBox::closeEvent(QCloseEvent* event) {
  OKButtonClick();
  event->accept();
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  // The box has no cancel button: Esc does not close it.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace kestrilo
