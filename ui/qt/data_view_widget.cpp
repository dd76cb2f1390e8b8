#include "ui/qt/data_view_widget.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/encoding.h"
#include "foundation/qt/font_families.h"
#include "foundation/qt/qt_canvas.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

uint32_t Bgr(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

int32_t Trunc(long double x) { return std::isfinite(x) ? static_cast<int32_t>(x) : 0; }

// The minimum row height is that of a line with capitals, ascenders and
// descenders of both alphabets.
constexpr std::string_view kMinHeightText = "WIgуф"_wv;

// Measuring needs a canvas outside painting: a painter on a scratch image
// at the widget's resolution.
struct TMeasureCanvas {
  explicit TMeasureCanvas(int32_t ppi) : image(1, 1, QImage::Format_RGB32), painter(&image), canvas(painter, ppi) {
    canvas.SetFontName(TableFontName());
  }
  QImage image;
  QPainter painter;
  TQtCanvas canvas;
};

}  // namespace

int32_t ViewKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Tab: return kKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyEnter;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_PageUp: return kKeyPageUp;
    case Qt::Key_PageDown: return kKeyPageDown;
    case Qt::Key_End: return kKeyEnd;
    case Qt::Key_Home: return kKeyHome;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Space: return 32;
    default: break;
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
    return qtKey;
  return kKeyNone;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers) {
  TShiftState shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= kShiftKey;
  if (modifiers & Qt::ControlModifier) shift |= kCtrlKey;
  if (modifiers & Qt::AltModifier) shift |= kAltKey;
  return shift;
}

// --- Editor -------------------------------------------------------------------

TCellEditor::TCellEditor(TDataViewWidget& owner) : QPlainTextEdit(owner.PaintArea()), owner_(owner) {
  setFrameStyle(QFrame::NoFrame);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Two pixels round the text: scrolled sideways to its end, whose width
  // the scrolling counts in whole pixels, the caret after the last
  // character still lies inside the editor.
  document()->setDocumentMargin(2);
  hide();
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    TDataView& view = owner_.View();
    if (!view.Editing()) return;
    QString text = TypedText(*document());
    const int32_t limit = view.EditorMaxLength();
    if (limit > 0 && text.size() > limit) {
      text.truncate(limit);
      const QSignalBlocker block(this);
      setPlainText(text);
      moveCursor(QTextCursor::End);
    }
    view.SetEditorText(FromQt(text));
    owner_.FitEditorHeight();
  });
}

int TCellEditor::TextHeight() {
  qreal height = 0;
  for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next())
    height += blockBoundingRect(block).height();
  return static_cast<int>(std::ceil(height));
}

void TCellEditor::keyPressEvent(QKeyEvent* event) {
  TDataView& view = owner_.View();
  int32_t key = ViewKeyOf(event->key());
  if (key != kKeyNone) {
    view.EditorKeyDown(key, ShiftStateOf(event->modifiers()));
    if (key == kKeyNone) return;
  }
  // The memo takes neither tabs nor line breaks.
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
      event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    return;
  const std::string typed = FromQt(event->text());
  for (char c : typed)
    if (!view.EditorKeyPress(c)) return;
  QPlainTextEdit::keyPressEvent(event);
}

void TCellEditor::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  // A message box or another window taking the focus is no leaving; nor is
  // a right click on the view, which cancels the editing instead.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
  if (event->reason() == Qt::MouseFocusReason && (QGuiApplication::mouseButtons() & Qt::RightButton)) return;
  if (isVisible()) owner_.View().LeaveEditor();
}

void TCellEditor::mouseDoubleClickEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseDoubleClickEvent(event);
  owner_.View().EditorDoubleClick();
}

// --- View -------------------------------------------------------------------------

