// The painting of the result grid: alignment of each column, the colours of
// each cell state, the focus rectangle, the header's raised edge, long texts,
// the trailing row, and the columns' widths as the window grows.

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QToolTip>

#include "window_fixture.h"

using kestrilo::testing::WindowFixture;

namespace {

constexpr int kCellWidth = 120;
constexpr int kCellHeight = 16;

// Columns of `image` within [top, bottom) that hold a pixel unlike `background`.
std::pair<int, int> InkColumns(const QImage& image, const QColor& background, int left, int right, int top,
                               int bottom) {
  int first = -1;
  int last = -1;
  for (int x = left; x < right; ++x) {
    for (int y = top; y < bottom; ++y) {
      if (image.pixelColor(x, y) != background) {
        if (first < 0) first = x;
        last = x;
        break;
      }
    }
  }
  return {first, last};
}

// Paints the cell `index` of the window's grid into an image of the given size.
QImage PaintCell(QTableView* view, const QModelIndex& index, int state, int width) {
  QStyleOptionViewItem option;
  option.initFrom(view);
  option.rect = QRect(0, 0, width, kCellHeight);
  option.state = QStyle::State(state);
  option.font = view->font();
  option.textElideMode = view->textElideMode();
  option.widget = view;
  QImage image(width, kCellHeight, QImage::Format_ARGB32);
  image.fill(Qt::magenta);
  QPainter painter(&image);
  view->itemDelegate()->paint(&painter, option, index);
  return image;
}

// Asks `widget` for its tooltip at `at`, as the pointer resting there does.
void RestPointer(QWidget* widget, const QPoint& at) {
  QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
  QApplication::sendEvent(widget, &event);
}

void MakeCurrentAndDelete(WindowFixture& w, int viewRow) {
  w.form.StringGrid1->setCurrentIndex(w.form.StringGrid1->model()->index(viewRow, 1));
  w.dialogs.answers.push_back(true);
  w.form.Delete1->trigger();
}

}  // namespace

class GridDrawingTest : public QObject {
  Q_OBJECT

