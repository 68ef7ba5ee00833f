#include "window_fixture.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace kestrilo::testing {

bool RoutedDialogs::AskOkCancel(const std::string& text, const std::string& caption) {
  if (!realQuestions) return script_.AskOkCancel(text, caption);
  script_.asked.emplace_back(text, caption);
  return boxes_.AskOkCancel(text, caption);
}

namespace {

// As a file manager sends them: each path's bytes percent-encoded, and the
// same list as plain text.
void SetUriList(QMimeData& data, const std::vector<std::string>& paths) {
  QByteArray list;
  for (const std::string& path : paths)
    list += "file://" + QByteArray::fromStdString(path).toPercentEncoding("/") + "\r\n";
  data.setData(QStringLiteral("text/uri-list"), list);
  data.setData(QStringLiteral("text/plain"), list);
}

}  // namespace

WindowFixture::WindowFixture()
    : form(routed, fs, [this](const QFont& current, QWidget*) {
        fontsOffered.push_back(current);
        std::optional<QFont> answer;
        if (!fontAnswers.empty()) {
          answer = fontAnswers.front();
          fontAnswers.pop_front();
        }
        return answer;
      }) {
  form.show();
  exposed = QTest::qWaitForWindowExposed(&form);
}

WindowFixture::~WindowFixture() { fs.OpenAll(); }

QString WindowFixture::Panel(int panel) const { return (panel == 0 ? form.StatusPanel0 : form.StatusPanel1)->text(); }

QString WindowFixture::Cell(int column, int viewRow) const {
  const QAbstractItemModel* model = form.StringGrid1->model();
  return model->data(model->index(viewRow, column)).toString();
}

int WindowFixture::ViewRows() const { return form.StringGrid1->model()->rowCount(); }

std::string WindowFixture::WriteThree(const std::string& folder) {
  tree.Write(folder + "/a.txt", "same content");
  tree.Write(folder + "/b.txt", "same content");
  tree.Write(folder + "/c.txt", "other content!");
  return tree.Path(folder);
}

void WindowFixture::AddFolder(const std::string& folder) {
  dialogs.folders.push_back(folder);
  QTest::mouseClick(form.FileAdd, Qt::LeftButton);
}

bool WindowFixture::Drop(const std::vector<std::string>& paths) {
  QMimeData data;
  SetUriList(data, paths);
  const QPoint at = form.StringGrid1->geometry().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &enter);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &drop);
  QApplication::sendPostedEvents(&form, QEvent::MetaCall);
  return enter.isAccepted();
}

bool WindowFixture::DropOver(QWidget* target, const std::vector<std::string>& paths) {
  QMimeData data;
  SetUriList(data, paths);
  QWindow* window = form.windowHandle();
  const QPointF at = target->mapTo(&form, target->rect().center());
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &enter);
  QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &move);
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &drop);
  QApplication::sendPostedEvents(&form, QEvent::MetaCall);
  return drop.isAccepted();
}

std::vector<bool> WindowFixture::RunningStateControls() const {
  return {form.File1->menuAction()->isEnabled(),
          form.Show1->menuAction()->isEnabled(),
          form.Help1->menuAction()->isEnabled(),
          form.FileAdd->isEnabled(),
          form.FilterText->isEnabled(),
          form.QuickCheck->isEnabled(),
          form.InitInfo->isEnabled(),
          form.StringGrid1->isEnabled(),
          form.SortFlag->isEnabled()};
}

BoxAnswerer::BoxAnswerer(Qt::Key key) {
  timer_.setInterval(0);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this, key] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible() || box->windowHandle() == nullptr) return;
    ++answered_;
    QTest::keyClick(box->windowHandle(), key);
  });
  timer_.start();
}

AtGate::AtGate(Gate& gate, std::function<void()> action) {
  timer_.setInterval(1);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this, &gate, action = std::move(action)] {
    if (!gate.Reached()) return;
    timer_.stop();
    action();
    done_ = true;
    gate.Open();
  });
  timer_.start();
}

}  // namespace kestrilo::testing
