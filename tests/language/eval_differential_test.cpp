// Thousands of random formulas and programs, each run once; what each gave
// (value, error code and text, the variables and receivers after it) must
// match, hash for hash, what the evaluator gave before it learnt to skip
// copies. Run with VM_RECORD_DIFFERENTIAL=1 to write the hashes afresh, which
// is only right on a build whose results are known to be good;
// VM_DIFFERENTIAL_SHOW=1 prints every case with what it gave.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "formula_generator.h"
#include "language/program_rig.h"

namespace vm::test {
namespace {

using vm::testing::Date;
using vm::testing::FakeAutoParam;
using vm::testing::FakeBase;
using vm::testing::FakeForm;
using vm::testing::FakeObject;
using vm::testing::TFormulaAtoms;
using vm::testing::TFormulaGenerator;
using vm::testing::Time;

constexpr int kFormulas = 4000;
constexpr int kPrograms = 1500;

// Only the part of a value that belongs to its kind counts.
std::string Canonical(const TCommonVar& v) {
  std::string s(1, v.Kind == 0 ? '0' : v.Kind);
  char buf[64];
  switch (v.Kind) {
    case 'N':
    case 'R':
      // Rounded to double: the C library's transcendental functions may move
      // in their last long-double bits from one release to the next, which
      // says nothing of the evaluator.
      std::snprintf(buf, sizeof buf, "%a", static_cast<double>(v.Num));
      return s + buf;
    case 'C': return s + "'" + v.Str + "'";
    case 'D':
      std::snprintf(buf, sizeof buf, "%d.%d.%d", v.Date.Day, v.Date.Month, v.Date.Year);
      return s + buf;
    case 'T':
      std::snprintf(buf, sizeof buf, "%d:%d:%d", v.Time.Hour, v.Time.Minute, v.Time.Second);
      return s + buf;
    default: return s;
  }
}

uint64_t Fnv1a(const std::string& s) {
  uint64_t h = 14695981039346656037ull;
  for (const char c : s) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

// Compares the hashes of a run with the recorded ones, or records them.
class THashLog {
 public:
  explicit THashLog(std::string name) : path_(std::string(VELOMAR_TEST_DATA) + "/" + std::move(name)) {
    recording_ = std::getenv("VM_RECORD_DIFFERENTIAL") != nullptr;
    if (recording_) return;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) want_.push_back(line);
  }
  ~THashLog() {
    if (!recording_) return;
    std::ofstream out(path_);
    for (const std::string& h : got_) out << h << '\n';
  }
  THashLog(const THashLog&) = delete;
  THashLog& operator=(const THashLog&) = delete;

  bool Loaded(std::size_t count) const { return recording_ || want_.size() == count; }

  void Check(const std::string& input, const std::string& outcome) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, Fnv1a(outcome));
    const std::size_t i = got_.size();
    got_.emplace_back(buf);
    if (std::getenv("VM_DIFFERENTIAL_SHOW")) std::fprintf(stderr, "%s\n=> %s\n", input.c_str(), outcome.c_str());
    if (recording_ || got_.back() == want_[i]) return;
    // The first difference tells; the ones after it mostly follow from it.
    if (++mismatches_ <= 5) ADD_FAILURE() << "case " << i << ": " << input << "\n now gives: " << outcome;
  }

 private:
  std::string path_;
  bool recording_ = false;
  std::vector<std::string> want_, got_;
  int mismatches_ = 0;
};

class FormulaDifferential : public vm::testing::FormulaTest {
 protected:
  FakeForm table{"NCN*"};
  FakeForm empty{"NC"};
  FakeBase base;
  FakeAutoParam param{vm::testing::Num(2)};
  FakeAutoParam realParam{Real(0.25L)};
  FakeObject help;

  // A number stored under the letter that reads as 'N'.
  static TCommonVar Real(long double v) {
    TCommonVar x = vm::testing::Num(v);
    x.Kind = 'R';
    return x;
  }

