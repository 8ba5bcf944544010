#pragma once

class QWidget;

namespace tintrix {

// Puts a top-level window into the always-on-top band and activates it, without moving or
// resizing it.
void MakeTopmost(QWidget* window);

// Moves a top-level window to the top edge of its screen, horizontally centred.
void PlaceAtTopCentre(QWidget* window);

// Moves a top-level window to the centre of its screen.
void CentreOnScreen(QWidget* window);

// Lets the system move the window with the pointer until the pressed button is released.
// Returns false when the system refuses (some window managers take only the left button);
// the caller then moves the window itself while the button is held.
bool StartWindowDrag(QWidget* window);

}  // namespace tintrix
