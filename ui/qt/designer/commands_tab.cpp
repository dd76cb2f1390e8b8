#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <cmath>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSplitter>
#include <QTextBlock>
#include <QVBoxLayout>

#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "ui/qt/designer/designer_tabs.h"
#include "ui/qt/input_dialog.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

TDocNode* NodeOf(const QTreeWidgetItem* item) {
  return item ? static_cast<TDocNode*>(item->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

}  // namespace

TCommandTree::TCommandTree(TCommandsPage& page, QWidget* parent)
    : QTreeWidget(parent), page_(page) {
  setHeaderHidden(true);
  setIndentation(19);
  setDragDropMode(QAbstractItemView::InternalMove);
  setEditTriggers(QAbstractItemView::EditKeyPressed);
}

TDocNode* TCommandTree::NodeAt(const QPoint& pos) const { return NodeOf(itemAt(pos)); }

void TCommandTree::dragMoveEvent(QDragMoveEvent* event) {
  if (page_.CanDrop(NodeAt(event->position().toPoint())))
    event->acceptProposedAction();
  else
    event->ignore();
}

void TCommandTree::dropEvent(QDropEvent* event) {
  // The tree's own move is never used: the designer moves the node.
  event->setDropAction(Qt::IgnoreAction);
  event->accept();
  if (page_.Drop(NodeAt(event->position().toPoint())) && Moved) Moved();
}

TCommandsTab::TCommandsTab(TDesigner& designer, QWidget* parent)
    : TDesignerTabBase(designer, parent), page_(designer.CommandsPage) {
  auto* layout = new QVBoxLayout(this);
  auto* split = new QSplitter(this);
  auto* left = new QWidget(split);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->addWidget(new QLabel(ToQt("Структура команд"_w), left));
  Tree = new TCommandTree(page_, left);
  leftLayout->addWidget(Tree, 1);
  auto* passwordRow = new QHBoxLayout;
  PasswordLabel = new QLabel(ToQt("№ пароля:"_w), left);
  Password = new QSpinBox(left);
  Password->setRange(-1, 9);
  passwordRow->addWidget(PasswordLabel);
  passwordRow->addWidget(Password);
  passwordRow->addStretch();
  leftLayout->addLayout(passwordRow);
  Memo = AddMemoPanel(split, new QLabel(ToQt("Описание"_w)));
  split->setStretchFactor(1, 2);
  layout->addWidget(split, 1);
  auto* bar = new QHBoxLayout;
  Add = AddButton(bar, "Добавить"_w);
  Delete = AddButton(bar, "Удалить"_w);
  Preview = AddButton(bar, "Просмотр"_w);
  Find = AddButton(bar, "Искать"_w);
  FindNext = AddButton(bar, "Искать далее"_w);
  CheckAll = AddButton(bar, "Проверить все"_w);
  layout->addLayout(bar);

  connect(Tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (filling_) return;
    page_.SelectNode(NodeOf(item));
    ShowSelected();
  });
  connect(Tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
    if (TDocNode* node = NodeOf(item); node && !filling_) node->Text = FromQt(item->text(0));
  });
  Tree->Moved = [this] { Refresh(); };
  connect(Memo, &QPlainTextEdit::textChanged, this, [this] {
    if (!filling_) page_.SetDescription(FromMemo(Memo));
  });
  connect(Password, &QSpinBox::textChanged, this, [this](const QString& text) {
    if (!filling_) page_.SetPasswordText(FromQt(text));
  });
  connect(Add, &QPushButton::clicked, this, [this] {
    TDocNode* node = page_.AddDocument();
    Refresh();
    Tree->setFocus();
    if (QTreeWidgetItem* item = Tree->currentItem(); item && node) Tree->editItem(item);
  });
  connect(Delete, &QPushButton::clicked, this, [this] {
    page_.DeleteDocument();
    Refresh();
    Tree->setFocus();
  });
  connect(Preview, &QPushButton::clicked, this, [this] {
    const TDesignerRunEnd end = page_.TestRun();
    ShowLine(Memo, end.CaretLine);
  });
  connect(CheckAll, &QPushButton::clicked, this, [this] {
    const TDesignerRunEnd end = page_.CheckAll();
    Select(page_.SelectedNode());
    if (end.Error) ShowLine(Memo, end.CaretLine);
  });
  Memo->installEventFilter(this);
  connect(Find, &QPushButton::clicked, this, [this] {
    if (AskSearchText() && page_.Find(TCommandsPage::SearchText())) AfterFind();
  });
  connect(FindNext, &QPushButton::clicked, this, [this] {
    if (page_.FindNext()) AfterFind();
  });
}

