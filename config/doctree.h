// The document tree that becomes the document menu, the user panels of
// buttons that start documents, and the clamping of saved window places.
// The menu items and tool bars themselves belong to the windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/registries.h"

namespace vm {

// The last document ID given out.
int32_t& HighestDocID();

class TDocNode {
 public:
  explicit TDocNode(std::string text, TDocNode* parent = nullptr);
  TDocNode(const TDocNode&) = delete;
  TDocNode& operator=(const TDocNode&) = delete;

  std::string Text;
  // Owned; a node without data is the root or a node the menus have not
  // been built for yet.
  std::unique_ptr<TDocData> Data;

  TDocNode* Parent() const { return parent_; }
  // 0 for a top-level node.
  int32_t Level() const;
  bool HasChildren() const { return !children_.empty(); }
  int32_t ChildCount() const { return static_cast<int32_t>(children_.size()); }
  TDocNode* Child(int32_t index) const { return children_[static_cast<std::size_t>(index)].get(); }
  TDocNode* AddChild(std::string text);
  void DeleteChild(int32_t index);

 private:
  TDocNode* parent_;
  std::vector<std::unique_ptr<TDocNode>> children_;
};

class TDocTree {
 public:
  TDocTree() = default;
  TDocTree(const TDocTree&) = delete;
  TDocTree& operator=(const TDocTree&) = delete;

  int32_t TopCount() const { return static_cast<int32_t>(top_.size()); }
  TDocNode* Top(int32_t index) const { return top_[static_cast<std::size_t>(index)].get(); }
  TDocNode* First() const { return top_.empty() ? nullptr : top_.front().get(); }
  TDocNode* AddTop(std::string text);
  void Clear() { top_.clear(); }

  // Every node in tree order: parents before children, depth first.
  std::vector<TDocNode*> Nodes() const;

  // The document (never a folder) with that ID; nullptr if none.
  TDocData* FindID(int32_t id) const;

  // Dest gets one empty top-level node holding a copy of this tree's first
  // top-level node and its subtree; menu data is not copied.
  void CopyTo(TDocTree& dest) const;

  // Clears the search mark of every node.
  void ClearFoundMarks();

  // Prepares every node for its menu item, from the last node back to the
  // first: data for nodes without it, the caption, the document flag, and
  // an ID from HighestDocID for nodes that have none. The windows then make
  // the menu items.
  void CreateAllMenus();

 private:
  std::vector<std::unique_ptr<TDocNode>> top_;
};

// From StartNode (the first node when nullptr) on in tree order, the first
// document (a node with data and no children) whose description contains
// Text, both upper-cased; nullptr if none.
TDocNode* FindDocNodeByText(std::string_view text, const TDocTree& tree, const TDocNode* startNode);

// One button of a user panel.
struct TDocTools {
  std::string Caption;
  int32_t IconIndex = 0;
  TDocData* Doc = nullptr;  // not owned
  int32_t DocID = 0;
};

// A named row of buttons.
class TMyPanel {
 public:
  std::string Name;
  int32_t Width = 0, Height = 0;
  int32_t Rows = 0, Cols = 0;
  bool Placed = false;
  bool Shown = false;

  int32_t ToolCount() const { return static_cast<int32_t>(tools_.size()); }
  TDocTools* AddTool(int32_t docID);
  void DeleteTool(int32_t index);
  TDocTools* GetTool(int32_t index) const;
  TDocTools* FindTool(int32_t docID) const;
  // Exchanges the contents, so the buttons keep their places.
  void SwapTools(int32_t i, int32_t j);
  void SetChecked(bool value) { Shown = value; }
  void Assign(const TMyPanel& src);

 private:
  std::vector<std::unique_ptr<TDocTools>> tools_;
};

class TPanelList {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TMyPanel* AddPanel() { return items_.emplace_back(std::make_unique<TMyPanel>()).get(); }
  TMyPanel* GetPanel(int32_t index) const { return items_[static_cast<std::size_t>(index)].get(); }
  void DeletePanel(int32_t index);
  void CopyTo(TPanelList& dest) const;
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TMyPanel>> items_;
};

// Keeps a saved window place on the screen and within the maximum size.
TWindowRect ClampWindowRect(TWindowRect rect, int32_t screenWidth, int32_t screenHeight,
                            int32_t maxWidth, int32_t maxHeight);

}  // namespace vm
