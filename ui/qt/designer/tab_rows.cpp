#include "ui/qt/designer/tab_rows.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <algorithm>

namespace vm {

TTabRows::TTabRows(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::TabFocus);
  // Not fixed in height: a fixed widget is held to its one-row hint,
  // whatever height its rows ask for the width.
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

void TTabRows::AddTab(const QString& text) {
  texts_ << text;
  if (current_ < 0) current_ = 0;
  updateGeometry();
  LayOut();
}

void TTabRows::SetCurrentIndex(int index) {
  if (index < 0 || index >= Count() || index == current_) return;
  current_ = index;
  LayOut();
  emit CurrentChanged(index);
}

QRect TTabRows::TabRect(int index) const {
  if (index < 0 || index >= static_cast<int>(rects_.size())) return {};
  return rects_[static_cast<std::size_t>(index)];
}

QSize TTabRows::TabSize(int index) const {
  QStyleOptionTab opt;
  opt.initFrom(this);
  opt.shape = QTabBar::RoundedNorth;
  opt.text = texts_[index];
  const int hframe = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &opt, this);
  const int vframe = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &opt, this);
  const QSize text = fontMetrics().size(Qt::TextShowMnemonic, opt.text);
  return style()->sizeFromContents(QStyle::CT_TabBarTab, &opt,
                                   QSize(text.width() + hframe, fontMetrics().height() + vframe), this);
}

int TTabRows::RowHeight() const {
  int height = 0;
  for (int i = 0; i < Count(); ++i) height = std::max(height, TabSize(i).height());
  return height;
}

namespace {

// The tabs in order, a new row begun where the next would pass capacity.
std::vector<std::vector<int>> FillRows(const std::vector<int>& widths, int capacity) {
  std::vector<std::vector<int>> rows;
  int used = 0;
  for (int i = 0; i < static_cast<int>(widths.size()); ++i) {
    const int w = widths[static_cast<std::size_t>(i)];
    if (rows.empty() || (used + w > capacity && !rows.back().empty())) {
      rows.emplace_back();
      used = 0;
    }
    rows.back().push_back(i);
    used += w;
  }
  return rows;
}

}  // namespace

std::vector<std::vector<int>> TTabRows::RowsFor(int width) const {
  std::vector<int> widths;
  int widest = 1;
  for (int i = 0; i < Count(); ++i) {
    widths.push_back(TabSize(i).width());
    widest = std::max(widest, widths.back());
  }
  // As few rows as the width allows, and the tabs shared out evenly among
  // them: the narrowest capacity that needs no more rows.
  const std::size_t fewest = FillRows(widths, width).size();
  int low = widest, high = std::max(widest, width);
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (FillRows(widths, mid).size() <= fewest)
      high = mid;
    else
      low = mid + 1;
  }
  return FillRows(widths, low);
}

void TTabRows::LayOut() {
  rows_ = RowsFor(width());
  // The row of the chosen tab stands last, next to its page, the others
  // turned round in their order above it.
  for (std::size_t r = 0; r + 1 < rows_.size(); ++r) {
    if (std::find(rows_[r].begin(), rows_[r].end(), current_) == rows_[r].end()) continue;
    std::rotate(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(r + 1), rows_.end());
    break;
  }
  rects_.assign(static_cast<std::size_t>(Count()), QRect());
  const int height = RowHeight();
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    const std::vector<int>& row = rows_[r];
    int natural = 0;
    for (int i : row) natural += TabSize(i).width();
    // A row among others fills the width, as the rows above and below it
    // do; a single row stands as a plain tab bar would.
    const int extra = rows_.size() > 1 ? std::max(0, width() - natural) : 0;
    int x = 0;
    for (std::size_t k = 0; k < row.size(); ++k) {
      const int share = extra / static_cast<int>(row.size()) +
                        (k + 1 == row.size() ? extra % static_cast<int>(row.size()) : 0);
      const int w = TabSize(row[k]).width() + share;
      rects_[static_cast<std::size_t>(row[k])] = QRect(x, static_cast<int>(r) * height, w, height);
      x += w;
    }
  }
  update();
}

int TTabRows::heightForWidth(int width) const {
  return std::max<int>(1, static_cast<int>(RowsFor(width).size())) * RowHeight();
}

QSize TTabRows::sizeHint() const {
  int width = 0;
  for (int i = 0; i < Count(); ++i) width += TabSize(i).width();
  return {width, RowHeight()};
}

QSize TTabRows::minimumSizeHint() const {
  int width = 0;
  for (int i = 0; i < Count(); ++i) width = std::max(width, TabSize(i).width());
  return {width, RowHeight()};
}

void TTabRows::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  auto draw = [&](const std::vector<int>& row, std::size_t k) {
    const int index = row[k];
    QStyleOptionTab opt;
    opt.initFrom(this);
    opt.shape = QTabBar::RoundedNorth;
    opt.rect = TabRect(index);
    opt.text = texts_[index];
    opt.row = 0;
    const bool first = k == 0, last = k + 1 == row.size();
    opt.position = first && last ? QStyleOptionTab::OnlyOneTab
                   : first       ? QStyleOptionTab::Beginning
                   : last        ? QStyleOptionTab::End
                                 : QStyleOptionTab::Middle;
    if (!first && row[k - 1] == current_)
      opt.selectedPosition = QStyleOptionTab::PreviousIsSelected;
    else if (!last && row[k + 1] == current_)
      opt.selectedPosition = QStyleOptionTab::NextIsSelected;
    opt.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
    if (index == current_) {
      opt.state |= QStyle::State_Selected;
      if (hasFocus()) opt.state |= QStyle::State_HasFocus;
    }
    style()->drawControl(QStyle::CE_TabBarTab, &opt, &painter, this);
  };
  // The chosen tab last, so that it stands over its neighbours.
  const std::vector<int>* chosenRow = nullptr;
  std::size_t chosenAt = 0;
  for (const std::vector<int>& row : rows_)
    for (std::size_t k = 0; k < row.size(); ++k) {
      if (row[k] == current_) {
        chosenRow = &row;
        chosenAt = k;
        continue;
      }
      draw(row, k);
    }
  if (chosenRow) draw(*chosenRow, chosenAt);
}

void TTabRows::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  for (int i = 0; i < Count(); ++i)
    if (TabRect(i).contains(event->position().toPoint())) return SetCurrentIndex(i);
}

void TTabRows::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Left && current_ > 0) return SetCurrentIndex(current_ - 1);
  if (event->key() == Qt::Key_Right && current_ + 1 < Count()) return SetCurrentIndex(current_ + 1);
  QWidget::keyPressEvent(event);
}

void TTabRows::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void TTabRows::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
    updateGeometry();
    LayOut();
  }
}

}  // namespace vm
