#pragma once

#include "platform/shell.h"

namespace tintrix {

// The desktop's own: QDesktopServices for web pages, QStandardPaths for the PATH lookup and
// QProcess::startDetached.
class QtShell final : public Shell {
 public:
  void OpenUrl(const QUrl& url) override;
  QString FindProgram(const QString& program) override;
  bool StartDetached(const QString& path, const QStringList& arguments) override;
};

}  // namespace tintrix
