// A document with a price-tag layout prints one tag for each row of its
// first table, with as many copies as the row's copies column says, through
// the preview onto the recording printer.
#include <gtest/gtest.h>

#include "output/document_price_rig.h"

namespace vm::test {
namespace {

TEST(DocumentPriceTags, OneTagPerRowWithItsCopies) {
  PriceRig r;
  r.Build({{"Хлеб"_w, "2"}, {"Соль"_w, "0"}, {"Мёд"_w, "1"}});
  PrintDocument(r.Doc, "Ценники"_w, r.hooks);
  // The row of no copies is left out before the preview.
  EXPECT_EQ(r.shown, (std::vector<int32_t>{2}));
  EXPECT_EQ(r.printed, 1);
  ASSERT_EQ(r.system.Jobs.size(), 1u);
  ASSERT_EQ(r.system.Jobs[0].Pages.size(), 1u);
  EXPECT_EQ(r.system.Jobs[0].Pages[0].Texts(),
            (std::vector<std::string>{"ХЛЕБ"_w, "4.00", "ХЛЕБ"_w, "4.00", "МЁД"_w, "2.00"}));
  // The queue and the pictures are let go; the layout keeps its own zones.
  EXPECT_EQ(PrintCenList().Count(), 0);
  EXPECT_EQ(r.PriceTags.GetItem(0)->GetZone(0)->Text, "ZONE1");

  // Cancelled in the preview: nothing printed.
  r.printOnPreview = false;
  PrintDocument(r.Doc, "Ценники"_w, r.hooks);
  EXPECT_EQ(r.system.Jobs.size(), 1u);
  EXPECT_EQ(r.printed, 2);
}

}  // namespace
}  // namespace vm::test