TDataViewWidget::TDataViewWidget(TDataView& view, QWidget* parent)
    : QFrame(parent), view_(view), area_(new QWidget(this)), rowBar_(new QScrollBar(Qt::Vertical, this)) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setFocusPolicy(Qt::StrongFocus);
  area_->setAttribute(Qt::WA_OpaquePaintEvent);
  area_->installEventFilter(this);
  editor_ = new TCellEditor(*this);
  rowBar_->setFocusPolicy(Qt::NoFocus);
  rowBar_->setSingleStep(1);
  rowBar_->setPageStep(kPageRows);
  rowBar_->setRange(0, 0);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(frameWidth(), frameWidth(), frameWidth(), frameWidth());
  layout->setSpacing(0);
  layout->addWidget(area_, 1);
  layout->addWidget(rowBar_);
  connect(rowBar_, &QScrollBar::valueChanged, this, [this](int value) {
    if (!syncingBar_) view_.SetRow(value);
  });
  OnHeaderClick = [this](int32_t col) {
    sortedDescending_ = col == sortedCol_ ? !sortedDescending_ : false;
    sortedCol_ = col;
    view_.SortByColumn(col, sortedDescending_);
  };
  view_.ShiftHeld = [] { return (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier) != 0; };
  view_.SetObserver(this);
  rowBar_->setEnabled(!view_.UpdatesSuspended());
  pictureKept_ = view_.UpdatesSuspended();
}

TDataViewWidget::~TDataViewWidget() {
  view_.SetObserver(nullptr);
  view_.ShiftHeld = nullptr;
}

// --- Layout ----------------------------------------------------------------------

void TDataViewWidget::Relayout() {
  if (inLayout_) return;
  inLayout_ = true;
  TCurBlank& blank = view_.Blank();
  const int32_t ppi = area_->logicalDpiY();
  TMeasureCanvas m(ppi);
  if (blank.Compiled && blank.TotalWidth > 0) {
    // The table always fills the width of the paint area.
    scale_ = (area_->width() - 2) / static_cast<long double>(blank.TotalWidth);
    headerScale_ = scale_ * 254.0L / ppi;
    pen_ = SplitLinePen(RoundEven(blank.LineWidth * scale_));
    blank.CalcLayout(m.canvas, HeaderParams, headerScale_);
    const int32_t lw = blank.LineWidth;
    areaBottom_ = RoundEven((area_->height() - 1) / scale_ - 1.5L * lw);
    rowsTop_ = RoundEven((blank.HeaderHeight + lw) * scale_) + pen_.HalfA + 1;
    rowsHeight_ = RoundEven((lw + areaBottom_) * scale_) - rowsTop_ - pen_.HalfB;
    cols_ = LayOutColumns(m.canvas, blank, scale_, pen_.HalfA, pen_.HalfB, kMinHeightText, 0);
    const std::vector<TColumnPixels>& cols = cols_;
    minRowHeight_ = 0;
    // The model's column records carry the geometry for its callers.
    for (size_t i = 0; i < cols.size(); ++i) {
      if (TColLayout* layout = view_.GetColLayout(static_cast<int32_t>(i))) {
        layout->MinHeight = cols[i].MinHeight;
        layout->Right = cols[i].Right;
        layout->TextWidth = cols[i].TextWidth;
        layout->Left = cols[i].Left;
        layout->TextLeft = cols[i].TextLeft;
      }
      minRowHeight_ = std::max(minRowHeight_, cols[i].MinHeight);
    }
  } else {
    cols_.clear();
    pen_ = SplitLinePen(1);
    rowsTop_ = rowsHeight_ = 0;
  }
  view_.Table().ResetMeasured();
  if (!view_.UpdatesSuspended()) {
    KeepCurrentVisible();
    if (view_.Editing()) PlaceEditor();
  }
  inLayout_ = false;
}

void TDataViewWidget::ResizeParts() {
  Relayout();
  area_->update();
}

