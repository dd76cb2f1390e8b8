// Where top-level windows go on the screen. A window manager puts its frame
// (title bar and borders) around a window's client area, and a place given
// before the window is shown is the client's; so places are worked out for
// the whole frame, and the title bar stays on the screen to drag by.
#pragma once

#include <QMargins>
#include <QRect>
#include <functional>

class QWidget;

namespace vm {

// The frame around window's client area: its own once the window manager
// has framed it, else that of the window it belongs to, else none (no
// window manager).
QMargins FrameMargins(const QWidget& window);

// Runs action on window once the window manager has framed it and shown it
// on the screen, which is when its own frame is first known; nothing when
// it is shown already or not made yet.
void WhenFramed(QWidget& window, std::function<void(QWidget&)> action);

// The place of window's frame, shown or still to be shown.
QRect OuterRect(const QWidget& window);

// The client place, moved as little as may be so that its frame lies on
// the screen; a frame larger than the screen keeps its top-left corner on it.
QRect ClampFrameToScreen(QRect client, const QMargins& frame, const QRect& screen);

// The available area of the screen window is on, or of the primary screen.
QRect ScreenArea(const QWidget& window);

// Centres window, frame included, on its screen; once framed, again.
void CentreOnScreen(QWidget& window);

}  // namespace vm
