#include "models/help_pages.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "language/bound_tables.h"
#include "language/expr_compiler.h"
#include "platform/encoding.h"
#include "view_rig.h"

using namespace vm;
using namespace vm::test;

namespace {

// An auto-parameter whose value a test computes when a formula reads it.
class Probe : public IExprAutoParam {
 public:
  std::function<TCommonVar()> Read;
  TCommonVar GetValue() const override { return Read(); }
};

class ProbeContext : public TExprContext {
 public:
  Probe Value;
  IExprAutoParam* FindAutoParam(std::string_view name) override { return name == "P" ? &Value : nullptr; }
};

class HelpPagesTest : public testing::Test {
 protected:
  void SetUp() override { rowNo = context.Symbols().AddVariable("ROWNO", Num(0)); }

  TExprChain Compile(const std::string& text) {
    TExprChain chain;
    const TCompileResult r = CompileExpr(text, context, chain);
    EXPECT_EQ(r.ErrCode, 0) << text << ": " << r.Msg;
    return chain;
  }

  ProbeContext context;
  TVariable* rowNo = nullptr;
};

TEST_F(HelpPagesTest, PagesAreFoundByNameTrimmedAndUpperCasedAndByAlias) {
  THelpList list;
  THelpItem* goods = AddHelpItem(list, "GOODS", &GoodsBlank());
  THelpItem* firms = AddHelpItem(list, "ФИРМЫ"_w, &GoodsBlank());
  EXPECT_EQ(list.FindByName("  goods "), goods);
  EXPECT_EQ(list.FindByName(" фирмы"_w), firms);
  EXPECT_EQ(list.FindByName("good"), nullptr);
  EXPECT_EQ(std::pair(goods->Shown.Page, goods->Hidden.Page), std::pair(goods, goods));
  EXPECT_TRUE(goods->Hidden.UpdatesSuspended());

  TBaseList bases;
  TUBL* link = bases.AddNew();
  link->Alias = "TOVAR";
  firms->Link = link;
  EXPECT_EQ(list.FindByAlias(" tovar "), firms);
  EXPECT_EQ(list.FindByAlias("OTHER"), nullptr);
}

TEST_F(HelpPagesTest, LoadingFillsTheHiddenViewWithTheRowsThePageFilterPasses) {
  TBaseList bases;
  TUBL* goods = bases.AddTemp({{"NAME", 'C', 20, 0}, {"PRICE", 'N', 8, 2}});
  goods->Alias = "GOODS";
  for (const auto& [name, price] : {std::pair{"tea", 3.5}, std::pair{"caviar", 90.0}, std::pair{"salt", 0.5}}) {
    goods->Table.Append();
    goods->Table.SetValue(0, Text(name));
    goods->Table.SetValue(1, Num(price));
  }
  THelpItem page("GOODS", &GoodsBlank());
  page.Bind(goods);
  page.Filter->SetText("[GOODS.PRICE<6]");
  ASSERT_EQ(page.Filter->ErrorCode(), 0) << page.Filter->Message();
  page.Hidden.GetColLayout(kName)->BoundField = 0;
  page.Hidden.GetColLayout(kPrice)->BoundField = 1;

  page.LoadRows();
  EXPECT_EQ(Column(page.Hidden, kName), (std::vector<std::string>{"tea", "salt"}));
  EXPECT_EQ(Column(page.Hidden, kPrice), (std::vector<std::string>{"3.50", "0.50"}));
  EXPECT_EQ(page.Hidden.TableRow(1), 2);
  EXPECT_TRUE(page.Hidden.UpdatesSuspended());
}

TEST_F(HelpPagesTest, FilteredRowsPassOnlyClearlyAboveTheTolerance) {
  THelpItem page("P", &GoodsBlank());
  FillRows(page.Hidden, {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
  page.Hidden.SetTableRow(2, 17);

  CopyFilteredRows(page.Hidden, page.Shown, true, nullptr, nullptr);
  EXPECT_EQ(Column(page.Shown, kName), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(page.Shown.TableRow(2), 17);
  EXPECT_TRUE(page.Shown.UpdatesSuspended()) << "updates come back as they were";

  TExprChain exactlyTolerance = Compile("0.000000001");
  CopyFilteredRows(page.Hidden, page.Shown, true, &exactlyTolerance, nullptr);
  EXPECT_EQ(page.Shown.RowCount(), 0);
  TExprChain aboveTolerance = Compile("-0.0000000011");
  CopyFilteredRows(page.Hidden, page.Shown, false, &aboveTolerance, nullptr);
  EXPECT_EQ(page.Shown.RowCount(), 4);
  TExprChain text = Compile("'1'");
  CopyFilteredRows(page.Hidden, page.Shown, true, nullptr, &text);
  EXPECT_EQ(page.Shown.RowCount(), 0) << "a text is no number";
}

TEST_F(HelpPagesTest, ConditionsSeeTheSourceAndTargetRowNumbers) {
  THelpItem page("P", &GoodsBlank());
  FillRows(page.Hidden, {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}});
  TViewForm form;
  form.RowNumber = rowNo;
  page.Hidden.Form = &form;
  page.Shown.SetUpdating(false);

  // Rows 2 and 4 of the source (1-based): ROWNO is the source row.
  TExprChain even = Compile("(ROWNO=2)+(ROWNO=4)");
  std::vector<std::pair<int32_t, int32_t>> seen;
  context.Value.Read = [&] {
    seen.emplace_back(page.HiddenRowNo, page.ShownRowNo);
    return Text("x");
  };
  TExprChain probe = Compile("%P%='x'");
  seen.clear();
  CopyFilteredRows(page.Hidden, page.Shown, true, &even, &probe);
  EXPECT_EQ(Column(page.Shown, kName), (std::vector<std::string>{"b", "d"}));
  EXPECT_FALSE(page.Shown.UpdatesSuspended());
  // The second condition runs only for rows the first one lets through.
  EXPECT_EQ(seen, (std::vector<std::pair<int32_t, int32_t>>{{2, 1}, {4, 2}}));
}

TEST_F(HelpPagesTest, TheCategoryListHoldsEachTextOnceSortedWithTheValueFirst) {
  THelpItem page("P", &GoodsBlank());
  FillRows(page.Hidden, {{"pear", "1"}, {"Apple", "2"}, {"PEAR", "3"}, {"", "4"}, {"apple", "5"}, {"fig", "6"}});
  context.Value.Read = [&] { return Text(page.Hidden.GetCellText(kName, page.HiddenRowNo - 1)); };
  page.ListExpr = Compile("%P%");

  page.FillComboBox();
  EXPECT_TRUE(page.Categories.empty()) << "only a page with a value list";

  page.HasValueList = true;
  page.FillComboBox();
  EXPECT_EQ(page.Categories, (std::vector<std::string>{"", "Apple", "fig", "pear"}));
  EXPECT_FALSE(page.ValuePresent);
  EXPECT_EQ(page.CategoryIndex, 0);

  page.ValueExpr = Compile("'pear'");
  page.FillComboBox();
  EXPECT_EQ(page.Categories, (std::vector<std::string>{"pear", "", "Apple", "fig", "pear"}));
  EXPECT_TRUE(page.ValuePresent);

  int changes = 0;
  page.OnCategoryChange = [&](THelpItem&) { ++changes; };
  page.ChooseCategory(2);
  page.ChooseCategory(2);
  page.ChooseCategory(9);
  EXPECT_EQ(page.CategoryIndex, 2);
  EXPECT_EQ(changes, 1);
}

TEST_F(HelpPagesTest, OptionsSelectTheirConditionAndStackOnTheirPanel) {
  THelpItem page("P", &GoodsBlank());
  EXPECT_FALSE(page.Options.Visible);
  TOpt* first = page.Options.AddNew();
  first->Caption = "Все"_w;
  TOpt* second = page.Options.AddNew();
  second->Condition = Compile("1");
  EXPECT_TRUE(page.Options.Visible);

  THelpItem* clickedPage = nullptr;
  TOpt* clicked = nullptr;
  page.Options.OnClick = [&](THelpItem& p, TOpt& o) {
    clickedPage = &p;
    clicked = &o;
  };
  page.Options.Click(1);
  EXPECT_EQ(std::tuple(page.Options.Selected, clickedPage, clicked), std::tuple(&second->Condition, &page, second));
  page.Options.Click(5);
  EXPECT_EQ(clicked, second);

  const TOptArrangement three = ArrangeOptions({17, 17, 17});
  EXPECT_EQ(three.Tops, (std::vector<int32_t>{2, 20, 38}));
  EXPECT_EQ(three.PanelHeight, 57);
  EXPECT_EQ(ArrangeOptions({}).PanelHeight, 3);
}

}  // namespace
