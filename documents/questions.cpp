#include "documents/questions.h"

#include <algorithm>
#include <cmath>

#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "language/evaluator.h"
#include "language/interpreter.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr int32_t kMinGridWidth = 250;
constexpr int32_t kMinGridRows = 2;
constexpr int32_t kMaxGridRows = 15;

// One grid row of a base question: the texts and the table row.
struct TGridRow {
  std::vector<std::string> Cells;
  int32_t TableRow = -1;
};

// Numbers by value, other texts as texts.
// Numbers by value, before texts, which go by the locale: a number and a
// text compared as texts would close rings ("10" < "1a" < "9" < "10") and
// leave the sort's order to the rows' first places.
int CompareCells(const std::string& a, const std::string& b) {
  const bool numberA = IsValidNumStr(a, 0, 0), numberB = IsValidNumStr(b, 0, 0);
  if (numberA && numberB) {
    TCommonVar x, y;
    TextToValue(a, 'N', x);
    TextToValue(b, 'N', y);
    return CompareValuesInOrder(x, y, false);
  }
  if (numberA != numberB) return numberA ? -1 : 1;
  return CompareStrLocale(a, b, true);
}

// An edit's text as leaving it shows it: OK takes what Enter or a click
// elsewhere would take ("10,4", "1 0,5"), so the button is offered for
// the same texts the field keeps once left.
std::string AnswerText(const TInp& input, const std::string& typed) { return input.Format.Normalized(typed); }

bool QuestionAccepts(const TInputs& inputs, const std::vector<std::string>& texts) {
  if (texts.size() != inputs.size()) return false;
  for (std::size_t i = 0; i < inputs.size(); ++i)
    if (!inputs[i].Format.IsValid(AnswerText(inputs[i], texts[i]))) return false;
  return true;
}

}  // namespace

std::string QuestionCaption(TExprChain& title) {
  TCommonVar value;
  int err = 0;
  EvalExpr(title, err, value);
  return err == 0 && value.Kind == 'C' ? value.Str : "Ошибка при вычислении"_w;
}

bool AskInputs(const std::string& caption, bool cancelAllowed, const TInputs& inputs,
               std::vector<TCommonVar>& values) {
  QuestionRequest request;
  request.Caption = caption;
  request.CancelVisible = cancelAllowed;
  for (const TInp& input : inputs) {
    QuestionInput& edit = request.Inputs.emplace_back();
    edit.Label = input.Label;
    edit.Kind = input.Format.Kind;
    edit.Width = input.Format.Width;
    edit.Decimals = input.Format.Decimals;
    edit.Length = input.Format.DialogLength();
    if (input.Target != nullptr) edit.Text = input.Format.Show(input.Target->Value);
  }
  request.Accept = [&inputs](const std::vector<std::string>& texts) { return QuestionAccepts(inputs, texts); };
  std::vector<std::string> texts;
  const bool busy = SuspendBusy();
  const bool ok = Ui().AskQuestion(request, texts) && QuestionAccepts(inputs, texts);
  SetBusy(busy);
  values.clear();
  if (!ok) return false;
  for (std::size_t i = 0; i < inputs.size(); ++i)
    values.push_back(inputs[i].Format.Read(AnswerText(inputs[i], texts[i])));
  return true;
}

void TQuestion::Run() {
  std::vector<TCommonVar> values;
  const bool ok = AskInputs(QuestionCaption(Title), CancelAllowed, Inputs, values);
  if (ErrorCode != nullptr) {
    ErrorCode->Value.Kind = 'N';
    ErrorCode->Value.Num = ok ? 0 : 1;
  }
  if (!ok) return;
  for (std::size_t i = 0; i < Inputs.size(); ++i)
    if (Inputs[i].Target != nullptr) Inputs[i].Target->Value = values[i];
}

bool TBaseQuestion::AddNewRecord() {
  std::vector<TCommonVar> values;
  if (!AskInputs(QuestionCaption(Title), true, NewInputs, values)) return false;
  TStringBase& table = Base->Table;
  table.Append();
  for (std::size_t i = 0; i < NewInputs.size(); ++i) table.SetValue(NewInputs[i].Field, values[i]);
  table.Modified = true;
  return true;
}

