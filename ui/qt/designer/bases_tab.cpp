#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QVBoxLayout>

#include "config/settings_syntax.h"
#include "platform/encoding.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/designer_tabs.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

void SetRow(QTableWidget* grid, int row, const std::vector<std::string>& cells) {
  for (std::size_t c = 0; c < cells.size(); ++c)
    grid->setItem(row, static_cast<int>(c), new QTableWidgetItem(ToQt(cells[c])));
}

// Which grid was entered last decides what the buttons act on.
class TGridFocus : public QObject {
 public:
  TGridFocus(QObject* parent, std::function<void()> entered)
      : QObject(parent), entered_(std::move(entered)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::FocusIn) entered_();
    return false;
  }

 private:
  std::function<void()> entered_;
};

}  // namespace

TBasesTab::TBasesTab(TDesigner& designer, QWidget* parent)
    : TDesignerTabBase(designer, parent), page_(designer.BasesPage) {
  auto* layout = new QVBoxLayout(this);
  auto* split = new QSplitter(Qt::Vertical, this);
  auto* top = new QWidget(split);
  auto* topLayout = new QVBoxLayout(top);
  topLayout->addWidget(new QLabel(ToQt(" Базы "_w), top));
  BasesGrid = MakeGrid({"  Имя файла"_w, " Псевдоним"_w, " Комментарий"_w}, top);
  topLayout->addWidget(BasesGrid);
  auto* bottom = new QWidget(split);
  auto* bottomLayout = new QVBoxLayout(bottom);
  StructureCaption = new QLabel(ToQt(" Структура базы "_w), bottom);
  bottomLayout->addWidget(StructureCaption);
  FieldsGrid = MakeGrid({"  Имя поля"_w, " Тип"_w, " Разм."_w, " Дес."_w}, bottom);
  bottomLayout->addWidget(FieldsGrid);
  layout->addWidget(split, 1);
  auto* bar = new QHBoxLayout;
  Add = AddButton(bar, "Добавить"_w);
  Delete = AddButton(bar, "Удалить"_w);
  Edit = AddButton(bar, "Редактировать"_w);
  layout->addLayout(bar);
  KeepColumnShares(BasesGrid, {0.25, 0.25});
  KeepColumnShares(FieldsGrid, {0.4, 0.3, 0.15});

  BasesGrid->installEventFilter(new TGridFocus(this, [this] {
    page_.ActiveGrid = TBaseGrid::Bases;
    Notify();
  }));
  FieldsGrid->installEventFilter(new TGridFocus(this, [this] {
    page_.ActiveGrid = TBaseGrid::Fields;
    Notify();
  }));
  connect(BasesGrid, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (filling_) return;
    page_.SelectBase(row);
    FillFields();
  });
  connect(FieldsGrid, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (filling_) return;
    page_.FieldRow = row;
    Notify();
  });
  connect(Add, &QPushButton::clicked, this, [this] { AddClicked(); });
  connect(Delete, &QPushButton::clicked, this, [this] { DeleteClicked(); });
  connect(Edit, &QPushButton::clicked, this, [this] { EditClicked(); });
}

void TBasesTab::AddClicked() {
  if (page_.ActiveGrid == TBaseGrid::Bases) {
    TBaseDialogTexts t;
    if (ShowBaseDialog("Добавить новую базу"_w, t, page_.BaseFileNames(), page_.BaseAliases(), -1,
                       this))
      page_.AddBase(t);
    Refresh();
    BasesGrid->setFocus();
  } else if (page_.ActiveGrid == TBaseGrid::Fields) {
    TFieldDialogTexts t = FieldDialogTexts(TFieldRecord{{}, 'C', 10, 0});
    if (ShowFieldDialog(t, "Создать новое поле"_w, page_.FieldNames(), -1, this)) page_.AddField(t);
    FillFields();
    FieldsGrid->setFocus();
  }
}

void TBasesTab::DeleteClicked() {
  if (page_.ActiveGrid == TBaseGrid::Bases) {
    page_.DeleteBase();
    Refresh();
    BasesGrid->setFocus();
  } else if (page_.ActiveGrid == TBaseGrid::Fields) {
    page_.DeleteField();
    FillFields();
    FieldsGrid->setFocus();
  }
}

void TBasesTab::EditClicked() {
  TDbaseStructure* base = page_.CurrentBase();
  if (!base) return;
  if (page_.ActiveGrid == TBaseGrid::Bases) {
    TBaseDialogTexts t{base->FileName, base->Alias, base->Department};
    if (ShowBaseDialog("Редактирование параметров базы"_w, t, page_.BaseFileNames(),
                       page_.BaseAliases(), page_.CurrentBaseRow(), this))
      page_.EditBase(t);
    Refresh();
    BasesGrid->setFocus();
  } else if (page_.ActiveGrid == TBaseGrid::Fields) {
    TFieldRecord f;
    if (!base->GetField(page_.FieldRow, f)) return;
    TFieldDialogTexts t = FieldDialogTexts(f);
    if (ShowFieldDialog(t, "Параметры поля"_w, page_.FieldNames(), page_.FieldRow, this))
      page_.EditField(t);
    FillFields();
    FieldsGrid->setFocus();
  }
}

void TBasesTab::Refresh() {
  filling_ = true;
  const std::vector<TDbaseStructure*> bases = page_.ListedBases();
  BasesGrid->clearContents();
  BasesGrid->setRowCount(std::max<int>(1, static_cast<int>(bases.size())));
  for (std::size_t i = 0; i < bases.size(); ++i)
    SetRow(BasesGrid, static_cast<int>(i), {bases[i]->FileName, bases[i]->Alias, bases[i]->Department});
  BasesGrid->setCurrentCell(std::max(0, page_.CurrentBaseRow()), 0);
  filling_ = false;
  FillFields();
}

void TBasesTab::FillFields() {
  filling_ = true;
  const TDbaseStructure* base = page_.CurrentBase();
  StructureCaption->setText(
      ToQt("Структура базы "_w + (base ? base->FileName : std::string()) + " "));
  FieldsGrid->clearContents();
  const int count = base ? base->FieldCount() : 0;
  FieldsGrid->setRowCount(std::max(1, count));
  for (int i = 0; i < count; ++i) {
    const TFieldRecord& f = base->Fields[static_cast<std::size_t>(i)];
    SetRow(FieldsGrid, i,
           {f.Name, FieldTypeName(f.FieldType), std::to_string(f.Length), std::to_string(f.Decimals)});
  }
  FieldsGrid->setCurrentCell(std::max(0, page_.FieldRow), 0);
  filling_ = false;
  Notify();
}

void TBasesTab::Enable(const TDesignerEnabling& e) {
  Add->setEnabled(e.BaseAdd);
  Delete->setEnabled(e.BaseDelete);
  Edit->setEnabled(e.BaseEdit);
}

}  // namespace vm
