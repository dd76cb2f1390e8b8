#include "documents/work_sprav.h"

#include "models/book_search.h"
#include "language/interpreter.h"
#include "platform/encoding.h"

namespace vm {

namespace {

constexpr int32_t kKeyW = 'W';

void Run(TInstruction* program) {
  if (program != nullptr) Interp().ExecProgram(program);
}

bool HasCurrentRow(const TDataView& view) { return view.CurRow() >= 0 && view.CurRow() < view.RowCount(); }

}  // namespace

TWorkSpravLogic::TWorkSpravLogic(TCompiledDocument& doc, TDocumentFrame& frame) : doc_(doc), frame_(frame) {}

TWorkSpravLogic::~TWorkSpravLogic() { DetachLookupPages(); }

THelpItem* TWorkSpravLogic::Page() const {
  return pageIndex_ >= 0 && pageIndex_ < static_cast<int32_t>(pages_.size())
             ? pages_[static_cast<std::size_t>(pageIndex_)]
             : nullptr;
}

void TWorkSpravLogic::Changed() {
  if (Hooks.Changed) Hooks.Changed();
}

void TWorkSpravLogic::AttachLookupPages() {
  DetachLookupPages();
  for (int32_t i = 0; i < doc_.HelpPages.Count(); ++i) {
    THelpItem& page = *doc_.HelpPages.Items(i);
    pages_.push_back(&page);
    TDataView& shown = page.Shown;
    saved_.push_back({shown.OnSelect, shown.OnKeyPress, shown.OnKeyDown});
    shown.SetUpdating(true);
    Prepare(page);
    shown.SetRow(0);
    shown.SetCol(0);
    shown.OnSelect = [this, &page](TDataView&, int32_t, int32_t) { Selected(page); };
    shown.OnKeyPress = [this](char c) { Typed(c); };
    // The page is only read: its editor's keys do nothing here.
    shown.OnKeyDown = [](TDataView&, int32_t&, TShiftState) {};
    shown.SetUpdating(false);
    page.Options.OnClick = [this](THelpItem& p, TOpt&) { Refilter(p); };
    if (page.Options.Count() > 0) {
      page.Options.Visible = true;
      page.Options.Click(0);
    }
  }
  pageIndex_ = pages_.empty() ? -1 : 0;
  RefreshButtons();
}

// The page's rows from its table through its filter, sorted by its keys
// unless it keeps the table's order, then its categories and its program.
void TWorkSpravLogic::Prepare(THelpItem& page) {
  // The rows of a page bound to its table stay in the table: "Добавить"
  // and the checks read the chosen record from there, and the document may
  // still write the table back.
  page.LoadRows();
  if (!page.NoSort && page.Keys) page.Hidden.SortRows(page.Keys.get(), false);
  if (page.HasValueList) {
    page.OnCategoryChange = [this](THelpItem& p) { Refilter(p); };
    page.FillComboBox();
    Run(page.AfterLoadHelp);
    Refilter(page);
  } else {
    Run(page.AfterLoadHelp);
    CopyFilteredRows(page.Hidden, page.Shown, true, nullptr, nullptr);
  }
}

void TWorkSpravLogic::DetachLookupPages() {
  pageIndex_ = -1;
  active_ = false;
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    THelpItem& page = *pages_[i];
    page.Shown.SetUpdating(true);
    page.Shown.OnSelect = std::move(saved_[i].Select);
    page.Shown.OnKeyPress = std::move(saved_[i].KeyPress);
    page.Shown.OnKeyDown = std::move(saved_[i].KeyDown);
    page.OnCategoryChange = nullptr;
    page.Options.OnClick = nullptr;
  }
  pages_.clear();
  saved_.clear();
  buttons_ = {};
  status_.clear();
}

void TWorkSpravLogic::Refilter(THelpItem& page) {
  if (refiltering_) return;
  refiltering_ = true;
  TDataView& shown = page.Shown;
  const bool wasSuspended = shown.UpdatesSuspended();
  shown.SetUpdating(true);
  TExprChain* option = page.Options.Selected;
  const bool allCategories = page.FirstCategoryAll && page.CategoryIndex == 0;
  TExprChain* category = page.HasValueList && !allCategories && !page.ThirdExpr.empty() ? &page.ThirdExpr : nullptr;
  CopyFilteredRows(page.Hidden, shown, true, option, category);
  shown.SetRow(0);
  shown.SetUpdating(wasSuspended);
  refiltering_ = false;
  if (&page == Page()) {
    ShowCurrentCell();
    RefreshButtons();
  }
}

void TWorkSpravLogic::Shown() {
  pageIndex_ = pages_.empty() ? -1 : 0;
  ShowCurrentCell();
  RefreshButtons();
  if (THelpItem* page = Page(); page && buttons_.Tabs && Hooks.FocusPage) Hooks.FocusPage(*page);
}

