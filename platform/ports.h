#pragma once

#include "platform/desktop.h"
#include "platform/shell.h"

namespace tintrix {

// The ports through which the window and its commands reach the desktop, handed in by whoever
// builds them: the program passes the Qt implementations, the tests recording fakes. Neither
// is owned; both must outlive what they are handed to.
struct Ports {
  Desktop& desktop;
  Shell& shell;
};

}  // namespace tintrix
