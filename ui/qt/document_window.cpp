#include "ui/qt/document_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "output/document_print.h"
#include "documents/document_recalc.h"
#include "documents/view_cells.h"
#include "language/interpreter.h"
#include "platform/encoding.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/screen_place.h"
#include "ui/qt/form_surface.h"
#include "ui/qt/help_list_box.h"
#include "ui/qt/info_window.h"
#include "ui/qt/qt_services.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/search_line.h"
#include "ui/qt/work_sprav_window.h"
#include "ui/qt/window_rules.h"

namespace vm {

namespace {

constexpr int kDesignWidth = 584;
constexpr int kDesignHeight = 448;
constexpr int kButtonWidth = kButtonPitch;
constexpr int kButtonHeight = 25;
constexpr int kScrollLargeChange = 10;
constexpr int kZoomToolsWidth = 170;
// The largest window is the screen's free area less this on each side.
constexpr int kLargestMargin = 8;

QRect ToQRect(const TWindowRect& r) { return QRect(r.Left, r.Top, r.Width, r.Height); }
TWindowRect FromQRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

// The platform's virtual key code of a Qt key; 0 for keys the frame
// does not know.
int32_t VirtualKey(const QKeyEvent& e) {
  const int key = e.key();
  if (key == Qt::Key_Cancel || (key == Qt::Key_Pause && (e.modifiers() & Qt::ControlModifier)))
    return kFrameKeyBreak;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  return 0;
}

}  // namespace

TDocumentWindow::TDocumentWindow(TCompiledDocument& doc, TDocumentWindowLogic& logic, TDocData& data,
                                 QWidget* parent)
    : QDialog(parent), doc_(doc), logic_(logic), data_(data), frame_(doc, logic, data.MenuCaption) {
  setWindowTitle(ToQt(data.MenuCaption));
  KeepOwnPlace(*this);
  setSizeGripEnabled(true);
  setMinimumSize(kMinFrameWidth, kMinFrameHeight);
  BuildFrame();
  doc_.Events.Recalc = [this] {
    RecalcDocument(doc_);
    frame_.UpdateStatusBar();
  };
  for (const auto& form : doc_.Forms) {
    TDataView& view = form->View();
    searchLine_ = searchLine_ || form->Search;
    // Every accepted cell recalculates the document, after what the
    // document's own programs do with it.
    auto accepted = view.OnCellAccepted;
    accepted_.push_back(accepted);
    view.OnCellAccepted = [this, accepted](TDataView& v) {
      if (accepted) accepted(v);
      RecalcDocument(doc_);
      frame_.UpdateStatusBar();
    };
    // The tables filled while hidden; shown, they draw and edit.
    if (view.Updating()) view.SetUpdating(false);
    auto* table = new TDataViewWidget(view, panel1_);
    table->HeaderParams = form->Params;
    tables_.push_back(table);
    // Insert, the key and its look-up list belong to the table's row entry.
    lists_.push_back(new THelpListBox(doc_, *form, *table, panel1_));
    lists_.back()->Entry().DeleteRow = [this] { frame_.DelButClick(); };
  }
  panel4_->setVisible(searchLine_);
  HookFrame();
  // The window opens at its design size; the form is built at the surface's
  // size then and follows it from there.
  const TFrameSize largest = LargestSize();
  resize(std::min(kDesignWidth, largest.Width), std::min(kDesignHeight, largest.Height));
  LayOut();
  surface_ = std::make_unique<TFormSurface>(doc_, *panel1_);
  if (doc_.InfViews.Count() > 0) {
    info_ = new TInfoWindow(this);
    surface_->PlaceInfoCells(*info_);
    info_->OnShowDocument = [this] {
      activateWindow();
      raise();
    };
    info_->OnShowLookup = [this] { frame_.KeyDown(kFrameKeyF12, false, false, false); };
    if (auto* qt = dynamic_cast<TQtUiServices*>(&Ui())) qt->AddDocWindow(info_);
  }
  if (doc_.HelpPages.Count() > 0) BuildLookupWindow();
  // The places are kept whenever the window may close.
  logic_.SaveLayout = [this] { SaveDocLayout(); };
  logic_.Print = [this] { Print(); };
  // A program's OKCLICK, PRINTCLICK and CHECKALL act on this window.
  if (auto* qt = dynamic_cast<TQtUiServices*>(&Ui())) {
    qt->DocWindow.OkClick = [this](bool confirm) {
      logic_.OkButClick(false, confirm);
      if (logic_.MayClose()) QDialog::accept();
    };
    qt->DocWindow.CheckAll = [this] { return logic_.CheckAll(); };
    qt->DocWindow.PrintClick = [this] { Print(); };
    // A run that TERMINATE ended: Cancel without its question. The window
    // goes once the event that ran the program is over, so that the control
    // or table handling it is not left without its window halfway through.
    qt->DocWindow.Close = [this] {
      logic_.CanButClick(false);
      QMetaObject::invokeMethod(this, [this] { QDialog::reject(); }, Qt::QueuedConnection);
    };
    qt->DocWindow.FocusTable = [this](FocusableTable* table) { FocusForm(table); };
  }
  // A question or box over the window runs its own event loop, which the
  // window's events reach too; the loop ends only after the answer is
  // back, so a line may not slip in between the click and the answer.
  loopLevel_ = QThread::currentThread()->loopLevel();
  logic_.DialogOpen = [this] { return QThread::currentThread()->loopLevel() > loopLevel_; };
  // Scanner lines come on the port's thread; they are handled here.
  logic_.SetScanWake([this] {
    QMetaObject::invokeMethod(this, &TDocumentWindow::DrainScanLines, Qt::QueuedConnection);
  });
  // The window sees the keys before its controls, and the events of its
  // own panels, through one filter.
  qApp->installEventFilter(this);
}

TDocumentWindow::~TDocumentWindow() {
  qApp->removeEventFilter(this);
  logic_.SetScanWake(nullptr);
  logic_.DialogOpen = nullptr;
  logic_.SaveLayout = nullptr;
  logic_.Print = nullptr;
  if (auto* qt = dynamic_cast<TQtUiServices*>(&Ui())) {
    qt->DocWindow.OkClick = nullptr;
    qt->DocWindow.CheckAll = nullptr;
    qt->DocWindow.PrintClick = nullptr;
    qt->DocWindow.Close = nullptr;
    qt->DocWindow.FocusTable = nullptr;
  }
  frame_.Unhook();
  delete sprav_;
  sprav_ = nullptr;
  surface_.reset();
  // The look-up lists hand the views' handlers back before the window's own
  // are restored.
  qDeleteAll(findChildren<THelpListBox*>());
  doc_.Events.Recalc = nullptr;
  std::size_t i = 0;
  for (const auto& form : doc_.Forms)
    if (i < accepted_.size()) form->View().OnCellAccepted = accepted_[i++];
}

void TDocumentWindow::BuildFrame() {
  panel3_ = new QFrame(this);
  panel3_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel8_ = new QWidget(panel3_);
  panel1_ = new QWidget(panel8_);
  hScroll_ = new QScrollBar(Qt::Horizontal, panel3_);
  vScroll_ = new QScrollBar(Qt::Vertical, panel3_);
  for (QScrollBar* bar : {hScroll_, vScroll_}) {
    bar->setRange(0, kScrollMax);
    bar->setPageStep(kScrollLargeChange);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->hide();
    connect(bar, &QScrollBar::valueChanged, this, &TDocumentWindow::ScrollChanged);
  }
  panel2_ = new QWidget(this);
  panel4_ = new QWidget(panel2_);
  label1_ = new QLabel(ToQt("Поиск:"_w), panel4_);
  QFont bold = label1_->font();
  bold.setBold(true);
  label1_->setFont(bold);
  label1_->adjustSize();
  edit1_ = new QLineEdit(panel4_);
  edit1_->setObjectName("Edit1");
  connect(edit1_, &QLineEdit::textChanged, this, [this](const QString& text) { frame_.SearchChanged(FromQt(text)); });
  connect(edit1_, &QLineEdit::returnPressed, this, [this] {
    if (TDataView* view = frame_.CurrentView())
      if (TDataViewWidget* table = TableOf(*view)) table->setFocus();
  });
  const std::array<std::string, kFrameButtons> captions = {"OK"_w,      "Отмена"_w, "Добавить"_w,
                                                           "Удалить"_w, "Печать"_w, "Сортировать"_w};
  for (std::size_t i = 0; i < captions.size(); ++i) {
    auto* b = new QPushButton(ToQt(captions[i]), panel2_);
    b->setAutoDefault(false);
    b->resize(kButtonWidth, kButtonHeight);
    buttons_[i] = b;
  }
  connect(Button(kPrintBut), &QPushButton::clicked, this, &TDocumentWindow::Print);
  connect(OkButton(), &QPushButton::clicked, this, &TDocumentWindow::Ok);
  connect(CancelButton(), &QPushButton::clicked, this, &TDocumentWindow::reject);
  // A click on "Отмена" leaves the field or cell where it is: leaving it
  // would refuse a wrong text first, and the box would eat the click.
  CancelButton()->setFocusPolicy(Qt::TabFocus);
  connect(Button(kAddBut), &QPushButton::clicked, this, [this] {
    TDataView* view = frame_.CurrentView();
    for (std::size_t i = 0; view && i < tables_.size(); ++i) {
      if (&tables_[i]->View() != view || view->Editing()) continue;
      tables_[i]->setFocus();
      lists_[i]->Entry().StartEntry();
    }
  });
  connect(Button(kDelBut), &QPushButton::clicked, this, [this] { frame_.DelButClick(); });
  connect(Button(kSortBut), &QPushButton::clicked, this, [this] { frame_.SortButClick(); });
  panel5_ = new QWidget(panel2_);
  BuildZoomTools();
  statusRows_ = new QLabel(panel5_);
  statusText_ = new QLabel(panel5_);
  for (QLabel* l : {statusRows_, statusText_}) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

void TDocumentWindow::BuildZoomTools() {
  panel6_ = new QWidget(panel5_);
  panel6_->hide();
  const std::array<const char*, 3> glyphs = {"[ ]", "+", "-"};
  const std::array<std::string, 3> hints = {"Масштабировать форму в текущий размер окна"_w,
                                            "Увеличить масштаб формы"_w, "Уменьшить масштаб формы"_w};
  for (std::size_t i = 0; i < zoom_.size(); ++i) {
    zoom_[i] = new QToolButton(panel6_);
    zoom_[i]->setText(glyphs[i]);
    zoom_[i]->setToolTip(ToQt(hints[i]));
    zoom_[i]->setFocusPolicy(Qt::NoFocus);
    zoom_[i]->setGeometry(static_cast<int>(i) * 22, 0, 22, kStatusBarHeight);
  }
  horz_ = new QCheckBox(ToQt("гор."_w), panel6_);
  vert_ = new QCheckBox(ToQt("верт."_w), panel6_);
  horz_->setToolTip(ToQt("Разрешить изменение масштаба по горизонтали"_w));
  vert_->setToolTip(ToQt("Разрешить изменение масштаба по вертикали"_w));
  horz_->setChecked(true);
  vert_->setChecked(true);
  horz_->setGeometry(70, 0, 50, kStatusBarHeight);
  vert_->setGeometry(120, 0, 50, kStatusBarHeight);
  auto zoomed = [this](TFrameSize size) {
    panel1_->resize(size.Width, size.Height);
    Panel3Resize();
  };
  connect(zoom_[0], &QToolButton::clicked, this, [this, zoomed] { zoomed(VisibleSize()); });
  connect(zoom_[1], &QToolButton::clicked, this, [this, zoomed] {
    zoomed(ZoomIn({panel1_->width(), panel1_->height()}, horz_->isChecked(), vert_->isChecked()));
  });
  connect(zoom_[2], &QToolButton::clicked, this,
          [this, zoomed] { zoomed(ZoomOut({panel1_->width(), panel1_->height()}, VisibleSize())); });
}

void TDocumentWindow::HookFrame() {
  TFrameHooks& h = frame_.Hooks;
  h.IsActive = [this](TDataView& view) {
    // The window's own focus child, as the window keeps it even before it
    // is activated and while another window has the keyboard.
    TDataViewWidget* table = TableOf(view);
    QWidget* focused = focusWidget();
    return table && focused && (focused == table || table->isAncestorOf(focused));
  };
  h.Focus = [this](TDataView& view) {
    if (TDataViewWidget* table = TableOf(view)) table->setFocus();
  };
  h.ShowSearchText = [this](const std::string& text) { ShowInSearchLine(edit1_, text); };
  h.TypeIntoSearch = [this](const std::string& text) { TypeIntoSearchLine(edit1_, text); };
  h.CellSelected = [this](TDataView& view, int32_t col, int32_t row) { KeepInSight(view, col, row); };
  h.Changed = [this] { ShowFrameState(); };
  h.ToggleMaximized = [this] { setWindowState(windowState() ^ Qt::WindowMaximized); };
  h.InfoToFront = [this] {
    if (!info_ || !info_->isVisible()) return;
    info_->setWindowState(info_->windowState() & ~Qt::WindowMinimized);
    info_->raise();
    info_->activateWindow();
  };
  h.LookupUsable = [this] { return lookup_ && lookup_->isVisible() && lookup_->isEnabled(); };
  h.LookupToFront = [this](THelpItem&) {
    if (sprav_) sprav_->ToFront();
  };
  h.LookupPage = [this](THelpItem* page, bool enabled) {
    if (sprav_) sprav_->Logic().ShowPage(page, enabled);
  };
  h.CloseCancelled = [this] { QDialog::reject(); };
  h.Entering = [this](TDataView& view) {
    for (std::size_t i = 0; i < tables_.size(); ++i)
      if (&tables_[i]->View() == &view) return lists_[i]->Entry().Adding();
    return false;
  };
  h.DropEnteredRow = [this](TDataView& view) {
    for (std::size_t i = 0; i < tables_.size(); ++i)
      if (&tables_[i]->View() == &view) lists_[i]->Entry().DropRow();
  };
}

void TDocumentWindow::BuildLookupWindow() {
  sprav_ = new TWorkSprav(doc_, frame_, this);
  SetLookupWindow(sprav_);
  TWorkSpravHooks& h = sprav_->Logic().Hooks;
  h.EntryOf = [this](TDataView& view) -> TRowEntry* {
    for (std::size_t i = 0; i < tables_.size(); ++i)
      if (&tables_[i]->View() == &view) return &lists_[i]->Entry();
    return nullptr;
  };
  h.ToDocument = [this] {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    // The cell editor a new row opened keeps the focus it has.
    TDataViewWidget* table = frame_.CurrentView() ? TableOf(*frame_.CurrentView()) : nullptr;
    QWidget* focused = focusWidget();
    if (table && !(focused && (focused == table || table->isAncestorOf(focused)))) table->setFocus();
  };
  h.InfoToFront = [this] { frame_.KeyDown(kFrameKeyF11, false, false, false); };
  // A table that starts in its look-up page goes back there after a row.
  for (THelpListBox* list : lists_)
    list->Entry().ShowLookupPage = [this] { frame_.KeyDown(kFrameKeyF12, false, false, false); };
  if (auto* qt = dynamic_cast<TQtUiServices*>(&Ui())) qt->AddDocWindow(sprav_);
}

void TDocumentWindow::FocusForm(FocusableTable* table) {
  for (const auto& form : doc_.Forms) {
    if (static_cast<FocusableTable*>(form.get()) != table) continue;
    TDataViewWidget* widget = TableOf(form->View());
    // Before the window shows, the table takes the focus when it does.
    if (!isVisible()) pendingFocus_ = widget;
    else if (widget) widget->setFocus();
  }
}

TDataViewWidget* TDocumentWindow::TableOf(const TDataView& view) const {
  for (TDataViewWidget* t : tables_)
    if (&t->View() == &view) return t;
  return nullptr;
}

TFrameSize TDocumentWindow::VisibleSize() const { return {panel8_->width(), panel8_->height()}; }

TFrameSize TDocumentWindow::LargestSize() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  const QSize avail = s ? s->availableGeometry().size() : QSize(1024, 768);
  return {avail.width() - kLargestMargin, avail.height() - kLargestMargin};
}

void TDocumentWindow::ApplyDocLayout() {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  const QSize avail = s ? s->availableGeometry().size() : QSize(1024, 768);
  const TAppliedLayout applied = vm::ApplyDocLayout(data_, {avail.width(), avail.height()}, LargestSize());
  horz_->setChecked(applied.HorizontalZoom);
  vert_->setChecked(applied.VerticalZoom);
  // The kept places are client areas: each goes where its frame fits.
  const QMargins frame = FrameMargins(*this);
  const QRect area = ScreenArea(*this);
  const auto place = [&](QWidget* w, const std::optional<TWindowRect>& r) {
    if (w && r) w->setGeometry(ClampFrameToScreen(ToQRect(*r), frame, area));
  };
  place(lookup_, applied.Lookup);
  place(info_, applied.Info);
  place(this, applied.Document);
}

void TDocumentWindow::SaveDocLayout() {
  TDocLayout layout;
  layout.Lookup = lookup_ ? FromQRect(lookup_->normalGeometry()) : data_.BookWindowRect;
  layout.Info = info_ ? FromQRect(info_->normalGeometry()) : data_.InfoWindowRect;
  layout.Document = FromQRect(isMaximized() ? normalGeometry() : geometry());
  layout.Surface = {panel1_->width(), panel1_->height()};
  layout.HorizontalZoom = horz_->isChecked();
  layout.VerticalZoom = vert_->isChecked();
  vm::SaveDocLayout(data_, layout);
  for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(info_), lookup_.data()})
    if (w && w->isMaximized()) w->showNormal();
}

