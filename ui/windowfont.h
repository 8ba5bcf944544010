#pragma once

#include <QFont>
#include <QString>

namespace tintrix {

// The one font family of all the program's windows: the strip (its painted title and menu
// words, its text field and its menus), the configuration dialog, the about box, and the
// message boxes and prompts that the platform layer builds. It is the desktop's own face, the
// family Qt gives the application: the windows Qt builds take it from there by themselves,
// ours take it from here.
QString WindowFontFamily();

// The type of the classic dialogs: the window family at 8.25 points.
QFont DialogFont();

}  // namespace tintrix
