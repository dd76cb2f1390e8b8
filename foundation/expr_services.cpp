#include "foundation/expr_services.h"

#include "foundation/encoding.h"

namespace vm {

TOperand* ExprServices::CompileExpr(const std::string&, int32_t& errCode, int32_t& errPos,
                                    char& resultType, std::string& msg) {
  errCode = -1;
  errPos = 1;
  resultType = 0;
  msg = " Выражения не поддерживаются "_w;
  return nullptr;
}

void ExprServices::EvalExpr(TOperand*, int32_t& errCode, TCommonVar& value) {
  errCode = -1;
  value = TCommonVar{};
}

void ExprServices::FreeExpr(TOperand*) {}

namespace {
ExprServices gDefault;
ExprServices* gInstalled = nullptr;
}  // namespace

ExprServices& Expr() { return gInstalled ? *gInstalled : gDefault; }

void InstallExprServices(ExprServices* services) { gInstalled = services; }

}  // namespace vm
