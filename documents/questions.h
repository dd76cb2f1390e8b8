// Questions and base questions: EXECQUESTION asks the user for values of
// document variables in a small dialog, or lets the user pick a record of
// a bound database from a grid (or add one). The dialogs are the host's;
// these fill them and take the answers back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "documents/runtime_objects.h"
#include "documents/value_edit.h"
#include "foundation/tables/key_cols.h"
#include "language/bound_tables.h"
#include "language/expr_context.h"
#include "language/program_context.h"
#include "language/table_filter.h"
#include "platform/services.h"

namespace vm {

// One edit of a question: its label, its kind, width and decimals, and
// where its value goes (a variable, or a field of a new record).
struct TInp {
  std::string Label;
  TValueEdit Format;
  TVariable* Target = nullptr;
  int32_t Field = -1;
};
using TInputs = std::vector<TInp>;

// A caption from a title formula, or "Ошибка при вычислении".
std::string QuestionCaption(TExprChain& title);

// The dialog of a list of inputs; true with the typed values (one per
// input) after OK.
bool AskInputs(const std::string& caption, bool cancelAllowed, const TInputs& inputs,
               std::vector<TCommonVar>& values);

class TQuestion : public IProgramQuestion {
 public:
  std::string Name;
  TExprChain Title;
  TInputs Inputs;
  bool CancelAllowed = false;
  // ERRORCODE of the document: 0 after OK, 1 otherwise.
  TVariable* ErrorCode = nullptr;

  void Run() override;
};

// A listed column of a base question: its title and its text formula.
struct TFldDef {
  std::string Title;
  int32_t Width = 0;  // pixels
  TExprChain Expr;
};

class TBaseQuestion : public IProgramQuestion {
 public:
  TBaseQuestion() : Filter(nullptr) {}

  std::string Name;
  TExprChain Title;
  THelpFilter Filter;
  TVariable* Result = nullptr;
  bool NewAllowed = false;
  bool CancelAllowed = false;
  TUBL* Base = nullptr;
  // Where the listed formulas were compiled: the text of a failing one.
  TExprContext* Context = nullptr;
  std::vector<TFldDef> Fields;
  TInputs NewInputs;
  std::unique_ptr<TKeyCol> Sort;  // 0-based listed columns
  int32_t SortCount = 0;

  void Run() override;
  // "Новая запись": whether a record was appended.
  bool AddNewRecord();

 private:
  void LayOutGrid(BaseQuestionRequest& request, int32_t rowCount) const;
  void SetResult(long double value);
};

// Results of a base question besides a record number.
inline constexpr long double kBaseQuestionEmpty = -1;
inline constexpr long double kBaseQuestionCancelled = -2;

class TQuestList : public TNamedList<TQuestion, true> {};
class TBaseQuestList : public TNamedList<TBaseQuestion, true> {};

}  // namespace vm
