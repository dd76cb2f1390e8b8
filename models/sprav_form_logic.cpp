#include "models/sprav_form_logic.h"

#include <utility>

#include "config/sysvars.h"
#include "models/book_search.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "language/interpreter.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr std::string_view kCaption = "Справочники"_wv;

bool HasCurrentRow(const TDataView& view) { return view.CurRow() >= 0 && view.CurRow() < view.RowCount(); }

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// Every record loads: no filter condition leaves one out, so a rewrite of
// the whole table keeps them all.
bool LoadsEveryRecord(const TUBL& link) {
  const ITableFilter* filter = link.Table.Filter();
  return filter == nullptr || filter->NoFilter();
}

}  // namespace

TSpravTab::TSpravTab(TSpravDef& book) : Book(book) {}

TSpravTab::~TSpravTab() {
  // The rows read their texts from the table's records until they go.
  View.ClearRows();
  if (table_ == nullptr) return;
  bases_.Clear();
  if (wasReadOnly_) table_->OpenReadOnly();
  if (!wasOpen_) table_->Close();
}

TSpravFormLogic::TSpravFormLogic(TSettingsModel& model) : model_(model) {}

TSpravFormLogic::~TSpravFormLogic() { Hide(); }

TSpravTab* TSpravFormLogic::Tab(int32_t index) const {
  return index >= 0 && index < TabCount() ? tabs_[static_cast<std::size_t>(index)].get() : nullptr;
}

void TSpravFormLogic::Show() {
  Hide();
  model_.Blanks.UnloadAll();
  TDateRec date;
  TTimeRec time;
  GetNowRec(date, time);
  SetSysVarMoment(date, time);
  addMode_ = false;
  toFill_.reset();
  BuildTabs();
  current_ = tabs_.empty() ? -1 : 0;
  close_ = TSpravClose::None;
  modified_ = false;
  TSpravTab* tab = Current();
  searchActive_ = tab != nullptr && tab->View.RowCount() > 0;
  ShowCurrentCell();
  RefreshButtons();
}

void TSpravFormLogic::Hide() {
  for (auto& tab : tabs_) {
    TDataView& view = tab->View;
    view.SetUpdating(true);
    view.OnSelect = nullptr;
    view.OnKeyPress = nullptr;
    view.OnKeyDown = nullptr;
    view.OnCellChange = nullptr;
    view.OnCellAccepted = nullptr;
    view.OnEditEnd = nullptr;
  }
  tabs_.clear();
  current_ = -1;
  addMode_ = false;
  buttons_ = {};
  status_.clear();
}

void TSpravFormLogic::BuildTabs() {
  for (int32_t i = 0; i < model_.Books.Count(); ++i) {
    TSpravDef& book = *model_.Books.GetItem(i);
    if (!book.Valid) continue;
    tabs_.push_back(std::make_unique<TSpravTab>(book));
    BuildTab(*tabs_.back());
  }
}

