#pragma once

namespace tintrix {

// Tells Qt's accessibility how to present the program's own widgets: the main window as a
// window, each spot of its strip as a push button with its menu beneath it, and each
// NamedComboBox by its accessible name. Runs once however often it is called; the widgets
// that need it call it as they are built.
void InstallAccessibleInterfaces();

}  // namespace tintrix
