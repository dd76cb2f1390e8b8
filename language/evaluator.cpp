#include "language/evaluator.h"

#include <cmath>

#include "platform/encoding.h"
#include "config/sysvars.h"
#include "language/builtins.h"
#include "language/operators.h"

namespace vm {

namespace {

enum {
  kErrBadRow = 21,
  kErrNoValue = 255,
};

char ObjectLetter(uint8_t kind) {
  switch (kind) {
    case kOpdForm: return '1';
    case kOpdBase: return '2';
    case kOpdHelp: return '3';
    case kOpdSelect: return '4';
    case kOpdFieldList: return '5';
    case kOpdListSelect: return '6';
    default: return 'S';
  }
}

// The row a row expression names; 0 (no row) when it lies outside 32 bits.
int RowNumber(long double v) {
  const long double r = std::rint(v);
  return r >= 1 && r <= 2147483647.0L ? static_cast<int>(r) : 0;
}

// Where a node's value lies once it is computed: a variable is read where it
// lives, a constant from the node, anything else is computed into the node.
const TCommonVar& NodeValue(TOperand& node, int& errCode) {
  switch (node.Kind) {
    case kOpdVariable:
    case kOpdVarRef:
      return node.Var->Value;
    case kOpdNumber:
      node.Value.Kind = 'N';
      node.Value.Num = node.Constant;
      return node.Value;
    case kOpdString:
      // The text never changes once compiled, so it is copied only once.
      if (node.Value.Kind != 'C') {
        node.Value.Kind = 'C';
        node.Value.Str = node.Text;
      }
      return node.Value;
    default:
      if (node.IsGroup())
        EvalExpr(node.Child, errCode, node.Value);
      else
        EvalOperand(node, errCode, node.Value);
      return node.Value;
  }
}

// The rest of a chain from node on, applying each operator as soon as its
// right operand is known: a value read in place is used before a later node
// (a built-in writing a variable) can change it, exactly as if it had been
// copied. An operator error waits until every node has been evaluated, since
// an evaluation error of a later node takes precedence over it.
void FoldValues(TOperand* node, TOperand* end, int opErr, int& errCode, TCommonVar& value) {
  for (; node != end; ++node) {
    const TCommonVar& v = NodeValue(*node, errCode);
    if (errCode != 0) {
      value = v;
      return;
    }
    if (opErr == 0) ApplyOperator(node[-1].OpIndex, value, v, value, opErr);
  }
  errCode = opErr;
}

void BuildSteps(TExprChain& expr) {
  std::vector<TChainStep> steps(expr.size());
  for (std::size_t i = 0; i < expr.size(); ++i) {
    const TOperand& node = expr[i];
    TChainStep& step = steps[i];
    step.Op = i == 0 ? 0 : expr[i - 1].OpIndex;
    step.Node = static_cast<uint32_t>(i);
    if (node.Kind == kOpdNumber) {
      step.Source = kStepConstant;
      step.Constant = node.Constant;
    } else if ((node.Kind == kOpdVariable || node.Kind == kOpdVarRef) && node.Var != nullptr) {
      step.Source = kStepInPlace;
      step.InPlace = &node.Var->Value;
    }
  }
  expr.front().Steps = std::move(steps);
  TOperand& head = expr.front();
  head.NumberCode = CompileNumberCode(expr);
  const TNumberRoutines routines = PrepareNumberRoutines(head.NumberCode);
  head.NumberRoutine = routines.Run;
  head.NumberTest = routines.Test;
}

inline const TCommonVar& StepValue(const TChainStep& step, TExprChain& expr, int& errCode) {
  return step.Source == kStepInPlace ? *step.InPlace : NodeValue(expr[step.Node], errCode);
}

}  // namespace

void EvalChain(TExprChain& expr, int& errCode, TCommonVar& value) {
  if (expr.empty()) {
    // A formula that did not compile has no chain.
    errCode = kErrNoValue;
    return;
  }
  std::vector<TChainStep>& steps = expr.front().Steps;
  if (steps.empty()) BuildSteps(expr);
  const TChainStep* step = steps.data();
  const TChainStep* const end = step + steps.size();
  int err = 0;
  long double acc = 0;
  if (step->Source == kStepConstant) {
    acc = step->Constant;
  } else {
    const TCommonVar& first = StepValue(*step, expr, err);
    if (err != 0 || first.Kind != 'N') {
      if (&first != &value) value = first;
      if (err == 0) FoldValues(expr.data() + 1, expr.data() + expr.size(), 0, err, value);
      errCode = err;
      return;
    }
    acc = first.Num;
  }
  // Numbers fold in a register; the chain leaves this path only when an
  // operand turns out to hold something else.
  int opErr = 0;
  for (++step; step != end; ++step) {
    long double right = step->Constant;
    if (step->Source != kStepConstant) {
      const TCommonVar& v = StepValue(*step, expr, err);
      if (err != 0) {
        value = v;
        errCode = err;
        return;
      }
      if (opErr != 0) continue;
      if (v.Kind != 'N') {
        value.Kind = 'N';
        value.Num = acc;
        ApplyOperator(step->Op, value, v, value, opErr);
        TOperand* const node = expr.data() + (step - steps.data());
        FoldValues(node + 1, expr.data() + expr.size(), opErr, err, value);
        errCode = err;
        return;
      }
      right = v.Num;
    }
    if (opErr == 0) opErr = ApplyNumberOperator(step->Op, acc, right);
  }
  value.Kind = 'N';
  value.Num = acc;
  errCode = opErr;
}

void EvalOperand(TOperand& node, int& errCode, TCommonVar& value) {
  switch (node.Kind) {
    case kOpdVariable:
    case kOpdVarRef:
      value = node.Var->Value;
      return;
    case kOpdField:
      node.FieldVar->Table->ReadField(node.FieldVar->FieldIndex, value);
      return;
    case kOpdColumn: {
      int row = -1;
      if (!node.RowExpr.empty()) {
        // The node's own value holds the row for a moment, so that no
        // temporary is built.
        EvalExpr(node.RowExpr, errCode, value);
        if (errCode != 0) return;
        row = RowNumber(value.Num);
      }
      ColumnRefValue(*node.FormVar, row, errCode, value);
      return;
    }
    case kOpdCall:
      CallBuiltinFunction(node, errCode, value);
      return;
    case kOpdAutoParam:
      node.AutoParam->ReadValue(value);
      return;
    case kOpdSysVar:
      value = node.Context->SysVarValue(node.SysVar);
      return;
    case kOpdForm:
    case kOpdBase:
    case kOpdHelp:
    case kOpdSelect:
    case kOpdFieldList:
    case kOpdSubroutine:
    case kOpdListSelect:
      // The function that takes the object reaches it through the node.
      ClearValue(value);
      value.Kind = ObjectLetter(node.Kind);
      return;
    case kOpdString:
      value.Kind = 'C';
      value.Str = node.Text;
      return;
    default:
      value.Kind = 'N';
      value.Num = node.Constant;
      return;
  }
}

void ColumnRefValue(const TFormVar& formVar, int row, int& errCode, TCommonVar& value) {
  const IExprForm& form = *formVar.View;
  const int rows = form.RowCount();
  if (rows == 0) {
    ClearValue(value);
    value.Kind = formVar.WholeColumn ? 'N' : NormalizeTypeChar(form.FirstRowFormat(formVar.Column));
    return;
  }
  if (!formVar.WholeColumn) {
    if (row < 1 || row > rows) {
      errCode = kErrBadRow;
      return;
    }
    form.ReadCell(formVar.Column, row, value);
    value.Kind = NormalizeTypeChar(value.Kind);
    return;
  }
  long double sum = 0;
  // One value serves every row, so a text cell's buffer is reused.
  TCommonVar cell;
  for (int r = 1; r <= rows; ++r) {
    form.ReadCell(formVar.Column, r, cell);
    if (NormalizeTypeChar(cell.Kind) == 'N') sum += cell.Num;
  }
  ClearValue(value);
  value.Kind = 'N';
  if (!std::isfinite(sum)) {
    errCode = kErrOverflow;
    return;
  }
  value.Num = sum;
}

std::string EvalErrorText(int code, const TExprContext* context) {
  switch (code) {
    case -1: return context != nullptr ? context->RunErrorText : std::string();
    case 0: return {};
    case 1: return " Деление на 0 "_w;
    case 2: return " Ноль в отрицательной степени "_w;
    case 3: return " Отрицательное число в дробной степени "_w;
    case 4: return " Логарифм отрицательного числа или нуля"_w;
    case 5: return " Основание логарифма - отрицательное число или ноль "_w;
    case 6: return " Основание логарифма - единица "_w;
    case 7: return " Квадратный корень из отрицательного числа "_w;
    case 8: return " Аргумент функции тангенса - pi/2 "_w;
    case 9: return " Аргумент функции котангенса - 0 или pi "_w;
    case 10: return " Аргумент функции арксинуса или арккосинуса больше единицы "_w;
    case 11: return " Аргумент функции гиперболического арккосинуса меньше единицы "_w;
    case 12: return " Аргумент функции гиперболического арктангенса не в диапазоне [-1..1] "_w;
    case 13: return "  Разные типы операндов "_w;
    case 14: return "  Недопустимая операция с данным типом данных "_w;
    case 15: return "  Неправильная строковая константа "_w;
    case 16: return " Неправильный тип параметра функции "_w;
    case 17: return " Не найдена локальная переменная для данной группы "_w;
    case 18: return " Несуществующий индекс группы "_w;
    case 19: return " Диаграмма с данным номером уже существует "_w;
    case 20: return " Несуществующий номер диаграммы "_w;
    case 21: return " Недопустимый номер ряда формы"_w;
    case 22: return " Неверный тип операнда "_w;
    case 23: return " Недопустимый номер колонки формы"_w;
    case 24: return " Неверный тип операнда при вычислении условия "_w;
    case 25: return " Несуществующий номер записи базы "_w;
    case 26: return " Разные типы операндов "_w;
    case 27: return " Неверный формат задающей строки "_w;
    case 28: return " Несуществующее поле базы "_w;
    case 29: return " Несовместимые размеры полей "_w;
    case 30: return " Неверное число параметров функции "_w;
    case 31: return " Неверный вызов функции "_w;
    case 32: return " Разное количество ключевых столбцов таблицы и базы "_w;
    case 33: return " Типы ключевых столбцов таблицы и базы должны совпадать "_w;
    case 34: return " Слишком большое количество ключевых столбцов таблицы или базы "_w;
    case 35: return " Разное количество ключевых полей баз "_w;
    case 36: return " Ошибка в параметрах формы "_w;
    case 37: return " Неверная запись числового параметра "_w;
    case 38: return " Неверный номер колонки таблицы "_w;
    case 39: return " Количество параметров функции должно соответствовать количеству ключевых столбцов таблицы "_w;
    case 40: return " Количество параметров функции должно соответствовать количеству ключевых полей базы "_w;
    case 41: return " Типы ключевых полей баз должны совпадать "_w;
    case 42: return " Нет активной формы справочника "_w;
    case 43: return " Требуется версия MS Office 9.0 или выше "_w;
    case 44: return " Неверный индекс отчета Excel "_w;
    case 45: return " Неверный тип параметров ячеек Excel "_w;
    case 46: return " Неверная размерность массива "_w;
    case 47: return " Размерность массива должна быть числом "_w;
    case 48: return " Размерность массива должна быть от 1 до 10 "_w;
    case 49: return " Неверный идентификатор массива "_w;
    case 50: return " Неверное число индексов массива "_w;
    case 51: return " Неверный индекс массива "_w;
    case 254: return " Переполнение при вычислении выражения с плавающей запятой "_w;
    default: return " Ошибка при вычислении "_w;
  }
}

}  // namespace vm
