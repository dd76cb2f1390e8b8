// A compiled document: what the document compiler made of one description
// (its variables, programs, subroutines, bound databases, tables, controls
// and form options) and the context its formulas and programs were compiled
// in. It owns all of that; Clear frees exactly that and nothing of the
// configuration it was compiled against.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "language/bound_tables.h"
#include "language/builtin_objects.h"
#include "models/help_pages.h"
#include "documents/form_list.h"
#include "documents/loadings.h"
#include "documents/questions.h"
#include "documents/view_cells.h"
#include "language/check_list.h"
#include "documents/price_binding.h"
#include "documents/runtime_objects.h"
#include "language/instructions.h"
#include "language/registry_context.h"

namespace vm {

class TCompiledDocument;

struct TSubdef : public ISubroutine {
  TInstruction* Entry = nullptr;
  TInstruction* StartInstruction() const override { return Entry; }
  std::string Name;  // upper case
  int32_t Line = 0;
};

// What the document's formulas and programs find by name.
class TDocumentContext : public TProgramContext {
 public:
  explicit TDocumentContext(TCompiledDocument& doc) : doc_(doc) {}

  IExprForm* FindForm(std::string_view name) override;
  IProgramBase* FindBase(std::string_view alias) override;
  TRuntimeObject* FindFieldList(std::string_view name) override;
  TRuntimeObject* FindSelect(std::string_view name) override;
  TRuntimeObject* FindListSelect(std::string_view name) override;
  TRuntimeObject* FindSubroutine(std::string_view name) override;
  TRuntimeObject* FindHelp(std::string_view name) override;
  IProgramAutoParam* FindAutoParam(std::string_view name) override;
  IProgramQuestion* FindQuestion(std::string_view name) override;
  IProgramQuestion* FindBaseQuestion(std::string_view name) override;
  IProgramLoading* FindLoading(std::string_view name) override;

 private:
  TCompiledDocument& doc_;
};

// Options of the document form and of printing (the BLANK section).
struct TFormOptions {
  int32_t Width = 0;  // 0: not given
  int32_t PrintCopies = 2;
  std::string PaperName;  // the page format
  std::string ExitConfirm;
  uint32_t ExitDefaultButton = 0x100;  // No, unless EXITCONFIRM says Yes
  std::string EnterConfirm;
  uint32_t AutoPrint = 0;  // bit 0 print after OK, 1 print again, 2 ask first
  bool Scroll = false;
};
inline constexpr uint32_t kAutoPrintAfterOk = 1;
inline constexpr uint32_t kAutoPrintAgain = 2;
inline constexpr uint32_t kAutoPrintAsk = 4;

// The whole-document programs; nullptr until their section is compiled.
struct TDocumentPrograms {
  TInstruction* Init = nullptr;
  TInstruction* Work = nullptr;
  TInstruction* Final = nullptr;
  TInstruction* OkPress = nullptr;
  TInstruction* PrintPress = nullptr;
  TInstruction* PrintDocument = nullptr;
  TInstruction* Scaner = nullptr;
  // Where INIT goes on when the window is shown again; nullptr without REENTRY.
  TInstruction* Reentry = nullptr;
};

// The variables every document has, declared before its own.
struct TPredefinedVars {
  TVariable* HtmlSource = nullptr;
  TVariable* HtmlResult = nullptr;
  TVariable* ScanString = nullptr;
  TVariable* CanDeleteRow = nullptr;
  TVariable* CanClose = nullptr;
  TVariable* PrintProgress = nullptr;
  TVariable* IsFirstPage = nullptr;
  TVariable* IsLastPage = nullptr;
  TVariable* DocPrint = nullptr;
  TVariable* PrintEnable = nullptr;
  TVariable* ErrorCode = nullptr;
  TVariable* PageNumber = nullptr;
  TVariable* MultiPage = nullptr;
  TVariable* IsNewRow = nullptr;
};

class TCompiledDocument {
 public:
  TCompiledDocument();
  ~TCompiledDocument();
  TCompiledDocument(const TCompiledDocument&) = delete;
  TCompiledDocument& operator=(const TCompiledDocument&) = delete;

  // Frees everything the compilation made and the value arrays and reports
  // the programs created; the document is empty again.
  void Clear();

  // Whether the name is taken by anything the description introduced
  // (upper-cased and trimmed first).
  bool IsNameInUse(std::string_view name);
  TSubdef* FindSubroutine(std::string_view name) const;

  TDocumentContext Context{*this};
  TInstructionPool Pool;
  TDocumentEvents Events;
  TDocumentPrograms Programs;
  TPredefinedVars Predefined;
  std::vector<std::unique_ptr<TSubdef>> Subroutines;
  TBaseList Bases;
  // The look-up pages; they share the document's name space.
  THelpList HelpPages;
  TFormList Forms;
  TSelectList Selects;
  TListSelList ListSelects;
  TButList Buttons;
  TFldListList FieldLists;
  TOleList Reports;
  TLoadList Loadings;
  TQuestList Questions;
  TBaseQuestList BaseQuestions;
  TViews Views;
  TInfViews InfViews;
  TStatusLine StatusLine;
  // The document-wide checks; a table keeps its own.
  TCheckList Checks;
  TPriceBinding Price;
  TFormOptions Options;
  // The document's own copy of the auto-parameters.
  TDocAutoParams AutoParams;
  bool Compiled = false;
  // The message of the last failed compilation, as shown.
  std::string ErrorMessage;
};

}  // namespace vm
