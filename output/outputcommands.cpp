#include "output/outputcommands.h"

#include <QDir>

#include <new>

#include "output/fadedocument.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"

namespace tintrix {

std::string OutputFilePath() {
  return QDir(QString::fromStdString(HomeFolder()))
      .filePath(QStringLiteral("output.htm"))
      .toStdString();
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
StatusOr<std::string> MakeDocument(const FadeSettings& fade, Desktop& desktop) {
  try {
    return BuildFadeDocument(fade, DesktopFadeHooks(desktop));
  } catch (const std::bad_alloc&) {
    return Status::OutOfMemory("Out of memory while making the fade");
  }
}

// Writes the document as OutputFilePath()'s one line.
Status WriteOutputFile(const FadeSettings& fade, Desktop& desktop) {
  TINTRIX_ASSIGN_OR_RETURN(std::string document, MakeDocument(fade, desktop));
  try {
    document += '\n';
    return WriteFileAtomically(OutputFilePath(), document);
  } catch (const std::bad_alloc&) {
    return Status::OutOfMemory("Out of memory while making the fade");
  }
}

}  // namespace

void MakeHtmlFile(FadeSettings& fade, Desktop& desktop) {
  if (fade.text.empty()) return;
  if (const Status status = WriteOutputFile(fade, desktop); !status.ok()) {
    desktop.ShowMessage(status.message(), kErrorTitle, MessageIcon::Critical);
    return;
  }
  desktop.ShowMessage("File saved as C:\\output.htm", kAppTitle, MessageIcon::None,
                      OutputFilePath());
  fade.text.clear();
}

void CopyToClipboard(FadeSettings& fade, Desktop& desktop) {
  const StatusOr<std::string> document = MakeDocument(fade, desktop);
  if (!document.ok()) {
    desktop.ShowMessage(document.status().message(), kErrorTitle, MessageIcon::Critical);
    return;
  }
  desktop.SetClipboardText(*document);
  fade.text.clear();
}

}  // namespace tintrix
