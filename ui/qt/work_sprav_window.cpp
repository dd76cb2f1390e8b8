#include "ui/qt/work_sprav_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

#include "platform/encoding.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/lookup_page_widget.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

constexpr int kMinSize = 200;

// The platform's virtual key code of the keys the window answers; 0 else.
int32_t WindowKey(const QKeyEvent& e) {
  const int key = e.key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return kKeyEnter;
  if (key == Qt::Key_Insert) return kKeyInsert;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  return 0;
}

}  // namespace

TWorkSprav::TWorkSprav(TCompiledDocument& doc, TDocumentFrame& frame, QWidget* parent)
    : QWidget(parent, Qt::Window), logic_(doc, frame), scaffold_(*this, {"Добавить"_w}) {
  setWindowTitle(ToQt("Справочники"_w));
  setObjectName("WorkSprav");
  setMinimumSize(std::max(kMinSize, scaffold_.Panel()->minimumWidth()), kMinSize);
  // Shown beside the document window, it leaves the keyboard there.
  setAttribute(Qt::WA_ShowWithoutActivating);
  resize(520, 360);
  tabs_ = scaffold_.Tabs();
  edit1_ = scaffold_.SearchEdit();
  add_ = scaffold_.Panel()->Button(0);

  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (showingTab_ || logic_.TabClicked(index)) return;
    // The page is the one the document window chose.
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(logic_.PageIndex());
  });
  scaffold_.WireSearch(logic_);
  connect(edit1_, &QLineEdit::returnPressed, this, [this] {
    if (TDataViewWidget* view = PageView(logic_.PageIndex())) view->setFocus();
  });
  connect(add_, &QPushButton::clicked, this, [this] {
    logic_.AddClick((QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier) != 0);
  });

  TWorkSpravHooks& h = logic_.Hooks;
  h.Changed = [this] { ShowState(); };
  h.FocusPage = [this](THelpItem&) {
    if (TDataViewWidget* view = PageView(logic_.PageIndex())) view->setFocus();
  };
  h.ToggleMaximized = [this] { setWindowState(windowState() ^ Qt::WindowMaximized); };
  // The window sees its keys before its controls.
  qApp->installEventFilter(this);
}

TWorkSprav::~TWorkSprav() {
  qApp->removeEventFilter(this);
  DetachLookupPages();
}

TLookupPageWidget* TWorkSprav::Sheet(int index) const {
  return index >= 0 && index < static_cast<int>(sheets_.size()) ? sheets_[static_cast<std::size_t>(index)] : nullptr;
}

TDataViewWidget* TWorkSprav::PageView(int index) const {
  TLookupPageWidget* sheet = Sheet(index);
  return sheet ? sheet->ShownView() : nullptr;
}

void TWorkSprav::AttachLookupPages() {
  DetachLookupPages();
  logic_.AttachLookupPages();
  showingTab_ = true;
  for (THelpItem* page : logic_.Pages()) {
    auto* sheet = new TLookupPageWidget(*page, tabs_);
    sheets_.push_back(sheet);
    tabs_->addTab(sheet, ToQt(page->Title));
    connect(sheet->Categories(), &QComboBox::activated, this, [this] { ShowState(); });
  }
  showingTab_ = false;
  ShowState();
}

void TWorkSprav::DetachLookupPages() {
  showingTab_ = true;
  while (tabs_->count() > 0) tabs_->removeTab(0);
  showingTab_ = false;
  // The sheets' views observe the pages' views: they go before the pages.
  qDeleteAll(sheets_);
  sheets_.clear();
  logic_.DetachLookupPages();
}

void TWorkSprav::ToFront() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  if (TDataViewWidget* view = PageView(logic_.PageIndex()); view && logic_.Active()) view->setFocus();
}

void TWorkSprav::ShowState() {
  const TWorkSpravButtons& b = logic_.Buttons();
  if (tabs_->currentIndex() != logic_.PageIndex() && logic_.PageIndex() >= 0) {
    showingTab_ = true;
    tabs_->setCurrentIndex(logic_.PageIndex());
    showingTab_ = false;
  }
  tabs_->setEnabled(b.Tabs);
  scaffold_.EnableSearch(b.Search);
  add_->setEnabled(b.Add);
  scaffold_.ShowStatus(logic_.StatusText());
}

bool TWorkSprav::ViewFocused() const {
  TDataViewWidget* view = PageView(logic_.PageIndex());
  QWidget* focused = QApplication::focusWidget();
  return view && focused && (focused == view || view->isAncestorOf(focused));
}

void TWorkSprav::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  logic_.Shown();
  // The sheets lay their views out once they are seen.
  QTimer::singleShot(0, this, [this] {
    resize(width() + 1, height());
    resize(width() - 1, height());
  });
}

void TWorkSprav::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) scaffold_.WindowStateChanged();
}

void TWorkSprav::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (logic_.Hooks.ToDocument) logic_.Hooks.ToDocument();
}

bool TWorkSprav::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this || widget != QApplication::focusWidget() || !isVisible())
    return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const int32_t vk = WindowKey(*key);
  // Enter in the search line belongs to the search line.
  if (vk == 0 || (vk == kKeyEnter && widget == edit1_)) return QWidget::eventFilter(watched, event);
  if (logic_.KeyDown(vk, key->modifiers() & Qt::ControlModifier, ViewFocused())) return true;
  return QWidget::eventFilter(watched, event);
}

}  // namespace vm
