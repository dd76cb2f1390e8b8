#include "ui/qt/sprav_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

#include "output/book_print.h"
#include "output/printer.h"
#include "platform/encoding.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/print_range_dialog.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/window_rules.h"

namespace vm {

namespace {

constexpr int kMinWidth = 300;
constexpr int kMinHeight = 200;

}  // namespace

TSpravForm::TSpravForm(TSettingsModel& model, QWidget* parent)
    : QDialog(parent),
      model_(model),
      logic_(model),
      scaffold_(*this, {"Добавить"_w, "Удалить"_w, "Сортировать"_w, "Печать"_w, "OK", "Отмена"_w}) {
  setWindowTitle(ToQt("Справочники"_w));
  setObjectName("SpravForm");
  KeepOwnPlace(*this);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setMinimumSize(std::max(kMinWidth, scaffold_.Panel()->minimumWidth()), kMinHeight);
  resize(760, 480);
  tabs_ = scaffold_.Tabs();
  edit1_ = scaffold_.SearchEdit();
  add_ = scaffold_.Panel()->Button(0);
  delete_ = scaffold_.Panel()->Button(1);
  sort_ = scaffold_.Panel()->Button(2);
  print_ = scaffold_.Panel()->Button(3);
  ok_ = scaffold_.Panel()->Button(4);
  cancel_ = scaffold_.Panel()->Button(5);

  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (building_) return;
    logic_.TabChanged(index);
    if (TDataViewWidget* view = TabView(index)) view->ResizeParts();
    FocusView();
  });
  scaffold_.WireSearch(logic_);
  connect(edit1_, &QLineEdit::returnPressed, this, [this] { FocusView(); });
  connect(add_, &QPushButton::clicked, this, [this] { logic_.AddClick(); });
  connect(delete_, &QPushButton::clicked, this, [this] {
    logic_.DeleteClick();
    FocusView();
  });
  connect(sort_, &QPushButton::clicked, this, [this] { logic_.SortClick(); });
  connect(print_, &QPushButton::clicked, this, [this] { logic_.PrintClick(); });
  connect(ok_, &QPushButton::clicked, this, [this] {
    if (logic_.OkClick()) done(1);
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (logic_.CancelClick()) done(2);
  });
  // Entering or clicking the search line selects what it holds.
  edit1_->installEventFilter(this);

  TSpravHooks& h = logic_.Hooks;
  h.Changed = [this] { ShowState(); };
  h.PrinterConfigured = [this] { return !model_.PrinterName.empty(); };
  h.Print = [this](TSpravTab& tab) {
    TBookPrintHooks print;
    print.AskRange = [this](const std::string& caption, const std::string& first, const std::string& second) {
      return AskPrintRange(caption, first, second, this);
    };
    print.StatusText = [this](const std::string& text) {
      scaffold_.ShowStatus(text);
      scaffold_.Status()->repaint();
    };
    print.EnableWindow = [this](bool on) { setEnabled(on); };
    PrintReferenceBook(tab, print);
  };
}

TSpravForm::~TSpravForm() { RemoveTabs(); }

TDataViewWidget* TSpravForm::TabView(int index) const {
  return index >= 0 && index < static_cast<int>(views_.size()) ? views_[static_cast<std::size_t>(index)] : nullptr;
}

int TSpravForm::Execute() {
  setWindowState(windowState() & ~Qt::WindowMaximized);
  logic_.Show();
  BuildTabs();
  // The saved place, kept on the screen.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize room = screen ? screen->availableSize() : QSize(1024, 768);
  const TWindowRect& saved = model_.BookWindowRect;
  if (saved.Width > 0 && saved.Height > 0) {
    const TWindowRect r = ClampWindowRect(saved, room.width(), room.height(), room.width(), room.height());
    setGeometry(r.Left, r.Top, std::max(r.Width, minimumWidth()), std::max(r.Height, minimumHeight()));
  }
  ShowState();
  const int result = exec();
  const QRect place = geometry();
  model_.BookWindowRect = {place.x(), place.y(), place.width(), place.height()};
  RemoveTabs();
  logic_.Hide();
  return result;
}

void TSpravForm::BuildTabs() {
  RemoveTabs();
  building_ = true;
  for (int32_t i = 0; i < logic_.TabCount(); ++i) {
    TSpravTab& tab = *logic_.Tab(i);
    TDataViewWidget* view = nullptr;
    if (tab.View.HasBlank()) {
      view = new TDataViewWidget(tab.View, tabs_);
      view->HeaderParams = &model_.AutoParams;
      view->WheelUnit = model_.MouseScale;
      // The rows keep the order the book gives them.
      view->OnHeaderClick = [](int32_t) {};
      tabs_->addTab(view, ToQt(tab.Book.Title));
    } else {
      tabs_->addTab(new QWidget(tabs_), ToQt(tab.Book.Title));
    }
    views_.push_back(view);
  }
  tabs_->setCurrentIndex(logic_.CurrentIndex());
  building_ = false;
}

void TSpravForm::RemoveTabs() {
  building_ = true;
  while (tabs_->count() > 0) {
    QWidget* page = tabs_->widget(0);
    tabs_->removeTab(0);
    // The views observe the tabs' views: they go before the tabs.
    delete page;
  }
  views_.clear();
  building_ = false;
}

void TSpravForm::FocusView() {
  if (TDataViewWidget* view = TabView(logic_.CurrentIndex()); view && view->isEnabled()) view->setFocus();
}

void TSpravForm::ShowState() {
  const TSpravButtons& b = logic_.Buttons();
  add_->setEnabled(b.Add);
  delete_->setEnabled(b.Delete);
  print_->setEnabled(b.Print);
  // A grey "Печать" says why when it is the printer that is missing.
  print_->setToolTip(model_.PrinterName.empty() ? ToQt("Принтер не выбран. "_w + WherePrinterIsChosen()) : QString());
  sort_->setEnabled(b.Sort);
  scaffold_.EnableSearch(b.Search);
  scaffold_.ShowStatus(logic_.StatusText());
}

void TSpravForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FocusView();
  // The views lay themselves out once they are seen.
  QTimer::singleShot(0, this, [this] {
    if (TDataViewWidget* view = TabView(logic_.CurrentIndex())) view->ResizeParts();
    if (OnShown) OnShown(*this);
  });
}

void TSpravForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) scaffold_.WindowStateChanged();
}

// Only OK and "Отмена" close the window; the close box and Esc do nothing.
void TSpravForm::closeEvent(QCloseEvent* event) {
  if (!logic_.CloseQuery()) event->ignore();
}

void TSpravForm::reject() {
  if (logic_.CloseQuery()) QDialog::reject();
}

bool TSpravForm::eventFilter(QObject* watched, QEvent* event) {
  // Not when a character typed in a view brought the focus here: the next
  // one goes after it.
  const bool entered = event->type() == QEvent::FocusIn &&
                       static_cast<QFocusEvent*>(event)->reason() != Qt::OtherFocusReason;
  if (watched == edit1_ && (entered || event->type() == QEvent::MouseButtonRelease))
    QTimer::singleShot(0, edit1_, [this] { edit1_->selectAll(); });
  return QDialog::eventFilter(watched, event);
}

}  // namespace vm
