#pragma once
// The version information box. It is not modal: the main window disables
// itself while the box is open, and every way of closing the box (OK, Enter,
// its close box) enables the main window again. Esc does nothing.

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace kestrilo {

class TAboutBox final : public QDialog {
 public:
  // `mainWindow` is the window the box centres over and enables when it closes.
  explicit TAboutBox(QWidget& mainWindow);

  QFrame* Panel1;
  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Comments;
  QLabel* Usage;
  QPushButton* OKButton;

  void OKButtonClick();
  void FormShow();

  // The box's top-left corner for a main window and a box of these outer
  // sizes and places: centred, each half truncated toward zero.
  static QPoint CentredOver(const QRect& mainFrame, const QSize& boxFrame);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget& mainWindow_;
};

}  // namespace kestrilo
