#include "models/description_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "config/settings.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"

using namespace vm;

namespace {

class DescriptionChecks : public ::testing::Test {
 protected:
  DescriptionChecks() {
    TDbaseStructure* goods = bases.AddNew();
    goods->SetFileName("GOODS.DBF");
    goods->Alias = "GOODS";
    goods->AddField({"NAME", 'C', 20, 0});
    goods->AddField({"PRICE", 'N', 10, 2});
    TDBF& t = goods->Table;
    EXPECT_TRUE(t.CreateTable());
    t.AddFieldEx("NO__", 10, 'N', 0);
    t.AddFieldEx("NAME", 20, 'C', 0);
    t.AddFieldEx("PRICE", 10, 'N', 2);
    EXPECT_TRUE(t.WriteStructure());
    EXPECT_TRUE(t.Close());
    blanks.Add("LIST")->SetText(
        "COLCOUNT=2\nLEVELCOUNT=1\nFORMAT[1]=C,0,0\nFORMAT[2]=N,0,2\nCOLWIDTH[1,2]=100\n");
  }
  TSpravDef* Book(const std::string& alias, const std::string& blank,
                  std::vector<std::string> fields) {
    TSpravDef* b = books.AddNew();
    b->BaseAlias = alias;
    b->BlankName = blank;
    b->Title = alias + "/" + blank;
    for (const auto& f : fields) b->AddSDef()->FieldName = f;
    b->ColumnCount = static_cast<int32_t>(fields.size());
    return b;
  }

  vm::test::ProgramHome home;
  vm::test::ScriptedUi ui;
  TUsedBaseList bases;
  TMyList books;
  TBlanks blanks;
};

}  // namespace

TEST_F(DescriptionChecks, BlanksCompileOnceAndOneWarningCoversEveryFailure) {
  blanks.Add("BAD1")->SetText("COLCOUNT=x");
  blanks.Add("BAD2")->SetText("nonsense");
  EXPECT_FALSE(CheckFormDescriptions(blanks));
  EXPECT_TRUE(blanks.FindByName("LIST")->Compiled);
  EXPECT_FALSE(blanks.FindByName("BAD1")->Compiled || blanks.FindByName("BAD2")->Compiled);
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text, "Внимание! В описаниях форм имеются ошибки!"_w);
  EXPECT_EQ(ui.Boxes[0].Flags, kMbInformation);
}

TEST_F(DescriptionChecks, BooksAreBoundHiddenOrMarkedButNeverDropped) {
  ASSERT_TRUE(CheckFormDescriptions(blanks));
  TSpravDef* good = Book("GOODS", "LIST", {"NAME", "PRICE"});
  TSpravDef* noBase = Book("LOST", "LIST", {"NAME", "PRICE"});
  TSpravDef* noForm = Book("GOODS", "NOFORM", {"NAME", "PRICE"});
  TSpravDef* narrow = Book("GOODS", "LIST", {"NAME"});
  TSpravDef* badType = Book("GOODS", "LIST", {"PRICE", "NAME"});
  TSpravDef* twice = Book("GOODS", "LIST", {"NAME", "NAME"});
  twice->GetSDef(1)->FieldName = "NAME";
  TSpravDef* badKey = Book("GOODS", "LIST", {"NAME", "PRICE"});
  AddKeyCol(badKey->SortKeys, badKey->SortKeyCount)->Number = 2;

  EXPECT_FALSE(CheckSpravDescriptions(bases, books, blanks));
  ASSERT_EQ(books.Count(), 7);
  EXPECT_EQ(std::tuple(good->Valid, good->Hidden, good->GetSDef(0)->Number, good->GetSDef(1)->Number),
            std::tuple(true, false, 1, 2));
  for (const auto& [book, hidden] : {std::pair{noBase, true}, {noForm, true}, {narrow, true},
                                     {badType, false}, {twice, false}, {badKey, false}})
    EXPECT_EQ(std::pair(book->Valid, book->Hidden), std::pair(false, hidden)) << book->Title;
  // An unusable column keeps the field the user named.
  EXPECT_EQ(std::pair(badType->GetSDef(0)->FieldName, badType->GetSDef(0)->Number), std::pair(std::string("PRICE"), -1));
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text, "Внимание! В описаниях справочников имеются ошибки!"_w);
}

TEST_F(DescriptionChecks, ABookWithoutItsDatabaseSurvivesASaveOfTheConfiguration) {
  TSettingsModel m;
  bases.CopyTo(m.Bases);
  TSpravDef* lost = m.Books.AddNew();
  lost->BaseAlias = "LOST";
  lost->Title = "Потерянный"_w;
  lost->BlankName = "LIST";
  EXPECT_TRUE(CheckSpravDescriptions(m.Bases, m.Books, m.Blanks));
  EXPECT_TRUE(ui.Boxes.empty());
  ASSERT_TRUE(SaveConfigurationTo(home / "program.ini", m));
  EXPECT_NE(vm::test::ReadBytes(home / "program.ini").find("Потерянный"_w), std::string::npos);
}
