#include "documents/row_entry.h"

#include "documents/document_recalc.h"
#include "documents/document_window.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "language/bound_tables.h"
#include "language/evaluator.h"
#include "language/interpreter.h"
#include "language/table_filter.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

TCommonVar Number(long double n) {
  TCommonVar v;
  v.Kind = 'N';
  v.Num = n;
  return v;
}

void Run(TInstruction* program) {
  if (program != nullptr) Interp().ExecProgram(program);
}

bool IsColumn(int32_t col) { return col >= 0 && col < static_cast<int32_t>(TColumnSet().size()); }

bool InSet(const TColumnSet& set, int32_t col) { return IsColumn(col) && set.test(static_cast<std::size_t>(col)); }

}  // namespace

TRowEntry::TRowEntry(TCompiledDocument& doc, TFormPar& form)
    : doc_(doc), form_(form), page_(form.Help), lookup_(form) {
  TDataView& view = form.View();
  change_ = view.OnCellChange;
  keyDown_ = view.OnKeyDown;
  accepted_ = view.OnCellAccepted;
  editEnd_ = view.OnEditEnd;
  listCell_ = view.OnListCell;
  addRow_ = view.OnAddRow;
  view.OnCellChange = [this](TDataView&) { CellChange(); };
  view.OnKeyDown = [this](TDataView&, int32_t& key, TShiftState shift) { KeyDown(key, shift); };
  view.OnCellAccepted = [this](TDataView&) { Accept(); };
  view.OnEditEnd = [this](TDataView&) { EditEnd(); };
  view.OnListCell = [this](TDataView&) { PickFromList(); };
  // The new row is numbered before ONADDROW fills it.
  view.OnAddRow = [this](TDataView& v) {
    SetCurrentRow(v.CurRow());
    Run(form_.OnAddRow);
  };
}

TRowEntry::~TRowEntry() {
  TDataView& view = form_.View();
  view.OnCellChange = change_;
  view.OnKeyDown = keyDown_;
  view.OnCellAccepted = accepted_;
  view.OnEditEnd = editEnd_;
  view.OnListCell = listCell_;
  view.OnAddRow = addRow_;
}

void TRowEntry::StartEntry() {
  TDataView& view = form_.View();
  if (view.Editing() || form_.Keys == nullptr) return;
  BeginAdding();
  view.AddRow();
  keyStep_ = form_.Keys.get();
  GoToColumn(keyStep_->Number);
  if (!view.Editing()) adding_ = false;
}

void TRowEntry::AddFromPage(int32_t pageRow) {
  TDataView& view = form_.View();
  if (view.Editing() || page_ == nullptr || pageRow < 0 || pageRow >= page_->Shown.RowCount()) return;
  BeginAdding();
  FillFromRecord(page_->Shown, pageRow);
  if (!view.Editing()) adding_ = false;
}

void TRowEntry::BeginAdding() {
  TDataView& view = form_.View();
  adding_ = true;
  addObject_ = false;
  // The key comes first, then the columns a new row asks for.
  saved_.reset();
  for (int32_t c = 0; c < view.ShownColCount() && c < static_cast<int32_t>(saved_.size()); ++c)
    if (form_.EditCols.test(static_cast<std::size_t>(c))) saved_.set(static_cast<std::size_t>(c));
  for (const TKeyCol* k = form_.Keys.get(); k != nullptr; k = k->Next.get())
    if (IsColumn(k->Number)) saved_.set(static_cast<std::size_t>(k->Number));
  toEnter_ = saved_;
}

void TRowEntry::GoToColumn(int32_t col) {
  TDataView& view = form_.View();
  view.SetEditableColumns(saved_ | toEnter_);
  view.SetCol(col);
  view.BeginEdit();
}

const TKeyCol* TRowEntry::LastKey() const {
  const TKeyCol* k = form_.Keys.get();
  while (k != nullptr && k->Next) k = k->Next.get();
  return k;
}

