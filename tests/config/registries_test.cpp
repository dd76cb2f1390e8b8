#include "config/registries.h"

#include <gtest/gtest.h>

#include "config/data_dir.h"
#include "platform/encoding.h"
#include "ui/layout_lang.h"

using namespace vm;

namespace {

TAPar* AddParam(TAutoList& list, std::string name, char kind, std::string value) {
  TAPar* p = list.AddNew();
  p->Name = std::move(name);
  p->Kind = kind;
  p->ValueText = std::move(value);
  return p;
}

}  // namespace

TEST(KeyColumns, ChainOperations) {
  std::unique_ptr<TKeyCol> keys;
  int32_t count = 42;
  TKeyCol* first = AddKeyCol(keys, count);
  EXPECT_EQ(count, 1);  // an empty chain restarts the count
  EXPECT_EQ(first->Number, -1);
  first->Number = 3;
  first->Kind = 'N';
  first->ViewColumn = 7;
  first->Value.Kind = 'C';
  TKeyCol* second = AddKeyCol(keys, count);
  second->Number = 5;
  EXPECT_EQ(count, 2);
  EXPECT_EQ(FindKeyCol(keys.get(), 5), second);
  EXPECT_EQ(FindKeyCol(keys.get(), 4), nullptr);

  std::unique_ptr<TKeyCol> copy;
  int32_t copyCount = 0;
  AddKeyCol(copy, copyCount)->Number = 99;
  CopyKeyCols(keys.get(), copy, copyCount);
  ASSERT_EQ(copyCount, 2);
  EXPECT_TRUE(copy->Number == 3 && copy->Kind == 'N' && copy->Next->Number == 5);
  EXPECT_TRUE(copy->ViewColumn == 0 && copy->Value.Kind == 0);  // the state of a view is not copied
  EXPECT_EQ(FindKeyCol(copy.get(), 99), nullptr);

  FreeKeyCols(keys, count);
  EXPECT_EQ(keys, nullptr);
  EXPECT_EQ(count, 0);
}

TEST(Registries, LookUpsAreExactOrUpperCased) {
  TMyList books;
  books.AddNew()->BaseAlias = "ТОВАРЫ"_w;
  TSpravDef* mixed = books.AddNew();
  mixed->BaseAlias = "Kassa";
  mixed->BlankName = "ФОРМА1"_w;
  EXPECT_EQ(books.FindByBase("товары"_w), books.GetItem(0));
  EXPECT_EQ(books.FindByBase("Kassa"), nullptr);
  EXPECT_EQ(books.FindByBase("KASSA"), nullptr);
  EXPECT_EQ(books.FindByForm("форма1"_w), mixed);
  EXPECT_EQ(books.IndexOfForm("Форма1"_w), 1);
  EXPECT_EQ(books.IndexOfForm("ФОРМА2"_w), -1);

  TBlanks blanks;
  blanks.Add("Счет"_w);
  EXPECT_NE(blanks.FindByName("Счет"_w), nullptr);
  EXPECT_EQ(blanks.FindByName("СЧЕТ"_w), nullptr);

  TUsedBaseList bases;
  TDbaseStructure* base = bases.AddNew();
  base->Alias = "SALES";
  base->SetFileName("sales.dbf");
  base->AddField({"PRICE", 'N', 10, 2});
  EXPECT_EQ(bases.FindByAlias("SALES"), base);
  EXPECT_EQ(bases.FindByAlias("Sales"), nullptr);
  EXPECT_EQ(bases.FindByFileName("sales.dbf"), base);
  EXPECT_EQ(bases.FindByFileName("SALES.DBF"), nullptr);
  EXPECT_EQ(base->IndexOfField("PRICE"), 0);
  EXPECT_EQ(base->IndexOfField("Price"), -1);

  TAutoList params;
  AddParam(params, "СКИДКА"_w, 'N', "5");
  EXPECT_EQ(params.IndexOfName("скидка"_w), 0);
  EXPECT_EQ(params.GetValueText("Скидка"_w), "5");
  EXPECT_EQ(params.GetKind("СКИДКА"_w), 'N');
  EXPECT_EQ(params.GetKind("НЕТ"_w), 0);
  EXPECT_EQ(params.GetValueText("НЕТ"_w), "");
}

