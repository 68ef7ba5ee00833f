// The window's side of the benchmarks: how long a walk and a duplicate check
// take through the real main window (offscreen), how long the window's event
// loop ever waits during them, and how soon the stop button takes effect.
//
//   bench_window TREE            walk + quick check, then a walk stopped early

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/file_system.h"
#include "support/scripted_dialogs.h"
#include "ui/main_window.h"

namespace {

// Ticks every 10 ms and remembers the longest gap between two ticks.
class TickWatch {
 public:
  TickWatch() {
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
      const qint64 now = clock_.elapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
    });
  }
  void Start() {
    clock_.start();
    last_ = 0;
    longest_ = 0;
    timer_.start(10);
  }
  qint64 Stop() {
    timer_.stop();
    return longest_;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_window TREE\n");
    return 2;
  }
  QApplication app(argc, argv);
  const std::string tree = argv[1];
  kestrilo::ScriptedDialogs dialogs;
  kestrilo::TForm1 form(dialogs, kestrilo::SystemFileSystem());
  form.show();
  form.QuickCheck->setChecked(true);

  TickWatch watch;
  QElapsedTimer clock;
  dialogs.folders.push_back(tree);
  watch.Start();
  clock.start();
  form.FileAdd->click();
  const double whole = static_cast<double>(clock.elapsed()) / 1000.0;
  const qint64 longestGap = watch.Stop();
  std::printf("window walk + check   %.3f s  (%s)\n", whole, form.StatusPanel1->text().toStdString().c_str());
  std::printf("longest event gap     %lld ms\n", static_cast<long long>(longestGap));

  // A second walk of the same tree, stopped a quarter of the way through by a
  // click on the button.
  form.QuickCheck->setChecked(false);
  dialogs.answers.push_back(true);
  form.InitInfoClick();
  dialogs.folders.push_back(tree);
  qint64 clickedAt = -1;
  const int clickAfterMs = std::max(20, static_cast<int>(whole * 1000.0 / 4.0));
  QTimer::singleShot(clickAfterMs, form.CheckStart, [&] {
    clickedAt = clock.elapsed();
    form.CheckStart->click();
  });
  clock.start();
  form.FileAdd->click();
  const qint64 stopLatency = clock.elapsed() - clickedAt;
  std::printf("stop click to idle    %lld ms  (%s)\n", static_cast<long long>(stopLatency),
              form.StatusPanel1->text().toStdString().c_str());
  return 0;
}