int32_t TDataViewWidget::RowHeight(TCanvas& canvas, int32_t row) {
  TViewRow* r = view_.GetRow(row);
  if (!r) return -1;
  if (r->Measured) return r->Height;
  const TRowSize size = MeasureBlankRow(canvas, view_.Blank(), view_, cols_, scale_, row);
  for (size_t i = 0; i < size.Cells.size() && i < r->Cells.size(); ++i) {
    r->Cells[i].Width = size.Cells[i].Width;
    r->Cells[i].Height = size.Cells[i].Height;
  }
  r->Height = size.Height;
  r->Measured = true;
  return r->Height;
}

int32_t TDataViewWidget::RowHeight(int32_t row) {
  if (const TViewRow* r = view_.GetRow(row); r && r->Measured) return r->Height;
  TMeasureCanvas m(area_->logicalDpiY());
  return RowHeight(m.canvas, row);
}

void TDataViewWidget::KeepCurrentVisible() {
  const int32_t cur = view_.CurRow();
  if (view_.RowCount() == 0 || cur < 0) {
    topRow_ = view_.RowCount() == 0 ? -1 : std::max(topRow_, 0);
    return;
  }
  topRow_ = std::clamp(topRow_, 0, view_.RowCount() - 1);
  if (cur < topRow_) {
    topRow_ = cur;
    return;
  }
  TMeasureCanvas m(area_->logicalDpiY());
  int32_t used = 0;
  bool fits = true;
  for (int32_t r = topRow_; r <= cur; ++r) {
    used += RowHeight(m.canvas, r) + pen_.Width;
    if (used > rowsHeight_) {
      fits = false;
      break;
    }
  }
  if (fits) return;
  // Counting up from the current row: the first row from which everything
  // down to the current row fits.
  used = 0;
  int32_t top = cur;
  for (int32_t r = cur; r >= 0; --r) {
    used += RowHeight(m.canvas, r) + pen_.Width;
    if (used > rowsHeight_) {
      top = r + 1;
      break;
    }
    top = r;
  }
  topRow_ = std::min(top, cur);
}

QRect TDataViewWidget::CellRect(int32_t col, int32_t row) {
  const TColLayout* layout = view_.GetColLayout(col);
  if (!layout || row < topRow_ || topRow_ < 0 || row >= view_.RowCount()) return {};
  int32_t top = rowsTop_;
  for (int32_t r = topRow_; r < row; ++r) {
    top += RowHeight(r) + pen_.Width;
    if (top >= rowsTop_ + rowsHeight_) return {};
  }
  return QRect(QPoint(layout->Left, top), QPoint(layout->Right - 1, top + RowHeight(row) - 1));
}

bool TDataViewWidget::HitTest(QPoint point, int32_t& row, int32_t& col) {
  row = col = -1;
  if (point.y() < rowsTop_ || point.y() >= rowsTop_ + rowsHeight_ || topRow_ < 0) return false;
  int32_t top = rowsTop_;
  for (int32_t r = topRow_; r < view_.RowCount() && top < rowsTop_ + rowsHeight_; ++r) {
    const int32_t band = RowHeight(r) + pen_.Width;
    if (point.y() < top + band) {
      row = r;
      break;
    }
    top += band;
  }
  if (row < 0) return false;
  for (int32_t c = 0; c < view_.ShownColCount(); ++c) {
    if (view_.GetColLayout(c)->Right > point.x()) {
      col = c;
      return true;
    }
  }
  row = -1;
  return false;
}

int32_t TDataViewWidget::VisibleRows() {
  if (topRow_ < 0) return 0;
  int32_t top = 0, count = 0;
  for (int32_t r = topRow_; r < view_.RowCount() && top < rowsHeight_; ++r, ++count)
    top += RowHeight(r) + pen_.Width;
  return count;
}

// --- Painting --------------------------------------------------------------------

// While the view is suspended its rows may be half loaded and are not
// drawn; a message shown meanwhile (a check refusing a row walks the rows
// suspended) would take the focus and stand over a white table. The area
// paints into a picture of itself and, suspended, shows the picture taken
// as the suspension began.
void TDataViewWidget::PaintArea(const QPaintEvent& event) {
  if (!view_.UpdatesSuspended()) {
    PaintPicture(event.region(), true);
  } else if (!PictureFits()) {
    PaintPicture(event.region(), false);
  }
  QPainter painter(area_);
  painter.setClipRegion(event.region());
  painter.drawImage(QPoint(), shown_);
}

