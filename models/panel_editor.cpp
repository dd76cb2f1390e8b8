#include "models/panel_editor.h"

#include <algorithm>

#include "config/doctree.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/input_rules.h"

namespace vm {

namespace {

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

bool IsFolder(const TDocNode& node) { return node.HasChildren(); }

}  // namespace

TPanelEditorLogic::TPanelEditorLogic(TSettingsModel& model) : model_(model) {}

void TPanelEditorLogic::Show() {
  model_.Panels.CopyTo(work_);
  SelectPanel(work_.Count() > 0 ? 0 : -1);
}

TMyPanel* TPanelEditorLogic::Panel() const {
  return panel_ >= 0 && panel_ < work_.Count() ? work_.GetPanel(panel_) : nullptr;
}

void TPanelEditorLogic::SelectPanel(int32_t index) {
  panel_ = index >= 0 && index < work_.Count() ? index : -1;
  button_ = -1;
  Refresh();
}

void TPanelEditorLogic::SelectButton(int32_t index) {
  TMyPanel* p = Panel();
  button_ = p != nullptr && index >= 0 && index < p->ToolCount() ? index : -1;
  Refresh();
}

std::string TPanelEditorLogic::ButtonGroupCaption() const {
  const TMyPanel* p = Panel();
  return p != nullptr ? " Кнопки панели "_w + Quoted(p->Name) + " " : " Кнопки панели "_w;
}

void TPanelEditorLogic::Refresh() {
  const TMyPanel* p = Panel();
  buttons_ = {};
  buttons_.DeletePanel = buttons_.RenamePanel = p != nullptr;
  buttons_.PanelUp = panel_ > 0;
  buttons_.PanelDown = p != nullptr && panel_ < work_.Count() - 1;
  buttons_.AddButton = p != nullptr;
  buttons_.DeleteButton = buttons_.EditButton = buttons_.AddButton && button_ >= 0;
  buttons_.ButtonUp = p != nullptr && button_ > 0;
  buttons_.ButtonDown = p != nullptr && button_ >= 0 && button_ < p->ToolCount() - 1;
}

std::vector<std::string> TPanelEditorLogic::TakenCaptions(int32_t except) const {
  std::vector<std::string> names;
  for (int32_t i = 0; i < work_.Count(); ++i)
    if (i != except) names.push_back(work_.GetPanel(i)->Name);
  return names;
}

bool TPanelEditorLogic::AddPanel(const std::string& caption) {
  TInputRules rules;
  rules.AllowEmpty = false;
  rules.Names = TakenCaptions();
  if (!InputTextValid(caption, rules)) return false;
  work_.AddPanel()->Name = caption;
  SelectPanel(work_.Count() - 1);
  return true;
}

bool TPanelEditorLogic::RenamePanel(const std::string& caption) {
  TMyPanel* p = Panel();
  TInputRules rules;
  rules.AllowEmpty = false;
  rules.Names = TakenCaptions(panel_);
  if (p == nullptr || !InputTextValid(caption, rules)) return false;
  p->Name = caption;
  Refresh();
  return true;
}

bool TPanelEditorLogic::DeletePanel() {
  TMyPanel* p = Panel();
  if (p == nullptr) return false;
  if (Ui().MsgBox("Вы действительно желаете удалить панель "_w + p->Name + "?", "Удаление панели"_w,
                  kMbYesNoQuestion) != kIdYes)
    return false;
  const int32_t at = panel_;
  work_.DeletePanel(at);
  SelectPanel(std::min(at, work_.Count() - 1));
  return true;
}

void TPanelEditorLogic::MovePanel(int32_t step) {
  const int32_t to = panel_ + step;
  if (Panel() == nullptr || to < 0 || to >= work_.Count()) return;
  // The panels trade contents, so each list place keeps its object.
  TMyPanel held;
  held.Assign(*work_.GetPanel(to));
  work_.GetPanel(to)->Assign(*work_.GetPanel(panel_));
  work_.GetPanel(panel_)->Assign(held);
  const int32_t button = button_;
  SelectPanel(to);
  SelectButton(button);
}

std::string TPanelEditorLogic::AddButtonCaption() const {
  const TMyPanel* p = Panel();
  return "Добавление кнопки к панели "_w + Quoted(p != nullptr ? p->Name : std::string());
}

std::string TPanelEditorLogic::EditButtonCaption() const {
  const TMyPanel* p = Panel();
  return "Редактирование кнопки к панели "_w + Quoted(p != nullptr ? p->Name : std::string());
}

void TPanelEditorLogic::AddButton(const TButtonChoice& choice) {
  TMyPanel* p = Panel();
  if (p == nullptr) return;
  TDocTools* tool = p->AddTool(choice.DocID);
  tool->Caption = choice.Caption;
  tool->IconIndex = choice.ImageIndex;
  tool->Doc = model_.DocTree.FindID(choice.DocID);
  SelectButton(p->ToolCount() - 1);
}

void TPanelEditorLogic::EditButton(const TButtonChoice& choice) {
  TMyPanel* p = Panel();
  TDocTools* tool = p != nullptr ? p->GetTool(button_) : nullptr;
  if (tool == nullptr) return;
  tool->Caption = choice.Caption;
  tool->DocID = choice.DocID;
  tool->IconIndex = choice.ImageIndex;
  tool->Doc = model_.DocTree.FindID(choice.DocID);
  Refresh();
}

void TPanelEditorLogic::DeleteButton() {
  TMyPanel* p = Panel();
  if (p == nullptr || button_ < 0) return;
  p->DeleteTool(button_);
  SelectButton(std::min(button_, p->ToolCount() - 1));
}

void TPanelEditorLogic::MoveButton(int32_t step) {
  TMyPanel* p = Panel();
  const int32_t to = button_ + step;
  if (p == nullptr || button_ < 0 || to < 0 || to >= p->ToolCount()) return;
  p->SwapTools(button_, to);
  SelectButton(to);
}

bool TPanelEditorLogic::Apply() {
  TPanelList before;
  model_.Panels.CopyTo(before);
  work_.CopyTo(model_.Panels);
  if (SaveConfiguration()) return true;
  before.CopyTo(model_.Panels);
  Ui().MsgBox("Не удалось записать файл \"program.ini\". Панели не изменены."_w, Ui().AppTitle(), kMbError);
  return false;
}

// --- The button dialog ---------------------------------------------------------

TButtonDialogLogic::TButtonDialogLogic(const TDocTree& tree, const TMyPanel* panel, const TButtonChoice& start,
                                       bool editing, int32_t imageCount)
    : nodes_(tree.Nodes()), panel_(panel), editedID_(editing ? start.DocID : -256), imageCount_(imageCount) {
  if (!nodes_.empty()) node_ = 0;
  if (!editing) return;
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    const TDocNode& n = *nodes_[i];
    if (n.Data && n.Data->ID == start.DocID && !IsFolder(n)) {
      node_ = static_cast<int32_t>(i);
      break;
    }
  }
  caption_ = start.Caption;
  if (start.ImageIndex >= 0 && start.ImageIndex < imageCount_) image_ = start.ImageIndex;
}

