#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "ui/qt/designer/designer_tabs.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TStartOfDayTab::TStartOfDayTab(TDesigner& designer, QWidget* parent)
    : TDesignerTabBase(designer, parent), page_(designer.StartOfDayPage) {
  auto* layout = new QVBoxLayout(this);
  Memo = new QPlainTextEdit(this);
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(Memo, 1);
  auto* bar = new QHBoxLayout;
  Check = AddButton(bar, "Проверить"_w);
  Execute = AddButton(bar, "Выполнить"_w);
  layout->addLayout(bar);
  connect(Memo, &QPlainTextEdit::textChanged, this, [this] {
    if (!filling_) page_.SetStartOfDayText(FromMemo(Memo));
  });
  connect(Check, &QPushButton::clicked, this,
          [this] { ShowLine(Memo, page_.CheckStartOfDay().CaretLine); });
  connect(Execute, &QPushButton::clicked, this,
          [this] { ShowLine(Memo, page_.ExecuteStartOfDay().CaretLine); });
}

void TStartOfDayTab::Refresh() {
  filling_ = true;
  Memo->setPlainText(ToMemo(d_.StartOfDay.Description));
  filling_ = false;
}

}  // namespace vm