int TDocumentWindow::ShowModal(bool firstShowing) {
  resizedOnce_ = false;
  LayOut();
  if (!frame_.Open(firstShowing)) return kNotShown;
  if (info_) {
    // Beside the document window unless the document keeps its place;
    // shown first, so that the document window, shown after it, has the
    // keyboard.
    if (data_.InfoWindowRect.Width <= 0 || data_.InfoWindowRect.Height <= 0)
      PlaceBeside(*info_, OuterRect(*this).top());
    info_->show();
  }
  if (sprav_) {
    sprav_->AttachLookupPages();
    if (data_.BookWindowRect.Width <= 0 || data_.BookWindowRect.Height <= 0)
      PlaceBeside(*sprav_, info_ ? OuterRect(*info_).bottom() + 1 : OuterRect(*this).top());
    sprav_->show();
  }
  // The window's own events come in the loop of its exec.
  const int outerLevel = loopLevel_;
  loopLevel_ = QThread::currentThread()->loopLevel() + 1;
  const int result = exec();
  loopLevel_ = outerLevel;
  if (info_) info_->hide();
  if (sprav_) {
    sprav_->hide();
    sprav_->DetachLookupPages();
  }
  return result;
}

// A window that is not shown yet is placed by its client area: its frame,
// the same as this window's, goes right of this window's frame with its
// top at frameTop, kept on the screen.
void TDocumentWindow::PlaceBeside(QWidget& window, int frameTop) const {
  const QMargins frame = FrameMargins(*this);
  const QRect client(OuterRect(*this).right() + 1 + frame.left(), frameTop + frame.top(), window.width(),
                     window.height());
  window.setGeometry(ClampFrameToScreen(client, frame, ScreenArea(*this)));
}

void TDocumentWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Ui().EnableDocWindows(true);
  RecalcDocument(doc_);
  // The frame listens before the first control takes the focus: a table
  // focused at once becomes the current one.
  TFormPar* lookupFirst = frame_.Shown();
  OkButton()->setFocus();
  if (QWidget* first = surface_->FirstControl()) first->setFocus();
  for (const auto& form : doc_.Forms)
    if (form->View().Updating()) form->View().SetUpdating(false);
  if (lookupFirst != nullptr) {
    if (TDataViewWidget* table = TableOf(lookupFirst->View())) table->setFocus();
    if (lookup_) lookup_->activateWindow();
  }
  if (pendingFocus_) pendingFocus_->setFocus();
  pendingFocus_ = nullptr;
  const bool scroll = frame_.Scroll();
  hScroll_->setVisible(scroll);
  vScroll_->setVisible(scroll);
  panel6_->setVisible(scroll);
  LayOut();
  if (scroll) {
    const TFrameSize size = LargerSize({data_.FormWidth, data_.FormHeight}, VisibleSize());
    panel1_->resize(size.Width, size.Height);
    Panel3Resize();
  }
  // The window's activation comes with the events that wait.
  if (OnShown) QTimer::singleShot(0, this, [this] {
    QApplication::processEvents();
    OnShown(*this);
  });
}

void TDocumentWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  setSizeGripEnabled(!isMaximized());
  LayOut();
  if (frame_.Scroll() && resizedOnce_) {
    const TFrameSize size = LargerSize({data_.FormWidth, data_.FormHeight}, VisibleSize());
    panel1_->resize(size.Width, size.Height);
    Panel3Resize();
  }
  resizedOnce_ = true;
}

void TDocumentWindow::LayOut() {
  if (layingOut_) return;
  layingOut_ = true;
  const int w = width(), h = height();
  const TButtonBarLayout bar = LayoutButtonBar(w, searchLine_);
  panel2_->setGeometry(0, h - bar.Height, w, bar.Height);
  for (std::size_t i = 0; i < buttons_.size(); ++i)
    buttons_[i]->move(bar.Buttons[i].Left, bar.Buttons[i].Top);
  panel4_->setGeometry(0, 0, w, kSearchLineHeight);
  label1_->move(8, (kSearchLineHeight - label1_->height()) / 2);
  const int editLeft = label1_->x() + label1_->width() + 6;
  edit1_->setGeometry(editLeft, 2, std::max(0, panel4_->width() - editLeft - 4), kSearchLineHeight - 4);
  panel5_->setGeometry(0, bar.Height - kStatusBarHeight, w, kStatusBarHeight);
  const int statusLeft = panel6_->isVisibleTo(this) ? kZoomToolsWidth : 0;
  panel6_->setGeometry(0, 0, kZoomToolsWidth, kStatusBarHeight);
  statusRows_->setGeometry(statusLeft, 0, kStatusDateWidth, kStatusBarHeight);
  statusText_->setGeometry(statusLeft + kStatusDateWidth, 0,
                           std::max(0, w - statusLeft - kStatusDateWidth), kStatusBarHeight);
  panel3_->setGeometry(0, 0, w, h - bar.Height);
  const QRect inside = panel3_->contentsRect();
  const bool scroll = hScroll_->isVisibleTo(this);
  const int bar1 = scroll ? vScroll_->sizeHint().width() : 0;
  const int bar2 = scroll ? hScroll_->sizeHint().height() : 0;
  panel8_->setGeometry(inside.x(), inside.y(), inside.width() - bar1, inside.height() - bar2);
  vScroll_->setGeometry(inside.right() + 1 - bar1, inside.y(), bar1, inside.height() - bar2);
  hScroll_->setGeometry(inside.x(), inside.bottom() + 1 - bar2, inside.width() - bar1, bar2);
  if (!frame_.Scroll()) panel1_->setGeometry(0, 0, panel8_->width(), panel8_->height());
  layingOut_ = false;
}

