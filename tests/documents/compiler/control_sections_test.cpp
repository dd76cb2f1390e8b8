// Selects, buttons, list selects, field lists and the price-tag binding
// compiled from whole descriptions; the controls run their programs as the
// user works them.
#include <gtest/gtest.h>

#include <tuple>

#include "documents/doc_rig.h"
#include "documents/line_errors.h"
#include "language/evaluator.h"
#include "language/interpreter.h"
#include "language/zone_compiler.h"

namespace vm::test {
namespace {

// The width first: the line under test is line 5, after its section keyword.
void ExpectSectionErrors(const std::string& section, std::initializer_list<LineErrorCase> cases) {
  ExpectLineErrors("BLANK\nWIDTH = 500\nENDSECTION\n" + section + "\n", 5, cases);
}

// Counts the controls it makes.
class CountingControls : public THeadlessControls {
 public:
  std::unique_ptr<IListControl> CreateDropDown() override {
    ++DropDowns;
    return THeadlessControls::CreateDropDown();
  }
  int DropDowns = 0;
};

const std::string kControls =
    "VARS\nHITS = N\nENDSECTION\n"
    "SELECTS\ns1 = X1:10, X2:200, Y1:5, F:40, B:1, V:HITS > 0\nENDSECTION\n"
    "SELLIST\nL1 = X1:1, X2:2, Y1:3, Y2:4, B:0\nENDSECTION\n"
    "BUTTONS\nB1 = X2:20, X1:-10, Y2:40, Y1:30, TITLE:'Нажми ' + 'здесь'\nB2 = X1:1, X2:2, Y1:3, Y2:4\nENDSECTION\n"
    "LISTS\nF1 = TITLE:'Список', W:100, H:200\nENDSECTION\n"
    "FORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1], LISTS:[2:F1]\nENDSECTION\n"
    "SELCHANGE = S1\nHITS := HITS + 1\nMESSAGE(0, 'sel', 'T')\nENDSELCHANGE\n"
    "SELLISTCHANGE = l1\nHITS := HITS + 10\nENDSELCHANGE\n"
    "BUTTONCLICK = B1\nHITS := HITS + 100\nMESSAGE(0, 'click', 'T')\nENDBUTCLICK\n";

TEST(ControlSections, ControlsTakeTheirPlaceAndRunTheirPrograms) {
  DocRig rig;
  CountingControls controls;
  rig.Context.Controls = &controls;
  ASSERT_EQ(rig.CompileForm(kControls), 0) << rig.Message;
  EXPECT_EQ(controls.DropDowns, 1);
  TCompiledDocument& doc = rig.Doc;
  int recalcs = 0;
  doc.Events.Recalc = [&] { ++recalcs; };

  TSelect& s1 = *doc.Selects.FindByName("S1");
  TListSelect& l1 = *doc.ListSelects.FindByName("L1");
  TVisButt& b1 = *doc.Buttons.FindByName("B1");
  TFldList& f1 = *doc.FieldLists.FindByName("F1");
  auto place = [](const auto& c) { return std::tuple(c.Place.Left, c.Place.Right, c.Place.Top, c.Place.Bottom); };
  EXPECT_EQ(std::tuple(s1.Name, place(s1), s1.FontHeight, s1.FontStyle, s1.Combo().FontStyle()),
            std::tuple("S1", std::tuple(10, 200, 5, 0), 40, kFsBold, kFsBold));
  EXPECT_EQ(std::tuple(l1.FontHeight, l1.FontStyle, l1.Place.Bottom), std::tuple(50, 0, 4));
  EXPECT_EQ(place(b1), std::tuple(-10, 20, 30, 40));
  int err = 0;
  TCommonVar title;
  EvalExpr(f1.Expr, err, title);
  EXPECT_EQ(std::tuple(f1.Width, f1.Height, title.Str, doc.Forms.FindFormPar("T1")->ColumnLists[1]),
            std::tuple(100, 200, "Список"_w, &f1));

  // Visibility and captions follow the formulas.
  doc.Selects.UpdateVisibility();
  doc.Buttons.UpdateButtons();
  EXPECT_FALSE(s1.Combo().Visible());
  EXPECT_EQ(b1.Button().Caption(), "Нажми здесь"_w);
  EXPECT_EQ(doc.Buttons.FindByName("B2")->Button().Caption(), "B2");

  // The user works the controls.
  Interp().BeginDocumentRun();
  TVariable& hits = *doc.Context.Symbols().FindVariable("HITS");
  s1.Add("one");
  static_cast<THeadlessList&>(s1.Combo()).Choose(0);
  EXPECT_EQ(hits.Value.Num, 1);
  static_cast<THeadlessButton&>(b1.Button()).Press();
  EXPECT_EQ(hits.Value.Num, 101);
  l1.AddUnique("x");
  static_cast<THeadlessList&>(l1.List()).Choose(0);
  EXPECT_EQ(std::pair(hits.Value.Num, recalcs), std::pair(111.0L, 3));
  ASSERT_EQ(rig.Ui.Boxes.size(), 2u);
  EXPECT_EQ(rig.Ui.Boxes[0].Text + rig.Ui.Boxes[1].Text, "selclick");
  doc.Selects.UpdateVisibility();
  EXPECT_TRUE(s1.Combo().Visible());
  // A button without a program does nothing.
  static_cast<THeadlessButton&>(doc.Buttons.FindByName("B2")->Button()).Press();
  EXPECT_EQ(recalcs, 3);
}

TEST(ControlSections, EachEventBlockOnce) {
  ExpectLineErrors("BLANK\nWIDTH = 500\nENDSECTION\n" + kControls, 34, {
      {"SELCHANGE = s1\nENDSELCHANGE", 51},
      {"SELLISTCHANGE = L1\nENDSELCHANGE", 51},
      {"BUTTONCLICK = B1\nENDBUTCLICK", 51},
      {"BUTTONCLICK = S1\nENDBUTCLICK", 134},
      {"SELLISTCHANGE = S1\nENDSELCHANGE", 126},
  });
  // Field lists come before the tables that offer them.
  DocRig rig;
  EXPECT_EQ(rig.CompileForm("FORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1], LISTS:[2:F1]\nENDSECTION\n"
                            "LISTS\nF1 = TITLE:'a', W:1, H:1"),
            132);
}

TEST(ControlSections, ControlErrorsByLine) {
  ExpectSectionErrors("SELECTS", {
      {"1S = X1:0, X2:1, Y1:0", 127},
      {"CANCLOSE = X1:0, X2:1, Y1:0", 5},
      {"GOTO = X1:0, X2:1, Y1:0", 52},
      {"S = X2:1, Y1:0", 7},
      {"S = X1:0, X2:1", 7},
      {"S = X1:0, X2:1, Y1:1.5", 8},
      {"S = X1:0, X2:1, Y1:0, Y2:5", 257},
      {"S = X1:0, X2:1, Y1:0, TITLE:'a'", 257},
      {"S = X1:0, X2:1, Y1:0, F:0", 8},
      {"S = X1:0, X2:1, Y1:0, V:'a'", 48},
      {"S = X1:0, X2:1, Y1:0, V:NOPE", -1},
  });
  ExpectSectionErrors("BUTTONS", {
      {"B = X1:0, X2:1, Y1:0", 7},
      {"B = X1:0, X2:1, Y1:0, Y2:x", 8},
      {"B = X1:0, X2:1, Y1:0, Y2:1, TITLE:1", 133},
      {"B = X1:0, X2:1, Y1:0, Y2:1, TITLE:NOPE", -1},
      {"B = X1:0, X2:1, Y1:0, Y2:1, W:1", 257},
  });
  ExpectSectionErrors("SELLIST", {
      {"L = X1:0, X2:1, Y1:0", 7},
      {"L = X1:0, X2:1, Y1:0, Y2:1, TITLE:'a'", 257},
      {"L = X1:0, X2:1, Y1:0, Y2:1, V:1 + 'a'", -1},
  });
  ExpectSectionErrors("LISTS", {
      {"1L = TITLE:'a', W:1, H:1", 127},
      {"L = W:1, H:1", 128},
      {"L = TITLE:1, W:1, H:1", 133},
      {"L = TITLE:'a', H:1", 129},
      {"L = TITLE:'a', W:0, H:1", 8},
      {"L = TITLE:'a', W:1", 130},
      {"L = TITLE:'a', W:1, H:1, X1:1", 257},
  });
  // One name space for every kind of control.
  DocRig rig;
  EXPECT_EQ(rig.CompileForm("SELECTS\nS1 = X1:0, X2:1, Y1:0\nENDSECTION\nLISTS\ns1 = TITLE:'a', W:1, H:1"), 5);
  EXPECT_EQ(rig.Line, 8);
}

// A table whose fourth (hidden) column counts the tags; the PRICE line is 8.
const std::string kPriceHead =
    "FORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1]\nENDSECTION\nPRICE\n";

TEST(PriceSection, DocumentKeepsItsOwnZoneExpressions) {
  DocRig rig;
  TCenZone& layoutZone = *rig.PriceTags.GetItem(0)->GetZone(0);
  TZoneCompiler zones;
  zones.CompileCenZone(layoutZone, "2 + 2");
  const TCompiledZone* layoutExpr = CompiledZone(layoutZone);
  ASSERT_NE(layoutExpr, nullptr);

  ASSERT_EQ(rig.CompileForm(kPriceHead + "PRICEKIND = NUMBER:1, COUNT:4, ZONES:[2:t1[1, 1], 1:'Цена' + 'x']"), 0)
      << rig.Message;
  const TPriceBinding& price = rig.Doc.Price;
  ASSERT_TRUE(price.ZoneExpr(0) != nullptr && price.ZoneExpr(1) != nullptr);
  EXPECT_EQ(std::tuple(price.Declared, price.Layout, price.CountColumn, price.Editable, price.ZoneExpr(2) == nullptr),
            std::tuple(true, rig.PriceTags.GetItem(0), 3, true, true));
  int err = 0;
  TCommonVar v;
  EvalExpr(*const_cast<TExprChain*>(price.ZoneExpr(0)), err, v);
  EXPECT_EQ(v.Str, "Ценаx"_w);
  // The layout's own expression stays, and so after the document is cleared.
  EXPECT_EQ(std::tuple(CompiledZone(layoutZone), layoutZone.Text), std::tuple(layoutExpr, "2 + 2"));
  // Editable price tags open every column of the table, keys too.
  const TFormPar& form = *rig.Doc.Forms.FindFormPar("T1");
  EXPECT_TRUE(form.EditableCols.test(0) && form.EditableCols.test(3));
  rig.Doc.Clear();
  EXPECT_EQ(std::tuple(rig.Doc.Price.Layout == nullptr, rig.Doc.Price.Declared, CompiledZone(layoutZone)),
            std::tuple(true, false, layoutExpr));

  ASSERT_EQ(rig.CompileForm(kPriceHead + "PRICEKIND = NUMBER:2, COUNT:0, ZONES:[1:1], EDITABLE:0"), 0) << rig.Message;
  EXPECT_EQ(std::tuple(rig.Doc.Price.Layout, rig.Doc.Price.CountColumn, rig.Doc.Price.Editable,
                       rig.Doc.Forms.FindFormPar("T1")->EditableCols.test(0)),
            std::tuple(rig.PriceTags.GetItem(1), -1, false, false));
}

TEST(PriceSection, PriceErrors) {
  const std::string kind = "PRICEKIND = NUMBER:1, COUNT:0, ";
  ExpectErrors({
      {"PRICE\n" + kind + "ZONES:[1:1]", 111, 5},
      {"FORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1]\nT2 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1]\n"
       "ENDSECTION\nPRICE\n" + kind + "ZONES:[1:1]", 111, 9},
      {kPriceHead + kind + "ZONES:[1:1]\n" + kind + "ZONES:[1:1]", 104, 9},
      {kPriceHead + "PRICEKIND = NUMBER:1, COUNT:0, ZONES:[1:1], X1:0", 257, 8},
      {kPriceHead + "KIND = NUMBER:1, COUNT:0, ZONES:[1:1]", 11, 8},
      {kPriceHead + "PRICEKIND = COUNT:0, ZONES:[1:1]", 105, 8},
      {kPriceHead + "PRICEKIND = NUMBER:3, COUNT:0, ZONES:[1:1]", 107, 8},
      {kPriceHead + "PRICEKIND = NUMBER:x, COUNT:0, ZONES:[1:1]", 107, 8},
      {kPriceHead + "PRICEKIND = NUMBER:1, ZONES:[1:1]", 112, 8},
      {kPriceHead + "PRICEKIND = NUMBER:1, COUNT:5, ZONES:[1:1]", 63, 8},
      {kPriceHead + "PRICEKIND = NUMBER:1, COUNT:-1, ZONES:[1:1]", 63, 8},
      {kPriceHead + "PRICEKIND = NUMBER:1, COUNT:3, ZONES:[1:1]", 113, 8},
      {kPriceHead + kind.substr(0, kind.size() - 2), 106, 8},
      {kPriceHead + kind + "ZONES:[]", 43, 8},
      {kPriceHead + kind + "ZONES:[3:1]", 108, 8},
      {kPriceHead + kind + "ZONES:[1:1, 1:2]", 109, 8},
      {kPriceHead + kind + "ZONES:[Z:1]", 256, 8},
      {kPriceHead + kind + "ZONES:[FORM:1]", 257, 8},
      {kPriceHead + kind + "ZONES:[1:NOPE]", -1, 8},
      {kPriceHead + kind + "ZONES:[1:T1]", 110, 8},
      {kPriceHead + kind + "ZONES:[1:1], EDITABLE:x", 8, 8},
      // Checked again after the last line: a table added after PRICE, or
      // a PRICE section without its line.
      {kPriceHead + kind + "ZONES:[1:1]\nENDSECTION\nFORMS\nT2 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1]", 111, -1},
      {"PRICE\nENDSECTION", 111, -1},
  }, "BLANK\nWIDTH = 500\nENDSECTION\n");
  DocRig rig;
  EXPECT_EQ(rig.CompileForm("PRICE\nENDSECTION"), 111);
  EXPECT_EQ(rig.Message, " Документ для ярлыков должен иметь одну форму ");
}

}  // namespace
}  // namespace vm::test
