// VARS: "NAME[, NAME ...] = T", T one of C, D, N, T.
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "foundation/tables/dbf.h"
#include "foundation/values/value_text.h"
#include "platform/encoding.h"

namespace vm {

namespace {

// The type letter the line declares; 0 when the declaration is bad.
char DeclaredType(const TElementLine& line) {
  if (line.Count() != 1) return 0;
  const TElementParam& p = *line.At(0);
  if (!p.Keyword.empty() || p.Value.size() != 1) return 0;
  const char t = RusUpCase(p.Value[0]);
  return t == 'C' || t == 'D' || t == 'N' || t == 'T' ? t : 0;
}

}  // namespace

void TDocumentCompiler::VarsLine(const TElementLine& line) {
  line.CheckAllowed(kPositionalOnly);
  for (const std::string& name : SplitTopLevel(line.Name, ',')) {
    if (!IsValidFieldName(name)) RaiseCompileError(3);
    const char type = DeclaredType(line);
    if (type == 0) RaiseCompileError(4);
    if (doc_.IsNameInUse(name)) RaiseCompileError(5);
    if (IsStatementKeyword(name)) RaiseCompileError(52);
    TCommonVar value;
    value.Kind = type;
    ClearValue(value);
    doc_.Context.Symbols().AddVariable(name, value);
  }
}

}  // namespace vm
