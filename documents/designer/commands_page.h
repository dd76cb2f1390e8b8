// The "Команды" page of the designer: the tree of commands, a node's
// description and password, the search and the checks of the descriptions.
#pragma once

#include <string>
#include <string_view>

#include "config/doctree.h"
#include "documents/designer/designer_page.h"

namespace vm {

class TCommandsPage : public TDesignerPage {
 public:
  using TDesignerPage::TDesignerPage;

  TDocNode* SelectedNode() const { return selected_; }
  // Shows the node: a password outside -1..10 becomes -1.
  void SelectNode(TDocNode* node);
  std::string NodeDescription() const;
  int32_t NodePasswordShown() const;
  void SetDescription(std::string text);
  void SetPasswordText(std::string_view text);
  TDocNode* AddDocument();
  // Asks first; true when deleted.
  bool DeleteDocument();
  bool CanDrag() const;
  bool CanDrop(const TDocNode* target) const;
  // Moves the selected node in front of target as its sibling.
  bool Drop(TDocNode* target);
  // "Искать" and "Искать далее": the node found is selected; false (after
  // the message) when none. SearchCaret is the match in its description as
  // the memo shows it, each CR LF one line break.
  bool Find(const std::string& text);
  bool FindNext();
  static std::string& SearchText();
  int32_t SearchCaret() const { return searchCaret_; }
  TDesignerRunEnd TestRun();
  TDesignerRunEnd CheckAll();
  void Enable(TDesignerEnabling& e) const;

 private:
  // Selects what a search found, or tells that nothing was.
  bool ShowFound(TDocNode* found, const std::string& text);

  TDocNode* selected_ = nullptr;
  int32_t searchCaret_ = 0;
};

}  // namespace vm
