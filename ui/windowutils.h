#pragma once

#include <functional>

class QWidget;

namespace tintrix {

// Puts a top-level window into the always-on-top band and activates it, without moving or
// resizing it.
void MakeTopmost(QWidget* window);

// Moves a top-level window to the top edge of its screen, horizontally centred.
void PlaceAtTopCentre(QWidget* window);

// Moves a top-level window, its frame included, to the centre of its screen.
void CentreOnScreen(QWidget* window);

// CentreOnScreen now and once more when the window manager has framed the window: a window
// is placed before its frame is known, so the frame would push it off the centre by its own
// size. Gives up waiting for a frame a second after the window is shown.
void CentreOnScreenOnceFramed(QWidget* window);

// Lets pending events run, then, unless `held` says that the pressed button has come up in the
// meantime, lets the system move the window with the pointer until the left button is
// released. Returns false when the system refuses; the caller then moves the window itself
// while the button is held. For other buttons callers move the window themselves: a window
// manager told of a move waits for a left-button release that would never come.
bool StartWindowDrag(QWidget* window, const std::function<bool()>& held);

}  // namespace tintrix
