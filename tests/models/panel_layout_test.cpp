#include "models/panel_layout.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vm {
namespace {

// Button grid width of c columns: 23 each, indent and bevels 8.
constexpr int32_t GridWidth(int32_t c) { return c * 23 + 8; }

TMyPanel *AddPanel(TPanelList &list, int32_t buttons, bool shown = true) {
  TMyPanel *p = list.AddPanel();
  for (int32_t i = 0; i < buttons; ++i) p->AddTool(i + 1);
  p->Shown = shown;
  return p;
}

TEST(PanelLayout, TheGridWidensForItsCaptionAndGrowsRowsToFitTheRoom) {
  const TToolBarLayout row = LayOutToolBar(7, 1, 10);
  EXPECT_EQ(std::tuple(row.Cols, row.Rows, row.Width, row.Height), std::tuple(7, 1, GridWidth(7), 23 + 24 + 6 + 1));
  // A wide caption asks for more columns than one row of buttons needs.
  const TToolBarLayout wide = LayOutToolBar(2, 2, 100);
  EXPECT_GE(wide.Width, 100 + 18);
  EXPECT_EQ(wide.Rows, 1);

  // Room for only three columns at the start of a line: three rows of three.
  TPanelList list;
  TMyPanel *p = AddPanel(list, 7);
  const TPanelArrangement a =
      ArrangePanels(list, GridWidth(3) + 4, [](const TMyPanel &) { return 10; });
  ASSERT_EQ(a.Places.size(), 1u);
  EXPECT_EQ(std::tuple(p->Cols, p->Rows, a.Places[0].Left, a.Places[0].Top), std::tuple(3, 3, 2, 2));
  EXPECT_EQ(a.PanelsHeight, 2 + p->Height + 5);
}

TEST(PanelLayout, APanelThatDoesNotFitBesideOthersStartsTheNextLineBelowTheTallest) {
  TPanelList list;
  TMyPanel *tall = AddPanel(list, 2);
  AddPanel(list, 4, false);  // hidden panels take no room
  TMyPanel *wide = AddPanel(list, 6);
  const auto caption = [](const TMyPanel &) { return 10; };
  // Room for the two-button panel and a gap, not for six more buttons.
  const TPanelArrangement a = ArrangePanels(list, GridWidth(6) + 4 + 5, caption);
  ASSERT_EQ(a.Places.size(), 2u);
  EXPECT_EQ(std::tuple(a.Places[1].Panel, a.Places[1].Left, a.Places[1].Top, wide->Rows),
            std::tuple(wide, 2, 2 + tall->Height + 5, 1));

  EXPECT_EQ(FindPanelAt(a, 2, 2), tall);
  EXPECT_EQ(FindPanelAt(a, 2 + tall->Width - 1, 2 + tall->Height - 1), tall);
  EXPECT_EQ(FindPanelAt(a, 2 + tall->Width, 2), nullptr);
  EXPECT_EQ(FindPanelAt(a, 3, a.Places[1].Top + 1), wide);
  EXPECT_EQ(FindPanelAt(a, 0, 0), nullptr);
}

TEST(PanelLayout, TheWindowIsAtLeastAsWideAsTheWidestOneColumnPanel) {
  TPanelList list;
  AddPanel(list, 3);
  const TPanelArrangement a = ArrangePanels(list, 10, [](const TMyPanel &) { return 200; });
  EXPECT_GE(a.ClientWidth, 200 + 18 + 20);
  EXPECT_EQ(ArrangePanels(list, 500, [](const TMyPanel &) { return 0; }).ClientWidth, 500);
}

TEST(PanelLayout, ButtonsOfGoneDocumentsAreDroppedAndUnknownPicturesBecomeTheFirst) {
  TDocTree tree;
  TDocNode *folder = tree.AddTop("Склад");
  for (int32_t id : {5, 6}) {
    TDocNode *doc = folder->AddChild("Документ " + std::to_string(id));
    doc->Data = std::make_unique<TDocData>();
    doc->Data->ID = id;
  }
  folder->Data = std::make_unique<TDocData>();
  folder->Data->ID = 7;
  const struct {
    int32_t docId, icon;
    bool kept;
    int32_t iconAfter;
  } rows[] = {
      {5, 3, true, 3},   {9, 1, false, 0},   // no such document
      {0, 1, false, 0},  {7, 2, false, 0},   // no ID; a folder
      {6, 10, true, 0},  {6, -1, true, 0},   // pictures outside the list
      {5, 9, true, 9},
  };
  TPanelList list;
  TMyPanel *panel = list.AddPanel();
  for (const auto &r : rows) panel->AddTool(r.docId)->IconIndex = r.icon;
  BindPanelTools(list, tree, 10);
  std::vector<int32_t> kept;
  for (const auto &r : rows)
    if (r.kept) kept.push_back(r.iconAfter);
  ASSERT_EQ(panel->ToolCount(), static_cast<int32_t>(kept.size()));
  for (int32_t i = 0; i < panel->ToolCount(); ++i) {
    EXPECT_EQ(panel->GetTool(i)->IconIndex, kept[static_cast<std::size_t>(i)]) << i;
    ASSERT_NE(panel->GetTool(i)->Doc, nullptr);
    EXPECT_EQ(panel->GetTool(i)->Doc->ID, panel->GetTool(i)->DocID);
  }
}

}  // namespace
}  // namespace vm
