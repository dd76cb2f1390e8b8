#include "models/help_pages.h"

#include <algorithm>
#include <cmath>

#include "foundation/text/collation.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "language/bound_tables.h"
#include "language/evaluator.h"
#include "language/table_filter.h"
#include "language/table_views.h"

namespace vm {

namespace {

constexpr int32_t kOptionLeftTop = 2;

std::string PageName(std::string_view name) { return UpperText1251(TrimBlanks(name)); }

// An absent condition passes; a present one must give a number clearly
// away from zero without an error.
bool ConditionPasses(TExprChain* cond) {
  if (!cond || cond->empty()) return true;
  int err = 0;
  TCommonVar v;
  EvalExpr(*cond, err, v);
  return err == 0 && v.Kind == 'N' && std::fabs(v.Num) > kNumTolerance;
}

// What formulas see as the row of View while rows are copied: its form's
// row-number variable and its page's row of that view.
void ShowRowNumber(TDataView& view, int32_t rowNo) {
  if (view.Form && view.Form->RowNumber) {
    view.Form->RowNumber->Value.Kind = 'N';
    view.Form->RowNumber->Value.Num = rowNo;
  }
  if (THelpItem* page = view.Page) {
    if (&view == &page->Shown) page->ShownRowNo = rowNo;
    if (&view == &page->Hidden) page->HiddenRowNo = rowNo;
  }
}

}  // namespace

// --- Options -----------------------------------------------------------------

TOpt* TOptList::AddNew() {
  Visible = true;
  return items_.emplace_back(std::make_unique<TOpt>()).get();
}

TOpt* TOptList::Items(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<size_t>(index)].get();
}

void TOptList::Click(int32_t index) {
  TOpt* opt = Items(index);
  if (!opt) return;
  Selected = &opt->Condition;
  if (OnClick && Page) OnClick(*Page, *opt);
}

void TOptList::Clear() {
  Selected = nullptr;
  items_.clear();
}

TOptArrangement ArrangeOptions(const std::vector<int32_t>& heights) {
  TOptArrangement a;
  int32_t top = kOptionLeftTop;
  int32_t bottom = 1;  // an empty panel is 3 high
  for (const int32_t h : heights) {
    a.Tops.push_back(top);
    bottom = top + h;
    top = bottom + 1;
  }
  a.PanelHeight = bottom + 2;
  return a;
}

// --- Pages --------------------------------------------------------------------

THelpItem::THelpItem(std::string_view name, const TCurBlank* blank) : Name(PageName(name)), Title(name) {
  Shown.SetBlank(blank);
  Hidden.SetBlank(blank);
  Shown.Page = this;
  Hidden.Page = this;
  Options.Page = this;
  Filter = std::make_unique<THelpFilter>();
}

THelpItem::~THelpItem() = default;

void THelpItem::ChooseCategory(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(Categories.size()) || index == CategoryIndex) return;
  CategoryIndex = index;
  if (OnCategoryChange) OnCategoryChange(*this);
}

void THelpItem::FillComboBox() {
  if (!HasValueList) return;
  Categories.clear();
  CategoryIndex = -1;
  ValuePresent = false;
  const auto before = [](const std::string& a, const std::string& b) { return CollateCompare(a, b, false) < 0; };
  for (int32_t row = 0; row < Hidden.RowCount(); ++row) {
    HiddenRowNo = row + 1;
    int err = 0;
    TCommonVar v;
    EvalExpr(ListExpr, err, v);
    if (err != 0 || v.Kind != 'C') continue;
    const auto at = std::lower_bound(Categories.begin(), Categories.end(), v.Str, before);
    if (at != Categories.end() && CollateCompare(*at, v.Str, false) == 0) continue;
    Categories.insert(at, v.Str);
  }
  if (!ValueExpr.empty()) {
    int err = 0;
    TCommonVar v;
    EvalExpr(ValueExpr, err, v);
    if (err == 0 && v.Kind == 'C' && !v.Str.empty()) {
      ValuePresent = true;
      Categories.insert(Categories.begin(), v.Str);
    }
  }
  if (!Categories.empty()) CategoryIndex = 0;
}

void THelpItem::Bind(TUBL* link) {
  Link = link;
  Filter->Owner = link;
}

void THelpItem::LoadRows() {
  if (!Link) return;
  Link->Table.ViewFilter = Filter.get();
  ShowInView(Link->Table, Hidden, OwnsColumnExprs);
}

// --- The list -------------------------------------------------------------------

THelpItem* THelpList::Items(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<size_t>(index)].get();
}

THelpItem* THelpList::Add(std::unique_ptr<THelpItem> page) { return items_.emplace_back(std::move(page)).get(); }

THelpItem* THelpList::FindByName(std::string_view name) const {
  const std::string wanted = PageName(name);
  for (const auto& p : items_)
    if (p->Name == wanted) return p.get();
  return nullptr;
}

THelpItem* THelpList::FindByAlias(std::string_view alias) const {
  const std::string wanted = PageName(alias);
  for (const auto& p : items_)
    if (p->Link && p->Link->Alias == wanted) return p.get();
  return nullptr;
}

THelpList& HelpPages() {
  static THelpList pages;
  return pages;
}

THelpItem* AddHelpItem(THelpList& list, std::string_view name, const TCurBlank* blank) {
  return list.Add(std::make_unique<THelpItem>(name, blank));
}

// --- Copying rows ------------------------------------------------------------------

void CopyFilteredRows(TDataView& src, TDataView& dst, bool clearFirst, TExprChain* cond1, TExprChain* cond2) {
  if (clearFirst) dst.ClearRows();
  const int32_t cols = std::min(src.ColCount(), dst.ColCount());
  const bool wasSuspended = dst.UpdatesSuspended();
  dst.SetUpdating(true);
  const bool conditional = cond1 || cond2;
  for (int32_t i = 0; i < src.RowCount(); ++i) {
    if (conditional) {
      ShowRowNumber(src, i + 1);
      ShowRowNumber(dst, dst.RowCount() + 1);
      if (!ConditionPasses(cond1) || !ConditionPasses(cond2)) continue;
    }
    const int32_t row = dst.AppendRow();
    dst.SetTableRow(row, src.TableRow(i));
    for (int32_t c = 0; c < cols; ++c) dst.SetCellText(c, row, src.GetCellText(c, i));
  }
  dst.SetUpdating(wasSuspended);
}

}  // namespace vm
