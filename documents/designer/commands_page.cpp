// What the "Команды" tab does to the tree of commands.
#include "documents/designer/commands_page.h"

#include <algorithm>

#include "documents/compiled_document.h"
#include "documents/designer/designer.h"
#include "documents/designer/unsaved_tables.h"
#include "documents/compiler/document_compiler.h"
#include "foundation/text/strutils.h"
#include "language/interpreter.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

// The first node from start on, in display order, without children and
// with a description that is not blank.
TDocNode* FindNextDescribedDoc(const TDocTree& tree, const TDocNode* start) {
  const std::vector<TDocNode*> nodes = tree.Nodes();
  for (auto it = std::find(nodes.begin(), nodes.end(), start); it != nodes.end(); ++it)
    if (!(*it)->HasChildren() && (*it)->Data && !TrimBlanks((*it)->Data->Description).empty())
      return *it;
  return nullptr;
}

int32_t IndexInParent(const TDocNode* node) {
  const TDocNode* parent = node->Parent();
  for (int32_t i = 0; parent && i < parent->ChildCount(); ++i)
    if (parent->Child(i) == node) return i;
  return -1;
}

bool IsWithin(const TDocNode* node, const TDocNode* top) {
  for (const TDocNode* p = node; p; p = p->Parent())
    if (p == top) return true;
  return false;
}

// A node's text, data and subtree moved into a new last child of parent.
TDocNode* Transplant(TDocNode& from, TDocNode& parent) {
  TDocNode* node = parent.AddChild(std::move(from.Text));
  node->Data = std::move(from.Data);
  for (int32_t i = 0; i < from.ChildCount(); ++i) Transplant(*from.Child(i), *node);
  return node;
}

TDocNode* NodeAfter(const TDocTree& tree, const TDocNode* node) {
  const std::vector<TDocNode*> nodes = tree.Nodes();
  auto it = std::find(nodes.begin(), nodes.end(), node);
  if (it == nodes.end() || ++it == nodes.end()) return nullptr;
  return *it;
}

}  // namespace

std::string& TCommandsPage::SearchText() {
  static std::string text;
  return text;
}

void TCommandsPage::SelectNode(TDocNode* node) {
  selected_ = node;
  if (node && node->Data && (node->Data->PasswordNumber < -1 || node->Data->PasswordNumber > 10))
    node->Data->PasswordNumber = -1;
}

std::string TCommandsPage::NodeDescription() const {
  return selected_ && selected_->Data ? selected_->Data->Description : std::string();
}

int32_t TCommandsPage::NodePasswordShown() const {
  return selected_ && selected_->Data ? PasswordSpinShown(selected_->Data->PasswordNumber) : 0;
}

void TCommandsPage::SetDescription(std::string text) {
  if (!selected_) return;
  if (!selected_->Data) selected_->Data = std::make_unique<TDocData>();
  selected_->Data->Description = std::move(text);
}

void TCommandsPage::SetPasswordText(std::string_view text) {
  if (!selected_) return;
  if (!selected_->Data) selected_->Data = std::make_unique<TDocData>();
  selected_->Data->PasswordNumber = PasswordFromSpinText(text);
}

TDocNode* TCommandsPage::AddDocument() {
  if (!selected_) return nullptr;
  TDocNode* node = selected_->AddChild("Новый_документ"_w);
  node->Data = std::make_unique<TDocData>();
  selected_ = node;
  return node;
}

bool TCommandsPage::DeleteDocument() {
  if (!d_.Enabling().DocDelete) return false;
  if (!AskYesNo("Вы действительно хотите удалить "_w + selected_->Text + "?",
                "Удаление документа"_w))
    return false;
  TDocNode* parent = selected_->Parent();
  parent->DeleteChild(IndexInParent(selected_));
  selected_ = parent;
  return true;
}

bool TCommandsPage::CanDrag() const { return selected_ && selected_ != d_.Tree.First(); }

bool TCommandsPage::CanDrop(const TDocNode* target) const {
  // A node dropped into its own subtree would take itself off the tree;
  // a top-level node has no parent to stand beside it under.
  return CanDrag() && target && target != selected_ && !IsWithin(target, selected_) &&
         target->Parent() != nullptr;
}

