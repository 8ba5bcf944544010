// The Tintrix program: the topmost strip with its menus, dialogs and settings.

#include <QApplication>
#include <QByteArray>
#include <QSessionManager>

#include <cstdlib>

#include "app/commandline.h"
#include "platform/qtdesktop.h"
#include "platform/qtshell.h"
#include "platform/terminationsignals.h"
#include "store/settingsstore.h"
#include "ui/appicon.h"
#include "ui/mainwindow.h"

namespace {

// Under Wayland no client may place its own window or keep it above the others, and the
// strip must do both. When the session also offers an X server (Xwayland sets DISPLAY), run
// on that instead; Qt falls back to Wayland should X not answer after all. A platform the
// user chose with QT_QPA_PLATFORM is left alone.
void PreferX11UnderWayland() {
  if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return;
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  if (qEnvironmentVariableIsEmpty("DISPLAY")) return;
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb;wayland"));
}

// The window while the event loop runs, for StoreBeforeExit.
tintrix::MainWindow* g_window = nullptr;

// Qt ends the program with exit() when its display goes away, without the window's close
// steps: whatever the last second changed is stored on the way out.
void StoreBeforeExit() {
  if (g_window != nullptr) static_cast<void>(g_window->StoreFade());
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> status = tintrix::ReadCommandLine(argc, argv)) return *status;
  PreferX11UnderWayland();

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tintrix"));
  QApplication::setOrganizationName(QStringLiteral("Tintrix"));
  QApplication::setApplicationVersion(QStringLiteral(TINTRIX_VERSION));
  QApplication::setDesktopFileName(QStringLiteral(TINTRIX_APP_ID));
  // The installed icon theme's copy wins where Qt can draw it.
  QApplication::setWindowIcon(
      QIcon::fromTheme(QStringLiteral(TINTRIX_APP_ID), tintrix::PaintedAppIcon()));

  // The program's own ports, declared before the window so that they outlive it.
  tintrix::QtDesktop desktop;
  tintrix::QtShell shell;
  tintrix::FileSettingsStore store;
  tintrix::MainWindow window(tintrix::Ports{desktop, shell}, store);
  desktop.SetParent(&window);

  // A logout, a shutdown, a hang-up or Ctrl+C in the terminal closes the window as its close
  // mark does, from the event loop.
  const tintrix::TerminationSignals terminationSignals([&window](int) { window.close(); });
  // The session manager asks before it ends the session; the window stays open until it does.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                   [&window](QSessionManager&) { static_cast<void>(window.StoreFade()); });
  g_window = &window;
  std::atexit(StoreBeforeExit);

  window.Start();
  const int status = QApplication::exec();
  g_window = nullptr;
  return status;
}
