// The window's own dialogs: Qt's texts in Japanese, questions that show names
// exactly as they are, and the folder where the folder chooser opens.

#include "ui/qt_dialogs.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

#include "support/temp_tree.h"
#include "ui/qt_translations.h"

using kestrilo::QtDialogs;
using kestrilo::testing::TempTree;

namespace {

// Runs `act` on every dialog of type T that is shown, once it is the modal one.
template <typename T>
class OnEveryShown {
 public:
  explicit OnEveryShown(std::function<void(T*)> act) {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [act = std::move(act)] {
      auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      if (dialog != nullptr && dialog->isVisible()) act(dialog);
    });
    timer_.start();
  }

 private:
  QTimer timer_;
};

}  // namespace

class QtDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(kestrilo::InstallQtTranslations(*QCoreApplication::instance())); }

  void questionsShowTheirTextExactly_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a name that looks like markup") << QByteArray("<b>a</b>.txt を削除してもよろしいですか？")
                                                   << QStringLiteral("<b>a</b>.txt を削除してもよろしいですか？");
    QTest::newRow("a name that is not UTF-8") << QByteArray("a\xff\xe3\x81.txt を削除してもよろしいですか？")
                                              << QStringLiteral("a\\xFF\\xE3\\x81.txt を削除してもよろしいですか？");
  }

  void questionsShowTheirTextExactly() {
    QFETCH(QByteArray, text);
    QFETCH(QString, shown);
    QtDialogs dialogs;
    QString read, title, ok, cancel;
    OnEveryShown<QMessageBox> answer([&](QMessageBox* box) {
      // What a screen reader reads, which is what the box shows.
      auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
      read = QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
      title = box->windowTitle();
      ok = box->button(QMessageBox::Ok)->text();
      cancel = box->button(QMessageBox::Cancel)->text();
      box->button(QMessageBox::Cancel)->click();
    });

    QVERIFY(!dialogs.AskOkCancel(text.toStdString(), "削除確認"));

    QCOMPARE(read, shown);
    QCOMPARE(title, QStringLiteral("削除確認"));
    QCOMPARE(ok, QStringLiteral("OK"));
    QCOMPARE(cancel, QStringLiteral("キャンセル"));
  }

  void folderChooserOpensAtHomeThenWhereTheUserChoseLast() {
    TempTree tree;
    const QString chosen = QString::fromStdString(tree.MakeFolder("chosen"));
    QtDialogs dialogs;
    QStringList openedAt;
    QString lookIn;
    OnEveryShown<QFileDialog> choose([&](QFileDialog* dialog) {
      openedAt << dialog->directory().absolutePath();
      lookIn = dialog->labelText(QFileDialog::LookIn);
      if (openedAt.size() == 1) {
        dialog->setDirectory(chosen);
        QMetaObject::invokeMethod(dialog, "accept");
      } else {
        dialog->reject();
      }
    });

    QCOMPARE(dialogs.ChooseFolder("フォルダを選択して下さい。"), std::optional<std::string>(chosen.toStdString()));
    QCOMPARE(dialogs.ChooseFolder("フォルダを選択して下さい。"), std::optional<std::string>());

    QCOMPARE(openedAt, QStringList({QDir::homePath(), chosen}));
    QCOMPARE(lookIn, QStringLiteral("アドレス:"));
  }
};

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_test.moc"
