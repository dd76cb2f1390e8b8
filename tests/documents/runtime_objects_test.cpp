#include "documents/runtime_objects.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "language/expr_compiler.h"
#include "language/program_rig.h"

namespace vm::test {
namespace {

// A program that counts its runs in HITS and tells the user.
struct EventRig {
  ProgramRig Rig;
  TDocumentEvents Events;
  int Recalcs = 0;
  EventRig() {
    Rig.Zeros({"HITS", "V"});
    Events.Recalc = [this] { ++Recalcs; };
    EXPECT_EQ(Rig.Compile("HITS := HITS + 1\nMESSAGE(0, 'event', 'T')\nENDSECTION"), 0) << Rig.Message;
  }
  long double Hits() { return Rig.Num("HITS"); }
  void Formula(TExprChain& chain, std::string_view text) {
    ASSERT_EQ(CompileExpr(text, Rig.Target, chain).ErrCode, 0) << text;
  }
  THeadlessList& ListOf(IListControl& c) { return static_cast<THeadlessList&>(c); }
};

TEST(RuntimeObjects, SelectRunsItsProgramThroughTheHost) {
  EventRig e;
  TSelect s(e.Events, std::make_unique<THeadlessList>());
  s.InsertAt("X", 0);
  EXPECT_EQ(s.Combo().Count(), 0);
  s.InsertAt("X", 1);
  s.InsertAt("x", 1);
  s.AddUnique("");
  s.AddUnique("b");
  s.AddUnique("B");
  s.InsertAt("a", 9);
  ASSERT_EQ(s.Combo().Count(), 3);
  EXPECT_EQ(s.Combo().Item(0) + s.Combo().Item(2), "aX");  // sorted on adding
  s.InsertAt("Z", 1);  // put where asked, sorted or not
  EXPECT_EQ(std::tuple(s.Combo().Item(0), s.IndexOf("x"), s.IndexOf("q")), std::tuple("Z", 3, -1));

  // Without a program nothing runs.
  EXPECT_EQ(s.SelectText("B"), 2);
  s.ChangeProgram = e.Rig.Main;
  EXPECT_EQ(s.SelectText("none"), -1);
  EXPECT_EQ(std::pair(e.Hits(), e.Recalcs), std::pair(0.0L, 0));
  EXPECT_EQ(s.SelectText("x"), 3);
  EXPECT_EQ(std::tuple(s.GetText(), s.GetItemIndex(), e.Hits(), e.Recalcs), std::tuple("X", 3, 1.0L, 1));
  ASSERT_EQ(e.Rig.Ui.Boxes.size(), 1u);
  EXPECT_EQ(e.Rig.Ui.Boxes[0].Text, "event");
  e.ListOf(s.Combo()).Choose(0);  // the user's own choice
  EXPECT_EQ(std::pair(e.Hits(), s.GetText()), std::pair(2.0L, std::string("Z")));
  s.SetItemIndex(-1);
  EXPECT_EQ(e.Hits(), 3);
  e.ListOf(s.Combo()).SetText("typed");
  EXPECT_EQ(s.GetText(), "typed");
  s.Clear();
  EXPECT_EQ(std::pair(s.GetItemIndex(), s.GetText()), std::pair(-1, std::string()));
}

TEST(RuntimeObjects, ListSelectsAndButtonsRunTheirPrograms) {
  EventRig e;
  TListSelect l(e.Events, std::make_unique<THeadlessList>());
  l.AddUnique("one");
  l.AddUnique("ONE");
  EXPECT_EQ(l.GetText(), "");
  l.ClickProgram = e.Rig.Main;
  e.ListOf(l.List()).Choose(0);
  EXPECT_EQ(std::pair(l.GetText(), e.Hits()), std::pair(std::string("one"), 1.0L));

  TVisButt b(e.Events, std::make_unique<THeadlessButton>());
  b.Name = "OK1";
  b.ClickProgram = e.Rig.Main;
  static_cast<THeadlessButton&>(b.Button()).Press();
  EXPECT_EQ(std::tuple(e.Hits(), e.Recalcs, e.Rig.Ui.Boxes.size()), std::tuple(2.0L, 2, 2u));
}

TEST(RuntimeObjects, VisibilityAndCaptionsFollowTheirFormulas) {
  EventRig e;
  TSelectList selects;
  // No formula, a tiny number, a text, a failing and a nonzero formula.
  const char* formulas[] = {"", "0.0000000005", "'1'", "1 / V", "-V - 1"};
  std::vector<TSelect*> all;
  for (const char* f : formulas) {
    all.push_back(&selects.Append(std::make_unique<TSelect>(e.Events, std::make_unique<THeadlessList>())));
    if (*f) e.Formula(all.back()->VisibleExpr, f);
  }
  selects.UpdateVisibility();
  std::vector<bool> visible;
  for (TSelect* s : all) visible.push_back(s->Combo().Visible());
  EXPECT_EQ(visible, (std::vector<bool>{true, false, false, false, true}));

  TButList buttons;
  TVisButt& b = buttons.Append(std::make_unique<TVisButt>(e.Events, std::make_unique<THeadlessButton>()));
  b.Name = "B1";
  e.Formula(b.CaptionExpr, "V + 1");
  e.Formula(b.VisibleExpr, "V");
  buttons.UpdateButtons();
  EXPECT_EQ(std::pair(b.Button().Caption(), b.Button().Visible()), std::pair(std::string("B1"), false));
  b.CaptionExpr.clear();
  e.Formula(b.CaptionExpr, "'Печать'"_w);
  buttons.UpdateButtons();
  EXPECT_EQ(b.Button().Caption(), "Печать"_w);
  EXPECT_EQ(std::pair(buttons.FindByName(" b1 "), buttons.FindByName("B2")), std::pair(&b, (TVisButt*)nullptr));
}

TEST(RuntimeObjects, FieldListsAndReports) {
  TFldListList lists;
  TFldList& f = lists.Append(std::make_unique<TFldList>());
  f.Name = "Units";
  EXPECT_EQ(lists.FindByName("UNITS"), &f);
  EXPECT_EQ(lists.FindByName(" UNITS"), nullptr);  // field lists are not trimmed
  f.AddUnique("кг"_w);
  f.AddUnique("КГ"_w);
  EXPECT_EQ(f.Add("шт"_w), 1);
  EXPECT_EQ(f.Add("г"_w), 0);
  EXPECT_EQ(f.IndexOf("Шт"_w), 2);
  f.Clear();
  EXPECT_EQ(f.IndexOf("шт"_w), -1);

  TOleList reports;
  EXPECT_EQ(reports.AddNew().Id, 1);
  EXPECT_EQ(reports.AddNew().Id, 2);
  EXPECT_EQ(std::pair(reports.FindById(2), reports.FindById(3) == nullptr), std::pair(reports.GetItem(1), true));
  reports.Clear();
  EXPECT_EQ(reports.AddNew().Id, 1);
}

}  // namespace
}  // namespace vm::test
