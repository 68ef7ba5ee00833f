#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDialog>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "ui/grid_cell_delegate.h"
#include "ui/grid_header_view.h"
#include "ui/window_font.h"

namespace kestrilo {

namespace {

constexpr int kWindowWidth = 576;
constexpr int kWindowHeight = 357;

// The folder column takes the width the window gains over its first width;
// the other columns keep theirs.
constexpr int kGrowingColumn = kFolderColumn;
// The smallest grid still shows its header and two rows.
constexpr int kGridMinimumRows = 2;

int WidthGained(int windowWidth) { return std::max(windowWidth - kWindowWidth, 0); }

std::optional<QFont> AskFont(const QFont& current, QWidget* owner) {
  bool chosen = false;
  const QFont font = QFontDialog::getFont(&chosen, current, owner);
  if (!chosen) return std::nullopt;
  return font;
}

// The path of a dropped local file, byte for byte: the URL carries the name's
// bytes percent-encoded, also when they are not valid UTF-8.
std::string LocalPathOf(const QUrl& url) {
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

bool HasLocalFiles(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return false;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return true;
  }
  return false;
}

}  // namespace

TForm1::TForm1(Dialogs& dialogs, FileSystem& fileSystem, FontChooser chooseFont)
    : chooseFont_(chooseFont ? std::move(chooseFont) : FontChooser(AskFont)),
      pump_([this] { logic_.ShowJobProgress(); }),
      logic_(*this, status_, pump_, dialogs, fileSystem) {
  setWindowTitle(QStringLiteral("Kestrilo"));
  setWindowIcon(QIcon(QStringLiteral(":/kestrilo/kestrilo.png")));
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  setFont(WindowFont());
  fontDialogFont_ = font();

  BuildCommandBar();
  BuildGrid();
  BuildStatusBar();
  BuildMenus();

  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Panel1);
  layout->addWidget(StringGrid1, 1);
  setCentralWidget(client);

  resize(kWindowWidth, kWindowHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - QPoint(kWindowWidth / 2, kWindowHeight / 2));
  }

  aboutBox_ = std::make_unique<TAboutBox>(*this);
  AboutBox = aboutBox_.get();

  // Sees the Delete key before the focused control does.
  qApp->installEventFilter(this);
  FormCreate();
}

TForm1::~TForm1() {
  qApp->removeEventFilter(this);
  // The grid's view and model read the cell store, which goes before the
  // window's widgets do.
  delete takeCentralWidget();
  delete model_;
}

void TForm1::BuildCommandBar() {
  Panel1 = new QWidget;
  Panel1->setFixedHeight(41);

  FileAdd = new QPushButton(QStringLiteral("フォルダを追加"), Panel1);
  FileAdd->setGeometry(8, 8, 97, 25);
  FilterText = new QLineEdit(QStringLiteral("*.*"), Panel1);
  FilterText->setGeometry(112, 10, 41, 20);
  CheckStart = new QPushButton(QStringLiteral("調査開始"), Panel1);
  CheckStart->setGeometry(160, 8, 75, 25);
  QuickCheck = new QCheckBox(QStringLiteral("追加後すぐ調査"), Panel1);
  QuickCheck->setGeometry(240, 12, 121, 17);
  QuickCheck->setChecked(false);
  SortFlag = new QCheckBox(QStringLiteral("サイズでソート"), Panel1);
  SortFlag->setGeometry(368, 12, 113, 17);
  SortFlag->setChecked(true);
  InitInfo = new QPushButton(QStringLiteral("情報初期化"), Panel1);
  InitInfo->setGeometry(488, 8, 75, 25);
  // The window is never so narrow that a command of the bar is cut off.
  Panel1->setMinimumWidth(InitInfo->geometry().right() + 1 + FileAdd->x());
  // A drop on the wildcard box adds the dropped items, as anywhere else on
  // the window, instead of pasting their paths into the wildcard.
  FilterText->setAcceptDrops(false);

  QWidget::setTabOrder(CheckStart, FileAdd);
  QWidget::setTabOrder(FileAdd, InitInfo);
  QWidget::setTabOrder(InitInfo, FilterText);
  QWidget::setTabOrder(FilterText, QuickCheck);
  QWidget::setTabOrder(QuickCheck, SortFlag);

  connect(FileAdd, &QPushButton::clicked, this, [this] { FileAddClick(); });
  connect(CheckStart, &QPushButton::clicked, this, [this] { CheckStartClick(); });
  connect(InitInfo, &QPushButton::clicked, this, [this] { InitInfoClick(); });

  // The jobs read these settings on the worker; the controls are disabled
  // while a job runs, so they only change while no worker exists.
  MemoryJobSettings& settings = logic_.Settings();
  settings.filterText = FilterText->text().toStdString();
  settings.quickCheck = QuickCheck->isChecked();
  settings.sortFlag = SortFlag->isChecked();
  connect(FilterText, &QLineEdit::textChanged, this,
          [&settings](const QString& text) { settings.filterText = text.toStdString(); });
  connect(QuickCheck, &QCheckBox::toggled, this, [&settings](bool checked) { settings.quickCheck = checked; });
  connect(SortFlag, &QCheckBox::toggled, this, [&settings](bool checked) { settings.sortFlag = checked; });
}

