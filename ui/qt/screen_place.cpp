#include "ui/qt/screen_place.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <utility>

namespace vm {

namespace {

// Read from the platform window each time. The widget's own frame
// geometry keeps the frame Qt saw at the window's last move or resize:
// under a busy window manager that may have been half made (none yet, or
// a frame window of 1x1 round the whole client, that is margins of minus
// the client's size) and stays so until the window moves again. Until the
// window manager has mapped the window it has no frame of its own.
QMargins OwnFrame(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  if (!window.isVisible() || handle == nullptr || !handle->isExposed()) return {};
  const QMargins frame = handle->frameMargins();
  if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0) return {};
  return frame;
}

// The window manager frames a window before it maps it: the window's first
// exposure is the first moment its frame is known.
class TWhenFramed : public QObject {
 public:
  TWhenFramed(QWidget& window, QWindow& handle, std::function<void(QWidget&)> action)
      : QObject(&window), window_(window), action_(std::move(action)) {
    handle.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Expose || !static_cast<QWindow*>(watched)->isExposed()) return false;
    watched->removeEventFilter(this);
    deleteLater();
    if (window_.isVisible()) action_(window_);
    return false;
  }

 private:
  QWidget& window_;
  std::function<void(QWidget&)> action_;
};

}  // namespace

QMargins FrameMargins(const QWidget& window) {
  const QMargins own = OwnFrame(window);
  if (!own.isNull()) return own;
  const QWidget* parent = window.parentWidget();
  return parent != nullptr ? OwnFrame(*parent->window()) : QMargins();
}

void WhenFramed(QWidget& window, std::function<void(QWidget&)> action) {
  QWindow* handle = window.windowHandle();
  if (handle != nullptr && !handle->isExposed()) new TWhenFramed(window, *handle, std::move(action));
}

QRect OuterRect(const QWidget& window) { return window.geometry().marginsAdded(FrameMargins(window)); }

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
  // Centred with its parent's frame until its own is known; and a window
  // manager may put a dialog over its parent as it maps it, whatever place
  // was asked for.
  WhenFramed(window, PlaceCentred);
}

}  // namespace vm