 private slots:
  void cellColoursAndAlignment_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("background");
    QTest::addColumn<bool>("rightAligned");
    const int enabled = QStyle::State_Enabled | QStyle::State_Active;
    const int selected = enabled | QStyle::State_Selected;
    const int focused = selected | QStyle::State_HasFocus;
    for (int column : {0, 1, 2, 3}) {
      const bool right = column == 0 || column == 2;
      const QByteArray name = QByteArray::number(column);
      QTest::newRow("plain " + name) << column << enabled << int(QPalette::Base) << right;
      QTest::newRow("selected " + name) << column << selected << int(QPalette::Highlight) << right;
      QTest::newRow("focused in the selected row " + name) << column << focused << int(QPalette::Base) << right;
      // The grid is disabled while a job runs; its colours stay.
      const int disabled = ~QStyle::State_Enabled;
      QTest::newRow("plain, grid disabled " + name) << column << (enabled & disabled) << int(QPalette::Base) << right;
      QTest::newRow("selected, grid disabled " + name)
          << column << (selected & disabled) << int(QPalette::Highlight) << right;
    }
  }

  void cellColoursAndAlignment() {
    QFETCH(int, column);
    QFETCH(int, state);
    QFETCH(int, background);
    QFETCH(bool, rightAligned);
    WindowFixture w;
    w.tree.Write("one/a.txt", "same content");
    w.tree.Write("one/b.txt", "same content");
    w.AddFolder(w.tree.Path("one"));
    QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);

    QTableView* view = w.form.StringGrid1;
    const QColor expected = view->palette().color(QPalette::Active, QPalette::ColorRole(background));
    const QImage image = PaintCell(view, view->model()->index(0, column), state, kCellWidth);

    const bool focused = state & QStyle::State_HasFocus;
    QCOMPARE(image.pixelColor(kCellWidth / 2, kCellHeight - 2), expected);
    // Text begins two pixels inside the cell and ends two pixels before its edge.
    const auto [first, last] = InkColumns(image, expected, 2, kCellWidth - 2, 2, kCellHeight - 2);
    QVERIFY2(first >= 0, "the cell's text was drawn");
    const QString inked = QString("%1..%2").arg(first).arg(last);
    if (rightAligned) {
      QVERIFY2(last >= kCellWidth - 8 && first > 4, qPrintable(inked));
    } else {
      QVERIFY2(first <= 4, qPrintable(inked));
    }
    // A focus rectangle runs along the cell's edge only on the focused cell.
    int edgeInk = 0;
    for (int x = 0; x < kCellWidth; ++x) edgeInk += image.pixelColor(x, 0) != expected ? 1 : 0;
    QCOMPARE(edgeInk > kCellWidth / 4, focused);
  }

  void longTextsEndInAnEllipsisAndShowWholeAsTooltips() {
    WindowFixture w;
    const std::string folder(150, 'l');
    w.tree.Write(folder + "/a.txt", "same content");
    w.tree.Write(folder + "/b.txt", "same content");
    w.AddFolder(w.tree.Path(folder));
    QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);
    QTableView* view = w.form.StringGrid1;
    const QModelIndex path = view->model()->index(0, 3);
    QCOMPARE(path.data().toString(), QString::fromStdString(w.tree.Path(folder)));

    // The last ink is the ellipsis's dots, not a tall letter cut at the edge.
    const QColor base = view->palette().color(QPalette::Active, QPalette::Base);
    const QImage image = PaintCell(view, path, QStyle::State_Enabled | QStyle::State_Active, kCellWidth);
    const int lastInk = InkColumns(image, base, 0, kCellWidth, 0, kCellHeight).second;
    int inkRows = 0;
    for (int y = 0; y < kCellHeight; ++y) inkRows += image.pixelColor(lastInk, y) != base ? 1 : 0;
    QVERIFY2(inkRows <= 3, qPrintable(QString::number(inkRows)));

    RestPointer(view->viewport(), view->visualRect(path).center());
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), path.data().toString());
    // A text that fits has no tooltip.
    RestPointer(view->viewport(), view->visualRect(view->model()->index(0, 2)).center());
    QTRY_VERIFY(!QToolTip::isVisible());

    // Panel 1 holds the whole message in its tooltip, however long the path.
    MakeCurrentAndDelete(w, 0);
    QVERIFY(w.Panel(1).endsWith(QStringLiteral(" を削除しました")));
    RestPointer(w.form.StatusPanel1, QPoint(5, 5));
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), w.Panel(1));
  }

  void trailingRowIsNeverDrawnSelected() {
    WindowFixture w;
    QTableView* view = w.form.StringGrid1;
    const auto middleOfRow = [view](int row, int column) {
      const QImage image = view->viewport()->grab().toImage();
      return image.pixelColor(view->visualRect(view->model()->index(row, column)).center());
    };
    const QColor highlight = view->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor base = view->palette().color(QPalette::Active, QPalette::Base);
    QCOMPARE(view->currentIndex().row(), 0);
    QCOMPARE(middleOfRow(0, 2), base);

    w.tree.Write("one/a.txt", "same content");
    w.tree.Write("one/b.txt", "same content");
    w.AddFolder(w.tree.Path("one"));
    QTest::mouseClick(w.form.CheckStart, Qt::LeftButton);
    for (int row : {0, 2}) {
      QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 1)).center());
      QCOMPARE(view->currentIndex().row(), row);
      QCOMPARE(middleOfRow(row, 2), row == 0 ? highlight : base);
    }
  }

  void folderColumnTakesTheWidthTheWindowGains() {
    WindowFixture w;
    QTableView* view = w.form.StringGrid1;
    const int start = w.form.width();
    const QList<int> widths = {30, 110, 70, 330};

    w.form.resize(1000, w.form.height());
    QTRY_COMPARE(w.form.width(), 1000);
    for (int column = 0; column < 3; ++column) QCOMPARE(view->columnWidth(column), widths[column]);
    QCOMPARE(view->columnWidth(3), 330 + 1000 - start);

    // A width the user gives the column stays, and the window takes back only what it gave.
    view->setColumnWidth(3, view->columnWidth(3) + 20);
    w.form.resize(start, w.form.height());
    QTRY_COMPARE(w.form.width(), start);
    QCOMPARE(view->columnWidth(3), 350);
  }

  void headerCellsAreRaisedWithTheSizeHeaderRightAligned() {
    WindowFixture w;
    QHeaderView* header = w.form.StringGrid1->horizontalHeader();
    const QImage image = header->grab().toImage();
    const QPalette palette = header->palette();
    const QColor face = palette.color(QPalette::Active, QPalette::Button);

    for (int column = 0; column < 4; ++column) {
      const int left = header->sectionViewportPosition(column);
      const int width = header->sectionSize(column);
      const int middle = image.height() / 2;
      // Raised: light on the left edge, dark on the right, face in between.
      QCOMPARE(image.pixelColor(left, middle).rgb(), palette.color(QPalette::Active, QPalette::Light).rgb());
      QCOMPARE(image.pixelColor(left + width - 1, middle).rgb(), palette.color(QPalette::Active, QPalette::Dark).rgb());
      QCOMPARE(image.pixelColor(left + 1, middle).rgb(), face.rgb());
      if (column == 0) continue;
      const auto [first, last] = InkColumns(image, face, left + 2, left + width - 2, 2, image.height() - 2);
      QVERIFY(first >= 0);
      if (column == 2) {
        QVERIFY2(last >= left + width - 5, qPrintable(QString("%1..%2").arg(first).arg(last)));
      } else {
        QVERIFY2(first <= left + 4, qPrintable(QString("%1..%2").arg(first).arg(last)));
      }
    }
  }
};

QTEST_MAIN(GridDrawingTest)
#include "grid_drawing_test.moc"
