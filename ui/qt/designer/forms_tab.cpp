#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>

#include "config/settings.h"
#include "platform/encoding.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/designer_tabs.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TFormsTab::TFormsTab(TDesigner& designer, QWidget* parent)
    : TDesignerTabBase(designer, parent), page_(designer.FormsPage) {
  auto* layout = new QVBoxLayout(this);
  auto* split = new QSplitter(this);
  auto* left = new QWidget(split);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->addWidget(new QLabel(ToQt("Список форм"_w), left));
  List = new QListWidget(left);
  leftLayout->addWidget(List, 1);
  Caption = new QLabel;
  Memo = AddMemoPanel(split, Caption);
  split->setStretchFactor(1, 3);
  layout->addWidget(split, 1);
  auto* bar = new QHBoxLayout;
  Add = AddButton(bar, "Добавить"_w);
  Delete = AddButton(bar, "Удалить"_w);
  Rename = AddButton(bar, "Переименовать"_w);
  Preview = AddButton(bar, "Просмотр"_w);
  layout->addLayout(bar);

  connect(List, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_) return;
    page_.SelectBlank(row);
    ShowSelected();
  });
  connect(Memo, &QPlainTextEdit::textChanged, this, [this] {
    if (!filling_) page_.SetBlankText(FromMemo(Memo));
  });
  connect(Add, &QPushButton::clicked, this, [this] {
    std::string name;
    if (ShowAddBlankDialog("Новая форма"_w, name, page_.BlankNames(), this)) page_.AddBlank(name);
    Refresh();
  });
  connect(Delete, &QPushButton::clicked, this, [this] {
    page_.DeleteBlank();
    Refresh();
  });
  connect(Rename, &QPushButton::clicked, this, [this] {
    TCurBlank* blank = page_.CurrentBlank();
    if (!blank) return;
    std::string name = blank->Name;
    if (ShowAddBlankDialog("Редактирование имени формы"_w, name, page_.BlankNames(), this))
      page_.RenameBlank(name);
    Refresh();
  });
  connect(Preview, &QPushButton::clicked, this, [this] {
    const TDesignerRunEnd end = page_.CompileBlankForPreview();
    if (end.Error)
      ShowLine(Memo, end.CaretLine);
    else if (TCurBlank* blank = page_.CurrentBlank())
      ShowBlankPreview(*blank, d_.AutoParams, this);
    if (TCurBlank* blank = page_.CurrentBlank()) blank->Clear();
    Notify();
  });
}

void TFormsTab::Refresh() {
  filling_ = true;
  List->clear();
  for (const std::string& name : page_.BlankNames()) List->addItem(ToQt(name));
  List->setCurrentRow(page_.CurrentBlankIndex());
  filling_ = false;
  ShowSelected();
}

void TFormsTab::ShowSelected() {
  filling_ = true;
  const TCurBlank* blank = page_.CurrentBlank();
  Memo->setPlainText(blank ? ToMemo(blank->Text) : QString());
  Memo->setEnabled(blank != nullptr);
  Caption->setText(ToQt(page_.BlankCaption()));
  filling_ = false;
  Notify();
}

void TFormsTab::Enable(const TDesignerEnabling& e) {
  Delete->setEnabled(e.BlankDelete);
  Rename->setEnabled(e.BlankRename);
  Preview->setEnabled(e.BlankPreview);
}

}  // namespace vm
