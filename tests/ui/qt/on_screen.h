// Pictures of the whole screen as a window manager shows it. A window is
// drawn on the screen some moments after Qt has shown it (the window
// manager frames and maps it, then Qt paints it), and a picture taken
// before that shows it black.
#pragma once

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <string>

namespace vm::test {

// Whether anything but black shows where the window's inside lies on the
// screen.
inline bool DrawnOnScreen(const QWidget& window) {
  const QRect r = window.geometry();
  const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
  for (int y = 0; y < shot.height(); y += 3)
    for (int x = 0; x < shot.width(); x += 3)
      if (shot.pixel(x, y) & 0xFFFFFF) return true;
  return false;
}

// Waits, two seconds at most, until every window shown is drawn on the
// screen; a third of a second at least, for the windows to take the places
// they move to once framed.
inline void WaitUntilDrawn() {
  for (int i = 0; i < 40; ++i) {
    QApplication::processEvents();
    QTest::qWait(50);
    bool drawn = true;
    for (const QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && !DrawnOnScreen(*w)) drawn = false;
    if (drawn && i >= 6) return;
  }
}

// The whole screen into the file, once every window shown is drawn; false
// when the picture could not be taken.
inline bool TakeScreen(const std::string& path) {
  WaitUntilDrawn();
  return std::system(("import -window root '" + path + "'").c_str()) == 0;
}

}  // namespace vm::test
