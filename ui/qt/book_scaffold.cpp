#include "ui/qt/book_scaffold.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/encoding.h"

namespace vm {

namespace {

constexpr int kStatusHeight = 19;
constexpr int kPanelHeight = 33;
constexpr int kButtonWidth = 89;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 4;
constexpr int kRightGap = 5;
constexpr int kEditGap = 14;
constexpr int kLabelLeft = 8;
constexpr int kLabelGap = 6;
// The least of the search line that shows what is typed into it.
constexpr int kMinEditWidth = 60;

}  // namespace

TBookSearchPanel::TBookSearchPanel(const std::vector<std::string>& buttons, QWidget* parent) : QWidget(parent) {
  setFixedHeight(kPanelHeight);
  label_ = new QLabel(ToQt("Поиск:"_w), this);
  label_->adjustSize();
  edit_ = new QLineEdit(this);
  edit_->setObjectName("Edit1");
  for (const std::string& caption : buttons) {
    auto* b = new QPushButton(ToQt(caption), this);
    b->setAutoDefault(false);
    b->resize(kButtonWidth, kButtonHeight);
    buttons_.push_back(b);
  }
  // Narrower, the buttons would slide off the window's left edge.
  int need = kLabelLeft + label_->width() + kLabelGap + kMinEditWidth + kRightGap;
  for (const QPushButton* b : buttons_) need += b->width() + kButtonGap;
  if (!buttons_.empty()) need += kEditGap - kButtonGap;
  setMinimumWidth(need);
}

void TBookSearchPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int top = (kPanelHeight - kButtonHeight) / 2;
  int x = width() - kRightGap;
  for (auto b = buttons_.rbegin(); b != buttons_.rend(); ++b) {
    x -= (*b)->width();
    (*b)->move(x, top);
    x -= kButtonGap;
  }
  label_->move(kLabelLeft, (kPanelHeight - label_->height()) / 2);
  const int left = label_->x() + label_->width() + kLabelGap;
  const int right = buttons_.empty() ? width() - kRightGap : buttons_.front()->x() - kEditGap;
  edit_->setGeometry(left, top + 2, std::max(0, right - left), kButtonHeight - 4);
}

TBookScaffold::TBookScaffold(QWidget& window, const std::vector<std::string>& buttons) : window_(window) {
  tabs_ = new QTabWidget(&window);
  tabs_->setUsesScrollButtons(true);
  panel_ = new TBookSearchPanel(buttons, &window);
  statLine_ = new QStatusBar(&window);
  statLine_->setFixedHeight(kStatusHeight);
  status_ = new QLabel(statLine_);
  statLine_->addWidget(status_, 1);
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(tabs_, 1);
  layout->addWidget(panel_);
  layout->addWidget(statLine_);
}

void TBookScaffold::EnableSearch(bool on) {
  QLineEdit* edit = SearchEdit();
  panel_->Label()->setEnabled(on);
  edit->setEnabled(on);
  if (!on && !edit->text().isEmpty()) {
    const QSignalBlocker quiet(edit);
    edit->clear();
  }
}

void TBookScaffold::ShowStatus(const std::string& text) { status_->setText(ToQt(text)); }

void TBookScaffold::WindowStateChanged() { statLine_->setSizeGripEnabled(!window_.isMaximized()); }

}  // namespace vm
