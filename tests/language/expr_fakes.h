// Small stand-ins for the document objects a formula names, and helpers that
// compile and evaluate a formula against them.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <iomanip>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "language/evaluator.h"
#include "language/expr_compiler.h"
#include "language/expr_context.h"

namespace vm::testing {

inline TCommonVar Num(long double v) { TCommonVar x; x.Kind = 'N'; x.Num = v; return x; }
inline TCommonVar Str(std::string s) { TCommonVar x; x.Kind = 'C'; x.Str = std::move(s); return x; }
inline TCommonVar Date(int d, int m, int y) { TCommonVar x; x.Kind = 'D'; x.Date = {d, m, y}; return x; }
inline TCommonVar Time(int h, int m, int s) { TCommonVar x; x.Kind = 'T'; x.Time = {h, m, s}; return x; }

// The functions over plain values: the others open dialogs, touch files or
// reach document objects that the fakes do not stand for.
inline const char* const kValueFunctions[] = {
    "EXP", "LN", "LG", "LOG", "SQRT", "MAX", "MIN", "SIN", "COS", "TG", "CTG", "SIGN", "ATG", "ASIN",
    "ACOS", "SINH", "COSH", "TGH", "ASNH", "ACSH", "ATGH", "ROUND", "INT", "DIV", "MOD", "ABS",
    "TONUM", "GETBIT", "SETBIT", "ROUNDDIG", "EXPANDNUM", "TRYINT", "QUESTS", "INTTOSTR", "STRTOINT",
    "TOSTR", "CHR", "ORD", "CHARATPOS", "PRODNAME", "PRODWEIGHT", "PRICESTRING", "GETPARAMVAL",
    "SUMPROP", "RUBWORD", "RUBKOP", "EXPANDSTRING", "MONTHSTRING", "LEN", "VALIDHTML", "RUSTOENG",
    "SHORTNAME", "NOSPACE", "CHECKFILENAME", "COPYSTR", "SUMPROPEX", "FINDWORD", "DATE", "YEAR",
    "DAY", "MONTH", "TIME", "TIMETOSTR", "STRTOTIME", "NEXTDATE", "PREVDATE", "DATEDIR", "SUMDATE",
    "SUMDATEDAY", "KVARTAL", "BEGKVART", "TIMETOSECONDS", "SECONDSTOTIME", "TIMETOMINUTES",
    "MINUTESTOTIME",
};

template <typename T>
T* Find(const std::map<std::string, T*>& m, std::string_view n) {
  const auto it = m.find(std::string(n));
  return it == m.end() ? nullptr : it->second;
}

// A form whose columns have fixed format letters and whose cells are values.
class FakeForm : public IExprForm {
 public:
  explicit FakeForm(std::string formats) : formats_(std::move(formats)) {}
  std::vector<std::vector<TCommonVar>> Rows;

  int ColumnCount() const override { return static_cast<int>(formats_.size()); }
  char ColumnType(int column) const override { return formats_[static_cast<std::size_t>(column - 1)]; }
  char FirstRowFormat(int column) const override {
    const char c = ColumnType(column);
    return c == '*' ? 'C' : c;
  }
  int RowCount() const override { return static_cast<int>(Rows.size()); }
  TCommonVar CellValue(int column, int row) const override {
    return Rows[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
  }

 private:
  std::string formats_;
};

// A database of named values, over the read-only or the writable interface.
template <class Interface>
class FieldsOver : public Interface {
 public:
  std::vector<std::pair<std::string, TCommonVar>> Fields;

