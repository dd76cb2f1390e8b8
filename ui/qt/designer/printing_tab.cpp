#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "config/page_format.h"
#include "foundation/text/strutils.h"
#include "output/printer.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "ui/qt/designer/designer_tabs.h"
#include "ui/qt/input_dialog.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TPrintingTab::TPrintingTab(TDesigner& designer, QWidget* parent)
    : TDesignerTabBase(designer, parent), page_(designer.PrintingPage) {
  auto* layout = new QVBoxLayout(this);
  auto* printerRow = new QHBoxLayout;
  printerRow->addWidget(new QLabel(ToQt("Текущий принтер:"_w), this));
  Printer = new QComboBox(this);
  printerRow->addWidget(Printer, 1);
  layout->addLayout(printerRow);
  auto* group = new QGroupBox(ToQt(" Форматы бумаги "_w), this);
  auto* groupLayout = new QVBoxLayout(group);
  Formats = new QListWidget(group);
  groupLayout->addWidget(Formats, 1);
  auto* defaultRow = new QHBoxLayout;
  defaultRow->addWidget(new QLabel(ToQt("Типовой формат:"_w), this));
  DefaultFormat = new QLabel(this);
  defaultRow->addWidget(DefaultFormat, 1);
  layout->addLayout(defaultRow);
  Compressed = new QCheckBox(ToQt("Сжать, если не умещается"_w), this);
  layout->addWidget(Compressed);
  auto* bar = new QHBoxLayout;
  groupLayout->addLayout(bar);
  Add = AddButton(bar, "Добавить"_w);
  Delete = AddButton(bar, "Удалить"_w);
  Format = AddButton(bar, "Формат"_w);
  Rename = AddButton(bar, "Название"_w);
  MakeDefault = AddButton(bar, "Типовой"_w);
  layout->addWidget(group, 1);

  connect(Printer, &QComboBox::currentTextChanged, this, [this](const QString& text) {
    if (!filling_) d_.Misc.PrinterName = FromQt(text);
  });
  connect(Compressed, &QCheckBox::toggled, this, [this](bool on) {
    if (!filling_) d_.Misc.Compressed = on;
  });
  connect(Formats, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_) return;
    page_.FormatIndex = row;
    Notify();
  });
  connect(Add, &QPushButton::clicked, this, [this] {
    page_.AddPageFormat();
    Refresh();
  });
  connect(Delete, &QPushButton::clicked, this, [this] {
    page_.DeletePageFormat();
    Refresh();
  });
  connect(Format, &QPushButton::clicked, this, [this] {
    // The printer is chosen right here, on this tab: no word on where.
    if (page_.EditPageFormat() == TFormatEdit::NoPrinter)
      Ui().MsgBox("Неверные установки принтера"_w, Ui().AppTitle(), kMbError);
  });
  connect(Rename, &QPushButton::clicked, this, [this] {
    const TPageFormat* format = d_.PageFormatList.GetFormat(page_.FormatIndex);
    if (!format) return;
    TInputRequest request;
    request.Caption = "Название формата"_w;
    request.Text = format->Name;
    if (!ShowInputDialog(request, this)) return;
    page_.RenamePageFormat(request.Text);
    Refresh();
  });
  connect(MakeDefault, &QPushButton::clicked, this, [this] {
    page_.MakeDefaultFormat();
    DefaultFormat->setText(ToQt(page_.DefaultFormatText()));
  });
}

void TPrintingTab::Refresh() {
  filling_ = true;
  Printer->clear();
  for (const std::string& name : Ui().PrinterNames()) Printer->addItem(ToQt(name));
  Printer->setCurrentIndex(FindClosestString(d_.Misc.PrinterName, Ui().PrinterNames()));
  Formats->clear();
  for (const std::string& name : page_.PageFormatNames()) Formats->addItem(ToQt(name));
  Formats->setCurrentRow(page_.FormatIndex);
  DefaultFormat->setText(ToQt(page_.DefaultFormatText()));
  Compressed->setChecked(d_.Misc.Compressed);
  filling_ = false;
  Notify();
}

void TPrintingTab::Enable(const TDesignerEnabling& e) {
  for (QPushButton* b : {Delete, Format, Rename, MakeDefault}) b->setEnabled(e.FormatCommands);
}

}  // namespace vm