// A bad form or filter, or a table that cannot be opened for this window
// alone, is told and leaves the tab empty; the other tabs stay usable.
void TSpravFormLogic::BuildTab(TSpravTab& tab) {
  TSpravDef& book = tab.Book;
  TDataView& view = tab.View;
  if (!view.SetBlank(model_.Blanks.FindByName(book.BlankName))) {
    Ui().MsgBox("Ошибка описания бланка '"_w + book.BlankName + "'", std::string(kCaption), kMbError);
    return;
  }
  TDbaseStructure* base = model_.Bases.FindByAlias(book.BaseAlias);
  if (base == nullptr) return;
  // The checks may have left it open for reading only; the tab writes.
  TDBF& dbf = base->Table;
  tab.table_ = &dbf;
  tab.wasOpen_ = dbf.Active();
  tab.wasReadOnly_ = dbf.ReadOnly();
  if ((!dbf.Active() || dbf.ReadOnly()) && !dbf.OpenExclusive()) {
    Ui().MsgBox("Не могу открыть базу справочника '"_w + book.Title + "'\r" + dbf.FileName, std::string(kCaption),
                kMbError);
    return;
  }
  int32_t openFailed = 0;
  tab.Link = tab.bases_.AddBase(book.BaseAlias, *base, openFailed);
  TStringBase& table = tab.Link->Table;
  int32_t keyCount = 0;
  for (const TKeyCol* k = book.SortKeys.get(); k != nullptr; k = k->Next.get()) {
    TKeyCol* key = AddKeyCol(table.Keys, keyCount);
    const TSDef* column = book.GetSDef(k->Number);
    key->Number = column != nullptr ? column->Number : -1;
    key->ViewColumn = k->Number;
    key->Kind = view.BlankFieldKind(k->Number, 0);
  }
  table.KeyCount = keyCount;
  table.SetFilter(book.Filter);
  if (table.GetFilterError() != 0) {
    Ui().MsgBox("Неверно задан фильтр справочника '"_w + book.Title + "'\r" + table.GetFilterMessage(),
                std::string(kCaption), kMbError);
    return;
  }
  if (!table.LoadAll()) return;
  for (int32_t j = 0; j < view.ColCount(); ++j) {
    const TSDef* column = book.GetSDef(j);
    if (TColLayout* layout = view.GetColLayout(j)) layout->BoundField = column != nullptr ? column->Number : -1;
  }
  // The table keeps the records the rows show (for the save), so their
  // texts can wait until they are read.
  view.LoadFromTable(table, RowTexts);
  view.SetUpdating(true);
  tab.Edited.assign(static_cast<std::size_t>(table.Count()), false);
  tab.RewriteWhole = book.AutoSort && book.SortKeys != nullptr && LoadsEveryRecord(*tab.Link);
  tab.Usable = true;
  view.SetEditableColumns(book.CanEdit ? book.EditableColumns : std::bitset<256>());
  WireView(tab);
  if (book.SortOnStart && book.SortKeys) view.SortRows(book.SortKeys.get(), false);
  view.SetRow(0);
  view.SetCol(0);
  view.SetUpdating(false);
}

void TSpravFormLogic::WireView(TSpravTab& tab) {
  TDataView& view = tab.View;
  view.OnSelect = [this, &tab](TDataView&, int32_t, int32_t) { Selected(tab); };
  view.OnKeyPress = [this](char c) { Typed(c); };
  view.OnKeyDown = [this, &tab](TDataView& v, int32_t& key, TShiftState) {
    if (!v.Editing()) KeyDown(tab, key);
  };
  view.OnCellAccepted = [this, &tab](TDataView&) { Accepted(tab); };
  view.OnEditEnd = [this, &tab](TDataView&) { EditEnded(tab); };
}

void TSpravFormLogic::TabChanged(int32_t index) {
  if (Tab(index) == nullptr || index == current_) return;
  if (TSpravTab* old = Current(); old && addMode_) {
    // Ending the edit drops the unfinished row.
    old->View.SetEditing(false);
    if (addMode_) EndAddMode(*old);
  }
  current_ = index;
  searchActive_ = Current()->View.RowCount() > 0;
  ShowCurrentCell();
  RefreshButtons();
  Current()->View.RequestFocus();
}

void TSpravFormLogic::SetStatusText(std::string text) {
  status_ = std::move(text);
  if (Hooks.Changed) Hooks.Changed();
}

void TSpravFormLogic::RefreshButtons() {
  TSpravTab* tab = Current();
  buttons_ = {};
  const bool hasRows = tab != nullptr && tab->View.RowCount() > 0;
  if (tab != nullptr) {
    const TSpravDef& book = tab->Book;
    buttons_.Add = tab->Usable && book.CanInsert;
    buttons_.Delete = tab->Usable && hasRows && HasCurrentRow(tab->View) && book.CanDelete;
    buttons_.Print = hasRows && Hooks.PrinterConfigured && Hooks.PrinterConfigured();
    buttons_.Sort = book.SortKeys != nullptr;
  }
  buttons_.Search = hasRows;
  searchActive_ = buttons_.Search;
  if (Hooks.Changed) Hooks.Changed();
}

