// Event blocks: "KEYWORD = NAME", the statements, and the block's own end
// keyword. The program goes into a slot of the named object.
#include <iterator>

#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "foundation/tables/dbf.h"

namespace vm {

namespace {

enum class TBlockOwner { Subroutine, Form, Help, Base, Select, ListSelect, Button };

struct TEventBlockKind {
  int Keyword;
  TBlockOwner Owner;
  int BadDeclaration;
  int UnknownName;
  int DefinedTwice;
  int EndKeyword;
  TInstruction* TFormPar::* FormSlot = nullptr;
  TInstruction* THelpItem::* HelpSlot = nullptr;
};

constexpr TEventBlockKind kEventBlocks[] = {
    {kSkSubroutine, TBlockOwner::Subroutine, 53, 0, 5, kSkEndSub},
    {kSkFormChange, TBlockOwner::Form, 61, 62, 88, kSkEndFormChange, &TFormPar::FormChange},
    {kSkLastTableProg, TBlockOwner::Form, 62, 62, 88, kSkEndLast, &TFormPar::LastTableProg},
    {kSkAddFromHelp, TBlockOwner::Form, 62, 62, 88, kSkEndFromHelp, &TFormPar::AddFromHelp},
    {kSkPreLastProg, TBlockOwner::Form, 62, 62, 88, kSkEndPreLast, &TFormPar::PreLastProg},
    {kSkOnDeleteRow, TBlockOwner::Form, 62, 62, 88, kSkEndDelRow, &TFormPar::OnDeleteRow},
    {kSkOnAddRow, TBlockOwner::Form, 62, 62, 88, kSkEndAddRow, &TFormPar::OnAddRow},
    {kSkAddToHelp, TBlockOwner::Help, 46, 46, 88, kSkEndToHelp, nullptr, &THelpItem::AddToHelp},
    {kSkPreAddToHelp, TBlockOwner::Help, 46, 46, 88, kSkEndPreAdd, nullptr, &THelpItem::PreAddToHelp},
    {kSkAfterLoadHelp, TBlockOwner::Help, 46, 46, 88, kSkEndAfterLoad, nullptr, &THelpItem::AfterLoadHelp},
    {kSkAddBase, TBlockOwner::Base, 26, 26, 88, kSkEndAddBase},
    {kSkSelChange, TBlockOwner::Select, 61, 126, 51, kSkEndSelChange},
    {kSkSelListChange, TBlockOwner::ListSelect, 61, 126, 51, kSkEndSelChange},
    {kSkButtonClick, TBlockOwner::Button, 61, 134, 51, kSkEndButClick},
};

const TEventBlockKind* FindKind(int keyword) {
  for (const TEventBlockKind& kind : kEventBlocks)
    if (kind.Keyword == keyword) return &kind;
  return nullptr;
}

// The program slot of the named object; nullptr when there is no such object.
TInstruction** EventSlot(TCompiledDocument& doc, const TEventBlockKind& kind, const std::string& name) {
  switch (kind.Owner) {
    case TBlockOwner::Form: {
      TFormPar* form = doc.Forms.FindFormPar(name);
      return form != nullptr ? &(form->*kind.FormSlot) : nullptr;
    }
    case TBlockOwner::Base: {
      TUBL* base = doc.Bases.FindByAlias(name);
      return base != nullptr ? &base->NewRowProgram : nullptr;
    }
    case TBlockOwner::Select: {
      TSelect* select = doc.Selects.FindByName(name);
      return select != nullptr ? &select->ChangeProgram : nullptr;
    }
    case TBlockOwner::ListSelect: {
      TListSelect* list = doc.ListSelects.FindByName(name);
      return list != nullptr ? &list->ClickProgram : nullptr;
    }
    case TBlockOwner::Button: {
      TVisButt* button = doc.Buttons.FindByName(name);
      return button != nullptr ? &button->ClickProgram : nullptr;
    }
    case TBlockOwner::Help: {
      THelpItem* page = doc.HelpPages.FindByName(name);
      return page != nullptr ? &(page->*kind.HelpSlot) : nullptr;
    }
    default:
      return nullptr;
  }
}

}  // namespace

bool TDocumentCompiler::IsEventBlock(int keyword) const { return FindKind(keyword) != nullptr; }

void TDocumentCompiler::EventBlock(int keyword, const TElementLine& line) {
  const TEventBlockKind& kind = *FindKind(keyword);
  line.CheckAllowed(kPositionalOnly);
  if (section_ != 0) RaiseCompileError(1);
  if (line.Count() != 1 || line.At(0)->Value.empty()) RaiseCompileError(kind.BadDeclaration);
  const std::string name = UpperStr(line.At(0)->Value);
  if (kind.Owner == TBlockOwner::Subroutine) return Subroutine(name);
  TInstruction** slot = EventSlot(doc_, kind, name);
  if (slot == nullptr) RaiseCompileError(kind.UnknownName);
  if (*slot != nullptr) RaiseCompileError(kind.DefinedTwice);
  CompileBody(*slot, kind.EndKeyword, kOpEnd);
}

void TDocumentCompiler::Subroutine(const std::string& name) {
  if (!IsValidFieldName(name)) RaiseCompileError(54);
  if (doc_.IsNameInUse(name)) RaiseCompileError(5);
  auto sub = std::make_unique<TSubdef>();
  sub->Name = name;
  sub->Line = reader_.LineIndex();
  TSubdef& added = *doc_.Subroutines.emplace_back(std::move(sub));
  CompileBody(added.Entry, kSkEndSub, kOpReturn);
}

}  // namespace vm
