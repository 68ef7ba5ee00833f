// The window commands (clear, always on top, font, copy), the report file and
// the grid's click and Delete key, driven through the real widgets.

#include <unistd.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include "window_fixture.h"

using kestrilo::testing::BoxAnswerer;
using kestrilo::testing::ReadWholeFile;
using kestrilo::testing::WindowFixture;

namespace {

// One group of two identical files, and two candidates that differ only
// after the bytes their signatures cover.
std::string WriteCandidates(WindowFixture& w) {
  const std::string folder = w.WriteThree("data");
  std::string long1(3000, 'x');
  std::string long2 = long1;
  long2[2500] = 'y';
  w.tree.Write("data/d1.bin", long1);
  w.tree.Write("data/d2.bin", long2);
  return folder;
}

// Adds `folder` and runs a duplicate check on it.
void AddAndCheck(WindowFixture& w, const std::string& folder) {
  w.AddFolder(folder);
  QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);
}

int ViewRowOf(const WindowFixture& w, const QString& name) {
  for (int row = 0; row < w.ViewRows(); ++row) {
    if (w.Cell(1, row) == name) return row;
  }
  return -1;
}

void MakeCurrent(WindowFixture& w, int viewRow) {
  w.form.StringGrid1->setCurrentIndex(w.form.StringGrid1->model()->index(viewRow, 1));
}

}  // namespace

class WindowCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void clearAsksFirst_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("OK on the button") << true << false;
    QTest::newRow("OK on the menu item") << true << true;
    QTest::newRow("Cancel") << false << false;
  }

  void clearAsksFirst() {
    QFETCH(bool, answer);
    QFETCH(bool, fromMenu);
    WindowFixture w;
    AddAndCheck(w, w.WriteThree("one"));
    w.form.StringGrid1->setColumnWidth(3, 500);
    w.form.FilterText->setText(QStringLiteral("*.txt"));
    w.dialogs.answers.push_back(answer);

    if (fromMenu) {
      w.form.Z1->trigger();
    } else {
      QTest::mouseClick(w.form.InitInfo, Qt::LeftButton);
    }

    using Question = std::pair<std::string, std::string>;
    QCOMPARE(w.dialogs.asked,
             std::vector<Question>{Question("ファイル情報を初期化してもよろしいですか", "初期化確認")});
    QCOMPARE(w.form.FilterText->text(), QStringLiteral("*.txt"));
    if (!answer) {
      QCOMPARE(w.ViewRows(), 3);
      QCOMPARE(w.form.Table().GetFileCount(), 3);
      QCOMPARE(w.Panel(0), QStringLiteral("1/2/3"));
      QCOMPARE(w.form.StringGrid1->columnWidth(3), 500);
      return;
    }
    QCOMPARE(w.ViewRows(), 1);
    QCOMPARE(w.Cell(1, 0), QString());
    QCOMPARE(w.form.StringGrid1->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("ファイル名"));
    QCOMPARE(w.form.StringGrid1->columnWidth(3), 330);
    QCOMPARE(w.form.Table().GetFileCount(), 0);
    QCOMPARE(w.Panel(0), QString());
    QCOMPARE(w.Panel(1), QStringLiteral("情報を初期化しました"));

    QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);
    QCOMPARE(w.Panel(0), QStringLiteral("0/0"));
    QCOMPARE(w.Panel(1), QStringLiteral("重複ファイルは有りません"));
  }

  void copyPutsTheCurrentRowsPathOnTheClipboard() {
    WindowFixture w;
    const std::string folder = w.WriteThree("one");
    AddAndCheck(w, folder);

    const int second = 1;
    MakeCurrent(w, second);
    w.form.C1->trigger();
    QCOMPARE(QString::fromStdString(w.dialogs.clipboard), QString::fromStdString(folder) + '/' + w.Cell(1, second));

    // With a range selected only the current row counts.
    QItemSelectionModel* selection = w.form.StringGrid1->selectionModel();
    const QAbstractItemModel* model = w.form.StringGrid1->model();
    selection->select(QItemSelection(model->index(0, 0), model->index(1, 3)), QItemSelectionModel::ClearAndSelect);
    selection->setCurrentIndex(model->index(0, 0), QItemSelectionModel::NoUpdate);
    w.form.C1->trigger();
    QCOMPARE(QString::fromStdString(w.dialogs.clipboard), QString::fromStdString(folder) + '/' + w.Cell(1, 0));

    // The trailing row holds no file: the clipboard stays as it was.
    const std::string before = w.dialogs.clipboard;
    MakeCurrent(w, w.ViewRows() - 1);
    w.form.C1->trigger();
    QCOMPARE(w.dialogs.clipboard, before);
  }

  void reportHoldsEveryNumberedRow() {
    WindowFixture w;
    const std::string folder = WriteCandidates(w);
    AddAndCheck(w, folder);
    QCOMPARE(w.ViewRows(), 5);
    const std::string report = w.tree.MakeFolder("out") + "/report.txt";
    w.dialogs.saveFiles.push_back(report);

    w.form.SaveAs1->trigger();

    QCOMPARE(w.dialogs.proposedSaveNames, std::vector<std::string>{"Kestrilo.txt"});
    QVERIFY(w.dialogs.asked.empty());
    std::string expected;
    for (int row = 0; row < w.ViewRows(); ++row) {
      if (w.Cell(0, row).isEmpty()) continue;
      expected +=
          (w.Cell(0, row) + ", " + w.Cell(1, row) + ", " + w.Cell(2, row) + ", " + w.Cell(3, row) + "\n").toStdString();
    }
    QCOMPARE(ReadWholeFile(report), expected);
    // Largest first: the unconfirmed candidates of 3000 bytes, then the group.
    QCOMPARE(w.Cell(2, 0), QStringLiteral("3000"));
    const std::string a = "1, a.txt, 12, " + folder + "\n";
    const std::string b = "1, b.txt, 12, " + folder + "\n";
    QVERIFY(expected == a + b || expected == b + a);
    QCOMPARE(w.Panel(1), QString());

    // A deleted row is left out; the group's last file is still written.
    const int deleted = ViewRowOf(w, QStringLiteral("b.txt"));
    MakeCurrent(w, deleted);
    w.dialogs.answers.push_back(true);
    w.form.Delete1->trigger();
    QCOMPARE(w.Cell(1, deleted), QString());
    w.dialogs.saveFiles.push_back(report);
    w.dialogs.answers.push_back(true);
    w.form.SaveAs1->trigger();
    QCOMPARE(w.dialogs.proposedSaveNames.back(), report);
    QCOMPARE(ReadWholeFile(report), "1, a.txt, 12, " + folder + "\n");
  }

  void existingReportIsReplacedOnlyAfterOk() {
    WindowFixture w;
    AddAndCheck(w, w.WriteThree("one"));
    const std::string report = w.tree.Write("out/report.txt", "old report");
    using Question = std::pair<std::string, std::string>;

    w.dialogs.saveFiles.push_back(report);
    w.dialogs.answers.push_back(false);
    w.form.SaveAs1->trigger();
    QCOMPARE(w.dialogs.asked, std::vector<Question>{Question("上書きしてもよろしいですか", "上書き確認")});
    QCOMPARE(ReadWholeFile(report), std::string("old report"));

    w.dialogs.saveFiles.push_back(report);
    w.dialogs.answers.push_back(true);
    w.form.SaveAs1->trigger();
    QCOMPARE(w.dialogs.asked.size(), 2u);
    QVERIFY(ReadWholeFile(report).rfind("1, ", 0) == 0);
  }

  void reportFailuresAreReported_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    QTest::newRow("folder missing") << QStringLiteral("missing/report.txt")
                                    << QStringLiteral("ファイルがオープンできませんでした");
    QTest::newRow("disk full") << QStringLiteral("/dev/full") << QStringLiteral("ファイルが書き込めませんでした");
  }

  void reportFailuresAreReported() {
    QFETCH(QString, target);
    QFETCH(QString, message);
    WindowFixture w;
    AddAndCheck(w, w.WriteThree("one"));
    const std::string path = target.startsWith('/') ? target.toStdString() : w.tree.Path(target.toStdString());
    w.dialogs.saveFiles.push_back(path);
    w.dialogs.answers.push_back(true);

    w.form.SaveAs1->trigger();

    QCOMPARE(w.Panel(1), message);
  }

  void reportOfAnEmptyGridShowsNoDialog() {
    WindowFixture w;
    QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);
    QCOMPARE(w.Panel(1), QStringLiteral("重複ファイルは有りません"));
    w.form.SaveAs1->trigger();
    QVERIFY(w.dialogs.proposedSaveNames.empty());
    QCOMPARE(w.Panel(1), QString());
  }

  void alwaysOnTopSwitchesAndClearsBothPanels() {
    WindowFixture w;
    QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);
    QCOMPARE(w.Panel(0), QStringLiteral("0/0"));

    w.form.bTopWindow->trigger();
    QVERIFY(!w.form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!w.form.bTopWindow->isChecked());
    QVERIFY(w.form.isVisible());
    QCOMPARE(w.Panel(0), QString());
    QCOMPARE(w.Panel(1), QString());

    w.form.bTopWindow->trigger();
    QVERIFY(w.form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.form.bTopWindow->isChecked());
    QVERIFY(w.form.isVisible());
    QVERIFY(w.form.acceptDrops());
  }

  void fontCommandSetsTheGridsFontOnly() {
    WindowFixture w;
    const QFont windowFont = w.form.font();
    QFont large(QStringLiteral("Noto Sans CJK JP"));
    large.setPixelSize(30);
    w.fontAnswers.push_back(large);

    w.form.Font1->trigger();
    QCOMPARE(w.form.StringGrid1->font().pixelSize(), 30);
    QCOMPARE(w.form.StringGrid1->verticalHeader()->defaultSectionSize(), 16);
    QCOMPARE(w.form.FileAdd->font().pixelSize(), windowFont.pixelSize());
    QCOMPARE(w.fontsOffered.front().pixelSize(), 12);

    w.form.Font1->trigger();
    QCOMPARE(w.fontsOffered.size(), 2u);
    QCOMPARE(w.fontsOffered.back().pixelSize(), 30);
    QCOMPARE(w.form.StringGrid1->font().pixelSize(), 30);
  }

  void clickOnTheGridClearsOnlyTheMessage() {
    WindowFixture w;
    AddAndCheck(w, w.WriteThree("one"));
    QCOMPARE(w.Panel(1), QStringLiteral("1 種類の同一ファイルが見つかりました"));
    const QRect cell = w.form.StringGrid1->visualRect(w.form.StringGrid1->model()->index(1, 1));

    QTest::mouseClick(w.form.StringGrid1->viewport(), Qt::LeftButton, {}, cell.center());

    QCOMPARE(w.Panel(1), QString());
    QCOMPARE(w.Panel(0), QStringLiteral("1/2/3"));
    QCOMPARE(w.form.Cells().Row(), 2);
  }

  void deleteKeyRunsTheDeletionAndReachesTheFocusedControl() {
    WindowFixture w;
    QApplication::setActiveWindow(&w.form);
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.FilterText->setFocus();
    w.form.FilterText->setCursorPosition(0);
    QTRY_VERIFY(w.form.FilterText->hasFocus());

    QTest::keyClick(w.form.FilterText, Qt::Key_Delete);

    QCOMPARE(w.Panel(1), QStringLiteral("重複ファイルではありません。"));
    QCOMPARE(w.form.FilterText->text(), QStringLiteral(".*"));
  }

  void deleteKeyRunsTheDeletionOnce_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("answer");
    for (const char* focus : {"grid", "wildcard", "nothing"}) {
      QTest::newRow(QByteArray("OK, focus on ") + focus) << focus << int(Qt::Key_Return);
      QTest::newRow(QByteArray("Cancel at once, focus on ") + focus) << focus << int(Qt::Key_Escape);
    }
  }

  // Through the window system, with a real question box answered by a key
  // as soon as it shows.
  void deleteKeyRunsTheDeletionOnce() {
    QFETCH(QString, focus);
    QFETCH(int, answer);
    WindowFixture w;
    const std::string folder = w.WriteThree("one");
    AddAndCheck(w, folder);
    const int row = ViewRowOf(w, QStringLiteral("a.txt"));
    MakeCurrent(w, row);
    QApplication::setActiveWindow(&w.form);
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    if (focus == "grid") w.form.StringGrid1->setFocus();
    if (focus == "wildcard") w.form.FilterText->setFocus();
    if (focus == "nothing" && QApplication::focusWidget() != nullptr) QApplication::focusWidget()->clearFocus();
    QTRY_COMPARE(QApplication::focusWidget(), focus == "grid"       ? static_cast<QWidget*>(w.form.StringGrid1)
                                              : focus == "wildcard" ? static_cast<QWidget*>(w.form.FilterText)
                                                                    : nullptr);
    const QString before = w.Panel(1);
    w.routed.realQuestions = true;
    BoxAnswerer answerer{Qt::Key(answer)};

    QTest::keyClick(w.form.windowHandle(), Qt::Key_Delete);
    QTest::qWait(50);

    QCOMPARE(w.dialogs.asked.size(), 1u);
    QCOMPARE(answerer.Answered(), 1);
    const std::string path = folder + "/a.txt";
    if (answer == Qt::Key_Return) {
      QCOMPARE(access(path.c_str(), F_OK), -1);
      QCOMPARE(w.Panel(1), QString::fromStdString(path) + QStringLiteral(" を削除しました"));
    } else {
      QCOMPARE(access(path.c_str(), F_OK), 0);
      QCOMPARE(w.Panel(1), before);
    }
  }

  void undecodableNamesShowEscapedAndAreDeletedByTheirBytes() {
    WindowFixture w;
    const std::string name = "a\xff\xfe.txt";
    w.tree.Write("one/" + name, "same content");
    w.tree.Write("one/b.txt", "same content");
    AddAndCheck(w, w.tree.Path("one"));
    const int row = ViewRowOf(w, QStringLiteral("a\\xFF\\xFE.txt"));
    QVERIFY(row >= 0);

    MakeCurrent(w, row);
    w.dialogs.answers.push_back(true);
    w.form.Delete1->trigger();

    QCOMPARE(w.dialogs.asked.at(0).first, name + " を削除してもよろしいですか？");
    QCOMPARE(access(w.tree.Path("one/" + name).c_str(), F_OK), -1);
    QCOMPARE(w.Panel(1),
             QString::fromStdString(w.tree.Path("one")) + QStringLiteral("/a\\xFF\\xFE.txt を削除しました"));
  }

  void popUpItemsAskBeforeDeleting() {
    WindowFixture w;
    AddAndCheck(w, w.WriteThree("one"));
    MakeCurrent(w, 0);
    for (QAction* item : {w.form.Delete1, w.form.N4, w.form.A2}) item->trigger();
    QCOMPARE(w.dialogs.asked.size(), 3u);
    for (const auto& [text, caption] : w.dialogs.asked) QCOMPARE(caption, std::string("削除確認"));
    QCOMPARE(w.form.Table().GetFileCount(), 3);
    QCOMPARE(w.ViewRows(), 3);
  }
};

QTEST_MAIN(WindowCommandsTest)
#include "window_commands_test.moc"