void TRowEntry::SetCurrentRow(int32_t row) {
  if (form_.CurrentRow != nullptr) form_.CurrentRow->Value = Number(row + 1);
}

void TRowEntry::Recalc() {
  if (doc_.Events.Recalc) {
    doc_.Events.Recalc();
  } else {
    RecalcDocument(doc_);
  }
}

void TRowEntry::HideList() {
  lookup_.Hide();
  Changed();
}

void TRowEntry::CellChange() {
  if (filling_) return;
  if (!lookup_.Applies()) {
    if (lookup_.ListVisible()) HideList();
    return;
  }
  lookup_.TextChanged(form_.View().EditorText());
  Changed();
}

void TRowEntry::KeyDown(int32_t& key, TShiftState shift) {
  TDataView& view = form_.View();
  const bool withShift = (shift & kShiftKey) != 0;
  const bool withCtrl = (shift & kCtrlKey) != 0;
  if (view.Editing()) {
    if (lookup_.ListVisible()) {
      if (key == kKeyEnter && withCtrl && !withShift) {
        key = kKeyNone;
        return;
      }
      if (key == kKeyEnter && withShift && !withCtrl) {
        key = kKeyNone;
        view.ShowEditorText(lookup_.ChosenKeyText());
        return;
      }
      if (key == kKeyEnter && !withShift && !withCtrl && lookup_.ChosenPageRow() >= 0) {
        key = kKeyNone;
        ChooseFromList();
        return;
      }
      if (key == kKeyUp || key == kKeyDown) {
        lookup_.MoveSelection(key == kKeyUp ? -1 : 1);
        key = kKeyNone;
        Changed();
        return;
      }
    } else if ((key == kKeyUp || key == kKeyDown) &&
               IsColumn(view.CurCol()) && static_cast<std::size_t>(view.CurCol()) < form_.ColumnLists.size() &&
               form_.ColumnLists[static_cast<std::size_t>(view.CurCol())] != nullptr) {
      key = kKeyNone;
      PickFromList();
      return;
    }
  } else if (key == kKeyInsert && form_.AddRows) {
    key = kKeyNone;
    StartEntry();
    return;
  } else if (key == kKeyDelete && DeleteRow) {
    key = kKeyNone;
    DeleteRow();
    return;
  }
  if (key != kKeyNone && keyDown_) keyDown_(view, key, shift);
}

void TRowEntry::ChooseFromList() {
  const int32_t pageRow = lookup_.ChosenPageRow();
  if (pageRow < 0 || page_ == nullptr) return;
  TDataView& view = form_.View();
  // The edit ends without its "abandoned" step: the entry goes on with the
  // row filled from the record in place of the typed one.
  filling_ = true;
  view.SetEditing(false);
  if (adding_ && view.CurRow() >= 0) view.DeleteRow(view.CurRow());
  filling_ = false;
  HideList();
  page_->Shown.SetRow(pageRow);
  FillFromRecord(page_->Shown, pageRow);
}

void TRowEntry::FillFromRecord(TDataView& pageView, int32_t pageRow) {
  TDataView& view = form_.View();
  filling_ = true;
  const int32_t row = view.AddRow();
  const int32_t record = pageView.TableRow(pageRow);
  TUBL* link = page_->Link;
  const bool fromRecord = link != nullptr && !page_->SortHelpOnly && record >= 0 && record < link->Table.Count();
  if (fromRecord) link->Table.MemTableGoto(record);
  const TKeyCol* pk = page_->Keys.get();
  for (const TKeyCol* fk = form_.Keys.get(); fk != nullptr && pk != nullptr; fk = fk->Next.get(), pk = pk->Next.get())
    view.SetCellValue(fk->Number, row, pageView.GetCellValue(pk->Number, pageRow));
  // A page of its own columns maps table columns to its columns; a page
  // over a base maps them to fields of the record.
  for (int32_t col = 0; col < view.ColCount(); ++col) {
    const int32_t bound = view.ColumnField(col);
    if (bound < 0) continue;
    if (page_->SortHelpOnly) {
      if (bound < pageView.ColCount()) view.SetCellValue(col, row, pageView.GetCellValue(bound, pageRow));
    } else if (fromRecord) {
      TCommonVar v;
      link->Table.GetValue(bound, v);
      view.SetCellValue(col, row, v);
    }
  }
  SetCurrentRow(row);
  if (form_.AddFromHelp != nullptr) {
    (&pageView == &page_->Hidden ? page_->HiddenRowNo : page_->ShownRowNo) = pageRow + 1;
    Run(form_.AddFromHelp);
  }
  view.PaintRows();
  Accept();
  filling_ = false;
}

