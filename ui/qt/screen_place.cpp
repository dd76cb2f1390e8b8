#include "ui/qt/screen_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace vm {

namespace {

QMargins OwnFrame(const QWidget& window) {
  if (!window.isVisible()) return {};
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
          frame.bottom() - client.bottom()};
}

}  // namespace

QMargins FrameMargins(const QWidget& window) {
  const QMargins own = OwnFrame(window);
  if (!own.isNull()) return own;
  const QWidget* parent = window.parentWidget();
  return parent != nullptr ? OwnFrame(*parent->window()) : QMargins();
}

QRect OuterRect(const QWidget& window) {
  return window.isVisible() ? window.frameGeometry() : window.geometry().marginsAdded(FrameMargins(window));
}

QRect ClampFrameToScreen(QRect client, const QMargins& frame, const QRect& screen) {
  const QRect outer = client.marginsAdded(frame);
  const int left = std::max(screen.left(), std::min(outer.left(), screen.right() + 1 - outer.width()));
  const int top = std::max(screen.top(), std::min(outer.top(), screen.bottom() + 1 - outer.height()));
  client.moveTopLeft(client.topLeft() + QPoint(left - outer.left(), top - outer.top()));
  return client;
}

QRect ScreenArea(const QWidget& window) {
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

namespace {

void PlaceCentred(QWidget& window) {
  const QMargins frame = FrameMargins(window);
  const QRect area = ScreenArea(window);
  QRect client(QPoint(), window.size());
  const QSize outer = client.marginsAdded(frame).size();
  client.moveTopLeft(area.topLeft() + QPoint((area.width() - outer.width()) / 2 + frame.left(),
                                             (area.height() - outer.height()) / 2 + frame.top()));
  window.setGeometry(ClampFrameToScreen(client, frame, area));
}

}  // namespace

void CentreOnScreen(QWidget& window) {
  PlaceCentred(window);
  // A window manager may put a dialog over its parent window as it maps
  // it, whatever place was asked for; once shown, the place is asked again.
  QTimer::singleShot(0, &window, [w = &window] {
    if (w->isVisible()) PlaceCentred(*w);
  });
}

}  // namespace vm
