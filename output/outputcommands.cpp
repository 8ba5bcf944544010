#include "output/outputcommands.h"

#include <QDir>

#include <new>

#include "output/fadedocument.h"
#include "platform/atomicfile.h"

namespace tintrix {

std::string OutputFilePath() {
  return QDir(QDir::homePath()).filePath(QStringLiteral("output.htm")).toStdString();
}

FadeHooks DesktopFadeHooks(Desktop& desktop) {
  FadeHooks hooks;
  hooks.wave = &desktop.Random();
  hooks.letEventsRun = [&desktop] { desktop.LetPendingEventsRun(); };
  // A long fade of any colour count lets the window paint as it goes, not only the dealing.
  hooks.progress = hooks.letEventsRun;
  return hooks;
}

namespace {

// The fade document of `fade`; a text too long for the memory there is fails instead of
// ending the program, and leaves the fade as it was.
Status MakeDocument(const FadeSettings& fade, Desktop& desktop, std::string& document) {
  try {
    return BuildFadeDocument(fade, DesktopFadeHooks(desktop), document);
  } catch (const std::bad_alloc&) {
    document = std::string();
    return Status::OutOfMemory("Out of memory while making the fade");
  }
}

}  // namespace

void MakeHtmlFile(FadeSettings& fade, Desktop& desktop) {
  if (fade.text.empty()) return;
  std::string document;
  Status status = MakeDocument(fade, desktop, document);
  if (status.ok()) {
    try {
      document += '\n';
      status = WriteFileAtomically(OutputFilePath(), document);
    } catch (const std::bad_alloc&) {
      status = Status::OutOfMemory("Out of memory while making the fade");
    }
  }
  if (!status.ok()) {
    desktop.ShowMessage(status.message(), kErrorTitle, MessageIcon::Critical);
    return;
  }
  desktop.ShowMessage("File saved as C:\\output.htm", kAppTitle, MessageIcon::None,
                      OutputFilePath());
  fade.text.clear();
}

void CopyToClipboard(FadeSettings& fade, Desktop& desktop) {
  std::string document;
  const Status status = MakeDocument(fade, desktop, document);
  if (!status.ok()) {
    desktop.ShowMessage(status.message(), kErrorTitle, MessageIcon::Critical);
    return;
  }
  desktop.SetClipboardText(document);
  fade.text.clear();
}

}  // namespace tintrix
