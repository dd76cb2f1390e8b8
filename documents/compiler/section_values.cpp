#include "documents/compiler/section_values.h"

#include "documents/compiler/compile_errors.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "language/expr_compiler.h"
#include "models/layout_lang.h"

namespace vm {

char Formula(TCompiledDocument& doc, std::string_view text, TExprChain& chain) {
  const TCompileResult r = CompileExpr(text, doc.Context, chain);
  if (r.ErrCode != 0) RaiseCompileError(kCeMessage, r.Msg);
  return r.ResultType;
}

std::string StringConstant(std::string_view text) {
  bool error = false;
  std::string s = ParseStrLiteral(TrimBlanks(text), error);
  if (error) RaiseCompileError(33);
  return s;
}

std::vector<int32_t> ColumnList(std::string_view value, int32_t low, int32_t high, int notInteger,
                                int outOfRange) {
  std::vector<int32_t> columns;
  for (const std::string& item : SplitParamList(BracketedInside(value, 20))) {
    int32_t c = 0;
    if (!TryStrToInt(item, c)) RaiseCompileError(notInteger);
    if (c < low || c > high) RaiseCompileError(outOfRange);
    columns.push_back(c);
  }
  return columns;
}

void ReadKeyColumnList(const TElementParam& keycol, int32_t shownColumns,
                       const std::function<char(int32_t)>& kindOf, std::unique_ptr<TKeyCol>& keys,
                       int32_t& count) {
  for (const int32_t c : ColumnList(keycol.Value, 1, shownColumns, 8, 24)) {
    if (FindKeyCol(keys.get(), c - 1) != nullptr) RaiseCompileError(76);
    TKeyCol* key = AddKeyCol(keys, count);
    key->Number = c - 1;
    key->Kind = kindOf(c - 1);
  }
}

TCurBlank& FormBlank(const TCompileContext& context, const TElementLine& line) {
  const TElementParam* form = line.Find(kPkForm, 17);
  TCurBlank* blank = context.Blanks != nullptr ? context.Blanks->FindByName(UpperStr(TrimBlanks(form->Value)))
                                               : nullptr;
  if (blank == nullptr) RaiseCompileError(18);
  if (!blank->Compiled) {
    int32_t code = 0, line0 = 0;
    if (!CompileBlank(*blank, code, line0)) RaiseCompileError(21);
  }
  return *blank;
}

const TColFormat* FixedFormat(const TCurBlank& blank, int32_t column) {
  const TColDescr* descr = BlankColumn(blank, column + 1);
  return descr != nullptr && descr->CondFormats == nullptr ? &descr->Format : nullptr;
}

}  // namespace vm
