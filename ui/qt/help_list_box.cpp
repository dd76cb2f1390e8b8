#include "ui/qt/help_list_box.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "ui/qt/data_view_widget.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

constexpr int kRowHeight = 14;

TRect32 RectIn(QWidget* w, QWidget* panel, QRect r) {
  const QPoint at = w->mapTo(panel, r.topLeft());
  return {at.x(), at.y(), r.width(), r.height()};
}

}  // namespace

THelpListBox::THelpListBox(TCompiledDocument& doc, TFormPar& form, TDataViewWidget& table, QWidget* panel)
    : QTableWidget(panel), entry_(std::make_unique<TRowEntry>(doc, form)), form_(form), table_(table), panel_(panel) {
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
  entry_->ListChanged = [this] { Refresh(); };
}

THelpListBox::~THelpListBox() = default;

void THelpListBox::Refresh() {
  if (!Lookup().ListVisible()) {
    hide();
    return;
  }
  const auto& titles = Lookup().Titles();
  const auto& lines = Lookup().Lines();
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
  selectRow(Lookup().Selected() - 1);
  show();
  raise();
}

void THelpListBox::mousePressEvent(QMouseEvent* event) {
  const int row = rowAt(event->position().toPoint().y());
  if (row >= 0) {
    Lookup().Select(row + 1);
    selectRow(row);
  }
}

void THelpListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
  entry_->ChooseFromList();
}

}  // namespace vm