// The status line and, while searching, the search line follow the
// current cell.
void TSpravFormLogic::ShowCurrentCell() {
  TSpravTab* tab = Current();
  if (tab == nullptr) {
    status_.clear();
    return;
  }
  const TDataView& view = tab->View;
  status_ = RecordStatusText(view);
  if (searchActive_ && !searching_ && HasCurrentRow(view) && view.CurCol() >= 0 && Hooks.ShowSearchText)
    Hooks.ShowSearchText(view.GetCellText(view.CurCol(), view.CurRow()));
}

void TSpravFormLogic::Selected(TSpravTab& tab) {
  if (&tab != Current() || tab.View.UpdatesSuspended()) return;
  // An edit starts by selecting its cell: what the cell held then tells
  // whether the value accepted changed it.
  if (tab.View.Editing()) editStart_ = tab.View.GetCellText(tab.View.CurCol(), tab.View.CurRow());
  RowEditability(tab);
  ShowCurrentCell();
  RefreshButtons();
}

// A row the table does not hold yet is the user's to fill whole; stored
// rows only in the book's editable columns.
void TSpravFormLogic::RowEditability(TSpravTab& tab) {
  TDataView& view = tab.View;
  if (addMode_ || !tab.Usable) return;
  const bool fresh = HasCurrentRow(view) && view.TableRow(view.CurRow()) < 0;
  std::bitset<256> columns = tab.Book.CanEdit ? tab.Book.EditableColumns : std::bitset<256>();
  if (fresh) columns.set();
  if (columns != view.EditableColumns()) view.SetEditableColumns(columns);
}

void TSpravFormLogic::Typed(char c) {
  if (!searchActive_ || !StartsSearch(c)) return;
  if (Hooks.TypeIntoSearch) Hooks.TypeIntoSearch(std::string(1, c));
}

void TSpravFormLogic::SearchChanged(const std::string& text) {
  TSpravTab* tab = Current();
  if (!searchActive_ || tab == nullptr) return;
  // The row found keeps the text typed, not its own.
  searching_ = true;
  const int32_t row = tab->View.FindPrefix(text, tab->View.CurCol());
  if (row >= 0) tab->View.SetRow(row);
  searching_ = false;
}

void TSpravFormLogic::KeyDown(TSpravTab& tab, int32_t& key) {
  if (&tab != Current()) return;
  if (key == kKeyInsert && buttons_.Add) {
    key = kKeyNone;
    AddClick();
  } else if (key == kKeyDelete && buttons_.Delete) {
    key = kKeyNone;
    DeleteClick();
  }
}

void TSpravFormLogic::MarkModified(TSpravTab& tab) {
  tab.Modified = true;
  modified_ = true;
}

void TSpravFormLogic::AddClick() {
  TSpravTab* tab = Current();
  if (tab == nullptr || !buttons_.Add) return;
  TDataView& view = tab->View;
  if (view.Editing()) view.SetEditing(false);
  toFill_.reset();
  for (int32_t c = 0; c < view.ShownColCount() && c < 256; ++c) toFill_.set(static_cast<std::size_t>(c));
  addMode_ = true;
  view.AddRow();
  view.SetEditableColumns(std::bitset<256>().set());
  view.RequestFocus();
  view.BeginEdit();
  // Nothing is changed until the new row is filled: dropped unfinished, it
  // leaves the book as it was.
  RefreshButtons();
}

