#include "ui/qt/panel_config_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

#include "platform/encoding.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/panel_images.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

constexpr int kCell = 24;
constexpr int kImageColumns = 8;
constexpr Qt::WindowFlags kNoBorderIcons = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

QPushButton* Button(const std::string& caption, QWidget* parent) {
  auto* b = new QPushButton(ToQt(caption), parent);
  b->setAutoDefault(false);
  return b;
}

QPushButton* ArrowButton(QStyle::StandardPixmap arrow, QWidget* parent) {
  auto* b = new QPushButton(parent);
  b->setIcon(parent->style()->standardIcon(arrow));
  b->setAutoDefault(false);
  return b;
}

// A list with its commands in a column beside it.
QGroupBox* ListGroup(const std::string& title, QListWidget* list, std::initializer_list<QPushButton*> buttons,
                     QWidget* parent) {
  auto* group = new QGroupBox(ToQt(title), parent);
  auto* row = new QHBoxLayout(group);
  row->addWidget(list, 1);
  auto* column = new QVBoxLayout;
  for (QPushButton* b : buttons) column->addWidget(b);
  column->addStretch(1);
  row->addLayout(column);
  return group;
}

}  // namespace

// --- The button dialog ---------------------------------------------------------

TButConfForm::TButConfForm(const TDocTree& tree, const TMyPanel* panel, const TButtonChoice& start, bool editing,
                           QWidget* parent)
    : QDialog(parent, kNoBorderIcons), logic_(tree, panel, start, editing, PanelImageCount()) {
  tree_ = new QTreeWidget(this);
  tree_->setHeaderHidden(true);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  std::map<const TDocNode*, QTreeWidgetItem*> items;
  const std::vector<TDocNode*>& nodes = logic_.Nodes();
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const TDocNode* node = nodes[i];
    auto it = items.find(node->Parent());
    auto* item = it != items.end() ? new QTreeWidgetItem(it->second) : new QTreeWidgetItem(tree_);
    item->setText(0, ToQt(node->Text));
    item->setData(0, Qt::UserRole, static_cast<int>(i));
    items[node] = item;
  }
  tree_->expandAll();
  edit1_ = new QLineEdit(this);
  grid_ = new QTableWidget(this);
  const int images = PanelImageCount();
  grid_->setColumnCount(kImageColumns);
  grid_->setRowCount((images + kImageColumns - 1) / kImageColumns);
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setDefaultSectionSize(kCell);
  grid_->verticalHeader()->setDefaultSectionSize(kCell);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setIconSize(QSize(16, 16));
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setFixedWidth(kImageColumns * kCell + grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
  for (int i = 0; i < images; ++i) {
    auto* cell = new QTableWidgetItem(PanelImage(i), QString());
    grid_->setItem(i / kImageColumns, i % kImageColumns, cell);
  }
  ok_ = Button("OK", this);
  cancel_ = Button("Отмена"_w, this);

  auto* structure = new QGroupBox(ToQt(" Структура меню "_w), this);
  (new QVBoxLayout(structure))->addWidget(tree_);
  auto* name = new QGroupBox(ToQt(" Название кнопки "_w), this);
  (new QVBoxLayout(name))->addWidget(edit1_);
  auto* icon = new QGroupBox(ToQt(" Значок "_w), this);
  (new QVBoxLayout(icon))->addWidget(grid_);
  auto* right = new QVBoxLayout;
  right->addWidget(name);
  right->addWidget(icon, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  right->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(structure, 1);
  layout->addLayout(right);
  resize(560, 380);

  // The start: the chosen node, caption and picture.
  const int chosen = logic_.NodeIndex();
  for (auto& [node, item] : items)
    if (chosen >= 0 && node == nodes[static_cast<std::size_t>(chosen)]) tree_->setCurrentItem(item);
  edit1_->setText(ToQt(logic_.Caption()));
  grid_->setCurrentCell(logic_.ImageIndex() / kImageColumns, logic_.ImageIndex() % kImageColumns);

  connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    logic_.ChooseNode(item->data(0, Qt::UserRole).toInt());
    const QSignalBlocker quiet(edit1_);
    edit1_->setText(ToQt(logic_.Caption()));
    ShowState();
  });
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    logic_.ChooseNode(item ? item->data(0, Qt::UserRole).toInt() : -1);
    const QSignalBlocker quiet(edit1_);
    edit1_->setText(ToQt(logic_.Caption()));
    ShowState();
  });
  connect(edit1_, &QLineEdit::textChanged, this, [this](const QString& text) {
    logic_.SetCaption(FromQt(text));
    ShowState();
  });
  connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int col, int oldRow, int oldCol) {
    // Cells past the last picture cannot be chosen.
    if (!logic_.ChooseImage(row * kImageColumns + col) && oldRow >= 0) {
      const QSignalBlocker quiet(grid_);
      grid_->setCurrentCell(oldRow, oldCol);
    }
  });
  connect(ok_, &QPushButton::clicked, this, [this] {
    if (logic_.OkEnabled()) accept();
  });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  ShowState();
}

