#include "language/builtins.h"

#include <array>
#include <cmath>
#include <exception>
#include <memory>
#include <vector>

#include "platform/encoding.h"
#include "config/sysvars.h"
#include "language/evaluator.h"
#include "language/expr_compiler.h"
#include "language/function_table.h"

namespace vm {

namespace {

enum {
  kErrArgType = 16,
  kErrNoSuchFunction = 255,
};

bool IsByReference(char letter) { return letter == 'c' || letter == 'd' || letter == 'n' || letter == 't'; }

bool IsVariableRef(const TOperand& arg) {
  return arg.Child.size() == 1 && arg.Child[0].Kind == kOpdVarRef;
}

// Evaluates and checks the arguments into args; 0 or the first error.
int EvaluateArguments(TOperand& call, const TFunctionRec& rec, TCommonVar* args, int count) {
  for (int i = 0; i < count; ++i) {
    TOperand& arg = call.Child[static_cast<std::size_t>(i)];
    const char letter = rec.ParamCount < 0 ? 0 : rec.Params[static_cast<std::size_t>(i)];
    if (letter == 'X') {
      // The function evaluates the condition itself, through the node.
      args[i].Kind = 'X';
      continue;
    }
    int err = 0;
    EvalExpr(arg.Child, err, args[i]);
    if (err != 0) return err;
    if (letter == 0 || letter == args[i].Kind || TypesCompatible(letter, args[i].Kind)) continue;
    if (IsByReference(letter) && letter - 'a' + 'A' == args[i].Kind && IsVariableRef(arg)) continue;
    return kErrArgType;
  }
  return 0;
}

// The argument arrays of the calls in progress, one per nesting level. They
// live on, so their strings keep their buffers from one call to the next.
class TArgumentFrames {
 public:
  class TFrame {
   public:
    TFrame(TArgumentFrames& frames, int count) : frames_(frames) {
      if (frames_.depth_ == frames_.frames_.size())
        frames_.frames_.push_back(std::make_unique<std::array<TCommonVar, kMaxCallArgs>>());
      args_ = frames_.frames_[frames_.depth_++]->data();
      // Cleared in place: a string keeps its buffer for the next call.
      for (int i = 0; i < count; ++i) {
        TCommonVar& a = args_[i];
        a.Kind = 0;
        a.Str.clear();
        a.Num = 0;
        a.Date = {};
        a.Time = {};
      }
    }
    ~TFrame() { --frames_.depth_; }
    TFrame(const TFrame&) = delete;
    TFrame& operator=(const TFrame&) = delete;
    TCommonVar* Args() const { return args_; }

   private:
    TArgumentFrames& frames_;
    TCommonVar* args_;
  };

 private:
  std::vector<std::unique_ptr<std::array<TCommonVar, kMaxCallArgs>>> frames_;
  std::size_t depth_ = 0;
};

TArgumentFrames& Frames() {
  thread_local TArgumentFrames frames;
  return frames;
}

void RunRoutine(TBuiltinCall& c, const TFunctionRec& rec) {
  if (rec.Routine == nullptr) {
    c.FailWith(" Функция "_w + std::string(rec.Name) + " в этой версии программы не работает "_w);
    return;
  }
  try {
    rec.Routine(c);
  } catch (const std::exception& e) {
    c.FailWith(e.what());
  } catch (...) {
    c.FailWith(" Ошибка при вычислении "_w);
  }
  if (c.ErrCode == 0 && c.Result.Kind == 'N' && !std::isfinite(c.Result.Num))
    c.FailWith(" Переполнение при вычислении выражения с плавающей запятой "_w);
}

}  // namespace

bool TBuiltinCall::RoundToInt32(long double x, int32_t& value) {
  const long double r = std::rint(x);
  if (!(r >= -2147483648.0L && r <= 2147483647.0L)) {
    FailWith(" Целое число вне допустимого диапазона "_w);
    return false;
  }
  value = static_cast<int32_t>(r);
  return true;
}

bool TBuiltinCall::IntArg(int i, int32_t& value) { return RoundToInt32(Num(i), value); }

bool TBuiltinCall::WidthArg(int i, int32_t& value) {
  if (!IntArg(i, value)) return false;
  if (value <= kMaxTextWidth) return true;
  FailWith(" Слишком длинная строка "_w);
  return false;
}

void TBuiltinCall::FailWith(const std::string& text) {
  ErrCode = -1;
  Context.RunErrorText = text;
}

void CallBuiltinFunction(TOperand& call, int& errCode, TCommonVar& result) {
  errCode = 0;
  if (call.FuncNo < 1 || call.FuncNo > kFunctionCount || call.Context == nullptr) {
    ClearValue(result);
    errCode = kErrNoSuchFunction;
    return;
  }
  const TFunctionRec& rec = FunctionRec(call.FuncNo);
  result.Kind = rec.Result;
  const int count = std::min(static_cast<int>(call.Child.size()), kMaxCallArgs);
  TArgumentFrames::TFrame frame(Frames(), count);
  errCode = EvaluateArguments(call, rec, frame.Args(), count);
  if (errCode == 0) {
    TBuiltinCall c{call, *call.Context, frame.Args(), count, result, errCode};
    RunRoutine(c, rec);
  }
  if (errCode != 0) ClearValue(result);
}

}  // namespace vm
