#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

#include "foundation/tables/key_cols.h"
#include <QVBoxLayout>

#include "platform/encoding.h"
#include "ui/qt/designer/checked_dialog.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/designer/designer_tabs.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TBooksTab::TBooksTab(TDesigner& designer, QWidget* parent)
    : TDesignerTabBase(designer, parent), page_(designer.BooksPage) {
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(ToQt("Список"_w), this));
  List = new QListWidget(this);
  left->addWidget(List, 1);
  auto* bar = new QHBoxLayout;
  Add = AddButton(bar, "Добавить"_w);
  Delete = AddButton(bar, "Удалить"_w);
  left->addLayout(bar);
  layout->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  auto* form = new QFormLayout;
  Title = new QLineEdit(this);
  form->addRow(ToQt(" Название справочника "_w), Title);
  Form = new QComboBox(this);
  form->addRow(ToQt(" Форма справочника "_w), Form);
  right->addLayout(form);
  Columns = MakeGrid({"  Колонка"_w, " Поле"_w}, this);
  Columns->setSelectionBehavior(QAbstractItemView::SelectItems);
  right->addWidget(Columns, 1);
  // The field list floats over the second cell of the current row and
  // follows it wherever the columns go (the last watcher runs first).
  Field = new QComboBox(Columns->viewport());
  Field->hide();
  KeepLaidOut(Columns, [this] { PlaceFieldList(); });
  KeepColumnShares(Columns, {0.25});
  right->addWidget(new QLabel(
      ToQt("<span style='color:red'>&#9632;</span> - колонки сортировки &nbsp; "
           "<span style='color:lime'>&#9632;</span> - редактируемые колонки"_w),
      this));
  auto* edits = new QFormLayout;
  Sort = new QLineEdit(this);
  edits->addRow(ToQt(" Сортировка по колонкам "_w), Sort);
  EditColumns = new QLineEdit(this);
  edits->addRow(ToQt(" Редактирование "_w), EditColumns);
  Filter = new QLineEdit(this);
  edits->addRow(ToQt(" Фильтр "_w), Filter);
  right->addLayout(edits);
  auto* boxes = new QHBoxLayout;
  SortOnStart = new QCheckBox(ToQt("Сортировка при запуске"_w), this);
  AutoSort = new QCheckBox(ToQt("Автосортировка"_w), this);
  Insert = new QCheckBox(ToQt("Вставка"_w), this);
  Remove = new QCheckBox(ToQt("Удаление"_w), this);
  Edit = new QCheckBox(ToQt("Правка"_w), this);
  for (QCheckBox* b : {SortOnStart, AutoSort, Insert, Remove, Edit}) boxes->addWidget(b);
  right->addLayout(boxes);
  layout->addLayout(right, 2);

  connect(List, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_) return;
    page_.SelectBook(row);
    ShowSelected();
  });
  auto edit = [this](QLineEdit* e, auto apply) {
    connect(e, &QLineEdit::textEdited, this, [this, e, apply] {
      if (TSpravDef* book = page_.CurrentBook(); book && !filling_) apply(*book, TextOf(e));
      MarkColumns();
    });
  };
  edit(Title, [](TSpravDef& b, const std::string& t) { b.Title = t; });
  edit(Filter, [](TSpravDef& b, const std::string& t) { b.Filter = t; });
  edit(Sort, [this](TSpravDef&, const std::string& t) { page_.SetSortText(t); });
  edit(EditColumns, [this](TSpravDef&, const std::string& t) { page_.SetEditColumnsText(t); });
  auto box = [this](QCheckBox* c, bool TSpravDef::*flag) {
    connect(c, &QCheckBox::toggled, this, [this, flag](bool on) {
      if (TSpravDef* book = page_.CurrentBook(); book && !filling_) book->*flag = on;
      MarkColumns();
      Notify();
    });
  };
  box(SortOnStart, &TSpravDef::SortOnStart);
  box(AutoSort, &TSpravDef::AutoSort);
  box(Insert, &TSpravDef::CanInsert);
  box(Remove, &TSpravDef::CanDelete);
  box(Edit, &TSpravDef::CanEdit);
  connect(Form, &QComboBox::currentTextChanged, this, [this](const QString& name) {
    if (filling_) return;
    page_.SetBookForm(FromQt(name));
    FillColumns();
  });
  connect(Columns, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (filling_) return;
    filling_ = true;
    Field->clear();
    for (const std::string& f : page_.FieldChoices(row)) Field->addItem(ToQt(f));
    const TSpravDef* book = page_.CurrentBook();
    const TSDef* column = book ? book->GetSDef(row) : nullptr;
    Field->setCurrentIndex(column ? Field->findText(ToQt(column->FieldName)) : -1);
    filling_ = false;
    PlaceFieldList();
  });
  connect(Columns->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
    Columns->horizontalScrollBar()->setValue(0);
    PlaceFieldList();
  });
  connect(Field, &QComboBox::currentTextChanged, this, [this](const QString& name) {
    if (filling_ || !page_.CurrentBook()) return;
    const int row = Columns->currentRow();
    page_.SetColumnField(row, FromQt(name));
    if (QTableWidgetItem* item = Columns->item(row, 1)) item->setText(name);
  });
  connect(Add, &QPushButton::clicked, this, [this] {
    std::string alias, name;
    if (ShowAddBookDialog(d_.BasesPage.BaseAliases(), page_.BookNames(), alias, name, this))
      page_.AddBook(alias, name);
    Refresh();
    List->setFocus();
  });
  connect(Delete, &QPushButton::clicked, this, [this] {
    page_.DeleteBook();
    Refresh();
  });
}

