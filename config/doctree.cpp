#include "config/doctree.h"

#include <algorithm>
#include <climits>
#include <set>
#include <utility>

#include "foundation/text/strutils.h"

namespace vm {

int32_t& HighestDocID() {
  static int32_t id = 0;
  return id;
}

TDocNode::TDocNode(std::string text, TDocNode* parent) : Text(std::move(text)), parent_(parent) {}

int32_t TDocNode::Level() const {
  int32_t level = 0;
  for (const TDocNode* p = parent_; p; p = p->parent_) ++level;
  return level;
}

TDocNode* TDocNode::AddChild(std::string text) {
  return children_.emplace_back(std::make_unique<TDocNode>(std::move(text), this)).get();
}

void TDocNode::DeleteChild(int32_t index) {
  if (index < 0 || index >= ChildCount()) return;
  children_.erase(children_.begin() + index);
}

TDocNode* TDocTree::AddTop(std::string text) {
  return top_.emplace_back(std::make_unique<TDocNode>(std::move(text))).get();
}

namespace {

void Collect(TDocNode* node, std::vector<TDocNode*>& out) {
  out.push_back(node);
  for (int32_t i = 0; i < node->ChildCount(); ++i) Collect(node->Child(i), out);
}

void CopySubtree(const TDocNode& src, TDocNode& dst) {
  dst.Text = src.Text;
  if (src.Data) {
    auto d = std::make_unique<TDocData>();
    d->Description = src.Data->Description;
    d->ID = src.Data->ID;
    d->BookWindowRect = src.Data->BookWindowRect;
    d->InfoWindowRect = src.Data->InfoWindowRect;
    d->WorkWindowRect = src.Data->WorkWindowRect;
    d->PasswordNumber = src.Data->PasswordNumber;
    d->FormWidth = src.Data->FormWidth;
    d->FormHeight = src.Data->FormHeight;
    d->FixedWidth = src.Data->FixedWidth;
    d->FixedHeight = src.Data->FixedHeight;
    dst.Data = std::move(d);
  }
  for (int32_t i = 0; i < src.ChildCount(); ++i) CopySubtree(*src.Child(i), *dst.AddChild({}));
}

}  // namespace

std::vector<TDocNode*> TDocTree::Nodes() const {
  std::vector<TDocNode*> out;
  for (const auto& n : top_) Collect(n.get(), out);
  return out;
}

TDocData* TDocTree::FindID(int32_t id) const {
  for (TDocNode* n : Nodes())
    if (n->Data && n->Data->ID == id && !n->HasChildren()) return n->Data.get();
  return nullptr;
}

void TDocTree::CopyTo(TDocTree& dest) const {
  dest.Clear();
  TDocNode* root = dest.AddTop({});
  if (const TDocNode* first = First()) CopySubtree(*first, *root);
}

void TDocTree::CreateAllMenus() {
  const std::vector<TDocNode*> nodes = Nodes();
  // Once the counter stands at the largest number (an ID set by hand), new
  // IDs are the smallest positive ones no node holds.
  std::set<int32_t> used;
  auto newID = [&] {
    if (HighestDocID() < INT32_MAX) return ++HighestDocID();
    if (used.empty())
      for (const TDocNode* n : nodes)
        if (n->Data) used.insert(n->Data->ID);
    int32_t id = 1;
    while (used.count(id)) ++id;
    used.insert(id);
    return id;
  };
  for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) {
    TDocNode* n = *it;
    if (!n->Data) n->Data = std::make_unique<TDocData>();
    n->Data->MenuCaption = n->Text;
    n->Data->IsDocument = !n->HasChildren();
    if (n->Data->ID == 0) n->Data->ID = newID();
  }
}

TDocTools* TMyPanel::AddTool(int32_t docID) {
  auto tool = std::make_unique<TDocTools>();
  tool->DocID = docID;
  return tools_.emplace_back(std::move(tool)).get();
}

void TMyPanel::DeleteTool(int32_t index) {
  if (index < 0 || index >= ToolCount()) return;
  tools_.erase(tools_.begin() + index);
}

TDocTools* TMyPanel::GetTool(int32_t index) const {
  if (index < 0 || index >= ToolCount()) return nullptr;
  return tools_[static_cast<std::size_t>(index)].get();
}

TDocTools* TMyPanel::FindTool(int32_t docID) const {
  for (const auto& t : tools_)
    if (t->DocID == docID) return t.get();
  return nullptr;
}

void TMyPanel::SwapTools(int32_t i, int32_t j) {
  TDocTools* a = GetTool(i);
  TDocTools* b = GetTool(j);
  if (a && b) std::swap(*a, *b);
}

void TMyPanel::Assign(const TMyPanel& src) {
  tools_.clear();
  Name = src.Name;
  Shown = src.Shown;
  for (const auto& t : src.tools_) tools_.push_back(std::make_unique<TDocTools>(*t));
}

void TPanelList::DeletePanel(int32_t index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  items_.shrink_to_fit();
}

void TPanelList::CopyTo(TPanelList& dest) const {
  dest.Clear();
  for (const auto& p : items_) dest.AddPanel()->Assign(*p);
}

TWindowRect ClampWindowRect(TWindowRect r, int32_t screenWidth, int32_t screenHeight,
                            int32_t maxWidth, int32_t maxHeight) {
  auto& [left, top, width, height] = r;
  if (left < 0)
    left = 0;
  else if (left > screenWidth - 50)
    left = screenWidth - 50;
  if (width > maxWidth)
    width = maxWidth;
  else if (width < 20)
    width = 20;
  if (top < 0)
    top = 0;
  else if (top > screenHeight - 50)
    top = screenHeight - 50;
  if (height > maxHeight)
    height = maxHeight;
  else if (height < 20)
    height = 20;
  return r;
}

void TDocTree::ClearFoundMarks() {
  for (TDocNode* node : Nodes())
    if (node->Data) node->Data->Found = false;
}

TDocNode* FindDocNodeByText(std::string_view text, const TDocTree& tree, const TDocNode* startNode) {
  const std::string wanted = UpperStr(text);
  const std::vector<TDocNode*> nodes = tree.Nodes();
  auto it = nodes.begin();
  if (startNode) it = std::find(nodes.begin(), nodes.end(), startNode);
  for (; it != nodes.end(); ++it) {
    const TDocNode* node = *it;
    if (node->Data && !node->HasChildren() && UpperStr(node->Data->Description).find(wanted) != std::string::npos)
      return *it;
  }
  return nullptr;
}

}  // namespace vm
