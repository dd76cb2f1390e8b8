#include "ui/qt/lookup_grid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <algorithm>

#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

std::string TitleOf(TDataView& view, int32_t col) {
  // The lowest header cell over the column names it best.
  const TBlankHeader* best = nullptr;
  for (const TBlankHeader* h = view.Blank().HeaderCells.get(); h; h = h->Next.get())
    if (h->FirstCol <= col + 1 && col + 1 <= h->LastCol && !h->Text.empty() &&
        (!best || h->FirstLevel > best->FirstLevel))
      best = h;
  return best ? best->Text : std::string();
}

}  // namespace

TLookupGrid::TLookupGrid(QWidget* parent) : QTableWidget(parent) {
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFocusPolicy(Qt::NoFocus);
}

int32_t TLookupGrid::Fill(TDataView& view, std::string_view prefix, const TKeyCol* keys) {
  const bool wasVisible = isVisible();
  hide();
  const TLookupMatches matches = view.FillLookupGrid(prefix, keys);
  if (matches.FirstIndex >= 0) {
    int32_t keyCount = 0;
    QStringList titles;
    for (const TKeyCol* k = keys; k; k = k->Next.get(), ++keyCount) titles << ToQt(TitleOf(view, k->Number));
    clear();
    setColumnCount(keyCount);
    setRowCount(static_cast<int>(matches.Rows.size()));
    setHorizontalHeaderLabels(titles);
    const QFontMetrics metrics(font());
    std::vector<int> widths;
    for (const QString& t : titles) widths.push_back(metrics.horizontalAdvance(t) + 8);
    for (size_t r = 0; r < matches.Texts.size(); ++r) {
      for (size_t c = 0; c < matches.Texts[r].size() && c < widths.size(); ++c) {
        const QString text = ToQt(matches.Texts[r][c]);
        setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(text));
        widths[c] = std::max(widths[c], metrics.horizontalAdvance(text) + 8);
      }
    }
    for (size_t c = 0; c < widths.size(); ++c) setColumnWidth(static_cast<int>(c), widths[c]);
    rows_ = matches.Rows;
  }
  setVisible(wasVisible);
  return matches.FirstIndex;
}

}  // namespace vm