bool TDataViewWidget::PictureFits() const { return shown_.size() == area_->size() * area_->devicePixelRatioF(); }

TDataViewWidget::TPicturePlace TDataViewWidget::PlaceNow() const {
  return {view_.CurRow(), view_.CurCol(), topRow_, view_.SelFirst(), view_.SelLast(), view_.SelCount(),
          view_.Focused()};
}

void TDataViewWidget::PaintPicture(const QRegion& region, bool rows) {
  if (!PictureFits()) {
    const qreal ratio = area_->devicePixelRatioF();
    shown_ = QImage(area_->size() * ratio, QImage::Format_RGB32);
    shown_.setDevicePixelRatio(ratio);
    shown_.fill(palette().color(QPalette::Base));
  }
  QPainter painter(&shown_);
  painter.setClipRegion(region);
  PaintAll(painter, rows);
  if (!rows) return;
  // Every change asks for its own part of the area and the parts come
  // together in one paint: painted, the picture is the view's.
  pictureStale_ = false;
  placeShown_ = PlaceNow();
}

void TDataViewWidget::PaintAll(QPainter& painter, bool rows) {
  const QColor background = palette().color(QPalette::Base);
  painter.fillRect(area_->rect(), background);
  TCurBlank& blank = view_.Blank();
  if (!rows || !blank.Compiled) return;
  TQtCanvas canvas(painter, area_->logicalDpiY());
  canvas.SetFontName(TableFontName());
  blank.DrawHeader(canvas, blank.LineWidth, blank.LineWidth, areaBottom_, headerScale_, HeaderParams);
  PaintRows(canvas);
}

void TDataViewWidget::PaintRows(TCanvas& canvas) {
  const int32_t cols = view_.ShownColCount();
  if (cols < 1 || rowsHeight_ < 1 || topRow_ < 0) return;
  const QPalette& pal = palette();
  const bool focused = view_.Focused();
  const uint32_t back = Bgr(pal.color(QPalette::Base));
  const uint32_t text = Bgr(pal.color(QPalette::Text));
  const uint32_t sel = focused ? Bgr(pal.color(QPalette::Active, QPalette::Highlight))
                               : Bgr(pal.color(QPalette::Midlight));
  const uint32_t selText = focused ? Bgr(pal.color(QPalette::Active, QPalette::HighlightedText)) : text;
  const int32_t bottom = rowsTop_ + rowsHeight_;
  const TColLayout& first = *view_.GetColLayout(0);
  const TColLayout& last = *view_.GetColLayout(cols - 1);
  for (int32_t c = 0; c < cols; ++c) {
    const TColLayout& l = *view_.GetColLayout(c);
    canvas.FillRect(l.Left, rowsTop_, l.Right, bottom, back);
  }
  int32_t top = rowsTop_;
  for (int32_t row = topRow_; row < view_.RowCount() && top < bottom; ++row) {
    const int32_t height = RowHeight(canvas, row);
    const TViewRow* r = view_.GetRow(row);
    for (int32_t c = 0; c < cols; ++c) {
      const TColLayout& l = *view_.GetColLayout(c);
      const TColFormat* format = view_.CellFormat(c, row);
      if (!format) continue;
      const bool selected = (row == view_.CurRow() && c == view_.CurCol()) || view_.InSelection(row);
      canvas.FillRect(l.Left, top, l.Right, std::min(top + height, bottom), selected ? sel : back);
      canvas.SetFontColor(selected ? selText : text);
      SetCellFont(canvas, *format, scale_);
      const int32_t cellHeight = r && static_cast<size_t>(c) < r->Cells.size() ? r->Cells[static_cast<size_t>(c)].Height : 0;
      const int32_t textTop = top + (height - cellHeight) / 2 + 1;
      DrawWrappedText(canvas, l.TextLeft, textTop, l.TextWidth,
                      CellShownText(canvas, view_.GetCellText(c, row), *format, l.TextWidth), format->Kind,
                      std::max(0, bottom - textTop));
    }
    canvas.SetPenColor(0);
    canvas.SetPenWidth(pen_.Width);
    const int32_t lineY = top + height + pen_.HalfB;
    if (lineY < bottom) {
      canvas.MoveTo(first.Left, lineY);
      canvas.LineTo(last.Right, lineY);
    }
    top += height + pen_.Width;
  }
}

