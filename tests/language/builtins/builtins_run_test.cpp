#include "language/builtins/builtins_run.h"

#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>
#include <sys/resource.h>

#include "platform/encoding.h"
#include "language/check_boxes.h"
#include "language/program_rig.h"

namespace vm::test {
namespace {

class FormContext : public RigContext {
 public:
  vm::testing::FakeForm Form{"N"};
  IExprForm* FindForm(std::string_view name) override { return name == "T1" ? &Form : nullptr; }
};

TEST(Dialogs, BoxFlagsFollowTheKindAndYesAnswersOne) {
  ProgramRig rig;
  for (const char* v : {"A", "B", "C"}) rig.Var(v, Num(-1));
  rig.Ui.Answers = {kIdYes, kIdNo, kIdYes};
  ASSERT_TRUE(rig.Run("A := CONFIRM('sure?', 'cap', 1)\nB := CONFIRM('sure?', 'cap', 0)\n"
                      "C := QUESTION('caption', 'text')\nMESSAGE(0,'a','b')\nMESSAGE(1,'a','b')\n"
                      "MESSAGE(2,'a','b')\nMESSAGE(3,'a','b')\nMESSAGE(4,'a','b')\nMESSAGE(7,'text','cap')\nENDSECTION"));
  EXPECT_EQ(rig.Nums("ABC"), (std::vector<long double>{1, 0, 1}));
  ASSERT_EQ(rig.Ui.Boxes.size(), 9u);
  const uint32_t flags[] = {0x2024, 0x2124, 0x2024, 0x2000, 0x2010, 0x2030, 0x2020, 0x2010, 0x2040};
  for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(rig.Ui.Boxes[i].Flags, flags[i]) << i;
  EXPECT_EQ(std::tuple(rig.Ui.Boxes[2].Text, rig.Ui.Boxes[2].Caption, rig.Ui.Boxes[8].Text, rig.Ui.Boxes[8].Caption),
            std::tuple("text", "caption", "text", "cap"));
  EXPECT_FALSE(rig.Ui.BusyDuringBox);
}

TEST(Dialogs, CheckBoxesKeepToOneColumnAndThirtyTwoBoxes) {
  ProgramRig rig;
  rig.Zeros({"A", "B"});
  std::string many = "X";
  for (int i = 1; i < 40; ++i) many += "|X";
  rig.Ui.CheckBoxesConfirmed = false;
  ASSERT_TRUE(rig.Run("A := CHECKBOXES('Pick', ' A | B |C', -5, 0)\nENDSECTION"));
  EXPECT_EQ(rig.Num("A"), -1);
  ASSERT_EQ(rig.Ui.CheckBoxDialogs.size(), 1u);
  const auto& first = rig.Ui.CheckBoxDialogs[0];
  EXPECT_EQ(std::tuple(first.Items, first.Mask, first.Columns),
            std::tuple(std::vector<std::string>{"A", "B", "C"}, 5u, 1));

  rig.Ui.CheckBoxesConfirmed = true;
  rig.Ui.CheckBoxesResult = 6;
  ASSERT_TRUE(rig.Run("B := CHECKBOXES('Pick', '" + many + "', 0, 3)\nENDSECTION"));
  EXPECT_EQ(std::tuple(rig.Num("B"), rig.Ui.CheckBoxDialogs[1].Items.size(), rig.Ui.CheckBoxDialogs[1].Columns),
            std::tuple(6, 32u, 3));

  uint32_t result = 9;
  EXPECT_FALSE(ShowCheckBoxes("Pick", "  ", 0, 1, result));
  EXPECT_EQ(std::tuple(result, rig.Ui.CheckBoxDialogs.size()), std::tuple(0u, 2u));
}

TEST(Dialogs, CheckBoxesFillColumnByColumn) {
  const TCheckBoxLayout layout = LayOutCheckBoxes(3, 2, 50, 20, 75, 25);
  std::string corners;
  for (const auto& box : layout.Boxes) corners += std::to_string(box.Left) + "," + std::to_string(box.Top) + " ";
  EXPECT_EQ(std::tuple(layout.RowsPerColumn, corners, layout.ClientWidth, layout.ClientHeight),
            std::tuple(2, "10,4 10,24 70,4 ", 180, 20 * 2 + 12 + 25));
  EXPECT_EQ(LayOutCheckBoxes(1, 0, 20, 0, 75, 25).ClientWidth, 180);
}

TEST(Dialogs, OpenFileWritesTheChosenNameIntoItsVariable) {
  ProgramRig rig;
  rig.Var("F", Str("/data/in/old.txt"));
  rig.Var("A", Num(-1));
  rig.Ui.ChosenFiles = {"/data/new.csv"};
  ASSERT_TRUE(rig.Run("A := GETOPENFILENAME('Open', 'All|*.*', F)\nENDSECTION")) << Cp1251ToUtf8(rig.Message);
  EXPECT_EQ(std::tuple(rig.Num("A"), rig.Value("F").Str), std::tuple(1, "/data/new.csv"));
  ASSERT_EQ(rig.Ui.FileDialogs.size(), 1u);
  EXPECT_EQ(std::tuple(rig.Ui.FileDialogs[0].Dir, rig.Ui.FileDialogs[0].Title), std::tuple("/data/in/", "Open"));

  rig.Ui.ChosenFiles.clear();
  ASSERT_TRUE(rig.Run("A := GETOPENFILENAME('Open', 'All|*.*', F)\nENDSECTION"));
  EXPECT_EQ(std::tuple(rig.Num("A"), rig.Value("F").Str), std::tuple(0, "/data/new.csv"));
}

TEST(RunControls, ReachTheDocumentWindow) {
  FormContext context;
  ProgramRig rig(context);
  for (const char* v : {"A", "B"}) rig.Var(v, Num(-1));
  ASSERT_EQ(rig.Compile("OKCLICK(0, 1)\nOKCLICK(1, 0)\nPRINTCLICK(0)\nPRINTCLICK(1)\nA := CHECKALL(1)\n"
                        "B := CHECKALL(0)\nSELECTTABLE(T1)\nHIGHPRIOR(1)\nHIGHPRIOR(0)\nENDSECTION"),
            0)
      << Cp1251ToUtf8(rig.Message);
  rig.Ui.ChecksPass = false;
  const int niceBefore = getpriority(PRIO_PROCESS, 0);
  EXPECT_EQ(rig.Exec(), 0);
  EXPECT_EQ(std::tuple(rig.Ui.OkClicks, rig.Ui.LastOkConfirm, rig.Ui.PrintClicks, rig.Nums("AB")),
            std::tuple(1, false, 1, std::vector<long double>{0, 1}));
  EXPECT_EQ(rig.Ui.Focused, &context.Form);
  // Raising the priority may be refused; either way the run goes on and
  // normal priority is back at the end (unless it was lower to begin with).
  EXPECT_LE(getpriority(PRIO_PROCESS, 0), std::max(niceBefore, 0));
}

}  // namespace
}  // namespace vm::test