void TBaseQuestion::Run() {
  BaseQuestionRequest request;
  request.Caption = QuestionCaption(Title);
  for (TFldDef& field : Fields) {
    request.Titles.push_back(field.Title);
    field.Width = Ui().TextWidth(field.Title) + 5;
  }

  TStringBase& table = Base->Table;
  std::vector<TGridRow> rows;
  bool failed = false;
  {
    ITableFilter* const previous = table.ViewFilter;
    table.ViewFilter = &Filter;
    const int32_t current = table.CurrentIndex();
    for (int32_t i = 0; i < table.Count(); ++i) {
      table.MemTableGoto(i);
      if (!table.MatchesFilter()) continue;
      TGridRow& row = rows.emplace_back();
      row.TableRow = i;
      for (TFldDef& field : Fields) {
        TCommonVar value;
        int err = 0;
        EvalExpr(field.Expr, err, value);
        std::string text = err == 0 && value.Kind == 'C' ? value.Str : std::string();
        if (err != 0 && !failed) {
          failed = true;
          Interp().SetErrorText(EvalErrorText(err, Context));
        }
        field.Width = std::max(field.Width, Ui().TextWidth(text) + 5);
        row.Cells.push_back(std::move(text));
      }
    }
    table.MemTableGoto(current);
    table.ViewFilter = previous;
  }

  if (!NewAllowed && rows.empty()) {
    SetResult(kBaseQuestionEmpty);
    return;
  }
  std::stable_sort(rows.begin(), rows.end(), [this](const TGridRow& a, const TGridRow& b) {
    for (const TKeyCol* k = Sort.get(); k != nullptr; k = k->Next.get()) {
      const auto c = static_cast<std::size_t>(k->Number);
      const int order = CompareCells(a.Cells[c], b.Cells[c]);
      if (order != 0) return order < 0;
    }
    return false;
  });

  LayOutGrid(request, static_cast<int32_t>(rows.size()));
  for (const TGridRow& row : rows) request.Rows.push_back(row.Cells);
  request.NewVisible = NewAllowed;
  request.CancelVisible = CancelAllowed;
  if (NewAllowed) request.AddNew = [this] { return AddNewRecord(); };

  int32_t chosen = -1;
  const bool busy = SuspendBusy();
  const BaseQuestionEnd end = Ui().AskBaseQuestion(request, chosen);
  SetBusy(busy);
  switch (end) {
    case BaseQuestionEnd::Chosen:
      if (chosen >= 0 && chosen < static_cast<int32_t>(rows.size())) {
        table.MemTableGoto(rows[static_cast<std::size_t>(chosen)].TableRow);
        SetResult(table.CurrentIndex() + 1);
      } else {
        SetResult(kBaseQuestionCancelled);
      }
      break;
    case BaseQuestionEnd::Cancelled: SetResult(kBaseQuestionCancelled); break;
    case BaseQuestionEnd::NewRecord: SetResult(table.CurrentIndex() + 1); break;
  }
}

void TBaseQuestion::LayOutGrid(BaseQuestionRequest& request, int32_t rowCount) const {
  const auto limit = static_cast<int32_t>(std::lround(Ui().ScreenWidth() * 0.95));
  int32_t total = 4;
  for (const TFldDef& field : Fields) total += field.Width;
  const int32_t width = std::clamp(total, kMinGridWidth, std::max(limit, kMinGridWidth));
  for (const TFldDef& field : Fields)
    request.ColumnWidths.push_back(total > width ? field.Width * (width - 4) / (total - 4) : field.Width);
  request.GridWidth = width;
  request.VisibleRows = std::clamp(rowCount, kMinGridRows, kMaxGridRows);
}

void TBaseQuestion::SetResult(long double value) {
  if (Result == nullptr) return;
  Result->Value.Kind = 'N';
  Result->Value.Num = value;
}

}  // namespace vm