bool TCommandsTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Memo || event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_F || key->modifiers() != Qt::ControlModifier) return false;
  if (AskSearchText()) {
    QTextCursor cursor = Memo->textCursor();
    const int32_t at = FindInMemo(FromQt(TypedText(*Memo->document())), TCommandsPage::SearchText(),
                                  cursor.selectionStart());
    if (at < 0) {
      Ui().MsgBox("Строка не найдена!"_w, "Ошибка"_w, kMbError);
    } else {
      cursor.setPosition(at);
      Memo->setTextCursor(cursor);
    }
  }
  return true;
}

bool TCommandsTab::AskSearchText() {
  TInputRequest request;
  request.Caption = "Строка для поиска"_w;
  request.Prompt = "Найти:"_w;
  request.Text = TCommandsPage::SearchText();
  if (!ShowInputDialog(request, this) || request.Text.empty()) return false;
  TCommandsPage::SearchText() = request.Text;
  return true;
}

void TCommandsTab::AfterFind() {
  Select(page_.SelectedNode());
  QTextCursor cursor = Memo->textCursor();
  cursor.setPosition(page_.SearchCaret());
  Memo->setTextCursor(cursor);
  Memo->setFocus();
}

void TCommandsTab::FillItem(QTreeWidgetItem* item, TDocNode* node) {
  item->setText(0, ToQt(node->Text));
  item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(node)));
  item->setFlags(item->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
                 Qt::ItemIsDropEnabled);
  for (int32_t i = 0; i < node->ChildCount(); ++i)
    FillItem(new QTreeWidgetItem(item), node->Child(i));
}

void TCommandsTab::Refresh() {
  filling_ = true;
  Tree->clear();
  for (int32_t i = 0; i < d_.Tree.TopCount(); ++i) {
    auto* item = new QTreeWidgetItem(Tree);
    FillItem(item, d_.Tree.Top(i));
  }
  if (QTreeWidgetItem* top = Tree->topLevelItem(0)) top->setExpanded(true);
  filling_ = false;
  Select(page_.SelectedNode());
}

void TCommandsTab::Select(TDocNode* node) {
  filling_ = true;
  for (QTreeWidgetItemIterator it(Tree); *it; ++it) {
    if (NodeOf(*it) != node) continue;
    Tree->setCurrentItem(*it);
    for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent()) p->setExpanded(true);
    Tree->scrollToItem(*it);
  }
  filling_ = false;
  page_.SelectNode(node);
  ShowSelected();
}

void TCommandsTab::ShowSelected() {
  filling_ = true;
  Memo->setPlainText(ToMemo(page_.NodeDescription()));
  Password->setValue(page_.NodePasswordShown());
  filling_ = false;
  Notify();
}

void TCommandsTab::Enable(const TDesignerEnabling& e) {
  Add->setEnabled(e.DocAdd);
  Delete->setEnabled(e.DocDelete);
  Preview->setEnabled(e.DocPreview);
  Memo->setEnabled(e.DocDescription);
  Password->setEnabled(e.DocDescription);
  PasswordLabel->setEnabled(e.DocDescription);
}

}  // namespace vm
