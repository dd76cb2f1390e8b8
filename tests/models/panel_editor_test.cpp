// The panel editor without a window on the sample configuration: its
// working copy, the captions a panel may take, the commands each selection
// allows, the rules of the button dialog, and OK writing "program.ini".
#include "models/panel_editor.h"

#include <gtest/gtest.h>

#include "app/demo_rig.h"
#include "config/data_dir.h"
#include "platform/encoding.h"
#include "support/faulty_files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"

namespace vm::test {
namespace {

struct PanelEditorRig : ::testing::Test {
  PanelEditorRig() {
    CopyDemoTo(Home.Dir());
    ChooseDataDirectory();
    EXPECT_TRUE(LoadAllSettings());
    Settings().DocTree.CreateAllMenus();
    Editor.Show();
  }
  ~PanelEditorRig() override { UnlockBases(); }

  ProgramHome Home;
  ScriptedUi Ui;
  TPanelEditorLogic Editor{Settings()};
};

TEST_F(PanelEditorRig, CaptionsOfOtherPanelsAreRefusedAndCommandsFollowTheSelection) {
  ASSERT_EQ(Editor.Work().Count(), 1);
  EXPECT_EQ(Editor.ButtonGroupCaption(), " Кнопки панели \"Основная\" "_w);
  EXPECT_TRUE(Editor.Buttons().AddButton);
  EXPECT_FALSE(Editor.Buttons().EditButton || Editor.Buttons().PanelUp || Editor.Buttons().PanelDown);
  EXPECT_FALSE(Editor.AddPanel("основная"_w));
  EXPECT_FALSE(Editor.AddPanel("  "));
  ASSERT_TRUE(Editor.AddPanel("Касса"_w));
  EXPECT_EQ(Editor.PanelIndex(), 1);
  EXPECT_TRUE(Editor.Buttons().PanelUp);
  EXPECT_FALSE(Editor.RenamePanel("Основная"_w));
  EXPECT_TRUE(Editor.RenamePanel("касса"_w));  // its own caption, in other letters
  Editor.MovePanel(-1);
  EXPECT_EQ(Editor.PanelIndex(), 0);
  EXPECT_EQ(Editor.Work().GetPanel(1)->Name, "Основная"_w);
  EXPECT_EQ(Editor.Work().GetPanel(1)->ToolCount(), 4);

  Editor.SelectPanel(1);
  Editor.SelectButton(3);
  EXPECT_TRUE(Editor.Buttons().ButtonUp && !Editor.Buttons().ButtonDown && Editor.Buttons().DeleteButton);
  Editor.MoveButton(-1);
  EXPECT_EQ(Editor.ButtonIndex(), 2);
  EXPECT_EQ(Editor.Panel()->GetTool(2)->DocID, 6);
  Editor.DeleteButton();
  EXPECT_EQ(Editor.Panel()->ToolCount(), 3);
  EXPECT_EQ(Editor.ButtonIndex(), 2);

  // Deleting asks; the last one leaves nothing selected and nothing to do.
  Ui.Answers = {kIdNo, kIdYes, kIdYes};
  EXPECT_FALSE(Editor.DeletePanel());
  EXPECT_EQ(Ui.Boxes.back().Text, "Вы действительно желаете удалить панель Основная?"_w);
  EXPECT_EQ(Ui.Boxes.back().Caption, "Удаление панели"_w);
  EXPECT_TRUE(Editor.DeletePanel());
  EXPECT_EQ(Editor.PanelIndex(), 0);
  EXPECT_TRUE(Editor.DeletePanel());
  EXPECT_EQ(Editor.PanelIndex(), -1);
  EXPECT_EQ(Editor.ButtonGroupCaption(), " Кнопки панели "_w);
  const TPanelEditorButtons& b = Editor.Buttons();
  EXPECT_FALSE(b.AddButton || b.DeleteButton || b.EditButton || b.DeletePanel || b.RenamePanel);
  // Nothing reached the configuration.
  EXPECT_EQ(Settings().Panels.Count(), 1);
}

TEST_F(PanelEditorRig, TheButtonDialogTakesADocumentOncePerPanelAndNeverAFolder) {
  const TMyPanel* panel = Editor.Panel();
  TButtonDialogLogic fresh(Settings().DocTree, panel, {}, false, 8);
  auto indexOf = [&fresh](const char* text) {
    for (std::size_t i = 0; i < fresh.Nodes().size(); ++i)
      if (fresh.Nodes()[i]->Text == Utf8ToCp1251(text)) return static_cast<int32_t>(i);
    return -1;
  };
  EXPECT_EQ(fresh.NodeIndex(), 0);
  fresh.ChooseNode(indexOf("Склад"));
  fresh.SetCaption("Склад"_w);
  EXPECT_FALSE(fresh.OkEnabled());  // a folder
  fresh.SetCaption("");
  fresh.ChooseNode(indexOf("Приход товара"));
  EXPECT_EQ(fresh.Caption(), "Приход товара"_w);
  EXPECT_FALSE(fresh.OkEnabled());  // already on the panel
  fresh.ChooseNode(indexOf("Ставка НДС"));
  EXPECT_EQ(fresh.Caption(), "Приход товара"_w);  // a caption typed stays
  EXPECT_TRUE(fresh.OkEnabled());
  EXPECT_FALSE(fresh.ChooseImage(8));
  EXPECT_TRUE(fresh.ChooseImage(5));
  const TButtonChoice chosen = fresh.Result();
  EXPECT_EQ(chosen.DocID, 7);
  EXPECT_EQ(chosen.ImageIndex, 5);

  // Edited, a button may stay on its own document.
  TButtonDialogLogic edited(Settings().DocTree, panel, {"Продажа"_w, 5, 2}, true, 8);
  EXPECT_EQ(edited.Nodes()[static_cast<std::size_t>(edited.NodeIndex())]->Text, "Продажа"_w);
  EXPECT_EQ(edited.ImageIndex(), 2);
  EXPECT_TRUE(edited.OkEnabled());
  edited.SetCaption(" ");
  EXPECT_FALSE(edited.OkEnabled());
}

TEST_F(PanelEditorRig, OkPutsTheWorkingCopyIntoTheConfigurationAndItsFile) {
  ASSERT_TRUE(Editor.AddPanel("Отчёты"_w));
  Editor.AddButton({"Выручка"_w, 10, 3});
  EXPECT_EQ(Editor.ButtonIndex(), 0);
  ASSERT_NE(Editor.Panel()->GetTool(0)->Doc, nullptr);
  ASSERT_TRUE(Editor.Apply());
  ASSERT_EQ(Settings().Panels.Count(), 2);
  TSettingsModel reread;
  ASSERT_TRUE(ReadConfigurationFile(0, DataDir() + "program.ini", reread));
  ASSERT_EQ(reread.Panels.Count(), 2);
  EXPECT_EQ(reread.Panels.GetPanel(1)->Name, "Отчёты"_w);
  ASSERT_EQ(reread.Panels.GetPanel(1)->ToolCount(), 1);
  EXPECT_EQ(reread.Panels.GetPanel(1)->GetTool(0)->DocID, 10);
  EXPECT_EQ(reread.Panels.GetPanel(1)->GetTool(0)->IconIndex, 3);
}

// On a disk with room for the new "program.ini" but not for the copy of
// the old one, OK says the panels did not change, and they did not: in the
// configuration or in its file.
TEST_F(PanelEditorRig, ASaveThatFailsLeavesThePanelsAndTheirFileAsTheyWere) {
  const std::string before = ReadBytes(DataDir() + "program.ini");
  ASSERT_TRUE(Editor.AddPanel("Отчёты"_w));
  {
    FaultyFileSystem disk;
    disk.WriteBudget = static_cast<int64_t>(before.size()) + 1000;
    EXPECT_FALSE(Editor.Apply());
  }
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Не удалось записать файл \"program.ini\". Панели не изменены."_w);
  EXPECT_EQ(Settings().Panels.Count(), 1);
  EXPECT_EQ(ReadBytes(DataDir() + "program.ini"), before);
  ASSERT_TRUE(Editor.Apply());
  EXPECT_EQ(Settings().Panels.Count(), 2);
  EXPECT_EQ(ReadBytes(DataDir() + "program.in1"), before);
}

}  // namespace
}  // namespace vm::test
