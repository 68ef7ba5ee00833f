// The painting of the result grid: alignment of each column, the colours of
// each cell state, the focus rectangle, and the header's raised edge.

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QTest>

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
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = QRect(0, 0, kCellWidth, kCellHeight);
    option.state = QStyle::State(state);
    option.font = view->font();
    option.widget = view;
    const QColor expected = option.palette.color(QPalette::Active, QPalette::ColorRole(background));
    QImage image(kCellWidth, kCellHeight, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    {
      QPainter painter(&image);
      view->itemDelegate()->paint(&painter, option, view->model()->index(0, column));
    }

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