// --- Model events -----------------------------------------------------------------

void TDataViewWidget::SyncRowBar() {
  syncingBar_ = true;
  rowBar_->setRange(0, std::max(view_.RowCount() - 1, 0));
  rowBar_->setValue(std::max(view_.CurRow(), 0));
  syncingBar_ = false;
}

void TDataViewWidget::BlankChanged() {
  pictureStale_ = true;
  topRow_ = -1;
  Relayout();
  SyncRowBar();
  area_->update();
}

void TDataViewWidget::RowsChanged() {
  pictureStale_ = true;
  SyncRowBar();
  if (view_.UpdatesSuspended()) return;
  KeepCurrentVisible();
  area_->update();
}

void TDataViewWidget::CellChanged(int32_t, int32_t) {
  pictureStale_ = true;
  if (!view_.UpdatesSuspended()) area_->update();
}

void TDataViewWidget::CurrentChanged() {
  SyncRowBar();
  if (view_.UpdatesSuspended()) return;
  const int32_t top = topRow_;
  KeepCurrentVisible();
  // A move that scrolls nothing and selects no range repaints two cells.
  const bool range = view_.SelCount() > 0 || rangeShown_;
  rangeShown_ = view_.SelCount() > 0;
  if (top == topRow_ && !range) {
    area_->update(CellRect(view_.PrevCol(), view_.PrevRow()).adjusted(0, 0, 1, 1));
    area_->update(CellRect(view_.CurCol(), view_.CurRow()).adjusted(0, 0, 1, 1));
    return;
  }
  area_->update();
}

void TDataViewWidget::PlaceEditor() {
  const QRect cell = CellRect(view_.CurCol(), view_.CurRow());
  if (cell.isEmpty()) return;
  const TColFormat* format = view_.EditorFormat();
  // A number, a date or a time broken over lines, of which the editor
  // shows the one with the caret, would read as its last digits: it stays
  // on one line and scrolls sideways as it grows.
  const bool oneLine = format && KeepsOneLine(format->Kind);
  editor_->setLineWrapMode(oneLine ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
  editor_->setGeometry(cell.left() + 2, cell.top() + 2, cell.width() + 1, cell.height() + 1);
  if (format)
    editor_->setFont(FontForFamily(TableFontName(), Trunc(format->FontHeight * scale_), format->Bold));
  FitEditorHeight();
}

// A text longer than its cell wraps into more lines than the row shows:
// the editor grows down over the rows below, or up when the rows end,
// until it shows every line.
void TDataViewWidget::FitEditorHeight() {
  if (!editor_->isVisible() || editor_->lineWrapMode() == QPlainTextEdit::NoWrap) return;
  const QRect cell = CellRect(view_.CurCol(), view_.CurRow());
  if (cell.isEmpty()) return;
  const int bottom = area_->height();
  const int height = std::max(cell.height() + 1, editor_->TextHeight());
  const int top = std::max(rowsTop_, std::min(cell.top() + 2, bottom - height));
  editor_->setGeometry(cell.left() + 2, top, cell.width() + 1, std::min(height, bottom - top));
}

void TDataViewWidget::EditingChanged() {
  if (!view_.Editing()) {
    editor_->hide();
    rowBar_->setEnabled(!view_.UpdatesSuspended());
    area_->update();
    return;
  }
  rowBar_->setEnabled(false);
  PlaceEditor();
  const QString text = ToQt(view_.EditorText());
  if (TypedText(*editor_->document()) != text || !editor_->isVisible()) {
    const QSignalBlocker block(editor_);
    editor_->setPlainText(text);
  }
  const TColLayout* column = view_.GetColLayout(view_.CurCol());
  if (column && column->SelectOnEdit) {
    editor_->selectAll();
  } else {
    editor_->moveCursor(QTextCursor::End);
  }
  editor_->show();
  FitEditorHeight();
  editor_->setFocus(Qt::OtherFocusReason);
}

void TDataViewWidget::UpdatingChanged() {
  rowBar_->setEnabled(!view_.UpdatesSuspended() && !view_.Editing());
  if (view_.UpdatesSuspended()) {
    // The rows are still whole as the suspension begins, and what changed
    // last (the value of a cell whose acceptance runs the row's checks)
    // may not be painted yet.
    if (!pictureKept_ && area_->isVisible() && (pictureStale_ || !PictureFits() || placeShown_ != PlaceNow()))
      PaintPicture(area_->rect(), true);
    pictureKept_ = true;
    return;
  }
  pictureKept_ = false;
  Relayout();
  SyncRowBar();
  area_->update();
}

void TDataViewWidget::FocusRequested() { setFocus(Qt::OtherFocusReason); }

void TDataViewWidget::RepaintRequested() {
  pictureStale_ = true;
  area_->update();
}

// --- Qt events ----------------------------------------------------------------------

void TDataViewWidget::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  // The paint area gets its size from the layout first.
  if (QLayout* l = layout()) l->activate();
  Relayout();
}