void TButConfForm::ShowState() { ok_->setEnabled(logic_.OkEnabled()); }

bool ShowButtonDialog(const std::string& caption, const TDocTree& tree, const TMyPanel* panel, bool editing,
                      TButtonChoice& choice, QWidget* parent) {
  TButConfForm dialog(tree, panel, choice, editing, parent);
  dialog.setWindowTitle(ToQt(caption));
  if (dialog.exec() != QDialog::Accepted) return false;
  choice = dialog.Logic().Result();
  return true;
}

// --- The panel editor ----------------------------------------------------------

TConfigForm::TConfigForm(TSettingsModel& model, QWidget* parent)
    : QDialog(parent, kNoBorderIcons), model_(model), logic_(model) {
  setWindowTitle(ToQt("Настройка панелей"_w));
  listBox1_ = new QListWidget(this);
  listBox2_ = new QListWidget(this);
  listBox2_->setIconSize(QSize(16, 16));
  listBox2_->setUniformItemSizes(true);
  addPanel_ = Button("Добавить"_w, this);
  deletePanel_ = Button("Удалить"_w, this);
  renamePanel_ = Button("Переименовать"_w, this);
  panelUp_ = ArrowButton(QStyle::SP_ArrowUp, this);
  panelDown_ = ArrowButton(QStyle::SP_ArrowDown, this);
  addButton_ = Button("Добавить"_w, this);
  deleteButton_ = Button("Удалить"_w, this);
  editButton_ = Button("Редактировать"_w, this);
  buttonUp_ = ArrowButton(QStyle::SP_ArrowUp, this);
  buttonDown_ = ArrowButton(QStyle::SP_ArrowDown, this);
  ok_ = Button("OK", this);
  cancel_ = Button("Отмена"_w, this);

  QGroupBox* panels =
      ListGroup(" Панели "_w, listBox1_, {addPanel_, deletePanel_, renamePanel_, panelUp_, panelDown_}, this);
  groupBox2_ = ListGroup(" Кнопки панели "_w, listBox2_,
                         {addButton_, deleteButton_, editButton_, buttonUp_, buttonDown_}, this);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(ok_);
  bottom->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panels);
  layout->addWidget(groupBox2_, 1);
  layout->addLayout(bottom);
  resize(440, 460);

  connect(listBox1_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_) return;
    logic_.SelectPanel(row);
    FillButtons();
  });
  connect(listBox2_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_) return;
    logic_.SelectButton(row);
    ShowState();
  });
  connect(addPanel_, &QPushButton::clicked, this, [this] { AskAddPanel(); });
  connect(renamePanel_, &QPushButton::clicked, this, [this] { AskRenamePanel(); });
  connect(deletePanel_, &QPushButton::clicked, this, [this] {
    if (logic_.DeletePanel()) FillPanels();
  });
  connect(panelUp_, &QPushButton::clicked, this, [this] {
    logic_.MovePanel(-1);
    FillPanels();
  });
  connect(panelDown_, &QPushButton::clicked, this, [this] {
    logic_.MovePanel(1);
    FillPanels();
  });
  connect(addButton_, &QPushButton::clicked, this, [this] { AskButton(false); });
  connect(editButton_, &QPushButton::clicked, this, [this] { AskButton(true); });
  connect(deleteButton_, &QPushButton::clicked, this, [this] {
    logic_.DeleteButton();
    FillButtons();
  });
  connect(buttonUp_, &QPushButton::clicked, this, [this] {
    logic_.MoveButton(-1);
    FillButtons();
  });
  connect(buttonDown_, &QPushButton::clicked, this, [this] {
    logic_.MoveButton(1);
    FillButtons();
  });
  connect(ok_, &QPushButton::clicked, this, [this] {
    if (logic_.Apply()) accept();
  });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TConfigForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  logic_.Show();
  FillPanels();
  listBox1_->setFocus();
}

