#include "ui/sysinfo.h"

#include <QProcess>
#include <QStandardPaths>

namespace tintrix {

const std::vector<SysInfoCandidate>& SysInfoCandidates() {
  static const std::vector<SysInfoCandidate> candidates = {
      {QStringLiteral("hardinfo2"), {}},
      {QStringLiteral("hardinfo"), {}},
      {QStringLiteral("kinfocenter"), {}},
      {QStringLiteral("gnome-control-center"), {QStringLiteral("info-overview")}},
      {QStringLiteral("xfce4-about"), {}},
  };
  return candidates;
}

QString QtProgramLauncher::FindProgram(const QString& program) {
  return QStandardPaths::findExecutable(program);
}

bool QtProgramLauncher::StartDetached(const QString& path, const QStringList& arguments) {
  return QProcess::startDetached(path, arguments);
}

ProgramLauncher& DefaultProgramLauncher() {
  static QtProgramLauncher launcher;
  return launcher;
}

std::optional<SysInfoTool> FindSysInfoTool(ProgramLauncher& launcher,
                                           const std::vector<SysInfoCandidate>& candidates) {
  for (const SysInfoCandidate& candidate : candidates) {
    const QString path = launcher.FindProgram(candidate.program);
    if (!path.isEmpty()) return SysInfoTool{path, candidate.arguments};
  }
  return std::nullopt;
}

void StartSysInfo(Desktop& desktop, ProgramLauncher& launcher,
                  const std::vector<SysInfoCandidate>& candidates) {
  const std::optional<SysInfoTool> tool = FindSysInfoTool(launcher, candidates);
  if (tool && launcher.StartDetached(tool->path, tool->arguments)) return;
  desktop.ShowMessage("System Information Is Unavailable At This Time", kAppTitle,
                      MessageIcon::None);
}

}  // namespace tintrix