void TButtonDialogLogic::ChooseNode(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(nodes_.size())) {
    node_ = -1;
    return;
  }
  node_ = index;
  const TDocNode& n = *nodes_[static_cast<std::size_t>(index)];
  if (!IsFolder(n) && TrimBlanks(caption_).empty()) caption_ = n.Text;
}

bool TButtonDialogLogic::ChooseImage(int32_t index) {
  if (index < 0 || index >= imageCount_) return false;
  image_ = index;
  return true;
}

bool TButtonDialogLogic::OkEnabled() const {
  if (TrimBlanks(caption_).empty() || node_ < 0) return false;
  const TDocNode& n = *nodes_[static_cast<std::size_t>(node_)];
  if (IsFolder(n) || !n.Data) return false;
  const int32_t id = n.Data->ID;
  if (panel_ == nullptr) return true;
  for (int32_t i = 0; i < panel_->ToolCount(); ++i) {
    const TDocTools* tool = panel_->GetTool(i);
    if (tool->DocID == id && id != editedID_) return false;
  }
  return true;
}

TButtonChoice TButtonDialogLogic::Result() const {
  TButtonChoice r;
  r.Caption = caption_;
  r.ImageIndex = image_;
  if (node_ >= 0 && nodes_[static_cast<std::size_t>(node_)]->Data) r.DocID = nodes_[static_cast<std::size_t>(node_)]->Data->ID;
  return r;
}

}  // namespace vm
