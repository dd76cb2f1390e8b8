#include "documents/compiled_document.h"

#include "foundation/text/strutils.h"
#include "language/interpreter.h"
#include "language/value_arrays.h"

namespace vm {

IExprForm* TDocumentContext::FindForm(std::string_view name) { return doc_.Forms.FindFormPar(name); }

IProgramBase* TDocumentContext::FindBase(std::string_view alias) { return doc_.Bases.FindByAlias(alias); }

TRuntimeObject* TDocumentContext::FindFieldList(std::string_view name) {
  return doc_.FieldLists.FindByName(name);
}

TRuntimeObject* TDocumentContext::FindSelect(std::string_view name) {
  return doc_.Selects.FindByName(name);
}

TRuntimeObject* TDocumentContext::FindListSelect(std::string_view name) {
  return doc_.ListSelects.FindByName(name);
}

TRuntimeObject* TDocumentContext::FindSubroutine(std::string_view name) {
  return doc_.FindSubroutine(name);
}

TRuntimeObject* TDocumentContext::FindHelp(std::string_view name) { return doc_.HelpPages.FindByName(name); }

IProgramAutoParam* TDocumentContext::FindAutoParam(std::string_view name) {
  return doc_.AutoParams.Find(name);
}

IProgramQuestion* TDocumentContext::FindQuestion(std::string_view name) {
  return doc_.Questions.FindByName(name);
}

IProgramQuestion* TDocumentContext::FindBaseQuestion(std::string_view name) {
  return doc_.BaseQuestions.FindByName(name);
}

IProgramLoading* TDocumentContext::FindLoading(std::string_view name) { return doc_.Loadings.FindByName(name); }

TCompiledDocument::TCompiledDocument() {
  Bases.Context = &Context;
  Bases.WriteBackBook = [this](TUBL& base, std::string& refusal) {
    THelpItem* page = HelpPages.FindByAlias(base.Alias);
    return page != nullptr && page->WriteBack(refusal);
  };
}

TCompiledDocument::~TCompiledDocument() { Clear(); }

void TCompiledDocument::Clear() {
  // The objects first: their formulas point at variables and bases.
  Checks.Clear();
  StatusLine.Clear();
  InfViews.Clear();
  Views.Clear();
  BaseQuestions.Clear();
  Questions.Clear();
  Loadings.Clear();
  Price = {};
  Reports.Clear();
  Buttons.Clear();
  ListSelects.Clear();
  Selects.Clear();
  Forms.Clear();
  FieldLists.Clear();
  HelpPages.Clear();
  Bases.Clear();
  Subroutines.clear();
  Context.Symbols().Reset();
  Context.RunErrorText.clear();
  // The interpreter may hold return addresses into the pool.
  Interp().ClearReturnStack();
  Pool.Clear();
  DinArrays().Clear();
  Programs = {};
  Predefined = {};
  Options = {};
  Compiled = false;
}

bool TCompiledDocument::IsNameInUse(std::string_view name) {
  const std::string key = UpperStr(TrimBlanks(name));
  return Context.Symbols().FindVariable(key) != nullptr || Context.FindForm(key) != nullptr ||
         Context.FindBase(key) != nullptr || Context.FindQuestion(key) != nullptr ||
         Context.FindBaseQuestion(key) != nullptr || FindSubroutine(key) != nullptr ||
         Context.FindLoading(key) != nullptr || Context.FindSelect(key) != nullptr ||
         Context.FindFieldList(key) != nullptr || Buttons.FindByName(key) != nullptr ||
         Context.FindListSelect(key) != nullptr || HelpPages.FindByName(key) != nullptr;
}

TSubdef* TCompiledDocument::FindSubroutine(std::string_view name) const {
  for (const auto& sub : Subroutines)
    if (sub->Name == name) return sub.get();
  return nullptr;
}

}  // namespace vm
