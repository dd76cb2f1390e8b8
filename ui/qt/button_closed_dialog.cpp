#include "ui/qt/button_closed_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "platform/services.h"
#include "ui/qt/screen_place.h"

namespace vm {

TButtonClosedDialog::TButtonClosedDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {}

void TButtonClosedDialog::Finish(int result) {
  mayClose_ = true;
  done(result);
}

void TButtonClosedDialog::showEvent(QShowEvent* event) {
  busyWasRunning_ = SuspendBusy();
  mayClose_ = false;
  QDialog::showEvent(event);
  CentreOnScreen(*this);
  LayOutButtons();
  // Of the size its question gave it, as placed on the screen: a window
  // manager offers no maximise box on a window that cannot be resized.
  setFixedSize(size());
}

void TButtonClosedDialog::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  // Free to take another question's size before it shows again.
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  SetBusy(busyWasRunning_);
}

void TButtonClosedDialog::closeEvent(QCloseEvent* event) {
  if (!mayClose_) event->ignore();
}

void TButtonClosedDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayOutButtons();
}

void TButtonClosedDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    EscapePressed();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace vm
