#include "ui/qt/info_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <cmath>

#include "platform/encoding.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TInfoWindow::TInfoWindow(QWidget* parent) : QWidget(parent, Qt::Window), panel_(new QWidget(this)) {
  setWindowTitle(ToQt(" Информация"_wv));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(panel_);
  resize(336, 263);
}

void TInfoWindow::SetDesignSize(int width, int height) {
  designWidth_ = width > 0 ? width : 336;
  designHeight_ = height > 0 ? height : 263;
}

void TInfoWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  resizing_ = false;
  QResizeEvent resize(size(), size());
  resizeEvent(&resize);
}

void TInfoWindow::hideEvent(QHideEvent* event) {
  if (QWidget* focused = focusWidget()) focused->clearFocus();
  QWidget::hideEvent(event);
}

void TInfoWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (OnLayout) OnLayout(width());
  if (resizing_ || isMaximized()) return;
  resizing_ = true;
  // The client area keeps the proportions of the information area; the
  // frame lies outside the widget's own size here.
  const int height = static_cast<int>(std::lround(double(width()) / designWidth_ * designHeight_));
  if (height != this->height()) resize(width(), height);
  resizing_ = false;
}

void TInfoWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (OnShowDocument) OnShowDocument();
}

void TInfoWindow::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const int key = event->key();
  if (!ctrl && key == Qt::Key_F5) {
    setWindowState(windowState() ^ Qt::WindowMaximized);
  } else if (!ctrl && (key == Qt::Key_F11 || key == Qt::Key_F12)) {
    if (OnShowDocument) OnShowDocument();
  } else if (ctrl && key == Qt::Key_H) {
    if (OnShowLookup) OnShowLookup();
  } else if (ctrl && key == Qt::Key_W) {
    if (OnShowDocument) OnShowDocument();
  } else {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
}

}  // namespace vm
