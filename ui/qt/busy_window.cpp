#include "ui/qt/busy_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <array>

#include "platform/encoding.h"
#include "foundation/qt/font_families.h"
#include "ui/qt/gauge.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

// The gauge changes colour each time it fills: red, green, blue, yellow.
QColor GaugeColor(int index) {
  static const std::array<QColor, 4> kColors = {QColor(255, 0, 0), QColor(0, 255, 0),
                                                QColor(0, 0, 255), QColor(255, 255, 0)};
  return kColors[static_cast<size_t>(index & 3)];
}

}  // namespace

TBusyWindow::TBusyWindow(std::function<void()> onCancel, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      onCancel_(std::move(onCancel)),
      gauge_(new TGauge(this)) {
  setWindowTitle(ToQt("Идет обработка"_wv));
  setModal(false);
  auto* label = new QLabel(ToQt("Пожалуйста подождите..."_wv), this);
  label->setFont(FontForFamily("Times New Roman", 19, true));
  gauge_->SetMaximum(kGaugeMax);
  gauge_->SetBackColor(Qt::yellow);
  gauge_->SetForeColor(Qt::red);
  gauge_->setFixedHeight(16);
  auto* cancel = new QPushButton(this);
  cancel->setObjectName("cancel");
  cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  cancel->setIconSize(QSize(32, 32));
  cancel->setFixedSize(49, 49);
  connect(cancel, &QPushButton::clicked, this, [this] {
    if (onCancel_) onCancel_();
  });
  auto* row = new QHBoxLayout;
  auto* column = new QVBoxLayout;
  column->addWidget(label);
  column->addWidget(gauge_);
  row->addLayout(column, 1);
  row->addWidget(cancel);
  setLayout(row);
  setFixedSize(sizeHint().expandedTo(QSize(300, 70)));
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &TBusyWindow::Tick);
}

void TBusyWindow::Start() {
  ticks_ = 0;
  gauge_->SetPosition(0);
  timer_.start();
}

void TBusyWindow::Stop() {
  hide();
  timer_.stop();
  ticks_ = 0;
}

void TBusyWindow::Tick() {
  if (!isVisible()) {
    if (++ticks_ >= kTicksBeforeShown) show();
    return;
  }
  gauge_->SetPosition(gauge_->Position() + 1);
  if (gauge_->Position() >= kGaugeMax) {
    gauge_->SetBackColor(GaugeColor(colorIndex_));
    colorIndex_ = (colorIndex_ + 1) & 3;
    gauge_->SetPosition(0);
    gauge_->SetForeColor(GaugeColor(colorIndex_));
  }
}

void TBusyWindow::closeEvent(QCloseEvent* event) { event->ignore(); }

void TBusyWindow::keyPressEvent(QKeyEvent* event) {
  // Esc must not hide the window while the work goes on.
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

}  // namespace vm