// The walk of a new row: each accepted cell done, on to the first column
// still to fill.
void TSpravFormLogic::Accepted(TSpravTab& tab) {
  TDataView& view = tab.View;
  if (HasCurrentRow(view) && view.TableRow(view.CurRow()) >= 0 &&
      TrimBlanks(view.GetCellText(view.CurCol(), view.CurRow())) != TrimBlanks(editStart_)) {
    tab.Edited[static_cast<std::size_t>(view.TableRow(view.CurRow()))] = true;
    MarkModified(tab);
  }
  if (!addMode_ || &tab != Current()) return;
  if (view.CurCol() >= 0 && view.CurCol() < 256) toFill_.reset(static_cast<std::size_t>(view.CurCol()));
  for (int32_t c = 0; c < view.ShownColCount() && c < 256; ++c) {
    if (!toFill_.test(static_cast<std::size_t>(c))) continue;
    view.SetCol(c);
    view.BeginEdit();
    return;
  }
  // Every column accepted: the new row is one to store.
  addMode_ = false;
  MarkModified(tab);
  RowEditability(tab);
  RefreshButtons();
}

void TSpravFormLogic::EditEnded(TSpravTab& tab) {
  if (!addMode_ || &tab != Current()) return;
  EndAddMode(tab);
}

// A new row left before every column was accepted does not stay.
void TSpravFormLogic::EndAddMode(TSpravTab& tab) {
  addMode_ = false;
  toFill_.reset();
  TDataView& view = tab.View;
  if (HasCurrentRow(view) && view.TableRow(view.CurRow()) < 0) view.DeleteRow(view.CurRow());
  RowEditability(tab);
  ShowCurrentCell();
  RefreshButtons();
}

void TSpravFormLogic::DeleteClick() {
  TSpravTab* tab = Current();
  if (tab == nullptr || !buttons_.Delete) return;
  TDataView& view = tab->View;
  if (Ui().MsgBox("Удалить текущую запись?"_w, Ui().AppTitle(), kMbYesNoQuestion) == kIdYes) {
    const int32_t row = view.CurRow();
    const int32_t record = view.TableRow(row);
    TStringBase& table = tab->Link->Table;
    if (record >= 0 && record < table.Count()) {
      table.MemTableGoto(record);
      table.SetDeleted(true);
    }
    view.DeleteRow(row);
    MarkModified(*tab);
  }
  view.RequestFocus();
  searchActive_ = view.RowCount() > 0;
  ShowCurrentCell();
  RefreshButtons();
}

void TSpravFormLogic::SortClick() {
  TSpravTab* tab = Current();
  if (tab == nullptr || !tab->Book.SortKeys) return;
  tab->View.SortRows(tab->Book.SortKeys.get(), false);
  ShowCurrentCell();
  RefreshButtons();
}

void TSpravFormLogic::PrintClick() {
  TSpravTab* tab = Current();
  if (tab == nullptr || !buttons_.Print || !Hooks.Print) return;
  Hooks.Print(*tab);
  ShowCurrentCell();
  RefreshButtons();
}

bool TSpravFormLogic::OkClick() {
  if (!SaveChanged(false)) return false;
  close_ = TSpravClose::Ok;
  return true;
}

bool TSpravFormLogic::CancelClick() {
  if (!SaveChanged(true)) return false;
  close_ = TSpravClose::Cancel;
  return true;
}

bool TSpravFormLogic::SaveChanged(bool ask) {
  if (TSpravTab* tab = Current(); tab && tab->View.Editing()) tab->View.SetEditing(false);
  for (auto& tab : tabs_) {
    if (!tab->Modified || !tab->Usable) continue;
    if (ask && Ui().MsgBox("Сохранить изменения в справочнике "_w + Quoted(tab->Book.Title) + "?",
                           Ui().AppTitle(), 0x2024) != kIdYes) {
      continue;
    }
    if (!SaveTab(*tab)) return false;
  }
  return true;
}

// The cells of a row that go into its record: a new row's every column, a
// stored row's editable ones (the others cannot have changed, and rewriting
// them through their formats could round what the table holds).
bool TSpravFormLogic::Writes(const TSpravTab& tab, int32_t col, bool allColumns) {
  return tab.View.ColumnField(col) >= 0 &&
         (allColumns || (tab.Book.CanEdit && col < 256 && tab.Book.EditableColumns.test(static_cast<std::size_t>(col))));
}

