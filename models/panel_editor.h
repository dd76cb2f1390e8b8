// The editor of the user panels without a window: a working copy of the
// panels where the user adds, renames, deletes and reorders panels and
// their buttons; only OK puts it back into the configuration and rewrites
// "program.ini". And the button dialog's rules: which document a button
// may start on its panel and when OK may be pressed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"

namespace vm {

struct TPanelEditorButtons {
  // The panel group.
  bool DeletePanel = false;
  bool RenamePanel = false;
  bool PanelUp = false;
  bool PanelDown = false;
  // The button group.
  bool AddButton = false;
  bool DeleteButton = false;
  bool EditButton = false;
  bool ButtonUp = false;
  bool ButtonDown = false;
};

// What the button dialog gives back.
struct TButtonChoice {
  std::string Caption;
  int32_t DocID = 0;
  int32_t ImageIndex = 0;
};

class TPanelEditorLogic {
 public:
  explicit TPanelEditorLogic(TSettingsModel& model);

  // The working copy taken from the configuration; the first panel chosen.
  void Show();
  const TPanelList& Work() const { return work_; }

  int32_t PanelIndex() const { return panel_; }
  TMyPanel* Panel() const;
  // -1: none.
  void SelectPanel(int32_t index);
  int32_t ButtonIndex() const { return button_; }
  void SelectButton(int32_t index);
  // The caption of the button group: the chosen panel's name in quotes.
  std::string ButtonGroupCaption() const;
  const TPanelEditorButtons& Buttons() const { return buttons_; }

  // The captions a panel may not take: every panel's, but the one renamed.
  std::vector<std::string> TakenCaptions(int32_t except = -1) const;
  // False (nothing changes) for an empty caption or another panel's.
  bool AddPanel(const std::string& caption);
  bool RenamePanel(const std::string& caption);
  // Asks first; true when deleted.
  bool DeletePanel();
  // -1 up, +1 down; the selection follows.
  void MovePanel(int32_t step);

  // The captions of the button dialog: "Добавление кнопки к панели "…""
  // and "Редактирование кнопки к панели "…"".
  std::string AddButtonCaption() const;
  std::string EditButtonCaption() const;
  void AddButton(const TButtonChoice& choice);
  void EditButton(const TButtonChoice& choice);
  void DeleteButton();
  void MoveButton(int32_t step);

  // OK: the working copy into the configuration and "program.ini"
  // rewritten. False (told, nothing changed) when the file could not be
  // written.
  bool Apply();

 private:
  void Refresh();

  TSettingsModel& model_;
  TPanelList work_;
  int32_t panel_ = -1;
  int32_t button_ = -1;
  TPanelEditorButtons buttons_;
};

// The button dialog of a panel: the document tree, the caption and the
// picture; OK only for a caption, a document (never a folder) that the
// panel has no other button for.
class TButtonDialogLogic {
 public:
  // editing: the button of docID is being edited (it may keep its
  // document); otherwise a new one.
  TButtonDialogLogic(const TDocTree& tree, const TMyPanel* panel, const TButtonChoice& start, bool editing,
                     int32_t imageCount);

  const std::vector<TDocNode*>& Nodes() const { return nodes_; }
  // Into Nodes(); -1 none.
  int32_t NodeIndex() const { return node_; }
  // A click on a node: a document fills an empty caption with its text.
  void ChooseNode(int32_t index);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  int32_t ImageIndex() const { return image_; }
  // False for a cell past the last picture.
  bool ChooseImage(int32_t index);
  bool OkEnabled() const;
  TButtonChoice Result() const;

 private:
  std::vector<TDocNode*> nodes_;
  const TMyPanel* panel_;
  int32_t editedID_;
  int32_t imageCount_;
  int32_t node_ = -1;
  int32_t image_ = 0;
  std::string caption_;
};

}  // namespace vm
