// The document form at the window's scale: places counted from the left and
// top or back from the right and bottom, controls at scale 1 and 2, cells
// over a table, input fields fitted to their text, and the tab order.
#include "documents/form_layout.h"

#include <gtest/gtest.h>

#include <tuple>

#include "documents/doc_rig.h"

namespace vm::test {
namespace {

TEST(FormLayout, DocumentPlacesCountBackFromTheRightAndTheBottom) {
  struct Case {
    int32_t value;
    bool vertical;
    int32_t panelWidth, panelHeight, blankWidth;
    int32_t pixels;
  };
  const Case cases[] = {
      {30, false, 200, 101, 200, 30},   {30, true, 200, 101, 200, 30},
      {-10, false, 200, 101, 200, 190}, {-10, true, 200, 101, 200, 90},  // height 100
      {30, false, 400, 201, 200, 60},   {-10, false, 400, 201, 200, 380},
      {-10, true, 400, 201, 200, 180},  {0, true, 400, 201, 200, 0},
      // Halves go to the even neighbour: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
      {5, false, 100, 51, 200, 2},      {7, false, 100, 51, 200, 4},
      {-5, true, 100, 51, 200, 48},     {-195, false, 100, 51, 200, 2},
  };
  for (const Case& c : cases) {
    const TDocumentScale s = DocumentScale(c.panelWidth, c.panelHeight, c.blankWidth);
    EXPECT_EQ(ScaleDocCoord(c.value, c.vertical, s), c.pixels)
        << c.value << (c.vertical ? " down" : " across") << " on " << c.panelWidth << "x" << c.panelHeight;
  }
  EXPECT_EQ(ScaledFontHeight(50, 2.0), -100);
  EXPECT_EQ(ScaledFontHeight(5, 0.5), -2);
  EXPECT_EQ(ScaledFontHeight(7, 0.5), -4);
}

TEST(FormLayout, InformationPlacesCountBackFromTheClientEdges) {
  struct Case {
    int32_t value;
    bool vertical;
    int32_t pixels;
  };
  // Design width 200 on a client of 400 x 300: scale 2.
  const TInfoScale s = InfoScale(400, 300, 200);
  const Case cases[] = {{10, false, 20}, {10, true, 20}, {-50, false, 300}, {-20, true, 260}, {0, false, 0}};
  for (const Case& c : cases) EXPECT_EQ(ScaleInfoCoord(c.value, c.vertical, s), c.pixels) << c.value;
}

// A table from 20 across and 100 down to 50 above the bottom, a select, a
// list select counted back from the right, a button from the bottom, and
// cells: a label from the bottom, an input field beside the table, one
// over it and a label at its left edge.
const char* const kForm =
    "VARS\nA = N\nS = C\nENDSECTION\n"
    "FORMS\nT1 = FORM:GOODSB, X1:20, Y1:100, Y2:-50, KEYCOL:[1]\nENDSECTION\n"
    "SELECTS\nS1 = X1:10, X2:200, Y1:5, F:40\nENDSECTION\n"
    "SELLIST\nL1 = X1:-110, X2:-10, Y1:20, Y2:80\nENDSECTION\n"
    "BUTTONS\nB1 = X1:300, X2:380, Y1:-40, Y2:-10\nENDSECTION\n"
    "VIEWS\n"
    "['Итог'] = X:10, Y:-30\n"
    "[S]:10 = X:250, Y:5, E:1\n"
    "[A]:6 = X:100, Y:70, E:1, C:T1\n"
    "['Таблица'] = X:20, Y:70, C:T1\n"
    "ENDSECTION\n";

class ScrollBar : public TDataViewObserver {
 public:
  explicit ScrollBar(int32_t width) : width_(width) {}
  int32_t ScrollBarWidth() const override { return width_; }

 private:
  int32_t width_;
};

class FormLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(rig.CompileForm(kForm), 0) << rig.Message;
    form.Build(controls, 500, 400);
    Cell(1).SetText("abcd");
  }
  TCompiledDocument& Doc() { return rig.Doc; }
  THeadlessCell& Cell(int32_t i) { return *static_cast<THeadlessCell*>(Doc().Views.GetItem(i)->Control()); }
  TFormPar& Table() { return *Doc().Forms.GetItem(0); }

  DocRig rig;
  THeadlessControls controls;
  TDocumentForm form{rig.Doc};
};