void TDocumentWindow::Panel3Resize() {
  const TSurface s = CoverVisible({panel1_->x(), panel1_->y(), panel1_->width(), panel1_->height()}, VisibleSize());
  panel1_->setGeometry(s.Left, s.Top, s.Width, s.Height);
  SyncScrollBars();
  frame_.RefreshButtons();
}

void TDocumentWindow::SyncScrollBars() {
  const QSignalBlocker h(hScroll_), v(vScroll_);
  hScroll_->setValue(ScrollPosition(panel1_->x(), panel1_->width(), panel8_->width()));
  vScroll_->setValue(ScrollPosition(panel1_->y(), panel1_->height(), panel8_->height()));
}

void TDocumentWindow::ScrollChanged() {
  const auto left = ScrollOffset(panel1_->width(), panel8_->width(), hScroll_->value());
  const auto top = ScrollOffset(panel1_->height(), panel8_->height(), vScroll_->value());
  const QPoint to(left.value_or(panel1_->x()), top.value_or(panel1_->y()));
  if (to != panel1_->pos()) panel1_->move(to);
}

void TDocumentWindow::KeepInSight(TDataView& view, int32_t col, int32_t row) {
  TDataViewWidget* table = TableOf(view);
  if (!table) return;
  const QRect cell = table->CellRect(col, row);
  if (cell.isEmpty()) return;
  const QPoint at = table->PaintArea()->mapTo(panel1_, cell.topLeft());
  const TSurface was{panel1_->x(), panel1_->y(), panel1_->width(), panel1_->height()};
  const TSurface now = KeepCellInSight(was, {at.x(), at.y(), at.x() + cell.width(), at.y() + cell.height()}, VisibleSize());
  if (now == was) return;
  panel1_->move(now.Left, now.Top);
  SyncScrollBars();
}

