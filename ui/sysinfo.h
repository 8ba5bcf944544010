#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "ui/desktop.h"

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

// The system access StartSysInfo needs, so that tests can fake it.
class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;

  // The absolute path of `program` found on PATH, or an empty string when it is not there.
  virtual QString FindProgram(const QString& program) = 0;

  // Starts the program at `path` with `arguments` (no shell), detached from this process.
  // Returns false when it could not be started.
  virtual bool StartDetached(const QString& path, const QStringList& arguments) = 0;
};

// The real PATH lookup and QProcess::startDetached.
class QtProgramLauncher final : public ProgramLauncher {
 public:
  QString FindProgram(const QString& program) override;
  bool StartDetached(const QString& path, const QStringList& arguments) override;
};

// The program's launcher: a QtProgramLauncher that lives as long as the program.
ProgramLauncher& DefaultProgramLauncher();

// A system information tool found on this machine: where it is and how to start it.
struct SysInfoTool {
  QString path;
  QStringList arguments;

  bool operator==(const SysInfoTool&) const = default;
};

// The first of `candidates` that `launcher` finds on PATH, or nullopt when none is there.
std::optional<SysInfoTool> FindSysInfoTool(ProgramLauncher& launcher,
                                           const std::vector<SysInfoCandidate>& candidates);

// Starts the first system information tool found and returns without waiting for it. When
// none is found, or the one found does not start, shows "System Information Is Unavailable At
// This Time" (no icon, the program's title) through `desktop`.
void StartSysInfo(Desktop& desktop, ProgramLauncher& launcher = DefaultProgramLauncher(),
                  const std::vector<SysInfoCandidate>& candidates = SysInfoCandidates());

}  // namespace tintrix