  int FieldIndex(std::string_view name) const override {
    for (std::size_t i = 0; i < Fields.size(); ++i)
      if (Fields[i].first == name) return static_cast<int>(i);
    return -1;
  }
  char FieldType(int index) const override { return Fields[static_cast<std::size_t>(index)].second.Kind; }
  TCommonVar FieldValue(int index) const override { return Fields[static_cast<std::size_t>(index)].second; }
};

class FakeBase : public FieldsOver<IExprBase> {};

class FakeAutoParam : public IExprAutoParam {
 public:
  explicit FakeAutoParam(TCommonVar v) : Value(std::move(v)) {}
  TCommonVar Value;
  TCommonVar GetValue() const override { return Value; }
};

class FakeObject : public TRuntimeObject {};

// A context that finds whatever a test puts into its maps.
class FakeContext : public TExprContext {
 public:
  std::map<std::string, IExprForm*> Forms;
  std::map<std::string, IExprBase*> Bases;
  std::map<std::string, TRuntimeObject*> FieldLists, Selects, ListSelects, Helps, Subroutines;
  std::map<std::string, IExprAutoParam*> AutoParams;
  TCommonVar CurDate = Date(5, 3, 2007);

  IExprForm* FindForm(std::string_view n) override { return Find(Forms, n); }
  IExprBase* FindBase(std::string_view n) override { return Find(Bases, n); }
  TRuntimeObject* FindFieldList(std::string_view n) override { return Find(FieldLists, n); }
  TRuntimeObject* FindSelect(std::string_view n) override { return Find(Selects, n); }
  TRuntimeObject* FindListSelect(std::string_view n) override { return Find(ListSelects, n); }
  TRuntimeObject* FindHelp(std::string_view n) override { return Find(Helps, n); }
  TRuntimeObject* FindSubroutine(std::string_view n) override { return Find(Subroutines, n); }
  IExprAutoParam* FindAutoParam(std::string_view n) override { return Find(AutoParams, n); }
  int FindSysVar(std::string_view n) override { return n == "CURDATE" ? 1 : -1; }
  TCommonVar SysVarValue(int) override { return CurDate; }
};

struct Outcome {
  int Err = 0;
  TCommonVar Value;
};

inline Outcome Evaluate(TExprChain& expr) {
  Outcome o;
  EvalExpr(expr, o.Err, o.Value);
  return o;
}

// Compiles text (which must compile) and evaluates it once.
inline Outcome RunFormula(TExprContext& ctx, std::string_view text) {
  TExprChain expr;
  const TCompileResult r = CompileExpr(text, ctx, expr);
  Outcome o;
  if (r.ErrCode != 0) {
    o.Err = 1000 + r.ErrCode;
    return o;
  }
  return Evaluate(expr);
}

// A test that runs formulas against its own context.
class FormulaTest : public ::testing::Test {
 protected:
  FakeContext ctx;

  Outcome Eval(std::string_view text) { return RunFormula(ctx, text); }
  int Error(std::string_view text) { return Eval(text).Err; }
  long double Value(std::string_view text) {
    const Outcome o = Eval(text);
    EXPECT_EQ(o.Err, 0) << text << ": " << ctx.RunErrorText;
    return o.Value.Num;
  }
  std::string Text(std::string_view text) {
    const Outcome o = Eval(text);
    EXPECT_EQ(o.Err, 0) << text << ": " << ctx.RunErrorText;
    EXPECT_EQ(o.Value.Kind, 'C') << text;
    return o.Value.Str;
  }

  struct NumCase {
    std::string_view Text;
    long double Want;
  };
  struct TextCase {
    std::string_view Text;
    std::string Want;
  };
  struct ErrCase {
    std::string_view Text;
    int Want;
  };
  // Compared as long double: a double would hide the last digits of large
  // whole numbers.
  void ExpectNums(std::initializer_list<NumCase> cases, long double tolerance = 1e-12L) {
    for (const NumCase& c : cases) {
      const long double v = Value(c.Text);
      EXPECT_TRUE(std::fabs(v - c.Want) <= tolerance)
          << c.Text << std::setprecision(21) << " gave " << v << ", not " << c.Want;
    }
  }
  void ExpectTexts(std::initializer_list<TextCase> cases) {
    for (const TextCase& c : cases) EXPECT_EQ(Text(c.Text), c.Want) << c.Text;
  }
  void ExpectErrors(std::initializer_list<ErrCase> cases) {
    for (const ErrCase& c : cases) EXPECT_EQ(Error(c.Text), c.Want) << c.Text;
  }
};

}  // namespace vm::testing
