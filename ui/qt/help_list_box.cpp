#include "ui/qt/help_list_box.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "ui/qt/data_view_widget.h"
#include "ui/qt/qt_text.h"

namespace vm {

namespace {

constexpr int kRowHeight = 14;

TRect32 RectIn(QWidget* w, QWidget* panel, QRect r) {
  const QPoint at = w->mapTo(panel, r.topLeft());
  return {at.x(), at.y(), r.width(), r.height()};
}

}  // namespace

THelpListBox::THelpListBox(TFormPar& form, TDataViewWidget& table, QWidget* panel)
    : QTableWidget(panel), lookup_(form), form_(form), table_(table), panel_(panel) {
  setFocusPolicy(Qt::NoFocus);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFrameShape(QFrame::NoFrame);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  horizontalHeader()->setFixedHeight(kRowHeight);
  setStyleSheet(QStringLiteral("QTableWidget{background:#FFFFB0;selection-background-color:#00DFFF;"
                               "selection-color:black;} QHeaderView::section{background:#2FCF8F;}"));
  hide();
  TDataView& view = form.View();
  auto change = change_ = view.OnCellChange;
  view.OnCellChange = [this, change](TDataView& v) {
    if (change) change(v);
    lookup_.TextChanged(v.EditorText());
    Refresh();
  };
  auto keyDown = keyDown_ = view.OnKeyDown;
  view.OnKeyDown = [this, keyDown](TDataView& v, int32_t& key, TShiftState shift) {
    KeyDown(v, key, shift);
    if (key != kKeyNone && keyDown) keyDown(v, key, shift);
  };
  auto editEnd = editEnd_ = view.OnEditEnd;
  view.OnEditEnd = [this, editEnd](TDataView& v) {
    lookup_.Hide();
    Refresh();
    if (!filling_ && lookup_.Adding() && FindKeyCol(form_.Keys.get(), v.CurCol()) != nullptr)
      lookup_.AbandonEntry();
    if (editEnd) editEnd(v);
  };
  // A key typed whole and accepted fills the row from the page, or is
  // refused; the document's own handler follows either way.
  auto accepted = accepted_ = view.OnCellAccepted;
  view.OnCellAccepted = [this, accepted](TDataView& v) {
    const TKeyCol* last = form_.Keys.get();
    while (last != nullptr && last->Next) last = last->Next.get();
    if (!filling_ && form_.Help != nullptr && last != nullptr && v.CurCol() == last->Number &&
        !lookup_.AcceptTypedKey() && lookup_.Adding()) {
      // A refused key is typed again.
      const int32_t first = form_.Keys->Number;
      QTimer::singleShot(0, this, [this, first] {
        TDataView& view = form_.View();
        view.SetCol(first);
        view.BeginEdit();
      });
    }
    lookup_.Hide();
    Refresh();
    if (accepted) accepted(v);
  };
}

THelpListBox::~THelpListBox() {
  TDataView& view = form_.View();
  view.OnCellChange = change_;
  view.OnKeyDown = keyDown_;
  view.OnEditEnd = editEnd_;
  view.OnCellAccepted = accepted_;
}

void THelpListBox::Refresh() {
  if (!lookup_.ListVisible()) {
    hide();
    return;
  }
  const auto& titles = lookup_.Titles();
  const auto& lines = lookup_.Lines();
  setColumnCount(static_cast<int>(titles.size()));
  setRowCount(static_cast<int>(lines.size()));
  std::vector<int32_t> nominal;
  for (std::size_t c = 0; c < titles.size(); ++c) {
    setHorizontalHeaderItem(static_cast<int>(c), new QTableWidgetItem(ToQt(titles[c])));
    int32_t width = fontMetrics().horizontalAdvance(ToQt(titles[c]));
    for (const auto& line : lines)
      if (c < line.size()) width = std::max(width, fontMetrics().horizontalAdvance(ToQt(line[c])));
    nominal.push_back(width);
  }
  for (std::size_t r = 0; r < lines.size(); ++r)
    for (std::size_t c = 0; c < lines[r].size() && c < titles.size(); ++c)
      setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(ToQt(lines[r][c])));
  TDataView& view = form_.View();
  const TRect32 cell = RectIn(table_.PaintArea(), panel_, table_.CellRect(view.CurCol(), view.CurRow()));
  const TRect32 area = RectIn(&table_, panel_, table_.rect());
  const TListPlacement p = PlaceLookupList(static_cast<int32_t>(lines.size()) + 1, kRowHeight, cell, area,
                                           {0, 0, panel_->width(), panel_->height()}, nominal);
  setVerticalScrollBarPolicy(p.ScrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  for (std::size_t c = 0; c < p.ColumnWidths.size(); ++c)
    setColumnWidth(static_cast<int>(c), p.ColumnWidths[c]);
  setGeometry(p.Box.Left, p.Box.Top, p.Box.Width, p.Box.Height);
  selectRow(lookup_.Selected() - 1);
  show();
  raise();
}

void THelpListBox::KeyDown(TDataView&, int32_t& key, TShiftState shift) {
  if (!lookup_.ListVisible()) return;
  if (key == kKeyEnter) {
    if (shift & kCtrlKey) {
      if (!(shift & kShiftKey)) key = kKeyNone;
      return;
    }
    if (shift & kShiftKey) {
      // Shift+Enter only takes the record's key into the editor.
      key = kKeyNone;
      const QString text = ToQt(lookup_.ChosenKeyText());
      table_.Editor()->setPlainText(text);
      return;
    }
    if (lookup_.ChosenPageRow() < 0) return;
    key = kKeyNone;
    Choose();
  } else if (key == kKeyUp || key == kKeyDown) {
    lookup_.MoveSelection(key == kKeyUp ? -1 : 1);
    key = kKeyNone;
    selectRow(lookup_.Selected() - 1);
  }
}

// The chosen record fills the row; the edit ends without storing the
// typed prefix.
void THelpListBox::Choose() {
  TDataView& view = form_.View();
  const int32_t pageRow = lookup_.ChosenPageRow();
  if (pageRow < 0) return;
  filling_ = true;
  view.SetEditing(false);
  lookup_.FillRow(pageRow);
  form_.Help->Shown.SetRow(pageRow);
  Refresh();
  // The row is whole now: what follows an accepted cell follows, but not
  // the look-up of a key already found.
  if (view.OnCellAccepted) view.OnCellAccepted(view);
  filling_ = false;
}

// Insert outside editing starts a row at its key.
bool THelpListBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &table_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert && !form_.View().Editing()) {
    lookup_.StartEntry();
    return true;
  }
  return QTableWidget::eventFilter(watched, event);
}

void THelpListBox::mousePressEvent(QMouseEvent* event) {
  const int row = rowAt(event->position().toPoint().y());
  if (row >= 0) {
    lookup_.Select(row + 1);
    selectRow(row);
  }
}

void THelpListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
  Choose();
}

}  // namespace vm
