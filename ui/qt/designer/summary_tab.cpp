#include <QVBoxLayout>

#include "config/price_tags.h"
#include "platform/encoding.h"
#include "ui/qt/designer/designer_tabs.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TSummaryTab::TSummaryTab(TDesigner& designer, TDesignerTab tab, QWidget* parent)
    : TDesignerTabBase(designer, parent), tab_(tab) {
  auto* layout = new QVBoxLayout(this);
  text_ = new QLabel(this);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_->setWordWrap(true);
  layout->addWidget(text_, 1);
}

void TSummaryTab::Refresh() {
  const std::string s = "Ценников: "_w + std::to_string(Settings().PriceTags.Count());
  text_->setText(ToQt(s));
}

}  // namespace vm
