#include <gtest/gtest.h>

#include <tuple>

#include <memory>

#include "config/blanks.h"
#include "platform/encoding.h"
#include "language/expr_fakes.h"

using namespace vm;
using vm::testing::Outcome;
using vm::testing::RunFormula;

namespace {

class TwoColumns : public TBlankView {
 public:
  explicit TwoColumns(int32_t rows) : rows_(rows) {}
  int32_t RowCount() const override { return rows_; }
  int32_t ColCount() const override { return 2; }
  std::string CellText(int32_t col, int32_t row) const override {
    if (row != 1) return {};
    return col == 1 ? "Гвоздь"_w : std::string(" 2,5");
  }

 private:
  int32_t rows_;
};

// The row a blank is formatting, as the blank sets it.
void Formatting(TBlankView* view, int32_t row) {
  CurrentRowContext().View = view;
  CurrentRowContext().Row = row;
}

}  // namespace

TEST(RowCells, ReadTheRowBeingFormatted) {
  TExprContext ctx;
  auto text = [&ctx](const char* formula) {
    const Outcome o = RunFormula(ctx, formula);
    EXPECT_EQ(o.Err, 0) << formula;
    EXPECT_EQ(o.Value.Kind, 'C') << formula;
    return o.Value.Str;
  };
  auto view = std::make_unique<TwoColumns>(3);
  Formatting(view.get(), 1);
  EXPECT_EQ(std::tuple(text("CURCOL(1)"), text("FIRSTCHAR(1)"), text("FIRSTCHAR(2)")),
            std::tuple("Гвоздь"_w, "Г"_w, " "));
  EXPECT_EQ(std::tuple(RunFormula(ctx, "NUMCOL(2) * 2").Value.Num, RunFormula(ctx, "NUMCOL(1)").Value.Num,
                       RunFormula(ctx, "CURCOL(3)").Err, RunFormula(ctx, "NUMCOL(0)").Err),
            std::tuple(5.0L, 0.0L, 23, 23));
  // A row the view lacks reads as empty cells.
  Formatting(view.get(), 7);
  EXPECT_EQ(text("FIRSTCHAR(1)"), "");

  // With no row being formatted, or once the view is gone, cells are empty.
  view.reset();
  EXPECT_EQ(CurrentRowContext().View, nullptr);
  EXPECT_EQ(std::tuple(text("CURCOL(5)"), RunFormula(ctx, "NUMCOL(1)").Value.Num), std::tuple("", 0.0L));
  TwoColumns empty(0);
  Formatting(&empty, 0);
  EXPECT_EQ(std::tuple(text("CURCOL(1)"), RunFormula(ctx, "CURCOL(3)").Err), std::tuple("", 23));
}