TEST(Registries, DatabaseStructures) {
  SetDataDir("/data/");
  TUsedBaseList bases;
  TDbaseStructure* sales = bases.AddNew();
  sales->SetFileName("SALES.DBF");
  sales->Alias = "SALES";
  sales->Department = "shop";
  sales->AddField({"A", 'C', 10, 0});
  sales->AddField({"B", 'N', 12, 2});
  sales->AddField({"A", 'D', 8, 0});
  TDbaseStructure* index = bases.AddNew();
  index->SetFileName("!BINDEX.DBF");
  index->System = true;
  EXPECT_EQ(sales->Table.FileName, "/data/SALES.DBF");

  sales->DeleteField("A");
  sales->DeleteField("Z");
  ASSERT_EQ(sales->FieldCount(), 2);
  TFieldRecord f;
  ASSERT_TRUE(sales->GetField(1, f));
  EXPECT_EQ(f.FieldType, 'D');
  EXPECT_TRUE(sales->SetField(0, {"C", 'N', 5, 1}));
  EXPECT_FALSE(sales->GetField(2, f));
  EXPECT_FALSE(sales->SetField(-1, f));
  EXPECT_EQ(sales->IndexOfField("C"), 0);

  TUsedBaseList copy;
  copy.AddNew()->Alias = "OLD";
  SetDataDir("/other/");
  bases.CopyTo(copy);
  SetDataDir("");
  ASSERT_EQ(copy.Count(), 1);
  const TDbaseStructure* c = copy.GetItem(0);
  EXPECT_TRUE(c->Alias == "SALES" && c->Department == "shop");
  EXPECT_EQ(c->Table.FileName, "/other/SALES.DBF");
  ASSERT_EQ(c->FieldCount(), 2);
  EXPECT_EQ(c->Fields[0].Name, "C");
  EXPECT_EQ(c->Fields[1].Length, 8);
  EXPECT_EQ(copy.GetItem(1), nullptr);

  bases.Remove(sales);
  EXPECT_EQ(bases.Count(), 1);
  EXPECT_EQ(bases.GetItem(0), index);
}

TEST(Registries, ReferenceBooks) {
  TMyList books;
  TSpravDef* book = books.AddNew();
  book->BaseAlias = "GOODS";
  book->Title = "Goods";
  book->Name = "G";
  book->BlankName = "GF";
  book->Filter = "PRICE>0";
  book->SortOnStart = book->AutoSort = book->CanInsert = book->CanDelete = true;
  book->EditableColumns.set(0).set(255);
  AddKeyCol(book->SortKeys, book->SortKeyCount)->Number = 2;
  book->SetSDefCount(3);
  EXPECT_EQ(book->ColumnCount, 3);
  EXPECT_EQ(book->GetSDef(2)->Number, -1);
  EXPECT_EQ(book->GetSDef(2)->FieldName, "");
  EXPECT_EQ(book->GetSDef(3), nullptr);
  book->GetSDef(0)->FieldName = "NAME";
  book->GetSDef(0)->Number = 4;
  book->GetSDef(1)->FieldName = "PRICE";
  book->DeleteSDef(5);
  book->DeleteSDef(2);
  EXPECT_EQ(book->ColumnCount, 2);

  TMyList copy;
  books.CopyTo(copy);
  ASSERT_EQ(copy.Count(), 1);
  const TSpravDef* c = copy.GetItem(0);
  EXPECT_EQ((std::vector{c->BaseAlias, c->Title, c->Name, c->BlankName, c->Filter}),
            (std::vector<std::string>{"GOODS", "Goods", "G", "GF", "PRICE>0"}));
  EXPECT_TRUE(c->SortOnStart && c->AutoSort && c->CanInsert && c->CanDelete);
  EXPECT_FALSE(c->CanEdit);
  EXPECT_EQ(c->EditableColumns, book->EditableColumns);
  EXPECT_TRUE(c->SortKeyCount == 1 && c->SortKeys->Number == 2);
  ASSERT_EQ(c->ColumnCount, 2);
  EXPECT_EQ(c->GetSDef(0)->FieldName, "NAME");
  EXPECT_EQ(c->GetSDef(0)->Number, -1);
  EXPECT_EQ(c->GetSDef(1)->FieldName, "PRICE");

  // A count that disagrees with the chain is set right, not trusted.
  book->ColumnCount = 5;
  book->SetSDefCount(1);
  EXPECT_EQ(book->ColumnCount, 1);
  EXPECT_EQ(book->GetSDef(1), nullptr);
  book->SetSDefCount(0);
  EXPECT_EQ(book->Columns, nullptr);
  EXPECT_EQ(book->ColumnCount, 0);
  books.DeleteItem(3);
  books.DeleteItem(0);
  EXPECT_EQ(books.Count(), 0);
}

