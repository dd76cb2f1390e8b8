// The designer's tabs in as many rows as the window's width needs, so
// that every tab shows at once: a tab bar that scrolls hides tabs behind
// its arrows on a small screen. The rows keep their order; each is spread
// over the whole width.
#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

namespace vm {

class TTabRows : public QWidget {
  Q_OBJECT

 public:
  explicit TTabRows(QWidget* parent = nullptr);

  void AddTab(const QString& text);
  int Count() const { return static_cast<int>(texts_.size()); }
  int CurrentIndex() const { return current_; }
  void SetCurrentIndex(int index);
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Where tab index stands in the widget.
  QRect TabRect(int index) const;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void CurrentChanged(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QSize TabSize(int index) const;
  int RowHeight() const;
  // The tabs of each row for a width, filled in order.
  std::vector<std::vector<int>> RowsFor(int width) const;
  void LayOut();

  QStringList texts_;
  int current_ = -1;
  std::vector<std::vector<int>> rows_;
  std::vector<QRect> rects_;
};

}  // namespace vm