void TForm1::BuildGrid() {
  StringGrid1 = new QTableView;
  model_ = new GridModel(logic_.Cells(), this);
  StringGrid1->setHorizontalHeader(new GridHeaderView(StringGrid1));
  StringGrid1->setModel(model_);
  StringGrid1->setItemDelegate(new GridCellDelegate(StringGrid1));

  QHeaderView* rows = StringGrid1->verticalHeader();
  rows->hide();
  rows->setMinimumSectionSize(1);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(kRowHeight);
  StringGrid1->horizontalHeader()->setFixedHeight(kRowHeight + 1);
  StringGrid1->setMinimumHeight(kRowHeight + 1 + kGridMinimumRows * kRowHeight + 2 * StringGrid1->frameWidth());

  StringGrid1->setShowGrid(false);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->setTabKeyNavigation(false);
  StringGrid1->setWordWrap(false);
  StringGrid1->setCornerButtonEnabled(false);
  StringGrid1->setDragDropMode(QAbstractItemView::NoDragDrop);

  connect(StringGrid1, &QTableView::clicked, this, [this] { StringGrid1Click(); });
  connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) logic_.Cells().SetRow(GridModel::GridRow(current.row()));
          });
  StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(StringGrid1, &QTableView::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(at)); });
}

void TForm1::BuildStatusBar() {
  StatusBar1 = statusBar();
  StatusBar1->setFixedHeight(19);
  StatusPanel0 = new QLabel;
  StatusPanel0->setFixedWidth(150);
  StatusPanel1 = new QLabel;
  StatusPanel1->setMinimumWidth(100);
  // The panels show paths, which are never markup.
  StatusPanel0->setTextFormat(Qt::PlainText);
  StatusPanel1->setTextFormat(Qt::PlainText);
  // A long message is cut at the window's edge instead of widening the window.
  StatusPanel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  StatusBar1->addWidget(StatusPanel0);
  StatusBar1->addWidget(StatusPanel1, 1);
  status_.Attach(StatusPanel0, StatusPanel1);
}

void TForm1::BuildMenus() {
  const auto item = [this](QMenu* menu, const char* caption, void (TForm1::*handler)()) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
  };

  MainMenu1 = menuBar();
  File1 = MainMenu1->addMenu(QStringLiteral("ファイル(&F)"));
  A1 = item(File1, "フォルダを追加(&O)...", &TForm1::A1Click);
  F1 = item(File1, "ファイルを追加(&F)...", &TForm1::F1Click);
  N1 = File1->addSeparator();
  SaveAs1 = item(File1, "名前を付けて保存(&A)...", &TForm1::SaveAs1Click);
  N2 = File1->addSeparator();
  Z1 = item(File1, "情報初期化(&N)...", &TForm1::Z1Click);
  N3 = File1->addSeparator();
  Exit1 = item(File1, "終了(&X)", &TForm1::Exit1Click);

  Show1 = MainMenu1->addMenu(QStringLiteral("表示(&V)"));
  bTopWindow = item(Show1, "最前面表示(&H)", &TForm1::bTopWindowClick);
  bTopWindow->setCheckable(true);
  bTopWindow->setChecked(true);
  N5 = Show1->addSeparator();
  Font1 = item(Show1, "フォント(&F)...", &TForm1::Font1Click);

  Help1 = MainMenu1->addMenu(QStringLiteral("ヘルプ(&H)"));
  About1 = item(Help1, "バージョン情報(&A)...", &TForm1::About1Click);

  PopupMenu1 = new QMenu(this);
  C1 = item(PopupMenu1, "ファイル名をコピー(&C)", &TForm1::C1Click);
  N6 = PopupMenu1->addSeparator();
  Delete1 = item(PopupMenu1, "１ファイル削除(&D)", &TForm1::Delete1Click);
  N4 = item(PopupMenu1, "同一パス配下の重複ファイルを全て削除(&P)", &TForm1::N4Click);
  A2 = item(PopupMenu1, "同一ドライブの重複ファイルを全て削除(&A)", &TForm1::A2Click);

  // Menus open as windows of their own, which do not take the window's font.
  for (QMenu* menu : {File1, Show1, Help1, PopupMenu1}) menu->setFont(font());
}

void TForm1::FormCreate() { logic_.FormCreate(); }