TEST_F(FormLayoutTest, ControlsAtScaleOneAndTwo) {
  const int32_t total = Table().View().Blank().TotalWidth;
  ASSERT_GT(total, 0);
  struct Case {
    int32_t width, height;
    TRect32 select, list, button, table, label, field;
    int32_t selectFont, cellFont;
  };
  // Headless text is half its font's height wide a character; a field is
  // its text plus 8 and 6 across and plus 8 down.
  const Case cases[] = {
      {500, 400, {8, 2, 197, 0}, {388, 17, 107, 68}, {298, 356, 87, 34}, {20, 100, total, 250},
       {10, 369, 0, 0}, {248, 2, 4 * 25 + 14, 58}, -40, -50},
      {1000, 800, {18, 7, 387, 0}, {778, 37, 207, 128}, {598, 716, 167, 64}, {40, 200, 2 * total, 500},
       {20, 739, 0, 0}, {498, 7, 4 * 50 + 14, 108}, -80, -100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    form.Layout(c.width, c.height);
    const IListControl& combo = Doc().Selects.GetItem(0)->Combo();
    EXPECT_EQ(std::tuple(combo.Bounds(), Doc().ListSelects.GetItem(0)->List().Bounds(),
                         Doc().Buttons.GetItem(0)->Button().Bounds(), form.TableBox(0), Cell(0).Bounds(),
                         Cell(1).Bounds(), combo.FontHeight(), Cell(1).FontHeight()),
              std::tuple(c.select, c.list, c.button, c.table, c.label, c.field, c.selectFont, c.cellFont));
  }
}

TEST_F(FormLayoutTest, ACellOverATableLeavesRoomForItsScrollBar) {
  const int32_t total = Table().View().Blank().TotalWidth;
  struct Case {
    int32_t scrollBar;
    int32_t overLeft;  // the field over the table, at 100 - 2 across
  };
  const Case cases[] = {
      {0, 98},
      // 20 + Round(78 x (total - 20) / total)
      {20, 20 + RoundEven(78.0L * (total - 20) / total)},
  };
  for (const Case& c : cases) {
    ScrollBar bar(c.scrollBar);
    Table().View().SetObserver(&bar);
    form.Layout(500, 400);
    // At the table's left edge, and beside it, nothing moves.
    EXPECT_EQ(std::tuple(Cell(2).Bounds().Left, Cell(3).Bounds().Left, Cell(1).Bounds().Left),
              std::tuple(c.overLeft, 20, 248))
        << c.scrollBar;
    Table().View().SetObserver(nullptr);
  }
}

TEST_F(FormLayoutTest, AnInputFieldStopsOnePixelShortOfThePanelEdge) {
  struct Case {
    int32_t left;
    const char* text;
    int32_t width;
  };
  // Font height 50: 25 pixels a character, on a 500-pixel panel.
  const Case cases[] = {
      {100, "abcd", 114},     // fits
      {385, "abcd", 114},     // ends at 499, the last pixel allowed
      {386, "abcd", 113},     // would pass it
      {478, "abcdefgh", 21},  // far too wide
      {520, "a", 0},          // outside the panel
  };
  THeadlessCell& field = Cell(1);
  for (const Case& c : cases) {
    field.SetText(c.text);
    field.SetBounds({c.left, 0, 0, 0});
    FitEditToText(field, 500);
    EXPECT_EQ(std::pair(field.Bounds().Width, field.Bounds().Height), std::pair(c.width, 58)) << c.left << c.text;
  }
}

TEST_F(FormLayoutTest, TheFocusVisitsTheControlsByRows) {
  using K = TFormControlKind;
  // Select 2 down at 8, field 2 down at 248, list 17 down, field over the
  // table 67 down, table 100 down, button 356 down.
  EXPECT_EQ(form.TabOrder(), (std::vector<TFormControl>{
                                 {K::Select, 0}, {K::Cell, 1}, {K::ListSelect, 0}, {K::Cell, 2}, {K::Table, 0},
                                 {K::Button, 0}}));
  EXPECT_EQ(form.CurrentControl, 0);

  struct Case {
    TRect32 a, b;
    bool before;
  };
  const Case cases[] = {
      {{300, 10, 5, 5}, {0, 20, 5, 5}, true},  // a row above wins over the left
      {{0, 20, 5, 5}, {300, 10, 5, 5}, false},
      {{10, 20, 5, 5}, {30, 20, 5, 5}, true},  // one row: by the left
      {{10, 20, 5, 5}, {10, 20, 9, 9}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(CompareControlPos(c.a, c.b), c.before);
}

TEST(FormLayout, InformationCellsScaleToTheClientAndJoinTheTabOrder) {
  DocRig rig;
  ASSERT_EQ(rig.CompileForm("VARS\nA = N\nENDSECTION\n"
                            "FORMS\nT1 = FORM:GOODSB, X1:0, Y1:100, Y2:-1, KEYCOL:[1]\nENDSECTION\n"
                            "INFODESK\nSIZE = X:200, Y:100\n['Итог'] = X:10, Y:-20\n[A]:6 = X:-50, Y:5, E:1, F:20\n"
                            "ENDSECTION\n"),
            0)
      << rig.Message;
  THeadlessControls panel, info;
  TDocumentForm form(rig.Doc);
  form.Build(panel, 500, 400);
  form.BuildInfo(info, 400, 300);
  auto* label = rig.Doc.InfViews.GetItem(0)->Control();
  auto* field = rig.Doc.InfViews.GetItem(1)->Control();
  EXPECT_EQ(std::tuple(label->Bounds(), label->FontHeight(), field->Bounds()),
            std::tuple(TRect32{20, 260, 0, 0}, -100, TRect32{298, 7, 14, 48}));
  // The field's place in the information window comes before the table's.
  EXPECT_EQ(form.TabOrder(), (std::vector<TFormControl>{{TFormControlKind::InfoCell, 1},
                                                        {TFormControlKind::Table, 0}}));
  // Half as wide: everything at half the place.
  form.LayoutInfo(200, 150);
  EXPECT_EQ(std::pair(label->Bounds(), field->Bounds().Left), std::pair(TRect32{10, 130, 0, 0}, 148));
}

}  // namespace
}  // namespace vm::test