void TBooksTab::Refresh() {
  filling_ = true;
  List->clear();
  for (const std::string& name : page_.BookNames()) List->addItem(ToQt(name));
  List->setCurrentRow(page_.CurrentBookIndex());
  Form->clear();
  for (const std::string& name : page_.CompiledBlankNames()) Form->addItem(ToQt(name));
  filling_ = false;
  ShowSelected();
}

void TBooksTab::ShowSelected() {
  filling_ = true;
  const TSpravDef* book = page_.CurrentBook();
  Form->setCurrentIndex(book ? Form->findText(ToQt(book->BlankName)) : -1);
  Title->setText(book ? ToQt(book->Title) : QString());
  Filter->setText(book ? ToQt(book->Filter) : QString());
  Sort->setText(book ? ToQt(SortKeysText(*book)) : QString());
  EditColumns->setText(book ? ToQt(EditColumnsText(*book)) : QString());
  SortOnStart->setChecked(book && book->SortOnStart);
  AutoSort->setChecked(book && book->AutoSort);
  Insert->setChecked(book && book->CanInsert);
  Remove->setChecked(book && book->CanDelete);
  Edit->setChecked(book && book->CanEdit);
  filling_ = false;
  FillColumns();
}

void TBooksTab::FillColumns() {
  filling_ = true;
  const TSpravDef* book = page_.CurrentBook();
  const int count = book ? book->ColumnCount : 0;
  Columns->clearContents();
  Columns->setRowCount(std::max(1, count));
  for (int i = 0; i < count; ++i) {
    Columns->setItem(i, 0, new QTableWidgetItem(QString::number(i + 1)));
    Columns->setItem(i, 1, new QTableWidgetItem(ToQt(book->GetSDef(i)->FieldName)));
  }
  filling_ = false;
  MarkColumns();
  Columns->setCurrentCell(-1, -1);
  Columns->setCurrentCell(0, 1);
  Notify();
}

void TBooksTab::PlaceFieldList() {
  const int row = Columns->currentRow();
  const QRect cell = Columns->visualRect(Columns->model()->index(std::max(row, 0), 1));
  const bool shown = d_.Enabling().BookEdits && row >= 0 &&
                     Columns->viewport()->rect().contains(cell.topLeft());
  Field->setGeometry(cell);
  Field->setVisible(shown);
  if (shown) Field->raise();
}

void TBooksTab::MarkColumns() {
  const TSpravDef* book = page_.CurrentBook();
  for (int row = 0; book && row < book->ColumnCount && row < Columns->rowCount(); ++row) {
    QTableWidgetItem* item = Columns->item(row, 0);
    if (!item) continue;
    QPixmap marks(20, 8);
    marks.fill(Qt::transparent);
    QPainter painter(&marks);
    painter.setPen(Qt::black);
    if (FindKeyCol(book->SortKeys.get(), row)) {
      painter.setBrush(Qt::red);
      painter.drawRect(0, 1, 6, 6);
    }
    if (book->CanEdit && book->EditableColumns.test(static_cast<std::size_t>(row))) {
      painter.setBrush(QColor(Qt::green));
      painter.drawRect(10, 1, 6, 6);
    }
    painter.end();
    item->setData(Qt::DecorationRole, marks);
  }
}

void TBooksTab::Enable(const TDesignerEnabling& e) {
  for (QWidget* w : std::initializer_list<QWidget*>{Title, Sort, Filter, Insert, Remove, Edit,
                                                    AutoSort, SortOnStart, Form, Columns, Field,
                                                    Delete})
    w->setEnabled(e.BookEdits);
  EditColumns->setEnabled(e.BookEditColumns);
  PlaceFieldList();
}

}  // namespace vm
