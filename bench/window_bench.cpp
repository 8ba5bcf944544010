// The window with a long text: how long Make HTML File takes from the click to the file on
// the disk, and the longest pause of the event loop meanwhile (ms, as counters), measured as
// a 1 ms timer sees it; and what a keystroke costs in the entry field, the edit and the
// repaint that shows it. Offscreen: run with QT_QPA_PLATFORM=offscreen.
// Arguments: characters, colours, text kind (0 ASCII, 1 skin-toned emoji among ASCII).
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "platform/qtdesktop.h"
#include "platform/shell.h"
#include "store/settingsstore.h"
#include "ui/mainwindow.h"

namespace tintrix {
namespace {

// The program's own desktop, but for the confirmation, which would wait for a click.
class NoMessages final : public QtDesktop {
 public:
  void ShowMessage(const std::string&, const std::string&, MessageIcon,
                   const std::string&) override {}
};

class NoShell final : public Shell {
 public:
  void OpenUrl(const QUrl&) override {}
  QString FindProgram(const QString&) override { return {}; }
  bool StartDetached(const QString&, const QStringList&) override { return false; }
};

class NoStore final : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string&) override { return std::nullopt; }
  void Write(const std::string&, const std::string&) override {}
  Status Sync() override { return Status::Ok(); }
  std::string Location() const override { return "-"; }
};

QString LongText(std::int64_t characters, std::int64_t kind) {
  const QString unit = kind == 0
                           ? QStringLiteral("Fade me ok, ")
                           : QString::fromUtf8("Fade me \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD ok ");
  QString text;
  while (text.size() < characters) text += unit;
  return text.left(static_cast<qsizetype>(characters));
}

// The window with the program's desktop but for its messages, no shell and no store, and the
// default fade with `colors` colours.
struct BenchWindow {
  explicit BenchWindow(std::int64_t colors) {
    window.fade().colorCount = std::to_string(colors);
    window.FadeChanged();
  }
  NoMessages desktop;
  NoShell shell;
  NoStore store;
  MainWindow window{Ports{desktop, shell}, store};
};

void BM_MakeHtmlFromTheWindow(benchmark::State& state) {
  BenchWindow bench(state.range(1));
  MainWindow& window = bench.window;
  window.show();
  QApplication::processEvents();
  const QString text = LongText(state.range(0), state.range(2));
  auto* text1 = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
  // One run first, so that the figures are of a warm program, as a user's second run is.
  text1->setText(text);
  window.findChild<QAction*>(QStringLiteral("sMakeHTML"))->trigger();
  double longestPause = 0;
  double total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    text1->setText(text);
    QApplication::processEvents();
    QElapsedTimer sinceTick;
    qint64 worst = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, &ticker,
                     [&] { worst = std::max(worst, sinceTick.restart()); });
    ticker.start();
    sinceTick.start();
    QElapsedTimer clock;
    clock.start();
    state.ResumeTiming();
    window.findChild<QAction*>(QStringLiteral("sMakeHTML"))->trigger();
    state.PauseTiming();
    worst = std::max(worst, sinceTick.elapsed());
    total += static_cast<double>(clock.elapsed());
    longestPause = std::max(longestPause, static_cast<double>(worst));
    ticker.stop();
    state.ResumeTiming();
  }
  state.counters["longest_pause_ms"] = longestPause;
  state.counters["to_file_ms"] = total / static_cast<double>(state.iterations());
}

BENCHMARK(BM_MakeHtmlFromTheWindow)
    ->ArgNames({"chars", "colors", "text"})
    ->ArgsProduct({{1000000}, {2, 3, 5, 10}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void SendKey(QWidget* to, int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(to, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(to, &release);
}

// One keystroke in the entry field, at the end of a text of the given length, and the repaint
// that shows it: a letter typed, then taken back, each a keystroke; the edit and the repaint
// are counted apart (ms per keystroke). The fade is the default one with the given colours,
// wavy or not (argument 3).
void BM_KeystrokeInTheField(benchmark::State& state) {
  BenchWindow bench(state.range(1));
  MainWindow& window = bench.window;
  window.fade().wavy = static_cast<int>(state.range(3));
  window.FadeChanged();
  window.show();
  auto* text1 = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
  text1->setText(LongText(state.range(0), state.range(2)));
  text1->setFocus();
  text1->end(false);
  text1->repaint();
  QApplication::processEvents();
  // The edit is QLineEdit's own; the repaint is what the field adds to it.
  qint64 editing = 0;
  qint64 painting = 0;
  QElapsedTimer clock;
  const auto timed = [&clock](qint64& sum, const auto& step) {
    clock.start();
    step();
    sum += clock.nsecsElapsed();
  };
  for (auto _ : state) {
    timed(editing, [&] { SendKey(text1, Qt::Key_X, QStringLiteral("x")); });
    timed(painting, [&] { text1->repaint(); });
    timed(editing, [&] { SendKey(text1, Qt::Key_Backspace, QString()); });
    timed(painting, [&] { text1->repaint(); });
  }
  const double keystrokes = 2 * static_cast<double>(state.iterations());
  state.counters["edit_ms"] = static_cast<double>(editing) / 1e6 / keystrokes;
  state.counters["repaint_ms"] = static_cast<double>(painting) / 1e6 / keystrokes;
}

BENCHMARK(BM_KeystrokeInTheField)
    ->ArgNames({"chars", "colors", "text", "wavy"})
    ->ArgsProduct({{100, 30000, 1000000}, {5}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tintrix

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The file lands in the home folder: a temporary one, not the user's.
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "tintrix-bench-home";
  std::filesystem::create_directories(home);
  setenv("HOME", home.c_str(), 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(home);
  return 0;
}
