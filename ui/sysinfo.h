#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "platform/desktop.h"
#include "platform/shell.h"

namespace tintrix {

// One system information tool the program knows: the program name looked up on PATH and the
// arguments it is started with.
struct SysInfoCandidate {
  QString program;
  QStringList arguments;

  bool operator==(const SysInfoCandidate&) const = default;
};

// The tools tried, best first: hardinfo2, hardinfo, kinfocenter, gnome-control-center on its
// overview page, xfce4-about.
const std::vector<SysInfoCandidate>& SysInfoCandidates();

// A system information tool found on this machine: where it is and how to start it.
struct SysInfoTool {
  QString path;
  QStringList arguments;

  bool operator==(const SysInfoTool&) const = default;
};

// The first of `candidates` that `shell` finds on PATH, or nullopt when none is there.
std::optional<SysInfoTool> FindSysInfoTool(Shell& shell,
                                           const std::vector<SysInfoCandidate>& candidates);

// Starts the first system information tool found and returns without waiting for it. When
// none is found, or the one found does not start, shows "System Information Is Unavailable At
// This Time" (no icon, the program's title) through `desktop`.
void StartSysInfo(Desktop& desktop, Shell& shell,
                  const std::vector<SysInfoCandidate>& candidates = SysInfoCandidates());

}  // namespace tintrix
