#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>

#include "config/settings.h"
#include "platform/encoding.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/designer_tabs.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TFormsTab::TFormsTab(TDesigner& designer, QWidget* parent) : TDesignerTabBase(designer, parent) {
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
    d_.FormsPage.SelectBlank(row);
    ShowSelected();
  });
  connect(Memo, &QPlainTextEdit::textChanged, this, [this] {
    if (!filling_) d_.FormsPage.SetBlankText(FromMemo(Memo));
  });
  connect(Add, &QPushButton::clicked, this, [this] {
    std::string name;
    if (ShowAddBlankDialog("Новая форма"_w, name, d_.FormsPage.BlankNames(), this)) d_.FormsPage.AddBlank(name);
    Refresh();
  });
  connect(Delete, &QPushButton::clicked, this, [this] {
    d_.FormsPage.DeleteBlank();
    Refresh();
  });
  connect(Rename, &QPushButton::clicked, this, [this] {
    TCurBlank* blank = d_.FormsPage.CurrentBlank();
    if (!blank) return;
    std::string name = blank->Name;
    if (ShowAddBlankDialog("Редактирование имени формы"_w, name, d_.FormsPage.BlankNames(), this))
      d_.FormsPage.RenameBlank(name);
    Refresh();
  });
  connect(Preview, &QPushButton::clicked, this, [this] {
    const TDesignerRunEnd end = d_.FormsPage.CompileBlankForPreview();
    if (end.Error)
      ShowLine(Memo, end.CaretLine);
    else if (TCurBlank* blank = d_.FormsPage.CurrentBlank())
      ShowBlankPreview(*blank, d_.AutoParams, this);
    if (TCurBlank* blank = d_.FormsPage.CurrentBlank()) blank->Clear();
    Notify();
  });
}

void TFormsTab::Refresh() {
  filling_ = true;
  List->clear();
  for (const std::string& name : d_.FormsPage.BlankNames()) List->addItem(ToQt(name));
  List->setCurrentRow(d_.FormsPage.CurrentBlankIndex());
  filling_ = false;
  ShowSelected();
}

void TFormsTab::ShowSelected() {
  filling_ = true;
  const TCurBlank* blank = d_.FormsPage.CurrentBlank();
  Memo->setPlainText(blank ? ToMemo(blank->Text) : QString());
  Memo->setEnabled(blank != nullptr);
  Caption->setText(ToQt(d_.FormsPage.BlankCaption()));
  filling_ = false;
  Notify();
}

void TFormsTab::Enable(const TDesignerEnabling& e) {
  Delete->setEnabled(e.BlankDelete);
  Rename->setEnabled(e.BlankRename);
  Preview->setEnabled(e.BlankPreview);
}

}  // namespace vm