  void SetUp() override {
    for (int i = 1; i <= 3; ++i)
      table.Rows.push_back({vm::testing::Num(i), Str("r"), vm::testing::Num(i * 10), Str("c")});
    table.Rows[1][3] = vm::testing::Num(7);
    table.Rows[2][0] = Real(3.5L);
    ctx.Forms["T"] = &table;
    ctx.Forms["F"] = &empty;
    base.Fields = {{"NAME", Str("x")}, {"QTY", vm::testing::Num(3)}, {"RK", Real(2.5L)}};
    ctx.Bases["B"] = &base;
    ctx.AutoParams["P"] = &param;
    ctx.AutoParams["PR"] = &realParam;
    ctx.Helps["H"] = &help;
    ctx.Symbols().AddVariable("A", vm::testing::Num(1));
    ctx.Symbols().AddVariable("E", vm::testing::Num(2));
    ctx.Symbols().AddVariable("R", Real(1.5L));
    ctx.Symbols().AddVariable("S", Str("s"));
    ctx.Symbols().AddVariable("D", Date(1, 2, 2007));
    ctx.Symbols().AddVariable("TM", Time(1, 2, 3));
  }

  static TFormulaAtoms Atoms() {
    TFormulaAtoms a;
    a.Numbers = {"A", "E", "R", "B.QTY", "B.RK", "T[1]", "T[3]", "T[1,2]", "T[3,A]", "T[1,3]", "T[4,2]",
                 "T[4,1]", "T[1,5]", "F[1]", "F[1,1]", "%P%", "%PR%", "0", "1", "2", "3", "2.5", "0.5",
                 "-2.5", "1E-3", "1E+3", "0.0000000001", "1E4000", "255", "2147483648", "37", "100"};
    a.Texts = {"S", "'x'", "''", "'a''b'", "' a b '", "'12x30x2.5'", "B.NAME", "T[2,1]", "T[4,1]",
               "F[2,1]", "'1E-3'"};
    a.Dates = {"D", "%CURDATE%", "DATE(29,2,1900)", "DATE(31,12,9999)", "DATE(0,0,0)"};
    a.Times = {"TM", "TIME(25,61,75)", "TIME(1,2,3)"};
    a.Form = "T";
    a.Base = "B";
    a.Help = "H";
    return a;
  }

  std::string Outcome(const std::string& text) {
    TExprChain expr;
    const TCompileResult r = CompileExpr(text, ctx, expr);
    if (r.ErrCode != 0) return "compile " + std::to_string(r.ErrCode) + " " + r.Msg;
    std::string s(1, r.ResultType);
    // Twice: a chain keeps values in its nodes, which must not leak into the
    // next evaluation.
    for (int pass = 0; pass < 2; ++pass) {
      int err = 0;
      TCommonVar v;
      EvalExpr(expr, err, v);
      s += " " + std::to_string(err) + " " + (err != 0 ? EvalErrorText(err, &ctx) : Canonical(v));
    }
    for (const char* name : {"A", "E", "R", "S"}) s += " " + Canonical(ctx.Symbols().FindVariable(name)->Value);
    return s;
  }
};

TEST_F(FormulaDifferential, RandomFormulasGiveWhatTheyGaveBefore) {
  THashLog log("differential_formulas.txt");
  ASSERT_TRUE(log.Loaded(kFormulas));
  TFormulaGenerator gen(20261206, Atoms());
  for (int i = 0; i < kFormulas; ++i) {
    const std::string text = gen.Formula("NNNCDT"[gen.Pick(6)]);
    log.Check(text, Outcome(text));
  }
}

// Receivers a program assigns: never the loop variables, so every loop ends.
struct TTarget {
  const char* Name;
  char Type;
};
constexpr TTarget kTargets[] = {{"A", 'N'}, {"E", 'N'}, {"R", 'N'},          {"S", 'C'},
                                {"D", 'D'}, {"TM", 'T'}, {"GOODS.QTY", 'N'}, {"GOODS.NAME", 'C'},
                                {"%NOTE%", 'C'}};

class TProgramWriter {
 public:
  TProgramWriter(uint32_t seed, TProgramContext& context) : gen_(seed, Atoms()), context_(context) {}