// The row's texts are made first: they must not follow the record they are
// written into.
void TSpravFormLogic::WriteRow(TSpravTab& tab, int32_t row, bool allColumns) {
  TDataView& view = tab.View;
  view.GetRow(row);
  for (int32_t col = 0; col < view.ColCount(); ++col)
    if (Writes(tab, col, allColumns)) tab.Link->Table.SetValue(view.ColumnField(col), view.GetCellValue(col, row));
}

bool TSpravFormLogic::TooWideCell(TSpravTab& tab) {
  TDataView& view = tab.View;
  TStringBase& table = tab.Link->Table;
  for (int32_t row = 0; row < view.RowCount(); ++row) {
    const int32_t record = view.TableRow(row);
    const bool added = record < 0 || record >= table.Count();
    if (!added && !tab.Edited[static_cast<std::size_t>(record)]) continue;
    for (int32_t col = 0; col < view.ColCount(); ++col) {
      if (!Writes(tab, col, added)) continue;
      const TCommonVar value = view.GetCellValue(col, row);
      if (table.FitsField(view.ColumnField(col), value)) continue;
      for (int32_t i = 0; i < TabCount(); ++i)
        if (Tab(i) == &tab) TabChanged(i);
      view.SetRow(row);
      view.SetCol(col);
      Ui().MsgBox(TrimBlanks(TooWideNumberText(value.Num, table.FieldName(view.ColumnField(col)))) +
                      " справочника "_w + Quoted(tab.Book.Title) + ". Изменения не сохранены."_w,
                  Ui().AppTitle(), kMbError);
      return true;
    }
  }
  return false;
}

bool TSpravFormLogic::SaveTab(TSpravTab& tab) {
  if (!tab.Usable || tab.Link == nullptr) return true;
  TDataView& view = tab.View;
  TStringBase& table = tab.Link->Table;
  // Checked before anything changes: the window stays open with the
  // changes for the user to mend.
  if (TooWideCell(tab)) return false;
  if (tab.Book.AutoSort && tab.Book.SortKeys) view.SortRows(tab.Book.SortKeys.get(), false);
  for (int32_t row = 0; row < view.RowCount(); ++row) {
    const int32_t record = view.TableRow(row);
    if (record < 0 || record >= table.Count()) {
      view.SetTableRow(row, table.Append()->Index);
      tab.Edited.push_back(false);
      WriteRow(tab, row, true);
    } else if (tab.Edited[static_cast<std::size_t>(record)]) {
      table.MemTableGoto(record);
      WriteRow(tab, row, false);
    }
  }
  TSaveResult result;
  if (tab.RewriteWhole) {
    // The table takes the rows' order; deleted records are left out.
    std::vector<int32_t> order;
    order.reserve(static_cast<std::size_t>(view.RowCount()));
    for (int32_t row = 0; row < view.RowCount(); ++row) order.push_back(view.TableRow(row));
    std::vector<bool> edited;
    edited.reserve(order.size());
    for (const int32_t record : order) edited.push_back(tab.Edited[static_cast<std::size_t>(record)]);
    table.KeepRows(order);
    tab.Edited = std::move(edited);
    for (int32_t row = 0; row < view.RowCount(); ++row) view.SetTableRow(row, row);
    result = table.Rewrite();
  } else {
    result = table.SaveChanges();
  }
  if (result == TSaveResult::Failed) {
    Ui().MsgBox("Не удалось записать справочник "_w + Quoted(tab.Book.Title) +
                    ". Изменения не сохранены."_w,
                Ui().AppTitle(), kMbError);
    return false;
  }
  tab.Modified = false;
  std::fill(tab.Edited.begin(), tab.Edited.end(), false);
  return true;
}

}  // namespace vm
