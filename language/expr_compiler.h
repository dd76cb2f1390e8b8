// The expression compiler: a formula's text becomes a typed chain of
// operands bound to the document's names, or a numbered error with its
// Russian message and, for syntax errors, its position in the text.
#pragma once

#include <string>
#include <string_view>

#include "language/expr_context.h"
#include "language/expr_types.h"

namespace vm {

struct TCompileResult {
  int ErrCode = 0;
  // 1-based position in the compiled text; 0 for type errors.
  int ErrPos = 0;
  // The formula's type letter, '!' when it did not compile.
  char ResultType = '!';
  std::string Msg;
};

TCompileResult CompileExpr(std::string_view text, TExprContext& context, TExprChain& expr);

void FreeExpr(TExprChain& expr);

// Parses a text (upper-cased, exponent signs protected) into an unbound
// chain; an empty chain and errCode 1..11 with errPos on failure.
TExprChain ParseExprChain(std::string_view text, int& errCode, int& errPos);

// Binds and type-checks a parsed chain; returns the error code (0, or the
// check's own code without the 128) and sets type to the chain's letter.
int CheckExprTypes(TExprChain& chain, TExprContext& context, std::string& errName, char& type);

// The result letter of an operator over two operand letters; 0 or the code.
int OperatorResultType(int opIndex, char left, char right, char& result);

// The message of a compile error code, followed by the name for the codes
// that name what they refuse.
std::string CompileErrorText(int code, std::string_view name);

void SplitAtDot(std::string_view s, std::string& before, std::string& after);

// The text after the exponent protection and the priority pass: what the
// type pass parses. Exposed for tests of operator grouping.
std::string PriorityText(std::string_view text);

}  // namespace vm
