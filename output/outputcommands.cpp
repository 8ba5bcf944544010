#include "output/outputcommands.h"

#include <QDir>

#include "output/atomicfile.h"
#include "output/fadedocument.h"

namespace tintrix {

std::string OutputFilePath() {
  return QDir(QDir::homePath()).filePath(QStringLiteral("output.htm")).toStdString();
}

FadeHooks DesktopFadeHooks(Desktop& desktop) {
  return {&desktop.Random(), [&desktop] { desktop.LetPendingEventsRun(); }};
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

void RandomFade(FadeSettings& fade, Desktop& desktop, int colorCount) {
  RandomSource& random = desktop.Random();
  random.ReseedFromClock();
  for (int i = 0; i < colorCount; ++i) {
    // 16777213, not 16777216: the three palest near-whites never come out.
    const auto value = static_cast<std::uint32_t>(random.NextFraction() * 16777213.0);
    fade.Colors[static_cast<std::size_t>(i)] = std::to_string(value);
  }
  fade.NumberColors = std::to_string(colorCount);
}

}  // namespace tintrix
