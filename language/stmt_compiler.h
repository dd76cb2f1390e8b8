// The statement compiler: the lines of a program section become a linked
// list of instructions, with IF/THEN/ELSE/ENDIF and WHILE turned into jumps,
// GOTOs joined to their labels and CALLs noted for the document to resolve.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "language/description_reader.h"
#include "language/instructions.h"
#include "language/program_context.h"

namespace vm {

// Statement keywords.
enum : int {
  kKwExecQuestion = 1,
  kKwCall = 2,
  kKwExecLoad = 3,
  kKwWhile = 4,
  kKwEndWhile = 5,
  kKwReentry = 6,
  kKwIf = 7,
  kKwThen = 8,
  kKwElse = 9,
  kKwEndIf = 10,
  kKwGoto = 11,
  kKwLabel = 12,
  kKwEnd = 13,  // the end keyword of the program being compiled
};

// 1..13 (13 for endKeyword), or -1.
int FindStatementKeyword(std::string_view word, std::string_view endKeyword = "ENDSECTION");
// Whether a name is a statement keyword (names may not be one).
bool IsStatementKeyword(std::string_view word);

// A CALL waiting for the document to find its subroutine.
struct TPendingCall {
  TInstruction* Call = nullptr;
  std::string Name;
  int Line = 0;
};

class TStmtCompiler {
 public:
  TStmtCompiler(IDescriptionSource& source, TProgramContext& context,
                TInstructionPool& pool = Instructions());

  // Compiles lines up to endKeyword (which it consumes) into head; the last
  // instruction gets endOpcode (kOpReturn for a subroutine, else kOpEnd).
  // REENTRY is accepted only when isInit. Returns 0 or the error code.
  int CompileProgram(TInstruction*& head, std::string_view endKeyword, int32_t endOpcode,
                     bool isInit = false);

  // The message of the last error, with its "Ошибка в строке N. " prefix.
  std::string CompileErrorText(int code) const;

  const std::vector<TPendingCall>& Calls() const { return calls_; }
  // Where the document window restarts a re-entered document; nullptr when
  // INIT has no REENTRY.
  TInstruction* ReentryPoint() const { return reentry_; }
  int ErrorLine() const { return errLine_; }

 private:
  struct TLabel {
    std::string Name;
    std::vector<TInstruction*> Jumps;
    TInstruction* Target = nullptr;
  };

  int CompileBlock(TInstruction*& current, unsigned endSet, int& endKeyword);
  int CompileLine(TInstruction*& current, int keyword, const std::string& line,
                  const std::string& rest, TInstruction*& pendingIf);
  int CompileThen(TInstruction*& current, TInstruction* ifInstr);
  int CompileWhile(TInstruction*& current, const std::string& rest);
  int CompileIf(TInstruction& current, const std::string& line, const std::string& rest);
  int CompileAssignment(TInstruction& current, const std::string& line);
  int CompileNamed(TInstruction& current, int keyword, const std::string& name);
  // 0, or 130 with the expression's message; a syntax error's position is
  // moved by posShift.
  int CompileExprText(std::string_view text, TExprChain& expr, char& type, int posShift);
  TLabel& LabelNamed(const std::string& name);
  int ResolveLabels();
  void Advance(TInstruction*& current);
  int Fail(int code, std::string name = {});

  IDescriptionSource& source_;
  TProgramContext& context_;
  TInstructionPool& pool_;
  std::string endKeyword_;
  bool isInit_ = false;
  int line_ = 0;
  std::vector<TLabel> labels_;
  std::vector<TPendingCall> calls_;
  TInstruction* reentry_ = nullptr;

  int errLine_ = 0;
  std::string errName_;
  int exprErrCode_ = 0;
  int exprErrPos_ = 0;
};

}  // namespace vm
