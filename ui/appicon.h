#pragma once

#include <QIcon>
#include <QPixmap>

namespace tintrix {

// The program's icon drawn at `size` × `size` pixels: a rounded tile fading from blue through
// greyish blue to light magenta, with a white "T".
QPixmap PaintAppIcon(int size);

// The icon at the sizes desktops ask for: 32 pixels is the icon proper; the others keep it
// sharp where the desktop scales.
QIcon PaintedAppIcon();

}  // namespace tintrix