bool TCommandsPage::Drop(TDocNode* target) {
  if (!CanDrop(target)) return false;
  // The tree keeps its children in order and appends only, so the target's
  // siblings from the target on are moved aside and put back after the
  // dropped node.
  TDocNode aside{std::string()};
  Transplant(*selected_, aside);
  selected_->Parent()->DeleteChild(IndexInParent(selected_));
  TDocNode* to = target->Parent();
  const int32_t at = IndexInParent(target);
  while (to->ChildCount() > at) {
    Transplant(*to->Child(at), aside);
    to->DeleteChild(at);
  }
  selected_ = Transplant(*aside.Child(0), *to);
  for (int32_t i = 1; i < aside.ChildCount(); ++i) Transplant(*aside.Child(i), *to);
  return true;
}

bool TCommandsPage::ShowFound(TDocNode* found, const std::string& text) {
  if (!found) {
    Ui().MsgBox("Ничего не найдено!"_w, "Ошибка"_w, kMbError);
    return false;
  }
  SelectNode(found);
  const std::string& description = found->Data->Description;
  const std::size_t at = UpperStr(description).find(UpperStr(text));
  if (at == std::string::npos) {
    searchCaret_ = 0;
    return true;
  }
  // The memo shows each CR LF of the description as one line break.
  int32_t breaks = 0;
  for (std::size_t i = description.find("\r\n"); i != std::string::npos && i + 1 < at;
       i = description.find("\r\n", i + 2))
    ++breaks;
  searchCaret_ = static_cast<int32_t>(at) - breaks;
  return true;
}

bool TCommandsPage::Find(const std::string& text) {
  SearchText() = text;
  if (text.empty()) return false;
  return ShowFound(FindDocNodeByText(text, d_.Tree, d_.Tree.First()), text);
}

bool TCommandsPage::FindNext() {
  const std::string& text = SearchText();
  TDocNode* start = selected_ ? NodeAfter(d_.Tree, selected_) : NodeAfter(d_.Tree, d_.Tree.First());
  return ShowFound(start && !text.empty() ? FindDocNodeByText(text, d_.Tree, start) : nullptr,
                   text);
}
TDesignerRunEnd TCommandsPage::TestRun() {
  if (!d_.Enabling().DocPreview || !selected_->Data) return {};
  TDocData& doc = *selected_->Data;
  doc.MenuCaption = "Просмотр документа '"_w + selected_->Text + "'";
  doc.IsDocument = true;
  return d_.RunOnRoad(doc, true, doc.Description);
}

TDesignerRunEnd TCommandsPage::CheckAll() {
  d_.Live().Blanks.UnloadAll();
  d_.Blanks.UnloadAll();
  TCompileContext context;
  context.Bases = &d_.Bases;
  context.Blanks = &d_.Blanks;
  context.AutoParams = &d_.AutoParams;
  context.PageFormats = &d_.PageFormatList;
  context.PriceTags = &d_.Live().PriceTags;
  context.StandardPaper = d_.Misc.DefaultFormatName;
  TDesignerRunEnd end;
  int32_t count = 0;
  TCompiledDocument compiled;
  for (TDocNode* node = FindNextDescribedDoc(d_.Tree, selected_ ? selected_ : d_.Tree.First());
       node; node = FindNextDescribedDoc(d_.Tree, NodeAfter(d_.Tree, node))) {
    TDocumentSource source;
    source.Name = node->Text;
    source.Description = node->Data->Description;
    int line = 0;
    Interp().BeginDocumentRun();
    // Each compile closes the tables it bound when it is cleared.
    TUnsavedTables unsaved(d_.Bases);
    const int code = CompileDocument(compiled, source, context, line);
    ++count;
    compiled.Clear();
    d_.Blanks.UnloadAll();
    if (code != 0) {
      SelectNode(node);
      end.Error = true;
      end.CaretLine = MemoCaretLine(line, node->Data->Description);
      d_.Blanks.UnloadAll();
      return end;
    }
  }
  Ui().MsgBox("Проверено "_w + std::to_string(count) + " команд. Ошибки не обнаружены!"_w,
              "Проверка команд"_w, kMbInformation);
  d_.Blanks.UnloadAll();
  return end;
}

void TCommandsPage::Enable(TDesignerEnabling& e) const {
  e.DocAdd = selected_ != nullptr;
  e.DocDelete = e.DocAdd && selected_ != d_.Tree.First();
  e.DocPreview = e.DocDelete && !selected_->HasChildren();
  e.DocDescription = selected_ && !selected_->HasChildren();
}

}  // namespace vm
