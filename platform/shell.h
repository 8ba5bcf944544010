#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace tintrix {

// The desktop shell: opening web pages and finding and starting other programs, as the web
// links and the about box's system information button do.
class Shell {
 public:
  virtual ~Shell() = default;

  // Hands `url` to the user's default handler (the browser) and returns at once. Nothing is
  // reported: a page that cannot be opened is passed over silently.
  virtual void OpenUrl(const QUrl& url) = 0;

  // The absolute path of `program` found on PATH, or an empty string when it is not there.
  virtual QString FindProgram(const QString& program) = 0;

  // Starts the program at `path` with `arguments` (no shell), detached from this process.
  // Returns false when it could not be started.
  virtual bool StartDetached(const QString& path, const QStringList& arguments) = 0;
};

}  // namespace tintrix
