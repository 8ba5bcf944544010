#include "ui/sysinfo.h"

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

std::optional<SysInfoTool> FindSysInfoTool(Shell& shell,
                                           const std::vector<SysInfoCandidate>& candidates) {
  for (const SysInfoCandidate& candidate : candidates) {
    const QString path = shell.FindProgram(candidate.program);
    if (!path.isEmpty()) return SysInfoTool{path, candidate.arguments};
  }
  return std::nullopt;
}

void StartSysInfo(Desktop& desktop, Shell& shell, const std::vector<SysInfoCandidate>& candidates) {
  const std::optional<SysInfoTool> tool = FindSysInfoTool(shell, candidates);
  if (tool && shell.StartDetached(tool->path, tool->arguments)) return;
  desktop.ShowMessage("System Information Is Unavailable At This Time", kAppTitle,
                      MessageIcon::None);
}

}  // namespace tintrix
