// Sorting and searching the rows of a blank view by typed cell values, and
// the exchange of rows with in-memory tables.
#include <algorithm>
#include <numeric>

#include "foundation/tables/string_base.h"
#include "foundation/text/collation.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "models/data_view.h"
#include "models/row_sort.h"

namespace vm {

namespace {

int32_t KeyCount(const TKeyCol* keys) {
  int32_t n = 0;
  for (; keys; keys = keys->Next.get()) ++n;
  return n;
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
  const int32_t keyCount = KeyCount(keys);
  if (n < 2 || keyCount == 0) return false;

  TRowKeys rowKeys(n, keyCount);
  for (int32_t r = 0; r < n; ++r)
    for (const TKeyCol* key = keys; key; key = key->Next.get())
      rowKeys.Add(GetCellText(key->Number, r), BlankFieldKind(key->Number, r));
  const std::vector<int32_t> order = rowKeys.SortedOrder(descending);
  bool moved = false;
  for (int32_t i = 0; i < n && !moved; ++i) moved = order[static_cast<size_t>(i)] != i;
  if (!moved) return false;

  const TViewRow* current = table_.GetRow(curRow_);
  table_.Reorder(order);
  if (current) curRow_ = current->Index;
  anchorRow_ = curRow_;
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
  for (int32_t r = m.FirstIndex; r < RowCount(); ++r) {
    if (!StartsWithNoCase(GetCellText(col, r), upper)) {
      if (!m.Rows.empty()) break;
      continue;
    }
    m.Rows.push_back(r);
    std::vector<std::string>& texts = m.Texts.emplace_back();
    for (const TKeyCol* k = keys; k; k = k->Next.get()) {
      std::string text = GetCellText(k->Number, r);
      if (const TColFormat* f = CellFormat(k->Number, r))
        FormatValueText(GetCellText(k->Number, r), f->Kind, f->Mode, f->Decimals, f->AltText, text);
      texts.push_back(std::move(text));
    }
  }
  return m;
}

void TDataView::LoadFromTable(TStringBase& table) {
  SetUpdating(true);
  ClearRows();
  for (int32_t rec = 0; rec < table.Count(); ++rec) {
    table.MemTableGoto(rec);
    const int32_t row = AppendRow();
    for (int32_t col = 0; col < ColCount(); ++col) {
      const int32_t field = ColumnField(col);
      if (field < 0) continue;
      TCommonVar v;
      table.GetValue(field, v);
      SetCellValue(col, row, v);
    }
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