TRowEntry::TKeyLookup TRowEntry::LookUpEnteredKey() {
  TDataView& view = form_.View();
  const TViewRow* row = view.GetRow(view.CurRow());
  if (row == nullptr) return TKeyLookup::Missing;
  lookup_.EnsurePageRows();
  int32_t insertPos = 0;
  page_->Shown.FindRowByKeys(view, *row, form_.Keys.get(), false, insertPos, page_->Keys.get());
  const int32_t hidden =
      page_->Hidden.FindRowByKeys(view, *row, form_.Keys.get(), false, insertPos, page_->Keys.get());
  if (hidden >= 0) {
    // The typed row gives way to the one filled from the book.
    view.DeleteRow(view.CurRow());
    FillFromRecord(page_->Hidden, hidden);
    return TKeyLookup::Found;
  }
  if (form_.AutoAdd) {
    if (form_.AutoAddCount == 2 ||
        Ui().MsgBox("Указанный объект отсутствует в справочнике! Добавить?"_w, "Неизвестный объект"_w,
                    kMbYesNoQuestion) == kIdYes) {
      addObject_ = true;
      return TKeyLookup::Added;
    }
    return TKeyLookup::Missing;
  }
  Ui().MsgBox("Указанный объект отсутствует в справочнике !"_w, "Ошибка ввода"_w, kMbError);
  return TKeyLookup::Missing;
}

void TRowEntry::Accept() {
  TDataView& view = form_.View();
  const int32_t col = view.CurCol();
  if (filling_) {
    toEnter_ = form_.UserEditableCols();
    keyStep_ = nullptr;
  } else if (keyStep_ != nullptr && keyStep_ == LastKey() && col == keyStep_->Number && page_ != nullptr) {
    switch (LookUpEnteredKey()) {
      case TKeyLookup::Found:
        return;  // the filled row was accepted whole
      case TKeyLookup::Missing:
        keyStep_ = form_.Keys.get();
        break;
      case TKeyLookup::Added:
        toEnter_.reset(static_cast<std::size_t>(col));
        keyStep_ = nullptr;
        break;
    }
  } else {
    if (IsColumn(col)) toEnter_.reset(static_cast<std::size_t>(col));
    if (keyStep_ != nullptr && col == keyStep_->Number) keyStep_ = keyStep_->Next.get();
  }
  HideList();

  TColumnSet left = toEnter_;
  for (int32_t c = view.ShownColCount(); c < static_cast<int32_t>(left.size()); ++c)
    left.reset(static_cast<std::size_t>(c));
  const bool complete = left.none();
  const bool wasAdding = adding_;
  if (complete) {
    view.SetEditableColumns(form_.UserEditableCols());
    saved_.reset();
    if (addObject_) AddObjectToPage();
    addObject_ = false;
    adding_ = false;
  }
  if (wasAdding && keyStep_ == nullptr && MergeRepeatedKey()) {
    SetCurrentRow(view.CurRow());
    Run(form_.FormChange);
    Recalc();
    return;
  }
  SetCurrentRow(view.CurRow());
  Run(form_.FormChange);
  Recalc();
  if (!complete) {
    int32_t next = keyStep_ != nullptr ? keyStep_->Number : -1;
    for (int32_t c = 0; next < 0 && c < view.ShownColCount(); ++c)
      if (left.test(static_cast<std::size_t>(c))) next = c;
    // While filling, the caller's edit is over; the entry goes on here.
    GoToColumn(next);
    if (!view.Editing()) {
      adding_ = false;
      view.SetEditableColumns(form_.UserEditableCols());
    }
    return;
  }
  // A failing check has put the user back into the checked cell.
  if (view.CurRow() >= 0 && !CheckTableRows(doc_, form_, view.CurRow())) return;
  if (form_.Sort && form_.Keys != nullptr) view.SortRows(form_.Keys.get(), false);
  if (form_.AutoEdit) {
    StepOn();
  } else if (form_.HelpFocus && ShowLookupPage) {
    ShowLookupPage();
  }
}

