#include "ui/qt/gauge.h"

#include <QPainter>
#include <algorithm>

namespace vm {

TGauge::TGauge(QWidget* parent) : QWidget(parent) {}

void TGauge::SetPosition(int position) {
  position_ = std::clamp(position, 0, std::max(maximum_, 0));
  update();
}

void TGauge::SetMaximum(int maximum) {
  maximum_ = maximum;
  SetPosition(position_);
}

void TGauge::SetBackColor(QColor color) {
  back_ = color;
  update();
}

void TGauge::SetForeColor(QColor color) {
  fore_ = color;
  update();
}

int TGauge::FilledWidth() const {
  return maximum_ > 0 && position_ > 0 ? static_cast<int>(int64_t(width()) * position_ / maximum_) : 0;
}

void TGauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), back_);
  if (const int filled = FilledWidth(); filled > 0) p.fillRect(0, 0, filled, height(), fore_);
}

}  // namespace vm