  std::string Program() {
    lines_.clear();
    Block(0);
    std::string text;
    for (const std::string& l : lines_) text += l + "\n";
    return text + "ENDSECTION\n";
  }

 private:
  static TFormulaAtoms Atoms() {
    TFormulaAtoms a;
    a.Numbers = {"A", "E", "I", "J", "R", "GOODS.QTY", "0", "1", "2", "3", "2.5", "-2.5", "1E-3",
                 "0.0000000001", "1E4000", "37"};
    a.Texts = {"S", "'x'", "''", "'a''b'", "GOODS.NAME", "%NOTE%"};
    a.Dates = {"D", "DATE(29,2,1900)", "DATE(1,1,2000)"};
    a.Times = {"TM", "TIME(1,2,3)"};
    return a;
  }

  // Mostly a formula that compiles to the type asked for, so that most
  // programs compile and run.
  std::string Formula(char type) {
    std::string text;
    for (int tries = 0; tries < 8; ++tries) {
      text = gen_.Formula(type);
      TExprChain chain;
      const TCompileResult r = CompileExpr(text, context_, chain);
      if (r.ErrCode == 0 && r.ResultType == type) break;
    }
    return text;
  }

  void Block(int depth) {
    for (int n = 1 + gen_.Pick(4); n > 0; --n) {
      const int r = depth > 2 ? 0 : gen_.Pick(10);
      if (r < 5) {
        const TTarget& t = kTargets[gen_.Pick(static_cast<int>(std::size(kTargets)))];
        lines_.push_back(std::string(t.Name) + " := " + Formula(t.Type));
      } else if (r < 7) {
        lines_.push_back("IF " + Formula('N'));
        lines_.push_back("THEN");
        Block(depth + 1);
        if (gen_.Pick(2)) {
          lines_.push_back("ELSE");
          Block(depth + 1);
        }
        lines_.push_back("ENDIF");
      } else if (r < 9 && depth < 2) {
        const std::string v = depth == 0 ? "I" : "J";
        lines_.push_back("WHILE " + v + ", 1, " + v + "+1, " + v + "<=" + std::to_string(gen_.Pick(4)));
        Block(depth + 1);
        lines_.push_back("ENDWHILE");
      } else {
        // A statement without a receiver must give no value.
        lines_.push_back("RUBKOP(" + Formula('N') + ", A, E)");
      }
    }
  }

  TFormulaGenerator gen_;
  TProgramContext& context_;
  std::vector<std::string> lines_;
};

TEST(ProgramDifferential, RandomProgramsLeaveWhatTheyLeftBefore) {
  THashLog log("differential_programs.txt");
  ASSERT_TRUE(log.Loaded(kPrograms));
  uint32_t seed = 20261207;
  for (int i = 0; i < kPrograms; ++i) {
    ProgramRig rig;
    for (const char* name : {"A", "E", "I", "J"}) rig.Var(name, vm::testing::Num(1));
    TCommonVar real = vm::testing::Num(1.5L);
    real.Kind = 'R';
    rig.Var("R", real);
    rig.Var("S", Str("s"));
    rig.Var("D", Date(1, 2, 2007));
    rig.Var("TM", Time(1, 2, 3));
    RigDocument doc(rig.Context);
    TProgramWriter writer(seed++, rig.Context);
    const std::string text = writer.Program();
    std::string s;
    if (const int code = rig.Compile(text); code != 0) {
      s = "compile " + std::to_string(code) + " " + rig.Message;
    } else {
      const int code2 = rig.Exec();
      s = "run " + std::to_string(code2) + " line " + std::to_string(Interp().ErrorLine());
      if (code2 != 0) s += " " + Interp().RuntimeErrorText();
    }
    for (const char* name : {"A", "E", "I", "J", "R", "S", "D", "TM"}) s += " " + Canonical(rig.Value(name));
    for (const auto& field : doc.Goods.Fields) s += " " + Canonical(field.second);
    s += " " + Canonical(doc.Note.Value);
    log.Check(text, s);
  }
}

}  // namespace
}  // namespace vm::test
