#pragma once

#include <optional>

namespace tintrix {

// Reads the window program's command line before any window system is touched, so that
// --help and --version answer without a display. Returns nothing when the window is to start,
// or the exit status when the run is already over: 0 after the help or the version (on
// standard output), 2 after a usage error (one line on standard error). Qt's own options
// (-platform, -style, -display, ...) are accepted and left in argv for QApplication.
std::optional<int> ReadCommandLine(int argc, char** argv);

}  // namespace tintrix