void TForm1::ResetGrid(const ColumnWidths& widths) {
  for (int column = 0; column < kGridColumns; ++column) {
    StringGrid1->setColumnWidth(
        column, widths[static_cast<std::size_t>(column)] + (column == kGrowingColumn ? WidthGained(width()) : 0));
  }
  model_->Reset();
  FollowGridRow();
}

void TForm1::FormShow() { setAcceptDrops(true); }

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  FormShow();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!logic_.MayClose()) {
    event->ignore();
    return;
  }
  aboutBox_->hide();
  QMainWindow::closeEvent(event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // By difference, so that a width the user gave the column stays.
  const int gained = WidthGained(event->size().width()) - WidthGained(event->oldSize().width());
  if (gained != 0) StringGrid1->setColumnWidth(kGrowingColumn, StringGrid1->columnWidth(kGrowingColumn) + gained);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!logic_.IsRunning() && HasLocalFiles(event->mimeData())) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  if (logic_.IsRunning() || !HasLocalFiles(event->mimeData())) {
    event->ignore();
    return;
  }
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(LocalPathOf(url));
  }
  event->acceptProposedAction();
  // The drop completes for the program it came from before the walks start.
  QMetaObject::invokeMethod(
      this, [this, paths] { WMDropFiles(paths); }, Qt::QueuedConnection);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() && !passingKeyOn_) {
    auto* widget = static_cast<QWidget*>(watched);
    const QWidget* focus = QApplication::focusWidget();
    // A key travels up from the focused control; only its first stop counts.
    if (widget->window() == this && (widget == focus || (focus == nullptr && widget == this))) {
      return PreviewKey(widget, static_cast<QKeyEvent*>(event));
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TForm1::PreviewKey(QWidget* receiver, QKeyEvent* event) {
  // A disabled window (the about box is open) takes no keys.
  if (!isEnabled()) return false;
  const QPointer<QWidget> control = receiver;
  FormKeyDown(event->key());
  if (event->key() != Qt::Key_Delete) return false;
  // The deletion's question may have taken the focus away; Qt would then
  // hand the key on up to the window as if it were a new one. So the key is
  // passed on to its control here, once, and goes no further afterwards.
  if (control) {
    const QScopedValueRollback passing(passingKeyOn_, true);
    QCoreApplication::sendEvent(control, event);
  }
  event->accept();
  return true;
}

void TForm1::FormKeyDown(int key) { logic_.FormKeyDown(key == Qt::Key_Delete); }

void TForm1::SetControlEnabled(WindowControl control, bool enabled) {
  // In the order of WindowControl: the three menus, then the controls.
  const QMenu* menus[] = {File1, Show1, Help1};
  QWidget* controls[] = {FileAdd, FilterText, QuickCheck, InitInfo, StringGrid1, SortFlag};
  const auto index = static_cast<std::size_t>(control);
  if (index < std::size(menus)) {
    menus[index]->menuAction()->setEnabled(enabled);
  } else {
    controls[index - std::size(menus)]->setEnabled(enabled);
  }
}

void TForm1::SetCheckStartCaption(const std::string& caption) { CheckStart->setText(QString::fromStdString(caption)); }

std::string TForm1::CheckStartCaption() const { return CheckStart->text().toStdString(); }

void TForm1::ShowLatest() {
  status_.Flush();
  model_->Refresh();
  FollowGridRow();
}

void TForm1::CloseLater() {
  QMetaObject::invokeMethod(
      this, [this] { close(); }, Qt::QueuedConnection);
}

void TForm1::ShowAboutBox() {
  setEnabled(false);
  AboutBox->show();
}

bool TForm1::TopMost() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void TForm1::SetTopMost(bool on) {
  // Qt re-creates a shown window whose flags change, so it is shown again in
  // both directions.
  if (on) hide();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  show();
  bTopWindow->setChecked(on);
}

void TForm1::FollowGridRow() {
  const int row = GridModel::ViewRow(logic_.Cells().Row());
  if (row < 0 || row >= model_->rowCount()) return;
  const QModelIndex current = StringGrid1->currentIndex();
  if (current.isValid() && current.row() == row) return;
  StringGrid1->setCurrentIndex(model_->index(row, current.isValid() ? current.column() : 0));
}

void TForm1::CheckStartClick() { logic_.CheckStartClick(); }

void TForm1::Exit1Click() { close(); }

void TForm1::About1Click() { logic_.About1Click(); }

void TForm1::StringGrid1Click() { logic_.StringGrid1Click(); }

void TForm1::Delete1Click() { logic_.Delete1Click(); }

void TForm1::N4Click() { logic_.N4Click(); }

void TForm1::A2Click() { logic_.A2Click(); }

}  // namespace kestrilo
