// The start/stop button, adding folders and dropped items, and the window's
// running state, driven through the real widgets.

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include "window_fixture.h"

using kestrilo::testing::AtGate;
using kestrilo::testing::WindowFixture;

namespace {

const std::vector<bool> kAllEnabled(9, true);
const std::vector<bool> kAllDisabled(9, false);

QString StopText(int count) { return QStringLiteral("中止しました %1 ファイル格納しています").arg(count); }

bool IsCheckOutcome(const QString& text) {
  return text == QStringLiteral("重複ファイルは有りません") ||
         text == QStringLiteral("重複ファイルは見つかりませんでした") ||
         text.endsWith(QStringLiteral(" 種類の同一ファイルが見つかりました"));
}

// The dropped roots in the order their walks listed them.
std::vector<std::string> RootsInListingOrder(const WindowFixture& w, const std::vector<std::string>& roots) {
  std::vector<std::string> order;
  for (const std::string& folder : w.fs.Listed()) {
    for (const std::string& root : roots) {
      if (folder.rfind(root, 0) == 0 && (order.empty() || order.back() != root)) order.push_back(root);
    }
  }
  return order;
}

}  // namespace

class WindowRunTest : public QObject {
  Q_OBJECT

 private slots:
  void freshStartShowsTheEmptyGridAndDefaults() {
    WindowFixture w;
    QVERIFY(w.exposed);
    QCOMPARE(w.form.windowTitle(), QStringLiteral("Kestrilo"));
    QVERIFY(w.form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.form.bTopWindow->isChecked());
    const QStringList headers = {"", "ファイル名", "サイズ", "パス"};
    const QList<int> widths = {30, 110, 70, 330};
    for (int column = 0; column < 4; ++column) {
      QCOMPARE(w.form.StringGrid1->model()->headerData(column, Qt::Horizontal).toString(), headers[column]);
      QCOMPARE(w.form.StringGrid1->columnWidth(column), widths[column]);
      QCOMPARE(w.Cell(column, 0), QString());
    }
    QCOMPARE(w.ViewRows(), 1);
    QCOMPARE(w.Panel(0), QString());
    QCOMPARE(w.Panel(1), QString());
    QCOMPARE(w.form.FilterText->text(), QStringLiteral("*.*"));
    QVERIFY(w.form.SortFlag->isChecked());
    QVERIFY(!w.form.QuickCheck->isChecked());
    QCOMPARE(w.form.CheckStart->text(), QStringLiteral("調査開始"));
    QCOMPARE(w.RunningStateControls(), kAllEnabled);
    QCOMPARE(w.form.StringGrid1->verticalHeader()->defaultSectionSize(), 16);
  }

  void commandBarStaysWholeInTheSmallestWindow() {
    WindowFixture w;
    w.form.resize(1, 1);
    QTRY_VERIFY(w.form.width() < 576);
    for (QWidget* control : std::initializer_list<QWidget*>{w.form.FileAdd, w.form.FilterText, w.form.CheckStart,
                                                            w.form.QuickCheck, w.form.SortFlag, w.form.InitInfo}) {
      const QRect inWindow(control->mapTo(&w.form, QPoint(0, 0)), control->size());
      QVERIFY2(w.form.rect().contains(inWindow),
               qPrintable(control->objectName() + control->metaObject()->className()));
    }
    // The grid keeps its header and a row above the status bar.
    QVERIFY(w.form.StringGrid1->viewport()->height() >= 2 * 16);
    QVERIFY(w.form.StatusBar1->geometry().bottom() < w.form.height());
  }

