#include "output/outputcommands.h"

#include <QDir>

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
  return hooks;
}

void sMakeHTML_Click(FadeSettings& fade, Desktop& desktop) {
  if (fade.TextToFade.empty()) return;
  std::string document;
  Status status = BuildFadeDocument(fade, DesktopFadeHooks(desktop), document);
  if (status.ok()) {
    document += '\n';
    status = WriteFileAtomically(OutputFilePath(), document);
  }
  if (!status.ok()) {
    desktop.ShowMessage(status.message(), kErrorTitle, MessageIcon::Critical);
    return;
  }
  desktop.ShowMessage("File saved as C:\\output.htm", kAppTitle, MessageIcon::None,
                      OutputFilePath());
  fade.TextToFade.clear();
}

void sClipboard_Click(FadeSettings& fade, Desktop& desktop) {
  std::string document;
  const Status status = BuildFadeDocument(fade, DesktopFadeHooks(desktop), document);
  if (!status.ok()) {
    desktop.ShowMessage(status.message(), kErrorTitle, MessageIcon::Critical);
    return;
  }
  desktop.SetClipboardText(document);
  fade.TextToFade.clear();
}

}  // namespace tintrix
