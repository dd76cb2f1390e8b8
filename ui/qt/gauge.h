// A bar that fills from the left in the fore colour over the back colour,
// without text.
#pragma once

#include <QColor>
#include <QWidget>

namespace vm {

class TGauge : public QWidget {
  Q_OBJECT

 public:
  explicit TGauge(QWidget* parent = nullptr);

  int Position() const { return position_; }
  // How much of the width the fore colour fills.
  int FilledWidth() const;
  void SetPosition(int position);
  int Maximum() const { return maximum_; }
  void SetMaximum(int maximum);
  QColor BackColor() const { return back_; }
  void SetBackColor(QColor color);
  QColor ForeColor() const { return fore_; }
  void SetForeColor(QColor color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int position_ = 0;
  int maximum_ = 100;
  QColor back_ = Qt::white;
  QColor fore_ = Qt::black;
};

}  // namespace vm
