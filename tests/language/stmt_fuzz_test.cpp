// Random programs, most of them well formed and some mutated, compiled and
// run with every kind of receiver, dialog, loading and nested run; a break
// is granted every 2000 instructions so that endless loops end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "language/program_rig.h"

namespace vm::test {
namespace {

const char* kLines[] = {
    "IF A > 1", "IF B", "IF S = 'x'", "IF 1/A > 0", "THEN", "ELSE", "ENDIF", "ENDIF X",
    "WHILE I, 1, I+1, I<=3", "WHILE I, 1, I+1", "WHILE S, 'a', S+',', LEN(S)<4", "WHILE I, MAX(1,2), I+1, I<5",
    "WHILE X, 1, 2, 3", "WHILE I, 'A', I+1, I<3", "WHILE I, 1, 'B', I<3", "WHILE I, 1, I+1, S", "ENDWHILE",
    "GOTO L1", "GOTO L2", "GOTO", "LABEL L1", "LABEL L2", "LABEL", "CALL SUB1", "CALL SUB2", "CALL",
    "EXECQUESTION Q1", "EXECQUESTION BQ", "EXECQUESTION", "EXECQUESTION ZZ", "EXECLOAD L1", "EXECLOAD",
    "EXECLOAD L9", "REENTRY", "REENTRY X", "A := A + 1", "A := 1/0", "A := 'x'", "B := A * 2",
    "S := S + 'y'", "S := CHARATPOS(S, 0)", "A+1", "MESSAGE(1, 'm', 'c')", "A := CONFIRM('t','c',1)",
    "ID := ADDARRAY(2, 3)", "ID := ADDARRAY(0)", "SETARRAYDATA(ID, 'v', 1, 2)", "A := GETARRAYDATA(ID, 1, 2)",
    "S := GETARRAYDATA(ID, 1, 2)", "A := GETARRAYDATA(ID, 9, 9)", "DELETEARRAY(ID)", "TERMINATE(A > 100)",
    "GOODS.QTY := GOODS.QTY + 1", "GOODS.NAME := 'n'", "GOODS.QTY := 'q'", "%NOTE% := %NOTE% + '!'",
    "%NOPE% := 1", "X := 1", ":= 1", "A :=", "A := (", "A := ')'", "IF", "IF (", "ENDSECTION", "ENDSUB",
    "A := A; comment", "S := 'a;b'", "A := 1 + _", "2", "'", "A := B := 1", "A := GETARRAYDATA(ID)",
    "CHECKBOXES('c', 'a|b', 3, 0)", "A := CHECKBOXES('c', 'a|b', 3, 0)", "SELECTTABLE(T1)",
};

std::string RandomLine(std::mt19937& rng) {
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kLines) - 1);
  std::string line = kLines[pick(rng)];
  if (rng() % 8 == 0 && !line.empty()) {
    const std::size_t at = rng() % line.size();
    switch (rng() % 4) {
      case 0: line.erase(at, 1); break;
      case 1: line.insert(at, 1, static_cast<char>(rng() % 256)); break;
      case 2: line[at] = static_cast<char>(" ,()'%.:=_;\t"[rng() % 12]); break;
      default: line = line.substr(0, at); break;
    }
  }
  return line;
}

const char* kConds[] = {"A > 1", "B", "I < 2", "S = 'x'", "A <= B", "LEN(S) > 2", "GETARRAYDATA(ID, 1, 1) = 1",
                         "1/A > 0", "A # 3"};
const char* kStmts[] = {"A := A + 1", "B := B - 1", "S := S + 'y'", "A := A * 2", "I := 0", "A := 1/B",
                        "ID := ADDARRAY(2, 3)", "SETARRAYDATA(ID, A, 1, 1)", "SETARRAYDATA(ID, 'q', 2, 3)",
                        "A := GETARRAYDATA(ID, 1, 1)", "DELETEARRAY(ID)", "EXECQUESTION Q1", "EXECQUESTION BQ",
                        "EXECLOAD L1", "CALL SUB1", "CALL SUB2", "GOODS.QTY := GOODS.QTY + A",
                        "%NOTE% := S", "MESSAGE(0, S, 'c')", "TERMINATE(A > 50)", "S := CHARATPOS(S, A)"};

void Block(std::mt19937& rng, int depth, std::vector<std::string>& out, int& labels) {
  const int n = static_cast<int>(rng() % 6);
  for (int i = 0; i < n; ++i) {
    const unsigned r = rng() % 10;
    if (r < 5 || depth > 4) {
      out.push_back(kStmts[rng() % std::size(kStmts)]);
    } else if (r < 7) {
      out.push_back(std::string("IF ") + kConds[rng() % std::size(kConds)]);
      out.push_back("THEN");
      Block(rng, depth + 1, out, labels);
      if (rng() % 2) {
        out.push_back("ELSE");
        Block(rng, depth + 1, out, labels);
      }
      out.push_back("ENDIF");
    } else if (r < 9) {
      const char* v = rng() % 2 ? "I" : "B";
      out.push_back(std::string("WHILE ") + v + ", 1, " + v + "+1, " + v + "<=" + std::to_string(rng() % 5));
      Block(rng, depth + 1, out, labels);
      out.push_back("ENDWHILE");
    } else {
      const int l = static_cast<int>(rng() % 3);
      if (rng() % 2 && l >= labels) {
        out.push_back("LABEL L" + std::to_string(labels++));
      } else {
        out.push_back("GOTO L" + std::to_string(l));
      }
    }
  }
}