bool TRowEntry::MergeRepeatedKey() {
  if (!form_.MergeMark || form_.MergeSet.none()) return false;
  TDataView& view = form_.View();
  const int32_t row = view.CurRow();
  int32_t earlier = -1;
  for (int32_t r = 0; r < row && earlier < 0; ++r) {
    bool same = true;
    for (const TKeyCol* k = form_.Keys.get(); k != nullptr && same; k = k->Next.get())
      same = CompareValues(view.GetCellValue(k->Number, r), view.GetCellValue(k->Number, row), false) == 0;
    if (same) earlier = r;
  }
  if (earlier < 0) return false;
  for (int32_t c = 0; c < view.ColCount() && c < static_cast<int32_t>(form_.MergeSet.size()); ++c) {
    if (!form_.MergeSet.test(static_cast<std::size_t>(c))) continue;
    const TCommonVar a = view.GetCellValue(c, earlier);
    const TCommonVar b = view.GetCellValue(c, row);
    view.SetCellValue(c, earlier, Number((a.Kind == 'N' ? a.Num : 0) + (b.Kind == 'N' ? b.Num : 0)));
  }
  filling_ = true;
  if (view.Editing()) view.SetEditing(false);
  filling_ = false;
  view.DeleteRow(row);
  view.SetRow(earlier);
  adding_ = false;
  toEnter_.reset();
  saved_.reset();
  keyStep_ = nullptr;
  view.SetEditableColumns(form_.UserEditableCols());
  return true;
}

void TRowEntry::AddObjectToPage() {
  TDataView& view = form_.View();
  const int32_t row = view.CurRow();
  if (page_ == nullptr || row < 0) return;
  if (page_->Link != nullptr && !page_->SortHelpOnly) {
    // A number its base cannot hold would become another one there: the
    // object stays out of the book, the row as it was typed.
    TStringBase& table = page_->Link->Table;
    for (int32_t col = 0; col < view.ColCount(); ++col) {
      const int32_t field = view.ColumnField(col);
      const TCommonVar value = field >= 0 ? view.GetCellValue(col, row) : TCommonVar();
      if (field < 0 || table.FitsField(field, value)) continue;
      Ui().MsgBox(TrimBlanks(TooWideNumberText(value.Num, table.FieldName(field))) + " справочника \""_w +
                      page_->Title + "\". Объект в справочник не добавлен."_w,
                  Ui().AppTitle(), kMbError);
      return;
    }
  }
  TDataView* views[2] = {&page_->Shown, &page_->Hidden};
  int32_t rows[2] = {-1, -1};
  for (int i = 0; i < 2; ++i) {
    const TKeyCol* fk = form_.Keys.get();
    for (TKeyCol* pk = page_->Keys.get(); pk != nullptr && fk != nullptr; pk = pk->Next.get(), fk = fk->Next.get())
      pk->Value = view.GetCellValue(fk->Number, row);
    bool inserted = false;
    rows[i] = views[i]->FindOrInsertRow(page_->Keys.get(), inserted, true);
    if (!page_->SortHelpOnly) continue;
    for (int32_t col = 0; col < view.ColCount(); ++col) {
      const int32_t bound = view.ColumnField(col);
      if (bound >= 0 && bound < views[i]->ColCount()) views[i]->SetCellValue(bound, rows[i], view.GetCellValue(col, row));
    }
  }
  TUBL* link = page_->Link;
  const bool onBase = link != nullptr && !page_->SortHelpOnly;
  if (onBase) {
    // The object becomes a record of the book's base; both rows show it.
    TStringBase& table = link->Table;
    const int32_t record = table.Append()->Index;
    for (int32_t col = 0; col < view.ColCount(); ++col)
      if (const int32_t field = view.ColumnField(col); field >= 0) table.SetValue(field, view.GetCellValue(col, row));
    for (int i = 0; i < 2; ++i) {
      views[i]->SetTableRow(rows[i], record);
      for (int32_t c = 0; c < views[i]->ColCount(); ++c)
        if (const int32_t field = views[i]->ColumnField(c); field >= 0) {
          TCommonVar v;
          table.GetValue(field, v);
          views[i]->SetCellValue(c, rows[i], v);
        }
    }
  }
  page_->ShownRowNo = rows[0] + 1;
  page_->HiddenRowNo = rows[1] + 1;
  Run(page_->PreAddToHelp);
  if (page_->HasValueList) page_->FillComboBox();
  Run(page_->AddToHelp);
  if (onBase && page_->Filter != nullptr && !page_->Filter->NoFilter() && !page_->Filter->ConditionsHold()) {
    page_->Shown.DeleteRow(rows[0]);
    page_->Hidden.DeleteRow(rows[1]);
  }
}

