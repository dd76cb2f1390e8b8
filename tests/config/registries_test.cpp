#include "config/registries.h"

#include <gtest/gtest.h>

#include <array>

#include "config/data_dir.h"
#include "platform/encoding.h"
#include "models/layout_lang.h"

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

TEST(Registries, KeyColumnCopiesLeaveTheViewStateBehind) {
  std::unique_ptr<TKeyCol> keys;
  int32_t count = 42;
  TKeyCol* first = AddKeyCol(keys, count);
  EXPECT_EQ(count, 1);  // an empty chain restarts the count
  first->Number = 3;
  first->ViewColumn = 7;
  first->Value.Kind = 'C';
  AddKeyCol(keys, count)->Number = 5;
  EXPECT_EQ(FindKeyCol(keys.get(), 5), first->Next.get());

  std::unique_ptr<TKeyCol> copy;
  int32_t copyCount = 0;
  AddKeyCol(copy, copyCount)->Number = 99;
  CopyKeyCols(keys.get(), copy, copyCount);
  ASSERT_EQ(copyCount, 2);
  EXPECT_TRUE(copy->Number == 3 && copy->Next->Number == 5);
  EXPECT_TRUE(copy->ViewColumn == 0 && copy->Value.Kind == 0);
  FreeKeyCols(keys, count);
  EXPECT_TRUE(keys == nullptr && count == 0);
}

TEST(Registries, LookUpsAreExactOrUpperCased) {
  TMyList books;
  books.AddNew()->BaseAlias = "ТОВАРЫ"_w;
  TSpravDef* mixed = books.AddNew();
  mixed->BaseAlias = "Kassa";
  mixed->BlankName = "ФОРМА1"_w;
  EXPECT_EQ((std::array<const void*, 3>{books.FindByBase("товары"_w), books.FindByBase("Kassa"),
                                         books.FindByForm("форма1"_w)}),
            (std::array<const void*, 3>{books.GetItem(0), nullptr, mixed}));
  EXPECT_EQ(books.IndexOfForm("Форма1"_w), 1);

  TBlanks blanks;
  blanks.Add("Счет"_w);
  EXPECT_TRUE(blanks.FindByName("Счет"_w) && !blanks.FindByName("СЧЕТ"_w));

  TUsedBaseList bases;
  TDbaseStructure* base = bases.AddNew();
  base->Alias = "SALES";
  base->SetFileName("sales.dbf");
  base->AddField({"PRICE", 'N', 10, 2});
  EXPECT_FALSE(bases.FindByAlias("Sales") || bases.FindByFileName("SALES.DBF"));
  EXPECT_EQ(base->IndexOfField("Price"), -1);

  TAutoList params;
  AddParam(params, "СКИДКА"_w, 'N', "5");
  EXPECT_EQ(params.GetValueText("Скидка"_w) + std::to_string(params.GetKind("НЕТ"_w)), "50");
}

TEST(Registries, BaseCopiesTakeTheCurrentDataDirectory) {
  SetDataDir("/data/");
  TUsedBaseList bases;
  TDbaseStructure* sales = bases.AddNew();
  sales->SetFileName("SALES.DBF");
  sales->Alias = "SALES";
  sales->AddField({"A", 'C', 10, 0});
  sales->AddField({"B", 'N', 12, 2});
  sales->AddField({"A", 'D', 8, 0});
  bases.AddNew()->System = true;
  EXPECT_EQ(sales->Table.FileName, "/data/SALES.DBF");
  sales->DeleteField("A");  // the first of the two
  TFieldRecord f;
  ASSERT_TRUE(sales->GetField(1, f));
  EXPECT_EQ(f.FieldType, 'D');
  EXPECT_FALSE(sales->SetField(-1, f));

  TUsedBaseList copy;
  copy.AddNew()->Alias = "OLD";
  SetDataDir("/other/");
  bases.CopyTo(copy);
  SetDataDir("");
  ASSERT_EQ(copy.Count(), 1);  // system bases are made afresh, not copied
  EXPECT_EQ(copy.GetItem(0)->Table.FileName + std::to_string(copy.GetItem(0)->FieldCount()), "/other/SALES.DBF2");

  EXPECT_EQ(bases.CountActive(), 1);
  bases.RemoveSystemBases();
  ASSERT_EQ(bases.Count(), 1);
}

