// Price-tag zone expressions compiled with the document language as the
// settings load. A zone prints the value of its expression: a text, a
// number, a date or a time.
#pragma once

#include <string>

#include "config/price_tags.h"
#include "language/expr_context.h"
#include "language/expr_types.h"

namespace vm {

class TCompiledZone : public ICompiledZone {
 public:
  ~TCompiledZone() override;
  TExprChain Expr;
  char ResultType = '!';
};

class TZoneCompiler : public IZoneCompiler {
 public:
  // Zones compile in Context; without one in the context blank conditions
  // compile in (CurrentExprContext).
  explicit TZoneCompiler(TExprContext* context = nullptr) : context_(context) {}
  void CompileCenZone(TCenZone& zone, const std::string& text) override;

 private:
  TExprContext* context_;
};

// The compiled expression of a zone; nullptr when it has none.
TCompiledZone* CompiledZone(const TCenZone& zone);

}  // namespace vm
