// What the language benchmarks set up alike: numeric variables and a main
// program compiled from text.
#pragma once

#include <string_view>

#include "language/description_reader.h"
#include "language/interpreter.h"
#include "language/stmt_compiler.h"

namespace vm::bench {

inline TVariable* NumberVariable(TExprContext& context, std::string_view name, long double value = 0) {
  TCommonVar v;
  v.Kind = 'N';
  v.Num = value;
  return context.Symbols().AddVariable(name, v);
}

// The program up to ENDSECTION; nullptr when it does not compile.
inline TInstruction* CompileMain(TProgramContext& context, std::string_view text) {
  TDescriptionReader reader(text);
  TStmtCompiler compiler(reader, context);
  TInstruction* program = nullptr;
  return compiler.CompileProgram(program, "ENDSECTION", kOpEnd) == 0 ? program : nullptr;
}

}  // namespace vm::bench
