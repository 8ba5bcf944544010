// The Tintrix program: the topmost strip with its menus, dialogs and settings.

#include <QApplication>
#include <QByteArray>
#include <QIcon>

#include "app/commandline.h"
#include "store/settingsstore.h"
#include "ui/frmabout.h"
#include "ui/mainwindow.h"
#include "ui/qtdesktop.h"

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

QIcon AppIcon() {
  QIcon icon;
  // 32 pixels is the icon proper; the other sizes keep it sharp where the desktop scales.
  for (const int size : {16, 32, 48, 64, 128}) icon.addPixmap(tintrix::PaintAppIcon(size));
  // The installed icon theme's copy wins where Qt can draw it.
  return QIcon::fromTheme(QStringLiteral(TINTRIX_APP_ID), icon);
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
  QApplication::setWindowIcon(AppIcon());

  // Declared before the window, so both outlive it.
  tintrix::QtDesktop desktop;
  tintrix::QtSettingsStore store;
  tintrix::MainWindow window(desktop, store);
  desktop.SetParent(&window);

  window.Form_Load();
  return QApplication::exec();
}
