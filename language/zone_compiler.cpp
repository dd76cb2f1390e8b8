#include "language/zone_compiler.h"

#include "language/expr_compiler.h"
#include "language/registry_context.h"
#include "platform/encoding.h"

namespace vm {

TCompiledZone::~TCompiledZone() { FreeExpr(Expr); }

void TZoneCompiler::CompileCenZone(TCenZone& zone, const std::string& text) {
  zone.Text = text;
  zone.Compiled.reset();
  zone.ErrorText.clear();
  auto compiled = std::make_unique<TCompiledZone>();
  const TCompileResult r = CompileExpr(text, context_ ? *context_ : CurrentExprContext(), compiled->Expr);
  if (r.ErrCode != 0) {
    zone.ErrorText = r.Msg;
    return;
  }
  const char type = NormalizeTypeChar(r.ResultType);
  if (type != 'C' && type != 'N' && type != 'D' && type != 'T') {
    zone.ErrorText = "Неверный тип выражения"_w;
    return;
  }
  compiled->ResultType = type;
  zone.Compiled = std::move(compiled);
}

TCompiledZone* CompiledZone(const TCenZone& zone) { return static_cast<TCompiledZone*>(zone.Compiled.get()); }

}  // namespace vm
