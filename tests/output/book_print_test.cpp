// A reference book printed on the recording printer from the sample data:
// the whole book and the current record alone, the foot line of every
// page, several tables across a page, a book wider than the page, and the
// failures.
#include "output/book_print.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/demo_rig.h"
#include "config/data_dir.h"
#include "foundation/text/strutils.h"
#include "support/recording_printer.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "models/startup.h"

namespace vm::test {
namespace {

struct BookPrintRig : ::testing::Test {
  BookPrintRig() {
    CopyDemoTo(Home.Dir());
    EXPECT_EQ(StartUp(), 0);
    UnlockBases();
    System.AddPrinter("Печатник"_w);
    InstallPrintSystem(&System);
    Settings().PrinterName = "Печатник"_w;
  }
  ~BookPrintRig() override {
    Logic.reset();
    InstallPrintSystem(nullptr);
    ShutDown();
  }
  TSpravTab& Show(int32_t tab) {
    Logic = std::make_unique<TSpravFormLogic>(Settings());
    Logic->Show();
    return *Logic->Tab(tab);
  }
  // Prints with the range answered; the texts of every page.
  std::vector<std::vector<std::string>> Print(TSpravTab& tab, int32_t range) {
    TBookPrintHooks hooks;
    hooks.AskRange = [this, range](const std::string& caption, const std::string& first, const std::string& second) {
      Asked = {caption, first, second};
      return range;
    };
    hooks.StatusText = [this](const std::string& s) { Status.push_back(s); };
    hooks.EnableWindow = [this](bool on) { Enabled.push_back(on); };
    PrintReferenceBook(tab, hooks);
    std::vector<std::vector<std::string>> pages;
    if (!System.Jobs.empty())
      for (const TRecordedPage& page : System.Jobs.back().Pages) pages.push_back(page.Texts());
    return pages;
  }
  static bool Holds(const std::vector<std::string>& texts, const std::string& text) {
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return TrimBlanks(t) == text; });
  }

  ProgramHome Home;
  ScriptedUi Ui;
  TRecordingPrintSystem System;
  std::unique_ptr<TSpravFormLogic> Logic;
  std::vector<std::string> Asked, Status;
  std::vector<bool> Enabled;
};

TEST_F(BookPrintRig, TheWholeBookAndTheCurrentRecordWithTheirFootLines) {
  TSpravTab& goods = Show(0);
  const auto pages = Print(goods, 2);
  EXPECT_EQ(Asked, (std::vector<std::string>{"Печать справочника"_w, "Печатать текущую запись"_w,
                                             "Печатать весь справочник"_w}));
  ASSERT_EQ(pages.size(), 1u);
  for (int32_t row = 0; row < goods.View.RowCount(); ++row)
    EXPECT_TRUE(Holds(pages[0], TrimBlanks(goods.View.GetCellText(1, row)))) << row;
  EXPECT_TRUE(Holds(pages[0], "Товары,  страница 1"_w));
  EXPECT_EQ(System.Jobs.back().Title, "Товары"_w);
  EXPECT_TRUE(System.Jobs.back().Ended);
  EXPECT_EQ(Status, (std::vector<std::string>{"Идет печать, страница 1"_w}));
  EXPECT_EQ(Enabled, (std::vector<bool>{false, true}));

  goods.View.SetRow(3);
  const auto one = Print(goods, 1);
  ASSERT_EQ(one.size(), 1u);
  for (int32_t row = 0; row < goods.View.RowCount(); ++row)
    EXPECT_EQ(Holds(one[0], TrimBlanks(goods.View.GetCellText(1, row))), row == 3) << row;
  EXPECT_TRUE(Ui.Boxes.empty());
}

TEST_F(BookPrintRig, LongBooksGoOnInTablesSideBySideAndOverPages) {
  TSpravTab& goods = Show(0);
  TDataView& view = goods.View;
  for (int32_t i = 0; i < 400; ++i) {
    const int32_t row = view.AppendRow();
    view.SetCellText(1, row, "Товар "_w + std::to_string(i));
  }
  const auto pages = Print(goods, 2);
  ASSERT_GE(pages.size(), 2u);
  for (std::size_t p = 0; p < pages.size(); ++p)
    EXPECT_TRUE(Holds(pages[p], "Товары,  страница "_w + std::to_string(p + 1))) << p;
  for (int32_t i : {0, 199, 399}) {
    int32_t found = 0;
    for (const auto& page : pages) found += Holds(page, "Товар "_w + std::to_string(i));
    EXPECT_EQ(found, 1) << i;
  }
  // The narrow suppliers' book fits twice across a landscape page... or
  // not: a table as wide as the page still prints, one a page, shrunk.
  const TBookPrintGeometry wide = ComputeBookGeometry(3000, 5, 2400, 300);
  EXPECT_EQ(wide.PerPage, 1);
  EXPECT_TRUE(wide.Shrink);
  const TBookPrintGeometry narrow = ComputeBookGeometry(600, 5, 2400, 300);
  EXPECT_EQ(narrow.Table, 750);  // (600 + 10 + 25) x 300 / 254, rounded
  EXPECT_EQ(narrow.Inner, 720);
  EXPECT_EQ(narrow.PerPage, 3);
  EXPECT_EQ(narrow.Gap, (2400 - 3 * 720) / 4);
}

TEST_F(BookPrintRig, ABookWiderThanThePagePrintsInsteadOfFailing) {
  TCurBlank* form = Settings().Blanks.FindByName("ПОСТАВЩИКИ"_w);
  form->SetText(form->Text + "\nCOLWIDTH[5]=4000");
  TSpravTab& suppliers = Show(1);
  ASSERT_GT(suppliers.View.Blank().TotalWidth, 4000);
  const auto pages = Print(suppliers, 2);
  EXPECT_TRUE(Ui.Boxes.empty());
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(Holds(pages[0], "ООО \"Хлебозавод № 2\""_w));
  EXPECT_TRUE(Holds(pages[0], "Поставщики,  страница 1"_w));
}

TEST_F(BookPrintRig, CancelledPrintsNothingAndNoPrinterIsTold) {
  TSpravTab& goods = Show(0);
  EXPECT_TRUE(Print(goods, 0).empty());
  EXPECT_TRUE(System.Jobs.empty());
  EXPECT_TRUE(Ui.Boxes.empty());
  TRecordingPrintSystem none;
  InstallPrintSystem(&none);
  Print(goods, 2);
  InstallPrintSystem(&System);
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Не могу распечатать справочник"_w);
  EXPECT_EQ(Ui.Boxes[0].Flags, kMbError);
  EXPECT_EQ(Enabled.back(), true);
}

}  // namespace
}  // namespace vm::test