void TDocumentWindow::ShowFrameState() {
  const TFrameButtons& b = frame_.Buttons();
  Button(kAddBut)->setEnabled(b.Add);
  Button(kDelBut)->setEnabled(b.Del);
  label1_->setEnabled(b.Search);
  edit1_->setEnabled(b.Search);
  if (!b.Search && !edit1_->text().isEmpty()) {
    const QSignalBlocker quiet(edit1_);
    edit1_->clear();
  }
  vScroll_->setEnabled(panel1_->height() > panel8_->height());
  hScroll_->setEnabled(panel1_->width() > panel8_->width());
  statusRows_->setText(ToQt(frame_.StatusRows()));
  statusText_->setText(ToQt(frame_.StatusText()));
  if (sprav_) sprav_->Logic().RefreshButtons();
}

void TDocumentWindow::Print() {
  TDocumentPrintHooks hooks;
  hooks.CheckAll = [this] { return logic_.CheckAll(); };
  hooks.MarkPrinted = [this] { logic_.MarkPrinted(); };
  hooks.StatusText = [this](const std::string& text) {
    statusText_->setText(ToQt(text));
    statusText_->repaint();
  };
  hooks.RefreshButtons = [this] {
    frame_.RefreshButtons();
    frame_.UpdateStatusBar();
  };
  hooks.AfterPriceTags = [this] {
    activateWindow();
    if (!tables_.empty()) tables_.front()->setFocus();
  };
  PrintDocument(doc_, data_.MenuCaption, hooks);
}

