// Sorting and searching the rows of a blank view by typed cell values, and
// the exchange of rows with in-memory tables.
#include <algorithm>
#include <numeric>
#include <vector>

#include "foundation/tables/string_base.h"
#include "foundation/text/collation.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "language/table_views.h"
#include "models/data_view.h"
#include "models/loaded_texts.h"
#include "models/row_sort.h"

namespace vm {

namespace {

// A text with a blank at either end sorts by its words alone, not as the
// prefix search reads it.
bool BlankAtAnEnd(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return !text.empty() && (blank(text.front()) || blank(text.back()));
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (UpperChar1251(text[i]) != UpperChar1251(prefix[i])) return false;
  return true;
}

}  // namespace

bool TDataView::SortRows(const TKeyCol* keys, bool descending) {
  const int32_t n = RowCount();
  if (n > 0) curRow_ = std::min(curRow_, n - 1);
  std::vector<int32_t> cols;
  for (const TKeyCol* key = keys; key; key = key->Next.get()) cols.push_back(key->Number);
  if (n < 2 || cols.empty()) return false;

  // Ascending by a column of texts, the rows end in the order the prefix
  // search reads that column, unless a text has a blank at either end.
  bool textOrder = !descending;
  std::string scratch;
  // The rows are read in their shown order: after a sort that is far from
  // their records' order in memory, so each is asked for a few rows ahead.
  constexpr int32_t kAhead = 16;
  const std::vector<int32_t> order =
      SortedRowOrder(n, static_cast<int32_t>(cols.size()), descending, [&](int32_t r, int32_t key, char& kind) {
        const int32_t col = cols[static_cast<size_t>(key)];
        if (loadedTexts_ && key == 0 && r + kAhead < n) loadedTexts_->Prefetch(table_.SourceRecord(r + kAhead), col);
        const std::string_view text = table_.ReadCellText(col, r, scratch);
        kind = BlankFieldKind(col, r);
        if (key == 0) textOrder = textOrder && kind == 'C' && !BlankAtAnEnd(text);
        return text;
      });
  bool moved = false;
  for (int32_t i = 0; i < n && !moved; ++i) moved = order[static_cast<size_t>(i)] != i;
  if (moved) {
    const int32_t current = curRow_;
    table_.Reorder(order);
    if (current >= 0) curRow_ = static_cast<int32_t>(std::find(order.begin(), order.end(), current) - order.begin());
    anchorRow_ = curRow_;
  }
  if (textOrder) table_.SetTextOrder(keys->Number);
  if (!moved) return false;
  Notify([](TDataViewObserver& o) { o.RowsChanged(); });
  return true;
}

bool TDataView::SortByColumn(int32_t col, bool descending) {
  TKeyCol key;
  key.Number = col;
  return SortRows(&key, descending);
}

int32_t TDataView::FindOrInsertRow(const TKeyCol* keys, bool& inserted, bool ignoreCase) {
  int32_t lo = 0;
  int32_t hi = RowCount() - 1;
  int32_t pos = 0;
  while (lo <= hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    int c = 0;
    for (const TKeyCol* k = keys; k && c == 0; k = k->Next.get())
      c = CompareValuesInOrder(k->Value, GetCellValue(k->Number, mid), !ignoreCase);
    if (c == 0) {
      inserted = false;
      return mid;
    }
    if (c < 0) {
      pos = mid;
      hi = mid - 1;
    } else {
      pos = mid + 1;
      lo = mid + 1;
    }
  }
  TViewRow* row = table_.GetRow(InsertRow(pos));
  for (const TKeyCol* k = keys; k; k = k->Next.get()) {
    // Unlike SetCellValue, a date key keeps the form its Mode asks for.
    const TColFormat* f = CellFormat(k->Number, row->Index);
    SetCellText(k->Number, row->Index, ValueToText(k->Value, f ? f->Mode : 0, f ? f->Decimals : 0));
  }
  inserted = true;
  return row->Index;
}

int32_t TDataView::FindPrefix(std::string_view prefix, int32_t col) const {
  return table_.FindBestPrefix(prefix, col);
}

int32_t TDataView::FindRowByKeys(TDataView& source, const TViewRow& srcRow, const TKeyCol* srcKeys,
                                 bool sorted, int32_t& insertPos, const TKeyCol* ownKeys) {
  insertPos = 0;
  for (int32_t r = 0; r < RowCount(); ++r) {
    int c = 0;
    const TKeyCol* own = ownKeys;
    for (const TKeyCol* src = srcKeys; src && own && c == 0; src = src->Next.get(), own = own->Next.get())
      c = CompareValues(GetCellValue(own->Number, r), source.GetRowCellValue(srcRow, src->Number), false);
    if (c <= 0) insertPos = r + 1;
    if (c == 0) return r;
    if (c > 0 && sorted) break;
  }
  return -1;
}

TLookupMatches TDataView::FillLookupGrid(std::string_view prefix, const TKeyCol* keys) {
  TLookupMatches m;
  if (!keys) return m;
  const std::string upper = UpperText1251(prefix);
  const int32_t col = keys->Number;
  m.FirstIndex = table_.FindPrefixSorted(upper, col);
  if (m.FirstIndex < 0) return m;
  std::string scratch;
  for (int32_t r = m.FirstIndex; r < RowCount(); ++r) {
    if (!StartsWithNoCase(table_.ReadCellText(col, r, scratch), upper)) {
      if (!m.Rows.empty()) break;
      continue;
    }
    m.Rows.push_back(r);
    std::vector<std::string>& texts = m.Texts.emplace_back();
    for (const TKeyCol* k = keys; k; k = k->Next.get()) {
      std::string text(table_.ReadCellText(k->Number, r, scratch));
      if (const TColFormat* f = CellFormat(k->Number, r))
        FormatValueText(std::string(text), f->Kind, f->Mode, f->Decimals, f->AltText, text);
      texts.push_back(std::move(text));
    }
  }
  return m;
}

std::unique_ptr<TLoadedTexts> TDataView::TextsWhenRead(TStringBase& table) {
  std::vector<TLoadedTexts::TColumn> columns(static_cast<size_t>(ColCount()));
  for (int32_t col = 0; col < ColCount(); ++col) {
    TLoadedTexts::TColumn& c = columns[static_cast<size_t>(col)];
    c.Field = ColumnField(col);
    const TColDescr* d = BlankColumn(*blank_, col + 1);
    if (c.Field < 0 || !d) continue;
    // Which format a condition picks must not matter to the text: only a
    // number's decimals (four when Mode is 0) reach it, and a fixed-text
    // format's own form of anything but a text (-1).
    const auto form = [&table, &c](const TColFormat& f) {
      const char type = table.FieldType(c.Field);
      if (f.Kind == 'E' && type != 'C') return -1;
      return type != 'N' ? 0 : f.Mode == 0 ? 4 : f.Decimals;
    };
    const TVarColFormat* first = d->CondFormats.get();
    if (d->Conditional && !first) continue;
    const TColFormat& format = d->Conditional ? first->Format : d->Format;
    c.Mode = format.Mode;
    c.Decimals = format.Decimals;
    c.FixedText = form(format) < 0;
    if (!d->Conditional) continue;
    for (const TVarColFormat* f = first->Next.get(); f; f = f->Next.get())
      if (form(f->Format) != form(first->Format)) return nullptr;
  }
  return std::make_unique<TLoadedTexts>(table, std::move(columns));
}

void TDataView::LoadFromTable(TStringBase& table, TLoadTexts texts) {
  SetUpdating(true);
  ClearRows();
  loadedTexts_ = texts == TLoadTexts::WhenRead ? TextsWhenRead(table) : nullptr;
  const int32_t pending = loadedTexts_ ? table.Count() : 0;
  if (pending > 0) {
    table_.AppendPendingRows(*loadedTexts_, pending);
    Notify([](TDataViewObserver& o) { o.RowsChanged(); });
    // Where appending the rows one by one leaves the current cell.
    SetCol(0);
    MoveToRow(pending - 1, ShiftNow());
  }
  // A condition may read a column loaded after its own; such a column is
  // written again once its row is whole.
  std::vector<int32_t> conditional;
  for (int32_t col = 0; col < ColCount(); ++col)
    if (const TColDescr* d = BlankColumn(*blank_, col + 1); d && d->Conditional && ColumnField(col) >= 0)
      conditional.push_back(col);
  const auto load = [&](int32_t col, int32_t row) {
    const int32_t field = ColumnField(col);
    if (field < 0) return;
    TCommonVar v;
    table.GetValue(field, v);
    PutLoadedValue(*this, col, row, v);
  };
  for (int32_t rec = pending; rec < table.Count(); ++rec) {
    table.MemTableGoto(rec);
    const int32_t row = AppendRow();
    for (int32_t col = 0; col < ColCount(); ++col) load(col, row);
    for (const int32_t col : conditional) load(col, row);
    SetTableRow(row, rec);
  }
  SetCol(0);
  SetRow(0);
  SetUpdating(false);
}

void TDataView::WriteRowToRecord(int32_t row, TStringBase& table) {
  for (int32_t col = 0; col < ColCount(); ++col) {
    const int32_t field = ColumnField(col);
    if (field < 0) continue;
    TCommonVar v = GetCellValue(col, row);
    if (v.Kind == 'C') v.Str = CollapseBlanks(v.Str);
    table.SetValue(field, v);
  }
}

void TDataView::SaveToTable(TStringBase& table) {
  table.MemTableClear();
  for (int32_t row = 0; row < RowCount(); ++row) {
    table.Append();
    WriteRowToRecord(row, table);
  }
}

bool TDataView::FindTooWideCell(const TStringBase& table, int32_t& row, int32_t& col) {
  for (row = 0; row < RowCount(); ++row)
    for (col = 0; col < ColCount(); ++col)
      if (const int32_t field = ColumnField(col); field >= 0 && !table.FitsField(field, GetCellValue(col, row)))
        return true;
  return false;
}

void TDataView::SaveToTableByRecord(TStringBase& table) {
  for (int32_t row = 0; row < RowCount(); ++row) {
    const int32_t rec = TableRow(row);
    if (rec >= 0 && rec < table.Count()) {
      table.MemTableGoto(rec);
    } else {
      // Remembered, so that a second save writes the same record again.
      SetTableRow(row, table.Append()->Index);
    }
    WriteRowToRecord(row, table);
  }
}

}  // namespace vm
