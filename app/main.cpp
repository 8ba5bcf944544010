// The Tintrix program: the topmost strip with its menus, dialogs and settings.

#include <QApplication>
#include <QByteArray>

#include "app/commandline.h"
#include "platform/qtdesktop.h"
#include "platform/qtshell.h"
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

  window.Start();
  return QApplication::exec();
}