void TRowEntry::StepOn() {
  TDataView& view = form_.View();
  const int32_t row = view.CurRow();
  if (view.Form != nullptr && view.Form->LookupMode && view.MoveAfterEdit()) {
    const int32_t next = row + (view.MoveUp() ? -1 : 1);
    if (next < 0 || next >= view.RowCount()) return;
    view.SetRow(next);
    view.BeginEdit();
    return;
  }
  for (int32_t r = row; r < view.RowCount(); ++r)
    for (int32_t c = r == row ? view.CurCol() + 1 : 0; c < view.ShownColCount(); ++c)
      if (InSet(form_.UserEditableCols(), c)) {
        view.SetRow(r);
        view.SetCol(c);
        view.BeginEdit();
        return;
      }
}

void TRowEntry::DropRow() {
  TDataView& view = form_.View();
  filling_ = true;
  if (view.Editing()) view.SetEditing(false);
  filling_ = false;
  HideList();
  if (view.CurRow() >= 0) view.DeleteRow(view.CurRow());
  EndAdding();
}

void TRowEntry::EndAdding() {
  form_.View().SetEditableColumns(form_.UserEditableCols());
  adding_ = false;
  addObject_ = false;
  toEnter_.reset();
  saved_.reset();
  keyStep_ = nullptr;
}

void TRowEntry::EditEnd() {
  HideList();
  if (filling_) return;
  TDataView& view = form_.View();
  const int32_t col = view.CurCol();
  if (adding_ && FindKeyCol(form_.Keys.get(), col) != nullptr && !InSet(form_.NoEditCols, col) &&
      view.CurRow() >= 0)
    view.DeleteRow(view.CurRow());
  EndAdding();
  SetCurrentRow(view.CurRow());
  Run(form_.FormChange);
  Recalc();
}

void TRowEntry::PickFromList() {
  TDataView& view = form_.View();
  const auto col = static_cast<std::size_t>(view.CurCol());
  if (!view.Editing() || view.CurCol() < 0 || col >= form_.ColumnLists.size()) return;
  TFldList* list = form_.ColumnLists[col];
  if (list == nullptr) return;
  ListPickRequest request;
  request.Width = list->Width;
  request.Height = list->Height;
  request.Items = list->Strings;
  if (!list->Expr.empty()) {
    int err = 0;
    TCommonVar caption;
    EvalExpr(list->Expr, err, caption);
    if (err == 0 && caption.Kind == 'C') request.Caption = caption.Str;
  }
  std::string text = view.EditorText();
  if (Ui().PickFromList(request, text)) view.ShowEditorText(text);
}

}  // namespace vm
