// Runs statement programs from text the way a document does: a main program
// up to ENDSECTION, then any number of "SUBROUTINE = NAME" ... "ENDSUB"
// blocks, CALLs resolved against them, run through the interpreter with a
// scripted host that records what the user would have seen.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/encoding.h"
#include "foundation/text/strutils.h"
#include "language/description_reader.h"
#include "language/expr_fakes.h"
#include "language/interpreter.h"
#include "language/program_context.h"
#include "language/stmt_compiler.h"
#include "language/value_arrays.h"
#include "support/scripted_ui.h"

namespace vm::test {

using vm::testing::Find;
using vm::testing::Num;
using vm::testing::Str;

class RigBase : public vm::testing::FieldsOver<IProgramBase> {
 public:
  bool SetFieldValue(int index, const TCommonVar& v) override {
    Fields[static_cast<std::size_t>(index)].second = v;
    return true;
  }
};

class RigAutoParam : public IProgramAutoParam {
 public:
  explicit RigAutoParam(TCommonVar v) : Value(std::move(v)) {}
  TCommonVar Value;
  TCommonVar GetValue() const override { return Value; }
  char TypeLetter() const override { return Value.Kind; }
  bool SetValue(const TCommonVar& v) override {
    Value = v;
    return true;
  }
  std::string Name() const override { return "P"; }
};

class RigQuestion : public IProgramQuestion {
 public:
  int Runs = 0;
  // What the user does in the dialog.
  std::function<void()> OnRun;
  void Run() override {
    ++Runs;
    if (OnRun) OnRun();
  }
};

// A loading that runs a per-row program a number of times and then reports
// its outcome.
class RigLoading : public IProgramLoading {
 public:
  TInstruction* RowProgram = nullptr;
  int Rows = 0;
  TLoadOutcome Outcome;
  // With an outcome of -1: the words a built-in of the loading failed with.
  TExprContext* Context = nullptr;
  std::string Words;
  TLoadOutcome Run() override {
    for (int i = 0; i < Rows; ++i)
      if (!Interp().ExecNestedProgram(RowProgram, kOpReturn)) break;
    if (Context != nullptr) Context->RunErrorText = Words;
    return Outcome;
  }
};

class RigContext : public TProgramContext {
 public:
  std::map<std::string, IProgramBase*> Bases;
  std::map<std::string, IProgramAutoParam*> AutoParams;
  std::map<std::string, IProgramQuestion*> Questions, BaseQuestions;
  std::map<std::string, IProgramLoading*> Loadings;

  IProgramBase* FindBase(std::string_view n) override { return Find(Bases, n); }
  IProgramAutoParam* FindAutoParam(std::string_view n) override { return Find(AutoParams, n); }
  IProgramQuestion* FindQuestion(std::string_view n) override { return Find(Questions, n); }
  IProgramQuestion* FindBaseQuestion(std::string_view n) override { return Find(BaseQuestions, n); }
  IProgramLoading* FindLoading(std::string_view n) override { return Find(Loadings, n); }
};

// One object of each kind a program names: GOODS, %NOTE%, Q1, BQ and L1.
struct RigDocument {
  RigBase Goods;
  RigAutoParam Note{Str("old")};
  RigQuestion Question, BaseQuestion;
  RigLoading Loading;
  explicit RigDocument(RigContext& c) {
    Goods.Fields = {{"QTY", Num(1)}, {"NAME", Str("a")}};
    c.Bases["GOODS"] = &Goods;
    c.AutoParams["NOTE"] = &Note;
    c.Questions["Q1"] = &Question;
    c.BaseQuestions["BQ"] = &BaseQuestion;
    c.Loadings["L1"] = &Loading;
  }
};

// Compiles against its own RigContext, or against the context it is given.
class ProgramRig {
 public:
  RigContext Context;
  TProgramContext& Target;
  ScriptedUi Ui;
  TInstruction* Main = nullptr;
  std::map<std::string, TInstruction*> Subroutines;
  int Code = 0;
  std::string Message;
  bool IsInit = false;
  TInstruction* Reentry = nullptr;

  ProgramRig() : ProgramRig(nullptr) {}
  explicit ProgramRig(TProgramContext& target) : ProgramRig(&target) {}
  explicit ProgramRig(TProgramContext* target) : Target(target ? *target : Context) {
    ResetStatements();
    DinArrays().Clear();
    Interp().BeginDocumentRun();
    DesignerTestRun() = false;
  }
  ~ProgramRig() {
    FreeStatements();
    DinArrays().Clear();
  }
  ProgramRig(const ProgramRig&) = delete;
  ProgramRig& operator=(const ProgramRig&) = delete;

  TVariable* Var(std::string_view name, TCommonVar value) {
    return Target.Symbols().AddVariable(name, value);
  }
  const TCommonVar& Value(std::string_view name) {
    return Target.Symbols().FindVariable(name)->Value;
  }
  long double Num(std::string_view name) { return Value(name).Num; }
  // The numbers in variables named by one letter each: Nums("ABC").
  std::vector<long double> Nums(std::string_view letters) {
    std::vector<long double> out;
    for (char c : letters) out.push_back(Num(std::string_view(&c, 1)));
    return out;
  }
  // Numeric variables that start at 0.
  void Zeros(std::initializer_list<std::string_view> names) {
    for (std::string_view n : names) Var(n, vm::testing::Num(0));
  }
  // A message box's text, as UTF-8.
  std::string Box(std::size_t i) const { return Cp1251ToUtf8(Ui.Boxes.at(i).Text); }

  // 0 or the compile error, whose message goes to Message.
  int Compile(std::string_view text) {
    Interp().SetDocument("TEST", text);
    TDescriptionReader reader(text);
    TStmtCompiler compiler(reader, Target);
    Code = compiler.CompileProgram(Main, "ENDSECTION", kOpEnd, IsInit);
    while (Code == 0) {
      std::string line = reader.ReadLine();
      if (line.empty()) break;
      const std::string name = TrimBlanks(line.substr(line.find('=') + 1));
      Code = compiler.CompileProgram(Subroutines[name], "ENDSUB", kOpReturn);
    }
    Message = Code != 0 ? compiler.CompileErrorText(Code) : std::string();
    Reentry = compiler.ReentryPoint();
    for (const TPendingCall& call : compiler.Calls())
      if (Code == 0) call.Call->Jump = Subroutines.at(call.Name);
    return Code;
  }

  // Runs the compiled main program; the run error code, 0 when it went through.
  int Exec() {
    Interp().ExecProgram(Main);
    return Interp().ErrorCode();
  }
  // Compiles (which must succeed) and runs the main program.
  bool Run(std::string_view text) { return Compile(text) == 0 && Exec() == 0; }
};

}  // namespace vm::test
