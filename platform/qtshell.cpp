#include "platform/qtshell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace tintrix {

void QtShell::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

QString QtShell::FindProgram(const QString& program) {
  return QStandardPaths::findExecutable(program);
}

bool QtShell::StartDetached(const QString& path, const QStringList& arguments) {
  return QProcess::startDetached(path, arguments);
}

}  // namespace tintrix