std::string StructuredProgram(std::mt19937& rng) {
  std::vector<std::string> lines;
  for (int s = 0; s < 3; ++s) {
    if (s > 0) lines.push_back("SUBROUTINE = SUB" + std::to_string(s));
    int labels = 0;
    Block(rng, 0, lines, labels);
    for (int l = labels; l < 3; ++l) lines.push_back("LABEL L" + std::to_string(l));
    lines.push_back(s == 0 ? "ENDSECTION" : "ENDSUB");
  }
  const int mutations = rng() % 3 == 0 ? static_cast<int>(rng() % 3) + 1 : 0;
  for (int m = 0; m < mutations && !lines.empty(); ++m) {
    const std::size_t at = rng() % lines.size();
    switch (rng() % 4) {
      case 0: lines.erase(lines.begin() + static_cast<long>(at)); break;
      case 1: lines.insert(lines.begin() + static_cast<long>(at), lines[rng() % lines.size()]); break;
      case 2: std::swap(lines[at], lines[rng() % lines.size()]); break;
      default: lines.insert(lines.begin() + static_cast<long>(at), RandomLine(rng)); break;
    }
  }
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

std::string RandomProgram(std::mt19937& rng) {
  if (rng() % 10 == 0) {
    std::string junk;
    const int n = static_cast<int>(rng() % 200);
    for (int i = 0; i < n; ++i) junk += "\n ,()[]'%.:=_;\tAIFTHENLSWHILEGOTO1 "[rng() % 35];
    return junk + (rng() % 2 ? "\nENDSECTION" : "");
  }
  if (rng() % 4 != 0) return StructuredProgram(rng);
  std::string text;
  const int sections = 1 + static_cast<int>(rng() % 3);
  for (int s = 0; s < sections; ++s) {
    if (s > 0) text += "SUBROUTINE = SUB" + std::to_string(s) + "\n";
    const int n = static_cast<int>(rng() % 25);
    for (int i = 0; i < n; ++i) text += RandomLine(rng) + "\n";
    if (rng() % 10 != 0) text += s == 0 ? "ENDSECTION\n" : "ENDSUB\n";
  }
  return text;
}

TEST(StatementFuzz, RandomAndMutatedProgramsCompileAndRunWithoutHarm) {
  // VM_FUZZ_COUNT and VM_FUZZ_SEED let a longer search run by hand.
  const char* env = std::getenv("VM_FUZZ_COUNT");
  const int count = env ? std::atoi(env) : 400;
  const char* seedEnv = std::getenv("VM_FUZZ_SEED");
  std::mt19937 rng(seedEnv ? static_cast<unsigned>(std::atoi(seedEnv)) : 12345u);
  for (int k = 0; k < count; ++k) {
    const std::string text = RandomProgram(rng);
    SCOPED_TRACE(text);
    ProgramRig rig;
    rig.Zeros({"A", "B", "I", "ID"});
    rig.Var("S", Str(""));
    RigDocument doc(rig.Context);
    doc.Loading.Rows = 2;
    rig.IsInit = rng() % 2 == 0;
    rig.Ui.CheckBoxesConfirmed = true;
    rig.Ui.OnPump = [&rig](int pumps) {
      if (pumps % 20 == 0) {
        rig.Ui.Answers.push_front(kIdYes);
        Interp().RequestBreak();
      }
    };
    // A CALL of a subroutine that is not there is the document's error.
    try {
      if (rig.Compile(text) != 0) continue;
    } catch (const std::out_of_range&) {
      continue;
    }
    if (rig.Subroutines.count("SUB1")) doc.Loading.RowProgram = rig.Subroutines["SUB1"];
    doc.Question.OnRun = [&] {
      if (rig.Subroutines.count("SUB2")) Interp().ExecProgram(rig.Subroutines["SUB2"], kOpReturn);
    };
    Interp().BeginDocumentRun();
    Interp().ExecProgram(rig.Main);
    if (rig.Reentry) Interp().ExecProgram(rig.Reentry);
    for (auto& [name, sub] : rig.Subroutines) Interp().ExecNestedProgram(sub, kOpReturn);
    // However a run ends, the windows are given back.
    ASSERT_TRUE(rig.Ui.DocWindowsEnabled());
    ASSERT_FALSE(rig.Ui.BusyRunning());
    ASSERT_FALSE(Interp().Running());
  }
}

}  // namespace
}  // namespace vm::test
