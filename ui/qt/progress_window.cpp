#include "ui/qt/progress_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QStyle>

#include <algorithm>

#include "foundation/qt/qt_text.h"
#include "ui/qt/gauge.h"
#include "ui/qt/screen_place.h"
#include "ui/qt/window_rules.h"

namespace vm {

namespace {
constexpr int kMargin = 8;
constexpr int kLabelLeft = 48;
constexpr int kLabelTop = 16;
constexpr int kGaugeTop = 48;
constexpr int kGaugeHeight = 4;
constexpr int kLabelRoom = 40;
constexpr int kGaugeRoom = 26;
constexpr int kHeight = 60;
constexpr int kResizeWaitMs = 50;
}  // namespace

TProgressWindow::TProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      label_(new QLabel(this)),
      image_(new QLabel(this)),
      gauge_(new TGauge(this)) {
  setModal(false);
  image_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  gauge_->SetForeColor(Qt::red);
  gauge_->SetBackColor(palette().color(QPalette::Window));
  setFixedSize(355, kHeight);
  LayOut();
}

void TProgressWindow::LayOut() {
  image_->setGeometry(kMargin, kMargin, 32, 32);
  label_->move(kLabelLeft, kLabelTop);
  gauge_->setGeometry(kMargin, kGaugeTop, width() - kGaugeRoom, kGaugeHeight);
}

// The window rules widen a dialog narrower than its title as it shows,
// moving its controls over: a window as wide as its title already is left
// as it is, and whatever widens it, its controls go back to the left edge.
void TProgressWindow::SetMessageText(const std::string& text) {
  label_->setText(ToQt(text));
  label_->adjustSize();
  const int width = std::max(kLabelLeft + label_->width() + kLabelRoom, TitleWidth(*this));
  setFixedSize(width, kHeight);
  // Frame included, as the window rules centre it when it shows: a changed
  // message does not make it jump up and down by the title bar.
  CentreOnScreen(*this);
  LayOut();
}

void TProgressWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  LayOut();
}

void TProgressWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayOut();
}

// A job disables the main window, which disables the windows it owns: the
// window that shows the job's progress stays as it is, in colour.
void TProgressWindow::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::EnabledChange && !isEnabled() && !testAttribute(Qt::WA_ForceDisabled))
    setEnabled(true);
}

void TProgressWindow::ShowMessage(const std::string& text, int max, const std::string& appTitle) {
  gauge_->SetMaximum(max);
  gauge_->SetPosition(0);
  // The title first: the window is sized to it as well.
  setWindowTitle(ToQt(appTitle));
  SetMessageText(text);
  show();
  Settle();
}

void TProgressWindow::HideMessage() { hide(); }

void TProgressWindow::ChangeMessage(const std::string& text) {
  if (label_->text() == ToQt(text)) return;
  SetMessageText(text);
  if (isVisible()) Settle();
}

// The window manager frames, resizes and moves the window in its own time,
// and the job lets no event through after this: the events are let through
// for a moment, so that the window is painted whole at its new size and
// place (a shown window resized at once would keep its earlier frame).
void TProgressWindow::Settle() {
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < kResizeWaitMs) QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
}

void TProgressWindow::SetPosition(int position) {
  const int filled = gauge_->FilledWidth();
  gauge_->SetPosition(position);
  // A job may report every record: only a pixel more is worth a paint.
  if (isVisible() && gauge_->FilledWidth() != filled) gauge_->repaint();
}

}  // namespace vm
