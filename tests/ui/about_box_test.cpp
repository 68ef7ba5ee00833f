// The version information box: where it opens, and how it closes.

#include <QApplication>
#include <QTest>

#include "window_fixture.h"

using kestrilo::TAboutBox;
using kestrilo::testing::WindowFixture;

class AboutBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void opensCentredOverTheMainWindow_data() {
    QTest::addColumn<QRect>("main");
    QTest::newRow("inside the screen") << QRect(100, 50, 575, 357);
    QTest::newRow("odd sizes") << QRect(13, 7, 601, 333);
    QTest::newRow("partly off the screen") << QRect(-400, -300, 576, 357);
  }

  void opensCentredOverTheMainWindow() {
    QFETCH(QRect, main);
    WindowFixture w;
    QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);
    w.form.setGeometry(main);
    const QRect frame = w.form.frameGeometry();

    w.form.About1->trigger();

    TAboutBox* box = w.form.AboutBox;
    QVERIFY(box->isVisible());
    QCOMPARE(box->size(), QSize(298, 213));
    const QSize boxSize = box->frameGeometry().size();
    const QPoint expected(frame.left() + frame.width() / 2 - boxSize.width() / 2,
                          frame.top() + frame.height() / 2 - boxSize.height() / 2);
    QCOMPARE(box->frameGeometry().topLeft(), expected);
    QCOMPARE(TAboutBox::CentredOver(QRect(100, 0, 575, 357), QSize(306, 100)).x(), 234);
    QVERIFY(!w.form.isEnabled());
    QCOMPARE(w.Panel(0), QStringLiteral("0/0"));
    QCOMPARE(w.Panel(1), QString());
  }

  void deleteKeyIsIgnoredWhileTheBoxIsOpen() {
    WindowFixture w;
    w.form.About1->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.AboutBox));

    // Keys that still reach the disabled main window, as when it is clicked.
    QApplication::setActiveWindow(&w.form);
    QTest::keyClick(w.form.windowHandle(), Qt::Key_Delete);
    QTest::keyClick(w.form.StringGrid1, Qt::Key_Delete);

    QCOMPARE(w.Panel(1), QString());
    QVERIFY(w.dialogs.asked.empty());
  }

  void everyWayOfClosingEnablesTheMainWindow_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("closes");
    QTest::newRow("OK button") << "ok" << true;
    QTest::newRow("Enter") << "enter" << true;
    QTest::newRow("close box") << "close" << true;
    QTest::newRow("Esc") << "esc" << false;
  }

  void everyWayOfClosingEnablesTheMainWindow() {
    QFETCH(QString, how);
    QFETCH(bool, closes);
    WindowFixture w;
    w.form.About1->trigger();
    TAboutBox* box = w.form.AboutBox;
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QCOMPARE(box->windowTitle(), QStringLiteral("バージョン情報"));
    QVERIFY(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!box->isModal());

    if (how == "ok") QTest::mouseClick(box->OKButton, Qt::LeftButton);
    if (how == "enter") QTest::keyClick(box, Qt::Key_Return);
    if (how == "close") box->close();
    if (how == "esc") QTest::keyClick(box, Qt::Key_Escape);

    QCOMPARE(box->isVisible(), !closes);
    QCOMPARE(w.form.isEnabled(), closes);

    // The box is kept and opens again.
    if (!closes) QTest::mouseClick(box->OKButton, Qt::LeftButton);
    w.form.About1->trigger();
    QVERIFY(box->isVisible());
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
