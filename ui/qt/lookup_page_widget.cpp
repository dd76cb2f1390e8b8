#include "ui/qt/lookup_page_widget.h"

#include <QVBoxLayout>

#include "ui/qt/data_view_widget.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TLookupPageWidget::TLookupPageWidget(THelpItem& page, QWidget* parent)
    : QWidget(parent),
      page_(page),
      combo_(new QComboBox(this)),
      options_(new QWidget(this)),
      shown_(new TDataViewWidget(page.Shown, this)) {
  combo_->setMaxVisibleItems(35);
  combo_->setEditable(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(combo_);
  layout->addWidget(options_);
  layout->addWidget(shown_, 1);
  connect(combo_, &QComboBox::activated, this, [this](int index) { page_.ChooseCategory(index); });
  Refresh();
}

void TLookupPageWidget::Refresh() {
  {
    const QSignalBlocker block(combo_);
    combo_->clear();
    for (const std::string& c : page_.Categories) combo_->addItem(ToQt(c));
    combo_->setCurrentIndex(page_.CategoryIndex);
  }
  combo_->setVisible(page_.HasValueList);

  for (QRadioButton* b : buttons_) delete b;
  buttons_.clear();
  std::vector<int32_t> heights;
  for (int32_t i = 0; i < page_.Options.Count(); ++i) {
    auto* button = new QRadioButton(ToQt(page_.Options.Items(i)->Caption), options_);
    button->adjustSize();
    button->setChecked(page_.Options.Selected == &page_.Options.Items(i)->Condition);
    connect(button, &QRadioButton::clicked, this, [this, i] { page_.Options.Click(i); });
    heights.push_back(button->height());
    buttons_.push_back(button);
  }
  const TOptArrangement arranged = ArrangeOptions(heights);
  for (size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->move(2, arranged.Tops[i]);
    buttons_[i]->show();
  }
  options_->setFixedHeight(arranged.PanelHeight);
  options_->setVisible(page_.Options.Visible);
  setWindowTitle(ToQt(page_.Title));
}

}  // namespace vm
