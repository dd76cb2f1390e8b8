#include "ui/qt/progress_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QStyle>

#include "ui/qt/gauge.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {
constexpr int kLabelLeft = 48;
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
  image_->setGeometry(8, 8, 32, 32);
  label_->move(kLabelLeft, 16);
  gauge_->setGeometry(8, 48, 329, 4);
  gauge_->SetForeColor(Qt::red);
  gauge_->SetBackColor(palette().color(QPalette::Window));
  setFixedSize(355, kHeight);
}

void TProgressWindow::SetMessageText(const std::string& text) {
  label_->setText(ToQt(text));
  label_->adjustSize();
  const int width = label_->x() + label_->width() + 40;
  setFixedSize(width, kHeight);
  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move((area.width() - width) / 2, (area.height() - kHeight) / 2);
  }
  gauge_->setFixedWidth(width - 26);
}

void TProgressWindow::ShowMessage(const std::string& text, int max, const std::string& appTitle) {
  gauge_->SetMaximum(max);
  gauge_->SetPosition(0);
  SetMessageText(text);
  setWindowTitle(ToQt(appTitle));
  show();
  QApplication::processEvents();
}

void TProgressWindow::HideMessage() { hide(); }

void TProgressWindow::ChangeMessage(const std::string& text) {
  if (label_->text() == ToQt(text)) return;
  SetMessageText(text);
  if (!isVisible()) return;
  // The window system resizes and moves the window in its own time, and
  // the job lets no event through after this: the events are let through
  // for a moment, so that the window is painted whole at its new size.
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
