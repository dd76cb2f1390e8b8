#include <QGroupBox>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

#include "platform/encoding.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/designer_tabs.h"
#include "ui/qt/input_dialog.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {
constexpr int kConditionColumn = 2;
}

TArchiveTab::TArchiveTab(TDesigner& designer, QWidget* parent)
    : TDesignerTabBase(designer, parent), page_(designer.ArchivePage) {
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox(ToQt(" Конфигурации "_w), this);
  auto* groupLayout = new QHBoxLayout(group);
  groupLayout->addWidget(new QLabel(ToQt("Текущая:"_w), group));
  Configs = new QComboBox(group);
  groupLayout->addWidget(Configs, 1);
  AddConfig = AddButton(groupLayout, "Добавить"_w);
  DeleteConfig = AddButton(groupLayout, "Удалить"_w);
  RenameConfig = AddButton(groupLayout, "Переименовать"_w);
  CheckConfig = AddButton(groupLayout, "Проверить"_w);
  layout->addWidget(group);
  Grid = MakeGrid({"База"_w, "Поле даты"_w, "Условие исключения"_w, "Поле группы"_w,
                   "Посл. запись"_w, "Связ. поля"_w},
                  this);
  layout->addWidget(Grid, 1);
  KeepLaidOut(Grid, [this] { LayOutColumns(); });
  auto* bar = new QHBoxLayout;
  AddEntry = AddButton(bar, "Добавить"_w);
  DeleteEntry = AddButton(bar, "Удалить"_w);
  EditEntry = AddButton(bar, "Редактировать"_w);
  layout->addLayout(bar);

  connect(Configs, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (filling_) return;
    page_.ShowArchiveConfig(index);
    FillGrid();
  });
  connect(Grid, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (filling_) return;
    page_.ArchiveRow = row + 1;
    Notify();
  });
  connect(AddConfig, &QPushButton::clicked, this, [this] { AskName(false); });
  connect(RenameConfig, &QPushButton::clicked, this, [this] { AskName(true); });
  connect(DeleteConfig, &QPushButton::clicked, this, [this] {
    if (page_.DeleteArchiveConfig()) Refresh();
  });
  connect(CheckConfig, &QPushButton::clicked, this, [this] {
    if (!page_.CheckArchiveConfig()) FillGrid();
  });
  connect(AddEntry, &QPushButton::clicked, this, [this] { EditEntryDialog(false); });
  connect(EditEntry, &QPushButton::clicked, this, [this] { EditEntryDialog(true); });
  connect(DeleteEntry, &QPushButton::clicked, this, [this] {
    if (page_.DeleteArchiveEntry()) FillGrid();
  });
}

void TArchiveTab::AskName(bool rename) {
  TInputRequest request;
  request.Caption = rename ? "Имя конфигурации"_w : "Добавить конфигурацию"_w;
  request.Names = page_.ArchiveConfigNames();
  request.AllowEmpty = false;
  if (rename) {
    if (!page_.CurrentArchive()) return;
    request.Text = page_.CurrentArchive()->Name;
    request.ExceptIndex = page_.CurrentArchiveIndex();
  }
  if (!ShowInputDialog(request, this)) return;
  if (rename ? page_.RenameArchiveConfig(request.Text) : page_.AddArchiveConfig(request.Text))
    Refresh();
}

void TArchiveTab::EditEntryDialog(bool editing) {
  TArchiveEntryDialog dialog = page_.ArchiveEntryDialog(editing);
  if (!ShowArchiveEntryDialog(dialog, this)) return;
  if (editing ? page_.EditArchiveEntry(dialog.Values) : page_.AddArchiveEntry(dialog.Values))
    FillGrid();
}

void TArchiveTab::Refresh() {
  filling_ = true;
  Configs->clear();
  for (const std::string& name : page_.ArchiveConfigNames()) Configs->addItem(ToQt(name));
  Configs->setCurrentIndex(page_.CurrentArchiveIndex());
  filling_ = false;
  FillGrid();
}

void TArchiveTab::FillGrid() {
  filling_ = true;
  const std::vector<std::vector<std::string>> rows = page_.ArchiveRows();
  Grid->clearContents();
  Grid->setRowCount(std::max<int>(1, static_cast<int>(rows.size())));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      Grid->setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(ToQt(rows[r][c])));
  if (page_.ArchiveRow >= 1) Grid->selectRow(page_.ArchiveRow - 1);
  filling_ = false;
  LayOutColumns();
  Notify();
}

// Every column but the condition takes an eighth or so of the width; the
// condition takes the rest.
void TArchiveTab::LayOutColumns() {
  const int scroll = Grid->verticalScrollBar()->isVisible() ? 15 : 0;
  const int width = Grid->viewport()->width() + Grid->frameWidth() * 2 - 9 - scroll;
  const int narrow = static_cast<int>(std::lround(width * 0.12));
  for (int c = 0; c < Grid->columnCount(); ++c)
    if (c != kConditionColumn) Grid->setColumnWidth(c, narrow);
  Grid->setColumnWidth(kConditionColumn, std::max(20, width - narrow * (Grid->columnCount() - 1)));
}

void TArchiveTab::Enable(const TDesignerEnabling& e) {
  for (QPushButton* b : {DeleteConfig, RenameConfig, CheckConfig}) b->setEnabled(e.ArchiveConfigCommands);
  AddEntry->setEnabled(e.ArchiveEntryAdd);
  DeleteEntry->setEnabled(e.ArchiveEntryChange);
  EditEntry->setEnabled(e.ArchiveEntryChange);
}

}  // namespace vm