void TConfigForm::FillPanels() {
  filling_ = true;
  listBox1_->clear();
  for (int32_t i = 0; i < logic_.Work().Count(); ++i) listBox1_->addItem(ToQt(logic_.Work().GetPanel(i)->Name));
  listBox1_->setCurrentRow(logic_.PanelIndex());
  filling_ = false;
  FillButtons();
}

void TConfigForm::FillButtons() {
  filling_ = true;
  groupBox2_->setTitle(ToQt(logic_.ButtonGroupCaption()));
  listBox2_->clear();
  if (const TMyPanel* panel = logic_.Panel()) {
    for (int32_t i = 0; i < panel->ToolCount(); ++i) {
      const TDocTools* tool = panel->GetTool(i);
      auto* item = new QListWidgetItem(PanelImage(tool->IconIndex), ToQt(tool->Caption), listBox2_);
      item->setSizeHint(QSize(0, kCell));
    }
  }
  listBox2_->setCurrentRow(logic_.ButtonIndex());
  filling_ = false;
  ShowState();
}

void TConfigForm::ShowState() {
  const TPanelEditorButtons& b = logic_.Buttons();
  deletePanel_->setEnabled(b.DeletePanel);
  renamePanel_->setEnabled(b.RenamePanel);
  panelUp_->setEnabled(b.PanelUp);
  panelDown_->setEnabled(b.PanelDown);
  addButton_->setEnabled(b.AddButton);
  deleteButton_->setEnabled(b.DeleteButton);
  editButton_->setEnabled(b.EditButton);
  buttonUp_->setEnabled(b.ButtonUp);
  buttonDown_->setEnabled(b.ButtonDown);
}

void TConfigForm::AskAddPanel() {
  TInputRequest request;
  request.Caption = "Добавить панель"_w;
  request.AllowEmpty = false;
  request.Names = logic_.TakenCaptions();
  if (ShowInputDialog(request, this) && logic_.AddPanel(request.Text)) FillPanels();
}

void TConfigForm::AskRenamePanel() {
  const TMyPanel* panel = logic_.Panel();
  if (panel == nullptr) return;
  TInputRequest request;
  request.Caption = "Редактирование имени панели"_w;
  request.Text = panel->Name;
  request.AllowEmpty = false;
  request.Names = logic_.TakenCaptions(logic_.PanelIndex());
  if (ShowInputDialog(request, this) && logic_.RenamePanel(request.Text)) FillPanels();
}

void TConfigForm::AskButton(bool editing) {
  const TMyPanel* panel = logic_.Panel();
  if (panel == nullptr) return;
  TButtonChoice choice;
  if (editing) {
    const TDocTools* tool = panel->GetTool(logic_.ButtonIndex());
    if (tool == nullptr) return;
    choice = {tool->Caption, tool->DocID, tool->IconIndex};
  }
  const std::string caption = editing ? logic_.EditButtonCaption() : logic_.AddButtonCaption();
  if (!ShowButtonDialog(caption, model_.DocTree, panel, editing, choice, this)) return;
  if (editing)
    logic_.EditButton(choice);
  else
    logic_.AddButton(choice);
  FillButtons();
}

}  // namespace vm
