// What statement programs are compiled against, beyond what formulas need:
// the receivers an assignment may store into, the questions and loadings a
// program starts, and the names the document gives its subroutine calls.
#pragma once

#include <string>
#include <string_view>

#include "foundation/values/values.h"
#include "language/expr_context.h"

namespace vm {

// A database whose current record a program writes (BASE.FIELD := ...).
class IProgramBase : public IExprBase {
 public:
  // False, with nothing stored, when a number does not fit its field even
  // without decimals.
  virtual bool SetFieldValue(int index, const TCommonVar& value) = 0;
};

// An auto-parameter a program writes (%NAME% := ...).
class IProgramAutoParam : public IExprAutoParam {
 public:
  virtual char TypeLetter() const = 0;
  // False, with nothing stored, for a value the parameter's text cannot
  // hold (TAPar::SetValue).
  virtual bool SetValue(const TCommonVar& value) = 0;
  // The name a refusal gives.
  virtual std::string Name() const = 0;
};

// A question or a base question: EXECQUESTION shows its dialog.
class IProgramQuestion {
 public:
  virtual ~IProgramQuestion() = default;
  virtual void Run() = 0;
};

// What a loading reports: an evaluation error inside it (EvalError), its
// own code (22 when a loaded value does not fit a cell of the table), or
// the text of why it could not start (Message).
struct TLoadOutcome {
  int Code = 0;
  int EvalError = 0;
  std::string Message;
};

class IProgramLoading {
 public:
  virtual ~IProgramLoading() = default;
  virtual TLoadOutcome Run() = 0;
};

// The context of a document's programs. The overrides narrow the look-ups
// of the expression context to receivers that can also be written.
class TProgramContext : public TExprContext {
 public:
  IProgramBase* FindBase(std::string_view /*alias*/) override { return nullptr; }
  IProgramAutoParam* FindAutoParam(std::string_view /*name*/) override { return nullptr; }

  virtual IProgramQuestion* FindQuestion(std::string_view /*name*/) { return nullptr; }
  virtual IProgramQuestion* FindBaseQuestion(std::string_view /*name*/) { return nullptr; }
  virtual IProgramLoading* FindLoading(std::string_view /*name*/) { return nullptr; }
};

}  // namespace vm
