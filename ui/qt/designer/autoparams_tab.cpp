#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "config/settings_syntax.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/designer_tabs.h"
#include "ui/qt/input_dialog.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TAutoParamsTab::TAutoParamsTab(TDesigner& designer, QWidget* parent)
    : TDesignerTabBase(designer, parent), page_(designer.AutoParamsPage) {
  auto* layout = new QVBoxLayout(this);
  Grid = MakeGrid({"  Параметр"_w, " Тип"_w, " Текущее значение"_w, "Лок."_w}, this);
  layout->addWidget(Grid, 1);
  KeepColumnShares(Grid, {0.25, 0.2, 0.45}, 6);
  auto* bar = new QHBoxLayout;
  Add = AddButton(bar, "Добавить"_w);
  Delete = AddButton(bar, "Удалить"_w);
  Change = AddButton(bar, "Изменить"_w);
  layout->addLayout(bar);

  connect(Grid, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (filling_) return;
    page_.AutoParamRow = row;
    Notify();
  });
  connect(Add, &QPushButton::clicked, this, [this] {
    std::string name, value, type;
    if (ShowAddAutoParamDialog("Добавить автопараметр"_w, name, value, page_.AutoParamNames(), type,
                               this))
      page_.AddAutoParam(name, value, type);
    Refresh();
  });
  connect(Delete, &QPushButton::clicked, this, [this] {
    page_.DeleteAutoParam();
    Refresh();
  });
  connect(Change, &QPushButton::clicked, this, [this] {
    const TAPar* p = d_.AutoParams.GetItem(page_.AutoParamRow);
    if (!p) return;
    TInputRequest request;
    request.Caption = "Автопараметр "_w + p->Name;
    request.Text = p->ValueText;
    request.Ticked = p->Local;
    request.CheckCaption = "Локальный"_w;
    request.Kind = p->Kind;
    if (ShowInputDialog(request, this)) page_.ChangeAutoParam(request.Text, request.Ticked);
    Refresh();
  });
}

void TAutoParamsTab::Refresh() {
  filling_ = true;
  Grid->clearContents();
  const int count = d_.AutoParams.Count();
  Grid->setRowCount(std::max(1, count));
  for (int i = 0; i < count; ++i) {
    const TAPar* p = d_.AutoParams.GetItem(i);
    const std::string cells[] = {p->Name, FieldTypeName(p->Kind), p->ValueText,
                                 BoolToYesNo(p->Local)};
    for (int c = 0; c < 4; ++c) Grid->setItem(i, c, new QTableWidgetItem(ToQt(cells[c])));
  }
  Grid->setCurrentCell(std::max(0, page_.AutoParamRow), 0);
  filling_ = false;
  Notify();
}

void TAutoParamsTab::Enable(const TDesignerEnabling& e) {
  Delete->setEnabled(e.AutoParamDelete);
  Change->setEnabled(e.AutoParamChange);
}

}  // namespace vm