  void startButtonAcrossAWalkAndADuplicateCheck() {
    WindowFixture w;
    const std::string folder = w.WriteThree("one");

    std::vector<bool> controls;
    QString caption, message;
    bool stopEnabled = false;
    AtGate walking(w.fs.HoldAtListing(folder), [&] {
      controls = w.RunningStateControls();
      caption = w.form.CheckStart->text();
      message = w.Panel(1);
      stopEnabled = w.form.CheckStart->isEnabled();
    });
    w.AddFolder(folder);
    QVERIFY(walking.Done());
    QCOMPARE(controls, kAllDisabled);
    QCOMPARE(caption, QStringLiteral("中止"));
    QCOMPARE(message, QStringLiteral("ファイルを検索しています"));
    QVERIFY(stopEnabled);
    QCOMPARE(w.Panel(0), QStringLiteral("3"));
    QCOMPARE(w.Panel(1), QString());
    QCOMPARE(w.form.CheckStart->text(), QStringLiteral("調査開始"));
    QCOMPARE(w.RunningStateControls(), kAllEnabled);
    QCOMPARE(w.ViewRows(), 1);

    QString counts;
    // The check lists the folder to see which registered files still exist.
    AtGate checking(w.fs.HoldAtListing(folder), [&] {
      controls = w.RunningStateControls();
      caption = w.form.CheckStart->text();
      counts = w.Panel(0);
      message = w.Panel(1);
    });
    QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);
    QVERIFY(checking.Done());
    QCOMPARE(controls, kAllDisabled);
    QCOMPARE(caption, QStringLiteral("中止"));
    QCOMPARE(counts, QStringLiteral("0/3"));
    QCOMPARE(message, QStringLiteral("重複ファイルのチェックを行います"));
    QCOMPARE(w.Panel(0), QStringLiteral("1/2/3"));
    QCOMPARE(w.Panel(1), QStringLiteral("1 種類の同一ファイルが見つかりました"));
    QCOMPARE(w.form.CheckStart->text(), QStringLiteral("調査開始"));
    QCOMPARE(w.RunningStateControls(), kAllEnabled);
    QCOMPARE(w.ViewRows(), 3);
    const QString folderText = QString::fromStdString(folder);
    for (int row = 0; row < 2; ++row) {
      QCOMPARE(w.Cell(0, row), QStringLiteral("1"));
      QCOMPARE(w.Cell(2, row), QStringLiteral("12"));
      QCOMPARE(w.Cell(3, row), folderText);
    }
    QStringList names = {w.Cell(1, 0), w.Cell(1, 1)};
    names.sort();
    QCOMPARE(names.join(','), QStringLiteral("a.txt,b.txt"));
  }

  void startButtonStopsADuplicateCheck() {
    WindowFixture w;
    const std::string folder = w.WriteThree("one");
    w.AddFolder(folder);

    AtGate checking(w.fs.HoldAtListing(folder), [&] { QTest::mouseClick(w.form.CheckStart, Qt::LeftButton); });
    QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);

    QVERIFY(checking.Done());
    QCOMPARE(w.Panel(1), QStringLiteral("中止しました "));
    QCOMPARE(w.form.CheckStart->text(), QStringLiteral("調査開始"));
    QCOMPARE(w.RunningStateControls(), kAllEnabled);
  }

  void cancellingTheFolderChooserChangesNothing() {
    WindowFixture w;
    QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);
    QCOMPARE(w.Panel(1), QStringLiteral("重複ファイルは有りません"));
    w.dialogs.folders.push_back(std::nullopt);
    w.form.A1->trigger();
    QCOMPARE(w.Panel(1), QStringLiteral("重複ファイルは有りません"));
    QVERIFY(w.fs.Listed().empty());
    QCOMPARE(w.form.CheckStart->text(), QStringLiteral("調査開始"));
  }

  void addFileRegistersOneFileAndChecksWhenAsked() {
    WindowFixture w;
    const std::string folder = w.WriteThree("one");
    w.AddFolder(folder + "/a.txt");
    QCOMPARE(w.Panel(0), QStringLiteral("1"));

    QTest::mouseClick(w.form.QuickCheck, Qt::LeftButton);
    QVERIFY(w.form.QuickCheck->isChecked());
    w.dialogs.openFiles.push_back(folder + "/b.txt");
    w.form.F1->trigger();
    QCOMPARE(w.form.Table().GetFileCount(), 2);
    QCOMPARE(w.Panel(0), QStringLiteral("1/2/2"));
    QCOMPARE(w.Panel(1), QStringLiteral("1 種類の同一ファイルが見つかりました"));
  }

  void droppedFoldersAndFilesAreWalkedInOrder() {
    WindowFixture w;
    const std::vector<std::string> roots = {w.WriteThree("c"), w.WriteThree("a"), w.WriteThree("b")};
    const std::string single = w.tree.Write("loose/file.bin", "loose file");
    bool runningBetween = false;
    AtGate second(w.fs.HoldAtListing(roots[1]), [&] {
      runningBetween = w.form.CheckStart->text() == QStringLiteral("中止") && !w.form.FileAdd->isEnabled();
    });

    QVERIFY(w.Drop({roots[0], roots[1], single, roots[2]}));

    QVERIFY(second.Done());
    QVERIFY2(runningBetween, "the window stays in its running state between the dropped items");
    QCOMPARE(RootsInListingOrder(w, roots), roots);
    QCOMPARE(w.form.Table().GetFileCount(), 10);
    QCOMPARE(w.Panel(0), QStringLiteral("10"));
    QCOMPARE(w.Panel(1), QString());
    QCOMPARE(w.RunningStateControls(), kAllEnabled);
    QCOMPARE(w.ViewRows(), 1);
  }

  void dropOnTheWildcardBoxAddsTheItems() {
    WindowFixture w;
    const std::string folder = w.WriteThree("one");

    QVERIFY(w.DropOver(w.form.FilterText, {folder}));

    QCOMPARE(w.form.FilterText->text(), QStringLiteral("*.*"));
    QCOMPARE(w.form.Table().GetFileCount(), 3);
    QCOMPARE(w.Panel(0), QStringLiteral("3"));
  }

  void droppedNamesThatAreNotUtf8AreWalkedByteForByte() {
    WindowFixture w;
    const std::string folder = w.WriteThree("caf\xe9");
    w.tree.Write("caf\xe9/\xff\xfe.bin", "same content");

    QVERIFY(w.Drop({folder}));

    QCOMPARE(w.form.Table().GetFileCount(), 4);
    QCOMPARE(w.fs.Listed().front(), folder);
  }

  void stopDuringTheFirstOfThreeDroppedFolders_data() {
    QTest::addColumn<bool>("quickCheck");
    QTest::newRow("without quick check") << false;
    QTest::newRow("with quick check") << true;
  }

  void stopDuringTheFirstOfThreeDroppedFolders() {
    QFETCH(bool, quickCheck);
    WindowFixture w;
    const std::vector<std::string> roots = {w.WriteThree("a"), w.WriteThree("b"), w.WriteThree("c")};
    w.WriteThree("a/inner");
    w.form.QuickCheck->setChecked(quickCheck);
    AtGate first(w.fs.HoldAtListing(roots[0] + "/inner"),
                 [&] { QTest::mouseClick(w.form.CheckStart, Qt::LeftButton); });

    QVERIFY(w.Drop(roots));

    QVERIFY(first.Done());
    QCOMPARE(RootsInListingOrder(w, roots), std::vector<std::string>{roots[0]});
    const int count = w.form.Table().GetFileCount();
    QVERIFY(count < 6);
    if (quickCheck) {
      QVERIFY2(IsCheckOutcome(w.Panel(1)), qPrintable(w.Panel(1)));
      QVERIFY(w.Panel(0).endsWith(QStringLiteral("/%1").arg(count)));
    } else {
      QCOMPARE(w.Panel(1), StopText(count));
    }
    QCOMPARE(w.RunningStateControls(), kAllEnabled);
  }

  void dropsAndTheDeleteKeyAreIgnoredWhileAJobRuns() {
    WindowFixture w;
    const std::string first = w.WriteThree("first");
    const std::string second = w.WriteThree("second");
    bool dropAccepted = true;
    QString messageAfterDelete;
    AtGate walking(w.fs.HoldAtListing(first), [&] {
      dropAccepted = w.Drop({second});
      QWidget* focus = QApplication::focusWidget();
      QTest::keyClick(focus != nullptr ? focus : &w.form, Qt::Key_Delete);
      messageAfterDelete = w.Panel(1);
    });
    w.AddFolder(first);

    QVERIFY(walking.Done());
    QVERIFY(!dropAccepted);
    QCOMPARE(messageAfterDelete, QStringLiteral("ファイルを検索しています"));
    QCOMPARE(RootsInListingOrder(w, {first, second}), std::vector<std::string>{first});
    QCOMPARE(w.form.Table().GetFileCount(), 3);

    QVERIFY(w.Drop({second}));
    QCOMPARE(w.form.Table().GetFileCount(), 6);
  }

  void closingWhileAJobRunsStopsItAndClosesAfterwards() {
    WindowFixture w;
    const std::string folder = w.WriteThree("one");
    w.WriteThree("one/inner");
    w.form.QuickCheck->setChecked(true);
    bool closedAtOnce = true;
    AtGate walking(w.fs.HoldAtListing(folder + "/inner"), [&] { closedAtOnce = w.form.close(); });
    w.AddFolder(folder);

    QVERIFY(walking.Done());
    QVERIFY(!closedAtOnce);
    QVERIFY(w.Panel(1).startsWith(QStringLiteral("中止しました ")));
    QTRY_VERIFY(!w.form.isVisible());
    QVERIFY(!w.form.Run().IsRunning());
  }
};

QTEST_MAIN(WindowRunTest)
#include "window_run_test.moc"