void TWorkSpravLogic::ShowPage(THelpItem* page, bool enabled) {
  int32_t index = -1;
  for (std::size_t i = 0; i < pages_.size(); ++i)
    if (pages_[i] == page) index = static_cast<int32_t>(i);
  if (index >= 0 && index != pageIndex_) {
    pageIndex_ = index;
    ShowCurrentCell();
  }
  SetLookupActive(index >= 0 && enabled);
  if (index >= 0 && enabled && Hooks.FocusPage) Hooks.FocusPage(*page);
  RefreshButtons();
}

void TWorkSpravLogic::SetLookupActive(bool active) {
  if (active == active_) return;
  active_ = active;
  RefreshButtons();
}

bool TWorkSpravLogic::TabClicked(int32_t index) { return index == pageIndex_; }

void TWorkSpravLogic::RefreshButtons() {
  THelpItem* page = Page();
  buttons_ = {};
  buttons_.Tabs = active_ && page != nullptr;
  buttons_.Search = buttons_.Tabs && page->Shown.RowCount() > 0;
  buttons_.Add = buttons_.Search && frame_.Buttons().Add && HasCurrentRow(page->Shown);
  searchActive_ = buttons_.Search;
  Changed();
}

// The status line and, while searching is possible, the search line show
// the page's current cell.
void TWorkSpravLogic::ShowCurrentCell() {
  THelpItem* page = Page();
  if (page == nullptr) {
    status_.clear();
    return;
  }
  const TDataView& view = page->Shown;
  status_ = RecordStatusText(view);
  if (searchActive_ && !searching_ && HasCurrentRow(view) && view.CurCol() >= 0 && Hooks.ShowSearchText)
    Hooks.ShowSearchText(view.GetCellText(view.CurCol(), view.CurRow()));
}

void TWorkSpravLogic::Selected(THelpItem& page) {
  if (&page != Page() || page.Shown.UpdatesSuspended()) return;
  ShowCurrentCell();
  RefreshButtons();
}

void TWorkSpravLogic::Typed(char c) {
  if (!searchActive_ || !StartsSearch(c)) return;
  if (Hooks.TypeIntoSearch) Hooks.TypeIntoSearch(std::string(1, c));
}

void TWorkSpravLogic::SearchChanged(const std::string& text) {
  THelpItem* page = Page();
  if (!searchActive_ || page == nullptr) return;
  // The row found keeps the text typed, not its own.
  searching_ = true;
  const int32_t row = page->Shown.FindPrefix(text, page->Shown.CurCol());
  if (row >= 0) page->Shown.SetRow(row);
  searching_ = false;
}

void TWorkSpravLogic::AddClick(bool withShift) {
  THelpItem* page = Page();
  TDataView* target = frame_.CurrentView();
  TFormPar* form = frame_.CurrentForm();
  // Only the page of the current table knows how to fill its rows.
  if (!frame_.Buttons().Add || page == nullptr || target == nullptr || form == nullptr || form->Help != page) return;
  TDataView& shown = page->Shown;
  if (HasCurrentRow(shown)) {
    const int32_t row = shown.CurRow();
    if (Hooks.FocusPage) Hooks.FocusPage(*page);
    if (target->Editing()) target->SetEditing(false);
    if (TRowEntry* entry = Hooks.EntryOf ? Hooks.EntryOf(*target) : nullptr) {
      if (withShift) {
        const std::string key = page->Keys ? shown.GetCellText(page->Keys->Number, row) : std::string();
        entry->StartEntry();
        target->ShowEditorText(key);
      } else {
        entry->AddFromPage(row);
      }
    }
    if (Hooks.ToDocument) Hooks.ToDocument();
  }
  RefreshButtons();
}

bool TWorkSpravLogic::KeyDown(int32_t key, bool ctrl, bool viewFocused) {
  if (!ctrl && key == kKeyEnter) {
    if (!buttons_.Add || !viewFocused) return false;
    AddClick(false);
  } else if (!ctrl && key == kKeyInsert) {
    if (Hooks.ToDocument) Hooks.ToDocument();
    if (buttons_.Add) AddClick(false);
  } else if (!ctrl && key == kFrameKeyF5) {
    if (Hooks.ToggleMaximized) Hooks.ToggleMaximized();
  } else if ((!ctrl && (key == kFrameKeyF11 || key == kFrameKeyF12)) || (ctrl && key == kKeyW)) {
    if (Hooks.ToDocument) Hooks.ToDocument();
  } else if (ctrl && key == kFrameKeyI) {
    if (Hooks.InfoToFront) Hooks.InfoToFront();
  } else {
    return false;
  }
  return true;
}

}  // namespace vm
