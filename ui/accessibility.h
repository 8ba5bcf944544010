#pragma once

namespace tintrix {

// Tells Qt's accessibility how to present the program's own widgets: the main window as a
// window, and each spot of its strip as a push button with its menu beneath it. Runs once
// however often it is called; the widgets that need it call it as they are built.
void InstallAccessibleInterfaces();

}  // namespace tintrix