TEST(Registries, Blanks) {
  TBlanks blanks;
  for (const char* name : {"b", "C", "a", "B"})
    blanks.Add(name)->SetText(
        std::string("COLCOUNT=1\nLEVELCOUNT=1\nFORMAT[1]=C,0,0\nCOLWIDTH[1]=50"));
  int32_t code = 0, line = 0;
  ASSERT_TRUE(CompileBlank(*blanks.FindByName("a"), code, line));
  blanks.SortByName();
  std::string order;
  for (int32_t i = 0; i < blanks.Count(); ++i) order += blanks.GetItem(i)->Name;
  EXPECT_EQ(order, "BCab");
  EXPECT_EQ(blanks.GetItem(4), nullptr);

  TBlanks copy;
  copy.Add("old");
  blanks.CopyTo(copy);
  ASSERT_EQ(copy.Count(), 4);
  EXPECT_EQ(copy.FindByName("old"), nullptr);
  EXPECT_EQ(copy.FindByName("a")->Text, blanks.FindByName("a")->Text);
  EXPECT_FALSE(copy.FindByName("a")->Compiled);

  blanks.UnloadAll();
  const TCurBlank* a = blanks.FindByName("a");
  EXPECT_FALSE(a->Compiled);
  EXPECT_EQ(a->Columns, nullptr);
  EXPECT_FALSE(a->Text.empty());

  blanks.Delete("C");
  blanks.Delete("nothing");
  EXPECT_EQ(blanks.Count(), 3);
  EXPECT_EQ(blanks.FindByName("C"), nullptr);
}

TEST(Registries, AutoParameterValues) {
  TAPar p;
  p.Kind = 'N';
  TCommonVar v;
  v.Kind = 'N';
  for (auto [number, text] :
       {std::pair{2.0000000001L, "2"}, {2.5L, "2.5000"}, {-0.25L, "-0.2500"}, {-3.0L, "-3"}}) {
    v.Num = number;
    p.SetValue(v);
    EXPECT_EQ(p.ValueText, text);
  }
  EXPECT_EQ(p.Kind, 'N');

  p.ValueText = "12,5";
  p.GetValue(v);
  EXPECT_TRUE(v.Kind == 'N' && v.Num == 12.5L);
  p.ValueText = "abc";
  p.GetValue(v);
  EXPECT_EQ(v.Num, 0);

  p.Kind = 'D';
  p.ValueText = "5.3.2007";
  p.GetValue(v);
  EXPECT_EQ(v.Date, (TDateRec{5, 3, 2007}));
  p.SetValue(v);
  EXPECT_EQ(p.ValueText, "5.03.2007");

  p.Kind = 'C';
  p.ValueText = " text ";
  p.GetValue(v);
  EXPECT_EQ(v.Str, " text ");
  v.Kind = 'T';
  p.SetValue(v);
  EXPECT_EQ(p.ValueText, " text ");

  TAutoList list;
  AddParam(list, "N", 'N', "2,50")->Local = true;
  AddParam(list, "C", 'C', " x");
  TAutoList copy;
  copy.AddNew()->Name = "OLD";
  list.CopyTo(copy);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_TRUE(copy.GetItem(0)->ValueText == "2.5000" && copy.GetItem(0)->Local);
  EXPECT_TRUE(copy.GetItem(1)->ValueText == " x" && !copy.GetItem(1)->Local);
  copy.DeleteItem(0);
  copy.DeleteItem(7);
  EXPECT_EQ(copy.GetItem(0)->Name, "C");
}

TEST(Registries, NewDocumentDataIsClosedAndUnnumbered) {
  const TDocData d;
  EXPECT_TRUE(d.PasswordNumber == 255 && d.ID == 0);
}

TEST(RegistryRemovals, SystemBasesAndParametersByPlace) {
  TUsedBaseList bases;
  bases.AddNew()->Alias = "A";
  bases.AddNew()->System = true;
  bases.AddNew()->Alias = "C";
  EXPECT_EQ(bases.CountActive(), 2);
  bases.RemoveSystemBases();
  ASSERT_EQ(bases.Count(), 2);
  EXPECT_EQ(bases.GetItem(1)->Alias, "C");

  TAutoList params;
  AddParam(params, "SHARED", 'C', "1");
  AddParam(params, "LOCAL", 'C', "2")->Local = true;
  EXPECT_EQ(params.FindByName("local")->ValueText, "2");
  EXPECT_EQ(params.FindByName("none"), nullptr);
  TAutoList copy;
  params.CopyTo(copy);
  params.RemoveLocal();
  ASSERT_EQ(params.Count(), 1);
  EXPECT_EQ(params.GetItem(0)->Name, "SHARED");
  copy.RemoveShared();
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(copy.GetItem(0)->Name, "LOCAL");
}