void TDataViewWidget::keyPressEvent(QKeyEvent* event) {
  if (view_.UpdatesSuspended()) return;
  int32_t key = ViewKeyOf(event->key());
  if (key != kKeyNone) view_.KeyDown(key, ShiftStateOf(event->modifiers()));
  // Only text is typed: Delete brings its control character (127) along,
  // which would land in the search line as a box.
  for (char c : FromQt(event->text()))
    if (static_cast<unsigned char>(c) >= 32 && c != 127) view_.KeyPress(c);
  event->accept();
}

void TDataViewWidget::focusInEvent(QFocusEvent* event) {
  QFrame::focusInEvent(event);
  view_.FocusEnter();
  area_->update();
}

void TDataViewWidget::focusOutEvent(QFocusEvent* event) {
  QFrame::focusOutEvent(event);
  view_.FocusLeave();
  area_->update();
}

void TDataViewWidget::wheelEvent(QWheelEvent* event) {
  view_.Wheel(event->angleDelta().y(), WheelUnit);
  event->accept();
}

void TDataViewWidget::AreaMousePress(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::RightButton) {
    view_.RightClick();
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  if (at.y() < rowsTop_ && OnHeaderClick) {
    for (int32_t c = 0; c < view_.ShownColCount(); ++c) {
      if (view_.GetColLayout(c)->Right > at.x()) {
        OnHeaderClick(c);
        break;
      }
    }
    return;
  }
  int32_t row = -1, col = -1;
  HitTest(at, row, col);
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  view_.LeftClick(row, col, ShiftStateOf(event->modifiers()));
}

void TDataViewWidget::AreaDoubleClick(QMouseEvent* event) {
  int32_t row = -1, col = -1;
  if (event->button() == Qt::LeftButton && HitTest(event->position().toPoint(), row, col))
    view_.DoubleClick(row, col);
}

bool TDataViewWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched != area_) return QFrame::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Paint: PaintArea(*static_cast<QPaintEvent*>(event)); return true;
    case QEvent::MouseButtonPress: AreaMousePress(static_cast<QMouseEvent*>(event)); return true;
    case QEvent::MouseButtonDblClick: AreaDoubleClick(static_cast<QMouseEvent*>(event)); return true;
    default: return false;
  }
}

}  // namespace vm
