// What the configuration model asks of the document language: compiling,
// evaluating and freeing expressions (the conditions of blank formats, and
// later filters and checks). The expression compiler installs its
// implementation; until then no expression compiles.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/values.h"

namespace vm {

// One node of a compiled expression; the expression compiler defines it.
struct TOperand;

class ExprServices {
 public:
  virtual ~ExprServices() = default;

  // Compiles text; on error returns nullptr with errCode != 0, the 1-based
  // position in errPos and the message in msg. resultType is the type letter
  // of the result ('N', 'C', 'D', 'T', ...).
  virtual TOperand* CompileExpr(const std::string& text, int32_t& errCode, int32_t& errPos,
                                char& resultType, std::string& msg);
  // Evaluates over the current rows; errCode 0 on success.
  virtual void EvalExpr(TOperand* expr, int32_t& errCode, TCommonVar& value);
  virtual void FreeExpr(TOperand* expr);
};

// The installed implementation (one that compiles nothing until something
// is installed).
ExprServices& Expr();
// nullptr goes back to the default; the caller keeps ownership.
void InstallExprServices(ExprServices* services);

}  // namespace vm