void TDocumentWindow::DrainScanLines() {
  if (logic_.DrainScanLines() > 0)
    for (TDataViewWidget* table : tables_) table->update();
  // A run under way keeps the lines waiting; come back when it may be over.
  if (logic_.ScanLinesWaiting())
    QTimer::singleShot(50, this, &TDocumentWindow::DrainScanLines);
}

bool TDocumentWindow::PreviewKey(QKeyEvent* key) {
  const int32_t vk = VirtualKey(*key);
  if (vk == 0) return false;
  const Qt::KeyboardModifiers m = key->modifiers();
  return frame_.KeyDown(vk, m & Qt::ShiftModifier, m & Qt::ControlModifier, m & Qt::AltModifier);
}

bool TDocumentWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Ctrl+Break asks any running program to stop, wherever it is pressed.
    if (VirtualKey(*key) == kFrameKeyBreak) Interp().RequestBreak();
    // The window sees its keys first, once, as they reach the focus.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this && widget == QApplication::focusWidget() && isVisible() &&
        VirtualKey(*key) != kFrameKeyBreak && PreviewKey(key))
      return true;
  } else if (watched == edit1_ && type == QEvent::FocusIn) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::OtherFocusReason) QTimer::singleShot(0, edit1_, &QLineEdit::selectAll);
  } else if (watched == edit1_ && type == QEvent::MouseButtonRelease && edit1_->selectedText().isEmpty()) {
    QTimer::singleShot(0, edit1_, &QLineEdit::selectAll);
  } else if (watched == Button(kDelBut) && type == QEvent::MouseButtonPress &&
             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    frame_.DelButMouseDown();
  }
  return QDialog::eventFilter(watched, event);
}

void TDocumentWindow::Ok() {
  logic_.OkButClick(true);
  if (logic_.MayClose()) QDialog::accept();
}

void TDocumentWindow::reject() {
  logic_.CanButClick(true);
  if (logic_.MayClose()) QDialog::reject();
}

}  // namespace vm