TEST(Registries, ReferenceBookColumnsAndCopies) {
  TMyList books;
  TSpravDef* book = books.AddNew();
  book->BaseAlias = "GOODS";
  book->Filter = "PRICE>0";
  book->CanDelete = true;
  book->EditableColumns.set(0).set(255);
  AddKeyCol(book->SortKeys, book->SortKeyCount)->Number = 2;
  book->SetSDefCount(3);
  EXPECT_TRUE(book->GetSDef(2)->Number == -1 && book->GetSDef(3) == nullptr);
  book->GetSDef(0)->Number = 4;
  book->GetSDef(1)->FieldName = "PRICE";
  book->DeleteSDef(5);
  book->DeleteSDef(2);
  EXPECT_EQ(book->ColumnCount, 2);

  TMyList copy;
  books.CopyTo(copy);
  ASSERT_EQ(copy.Count(), 1);
  const TSpravDef* c = copy.GetItem(0);
  EXPECT_TRUE(c->BaseAlias == "GOODS" && c->Filter == "PRICE>0" && c->CanDelete && !c->CanEdit);
  EXPECT_EQ(c->EditableColumns, book->EditableColumns);
  EXPECT_TRUE(c->SortKeyCount == 1 && c->SortKeys->Number == 2);
  ASSERT_EQ(c->ColumnCount, 2);
  EXPECT_EQ(std::to_string(c->GetSDef(0)->Number) + c->GetSDef(1)->FieldName, "-1PRICE");

  // A count that disagrees with the chain is set right, not trusted.
  book->ColumnCount = 5;
  book->SetSDefCount(1);
  EXPECT_TRUE(book->ColumnCount == 1 && book->GetSDef(1) == nullptr);
  book->SetSDefCount(0);
  EXPECT_TRUE(book->Columns == nullptr && book->ColumnCount == 0);
}

TEST(Registries, BlanksSortAndCopyWithoutTheirCompiledForm) {
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

  TBlanks copy;
  copy.Add("old");
  blanks.CopyTo(copy);
  ASSERT_EQ(copy.Count(), 4);
  EXPECT_EQ(copy.FindByName("a")->Text, blanks.FindByName("a")->Text);
  EXPECT_FALSE(copy.FindByName("a")->Compiled);

  blanks.UnloadAll();
  const TCurBlank* a = blanks.FindByName("a");
  EXPECT_TRUE(!a->Compiled && a->Columns == nullptr && !a->Text.empty());
  blanks.Delete("C");
  blanks.Delete("nothing");
  EXPECT_EQ(blanks.Count(), 3);
}

TEST(Registries, AutoParameterValuesAndPlaces) {
  TAPar p;
  p.Kind = 'N';
  TCommonVar v;
  v.Kind = 'N';
  // Four decimals at least, and any more the value holds; a whole part with
  // a digit past those is refused, the text kept.
  for (auto [number, text] :
       {std::pair{2.0000000001L, "2"}, {2.5L, "2.5000"}, {-0.25L, "-0.2500"}, {-3.0L, "-3"}, {0.12345L, "0.12345"},
        {1.99999L, "1.99999"}, {92.123456789L, "92.123456789"}, {1e22L, "10000000000000000000000"},
        {92348234340767469509.0L, "10000000000000000000000"}}) {
    v.Num = number;
    EXPECT_EQ(p.SetValue(v), number != 92348234340767469509.0L) << text;
    EXPECT_EQ(p.ValueText, text);
  }
  p.ValueText = "12,5";
  p.GetValue(v);
  EXPECT_TRUE(v.Kind == 'N' && v.Num == 12.5L);
  p.ValueText = "abc";
  p.GetValue(v);
  EXPECT_EQ(v.Num, 0);
  p.Kind = 'D';
  p.ValueText = "5.3.2007";
  p.GetValue(v);
  p.SetValue(v);
  EXPECT_EQ(p.ValueText, "5.03.2007");
  // Every date a date field holds reads back as itself; no other is taken.
  for (const TDateRec date : {TDateRec{1, 1, 5}, {0, 0, 0}, {31, 12, 99}, {100, 1, 2026}, {1, 1, 10000}, {-1, 1, 2026}}) {
    v.Date = date;
    const bool fits = date.Day < 100 && date.Year < 10000 && date.Day >= 0;
    EXPECT_EQ(p.SetValue(v), fits) << date.Day << "." << date.Month << "." << date.Year;
    TCommonVar back;
    p.GetValue(back);
    const TDateRec kept{31, 12, 99};
    EXPECT_EQ(back.Date, fits ? date : kept) << date.Day << "." << date.Month << "." << date.Year;
  }

  TAutoList params;
  AddParam(params, "SHARED", 'N', "2,50");
  AddParam(params, "LOCAL", 'C', " x")->Local = true;
  TAutoList copy;
  copy.AddNew()->Name = "OLD";
  params.CopyTo(copy);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.GetItem(0)->ValueText, "2.5000");
  EXPECT_TRUE(copy.GetItem(1)->ValueText == " x" && copy.GetItem(1)->Local);
  params.RemoveLocal();
  ASSERT_EQ(params.Count(), 1);
  EXPECT_EQ(params.GetItem(0)->Name, "SHARED");
  copy.RemoveShared();
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(copy.GetItem(0)->Name, "LOCAL");
}
