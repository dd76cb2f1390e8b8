// Random well-typed formulas (mostly) over the names a test provides: the
// differential test feeds them to the evaluator and to the interpreter and
// compares what comes out with what an earlier build gave for the same seed.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "expr_fakes.h"
#include "language/function_table.h"

namespace vm::testing {

// What a formula of each type may be built from.
struct TFormulaAtoms {
  std::vector<std::string> Numbers, Texts, Dates, Times;
  // Variables a by-reference argument may name.
  std::string NumberVar = "A", TextVar = "S", DateVar = "D", TimeVar = "TM";
  // Objects for the object arguments; empty where the context has none.
  std::string Form, Base, Help;
};

class TFormulaGenerator {
 public:
  TFormulaGenerator(uint32_t seed, TFormulaAtoms atoms) : rng_(seed), atoms_(std::move(atoms)) {}

  // A formula meant to be of type 'N', 'C', 'D' or 'T'; now and then of
  // another, so that type errors and values of any type come up too.
  std::string Formula(char type, int depth = 0) {
    if (Pick(12) == 0) type = "NCDT"[Pick(4)];
    if (depth > 3) return Atom(type);
    switch (Pick(6)) {
      case 0:
      case 1: return Atom(type);
      case 2: return Operation(type, depth);
      case 3: return "(" + Formula(type, depth + 1) + ")";
      case 4: return type == 'N' ? "-" + Formula('N', depth + 1) : Atom(type);
      default: return Call(type, depth);
    }
  }

  int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

 private:
  std::string Atom(char type) {
    const std::vector<std::string>& from = type == 'N'   ? atoms_.Numbers
                                           : type == 'C' ? atoms_.Texts
                                           : type == 'D' ? atoms_.Dates
                                                         : atoms_.Times;
    return from[static_cast<std::size_t>(Pick(static_cast<int>(from.size())))];
  }

  std::string Operation(char type, int depth) {
    static const char* const arithmetic[] = {"+", "-", "*", "/", "^", "*-", "^-", "+-"};
    static const char* const comparisons[] = {"<", ">", "<=", ">=", "#", "="};
    if (type == 'C') return Formula('C', depth + 1) + (Pick(8) ? "+" : "-") + Formula('C', depth + 1);
    if (type != 'N') return Atom(type);
    if (Pick(3) == 0) {
      const char operands = "NNCDT"[Pick(5)];
      return Formula(operands, depth + 1) + comparisons[Pick(6)] + Formula(operands, depth + 1);
    }
    // A run of one level stays one flat chain.
    std::string s = Formula('N', depth + 1);
    for (int n = 1 + Pick(3); n > 0; --n) s += arithmetic[Pick(8)] + Formula('N', depth + 1);
    return s;
  }

  std::string Call(char type, int depth) {
    std::vector<const TFunctionRec*> fits;
    for (const char* name : kValueFunctions) {
      const TFunctionRec& f = FunctionRec(FindFunction(name));
      if (f.Result == type || (f.Result == '*' && Pick(2) == 0)) fits.push_back(&f);
    }
    if (fits.empty()) return Atom(type);
    const TFunctionRec& f = *fits[static_cast<std::size_t>(Pick(static_cast<int>(fits.size())))];
    const int count = f.ParamCount < 0 ? Pick(4) : f.ParamCount;
    std::string call = std::string(f.Name) + "(";
    for (int i = 0; i < count; ++i) {
      if (i > 0) call += ", ";
      call += Argument(f.ParamCount < 0 ? 'N' : f.Params[static_cast<std::size_t>(i)], depth);
    }
    return call + ")";
  }

  std::string Argument(char letter, int depth) {
    switch (letter) {
      case 'N': case 'X': return Formula('N', depth + 1);
      case 'C': case 'D': case 'T': return Formula(letter, depth + 1);
      case 'n': return atoms_.NumberVar;
      case 'c': return atoms_.TextVar;
      case 'd': return atoms_.DateVar;
      case 't': return atoms_.TimeVar;
      case '1': return atoms_.Form.empty() ? Formula('N', depth + 1) : atoms_.Form;
      case '2': return atoms_.Base.empty() ? Formula('N', depth + 1) : atoms_.Base;
      case '3': return atoms_.Help.empty() ? Formula('N', depth + 1) : atoms_.Help;
      default: return Formula("NCDT"[Pick(4)], depth + 1);
    }
  }

  std::mt19937 rng_;
  TFormulaAtoms atoms_;
};

}  // namespace vm::testing
