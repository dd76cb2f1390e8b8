#include "config/doctree.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

#include "platform/encoding.h"

namespace vm {
namespace {

TEST(DocTreeTest, FindsDocumentsNumbersNewNodesAndCopies) {
  TDocTree tree;
  TDocNode* root = tree.AddTop("Документы");
  TDocNode* folder = root->AddChild("F");
  for (const char* name : {"A", "B", "C"}) folder->AddChild(name);
  TDocNode* old = root->AddChild("Old");
  old->Data = std::make_unique<TDocData>();
  old->Data->ID = 5;
  old->Data->Description = "x";
  old->Data->PasswordNumber = 3;
  old->Data->BookWindowRect = {1, 2, 3, 4};

  HighestDocID() = 10;
  tree.CreateAllMenus();
  auto id = [](const TDocNode* n) { return n->Data->ID; };
  EXPECT_EQ((std::array{id(folder->Child(2)), id(folder->Child(1)), id(folder->Child(0)), id(folder),
                        id(root), id(old)}),
            (std::array{11, 12, 13, 14, 15, 5}));
  EXPECT_FALSE(folder->Data->IsDocument);
  EXPECT_TRUE(folder->Child(0)->Data->IsDocument);
  EXPECT_EQ(folder->Child(0)->Data->MenuCaption, "A");

  EXPECT_EQ(tree.FindID(12), folder->Child(1)->Data.get());
  EXPECT_EQ(tree.FindID(14), nullptr);  // a folder never matches
  EXPECT_EQ(tree.FindID(99), nullptr);

  tree.AddTop("second top node");
  TDocTree copy;
  copy.AddTop("stale");
  tree.CopyTo(copy);
  ASSERT_EQ(copy.TopCount(), 1);
  const TDocNode* copiedOld = copy.First()->Child(1);
  EXPECT_TRUE(copiedOld->Text == "Old" && copiedOld->Data->Description == "x");
  EXPECT_EQ(copiedOld->Data->BookWindowRect, (TWindowRect{1, 2, 3, 4}));
  EXPECT_EQ(copiedOld->Data->MenuCaption, "");  // menus are built again, not copied
  EXPECT_EQ(copy.First()->Child(0)->ChildCount(), 3);
  EXPECT_EQ(copy.First()->Child(0)->Child(2)->Level(), 2);

  // An ID set by hand at the top of the range: new documents take the
  // smallest free numbers instead of running past it.
  TDocTree full;
  TDocNode* top = full.AddTop("Документы");
  top->AddChild("X")->Data = std::make_unique<TDocData>();
  top->Child(0)->Data->ID = 1;
  top->AddChild("Y");
  top->AddChild("Z");
  HighestDocID() = INT32_MAX - 1;
  full.CreateAllMenus();
  EXPECT_EQ((std::array{id(top->Child(2)), id(top->Child(1)), id(top), id(top->Child(0))}),
            (std::array{INT32_MAX, 2, 3, 1}));
}

TEST(DocTreeTest, PanelsAndWindowPlaces) {
  TPanelList panels;
  TMyPanel* p = panels.AddPanel();
  p->AddTool(1)->Caption = "first";
  p->AddTool(2)->Caption = "second";
  p->SwapTools(0, 1);
  EXPECT_EQ(p->GetTool(0)->DocID, 2);
  p->SetChecked(true);

  // A copy stands apart from later changes to the original.
  TPanelList copy;
  panels.CopyTo(copy);
  p->DeleteTool(5);
  p->DeleteTool(0);
  EXPECT_EQ(p->GetTool(1), nullptr);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_TRUE(copy.GetPanel(0)->Shown);
  EXPECT_EQ(copy.GetPanel(0)->ToolCount(), 2);
  EXPECT_EQ(copy.GetPanel(0)->GetTool(1)->Caption, "first");

  EXPECT_EQ(ClampWindowRect({-10, 5000, 10, 9000}, 1024, 768, 800, 600),
            (TWindowRect{0, 718, 20, 600}));
  EXPECT_EQ(ClampWindowRect({974, 5, 900, 100}, 1024, 768, 800, 600),
            (TWindowRect{974, 5, 800, 100}));
}

TEST(DocTreeSearch, DocumentsWhoseDescriptionHoldsTheText) {
  TDocTree tree;
  TDocNode* root = tree.AddTop("Документы");
  TDocNode* folder = root->AddChild("F");
  folder->Data = std::make_unique<TDocData>();
  folder->Data->Description = "приход";
  TDocNode* a = folder->AddChild("A");
  TDocNode* b = root->AddChild("B");
  TDocNode* c = root->AddChild("C");
  for (TDocNode* n : {a, b, c}) n->Data = std::make_unique<TDocData>();
  a->Data->Description = "ПРИХОД товара"_w;
  c->Data->Description = "расход, приход"_w;
  EXPECT_EQ(FindDocNodeByText("Приход"_w, tree, nullptr), a);  // the folder is passed over
  EXPECT_EQ(FindDocNodeByText("приход"_w, tree, b), c);
  EXPECT_EQ(FindDocNodeByText("нет"_w, tree, nullptr), nullptr);
  a->Data->Found = c->Data->Found = true;
  tree.ClearFoundMarks();
  EXPECT_FALSE(a->Data->Found || c->Data->Found);
}

}  // namespace
}  // namespace vm
