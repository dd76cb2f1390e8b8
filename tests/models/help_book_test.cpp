#include <gtest/gtest.h>

#include "language/bound_tables.h"
#include "platform/encoding.h"
#include "support/goods_table.h"
#include "support/temp_dir.h"
#include "models/help_pages.h"
#include "view_rig.h"

namespace vm::test {
namespace {

TEST(HelpBook, ViewsRowsAndCellsAsTheBuiltinsSeeThem) {
  THelpList list;
  THelpItem& page = *AddHelpItem(list, "GOODS", &GoodsBlank());
  IHelpBook& book = page;
  FillRows(page.Shown, {{"tea", "1.5"}, {"milk", "2"}});
  FillRows(page.Hidden, {{"salt", "3"}});
  page.ShownRowNo = 2;
  page.HiddenRowNo = 1;

  EXPECT_EQ(book.BookView(THelpView::Shown), &page.Shown);
  EXPECT_EQ(book.BookView(THelpView::Active), nullptr);
  EXPECT_EQ(book.CurrentRowNumber(THelpView::Shown), 2);
  page.Active = &page.Hidden;
  EXPECT_EQ(book.CurrentRowNumber(THelpView::Active), 1);
  EXPECT_EQ(book.BookCellValue(THelpView::Active, kName, 0).Str, "salt");
  EXPECT_EQ(book.BookCellValue(THelpView::Shown, kPrice, 0).Num, 1.5L);

  // A row outside the view reads as an empty value of the column's kind.
  const TCommonVar missing = book.BookCellValue(THelpView::Shown, kPrice, 7);
  EXPECT_EQ(std::pair(missing.Kind, missing.Num), std::pair('N', 0.0L));
  EXPECT_EQ(book.BookCellText(THelpView::Shown, kName, 7), "");
  EXPECT_EQ(book.CheckCellValue(kName).Kind, 'C');
  page.CheckRow = page.Shown.GetRow(1);
  EXPECT_EQ(book.CheckCellValue(kName).Str, "milk");
}

TEST(HelpBook, AnEditedPageWritesItsHiddenRowsBackIntoItsTable) {
  TempDir tmp;
  ASSERT_TRUE(WriteGoods(tmp / "g.dbf", {{"A", "old", "1"}}));
  TDBF dbf;
  dbf.FileName = tmp / "g.dbf";
  TBaseList bases;
  TUBL* goods = bases.AddNew();
  goods->Alias = "GOODS";
  goods->Table.SetDbf(&dbf);
  goods->Table.LoadAll();

  THelpList list;
  THelpItem& page = *AddHelpItem(list, "GOODS", &GoodsBlank());
  page.Bind(goods);
  page.LoadRows();
  std::string refusal;
  EXPECT_FALSE(page.WriteBack(refusal));  // not editable
  page.Editable = true;
  EXPECT_FALSE(page.WriteBack(refusal));  // not modified
  page.MarkModified();
  EXPECT_TRUE(page.WriteBack(refusal));
  EXPECT_EQ(refusal, "");
  page.Hidden.GetColLayout(kName)->BoundField = kGoodsName;
  page.Hidden.GetColLayout(kPrice)->BoundField = kGoodsPrice;

  // A price its field cannot hold even without decimals: nothing is
  // written, and the refusal names the field as a run error does.
  page.Hidden.SetCellText(kName, 0, "new");
  page.Hidden.SetCellText(kPrice, 0, "123456789012");
  EXPECT_FALSE(page.WriteBack(refusal));
  EXPECT_EQ(refusal, " Число 123456789012 не умещается в поле GOODS.PRICE "_w);
  goods->Table.MemTableGoto(0);
  std::string name;
  goods->Table.GetFieldText(kGoodsName, name);
  EXPECT_EQ(name, "old");
  goods->Table.MemTableClear();
  dbf.Close();
}

}  // namespace
}  // namespace vm::test
