#include "language/stmt_compiler.h"

#include <array>

#include "platform/encoding.h"
#include "foundation/text/strutils.h"
#include "language/expr_compiler.h"

namespace vm {

namespace {

enum {
  kErrBadType = -1,
  kErrNotAllowed = 2,
  kErrExpectThen = 5,
  kErrExpectElseOrEndIf = 6,
  kErrExpectIf = 7,
  kErrExpectEndIf = 8,
  kErrBadLoopVariable = 13,
  kErrNeedLabel = 14,
  kErrNeedQuestion = 15,
  kErrUnknownQuestion = 16,
  kErrNeedSubroutine = 17,
  kErrLabelExists = 18,
  kErrNeedLoading = 19,
  kErrUnknownLoading = 20,
  kErrBadWhile = 21,
  kErrWhileInitType = 22,
  kErrWhileTestType = 23,
  kErrNoWhile = 24,
  kErrNoEndWhile = 25,
  kErrNoReceiver = 128,
  kErrUnknownReceiver = 129,
  kErrBadExpr = 130,
  kErrReceiverType = 131,
  kErrTrailingText = 200,
  kErrNoEnd = 255,
  kErrUndefinedLabel = 257,
};

// Entries 14 and 15 repeat WHILE and ENDWHILE and are never found.
constexpr std::array<std::string_view, 12> kKeywords = {
    "EXECQUESTION", "CALL", "EXECLOAD", "WHILE", "ENDWHILE", "REENTRY",
    "IF",           "THEN", "ELSE",     "ENDIF", "GOTO",     "LABEL",
};

constexpr unsigned Bit(int keyword) { return 1u << keyword; }

bool MustStandAlone(int keyword) {
  return keyword == kKwReentry || keyword == kKwThen || keyword == kKwElse ||
         keyword == kKwEndIf || keyword == kKwEnd;
}

// A block also ends at the program's end keyword, so that a branch or a
// loop left open is reported instead of swallowing the rest of the text.
constexpr unsigned kAlwaysEnds = Bit(kKwEnd);

}  // namespace

int FindStatementKeyword(std::string_view word, std::string_view endKeyword) {
  for (std::size_t i = 0; i < kKeywords.size(); ++i)
    if (kKeywords[i] == word) return static_cast<int>(i) + 1;
  return word == endKeyword ? kKwEnd : -1;
}

bool IsStatementKeyword(std::string_view word) { return FindStatementKeyword(word) > 0; }

TStmtCompiler::TStmtCompiler(IDescriptionSource& source, TProgramContext& context,
                             TInstructionPool& pool)
    : source_(source), context_(context), pool_(pool) {}

int TStmtCompiler::Fail(int code, std::string name) {
  errLine_ = line_;
  errName_ = std::move(name);
  return code;
}

void TStmtCompiler::Advance(TInstruction*& current) {
  current->Line = line_;
  current->Next = pool_.New();
  current = current->Next;
}

int TStmtCompiler::CompileProgram(TInstruction*& head, std::string_view endKeyword,
                                  int32_t endOpcode, bool isInit) {
  endKeyword_ = endKeyword;
  isInit_ = isInit;
  labels_.clear();
  head = pool_.New();
  TInstruction* current = head;
  int ended = 0;
  int err = CompileBlock(current, 0, ended);
  if (err == 0 && ended != kKwEnd) err = Fail(kErrNoEnd, endKeyword_);
  if (err == 0) err = ResolveLabels();
  if (err == 0) {
    current->Opcode = endOpcode;
    current->Line = line_;
  }
  labels_.clear();
  return err;
}

int TStmtCompiler::CompileBlock(TInstruction*& current, unsigned endSet, int& endKeyword) {
  endKeyword = 0;
  // Every branch and loop body compiles one level deeper on the machine's
  // stack; no sensible program comes near this.
  if (nesting_ >= kMaxNesting) return Fail(kErrNotAllowed);
  ++nesting_;
  const int err = CompileBlockLines(current, endSet, endKeyword);
  --nesting_;
  return err;
}

int TStmtCompiler::CompileBlockLines(TInstruction*& current, unsigned endSet, int& endKeyword) {
  endSet |= kAlwaysEnds;
  TInstruction* pendingIf = nullptr;
  for (;;) {
    std::string line = source_.ReadLine();
    line_ = source_.LineIndex();
    if (line.empty()) break;
    UpperOutsideQuotes(line);
    const std::size_t blank = line.find(' ');
    const std::string word = line.substr(0, blank);
    const std::string rest = blank == std::string::npos ? std::string() : TrimBlanks(line.substr(blank));
    const int keyword = FindStatementKeyword(word, endKeyword_);
    if (keyword > 0 && (endSet & Bit(keyword)) != 0) {
      endKeyword = keyword;
      break;
    }
    if (MustStandAlone(keyword) && !rest.empty()) return Fail(kErrTrailingText);
    if (const int err = CompileLine(current, keyword, line, rest, pendingIf); err != 0) return err;
  }
  if (pendingIf != nullptr) return Fail(kErrExpectThen);
  return 0;
}

int TStmtCompiler::CompileLine(TInstruction*& current, int keyword, const std::string& line,
                               const std::string& rest, TInstruction*& pendingIf) {
  const bool afterIf = pendingIf != nullptr;
  switch (keyword) {
    case kKwExecQuestion:
    case kKwCall:
    case kKwExecLoad:
      // Right after IF these would take the IF's place.
      if (afterIf) return Fail(kErrNotAllowed);
      if (const int err = CompileNamed(*current, keyword, rest); err != 0) return err;
      // A loading's failing built-in leaves its words in the context.
      current->Context = &context_;
      Advance(current);
      return 0;
    case kKwWhile:
      if (afterIf) return Fail(kErrNotAllowed);
      return CompileWhile(current, rest);
    case kKwEndWhile:
      return Fail(kErrNoWhile);
    case kKwReentry:
      if (!isInit_) return Fail(kErrNotAllowed);
      reentry_ = current;
      return 0;
    case kKwIf:
      // A second IF before THEN would silently replace the first condition.
      if (afterIf) return Fail(kErrExpectThen);
      if (const int err = CompileIf(*current, line, rest); err != 0) return err;
      pendingIf = current;
      return 0;
    case kKwThen: {
      if (!afterIf) return Fail(kErrExpectIf);
      TInstruction* ifInstr = pendingIf;
      pendingIf = nullptr;
      return CompileThen(current, ifInstr);
    }
    case kKwElse:
    case kKwEndIf:
      return Fail(kErrExpectIf);
    case kKwGoto:
      if (afterIf) return Fail(kErrNotAllowed);
      if (rest.empty()) return Fail(kErrNeedLabel);
      current->Opcode = kOpGoto;
      LabelNamed(rest).Jumps.push_back(current);
      Advance(current);
      return 0;
    case kKwLabel: {
      if (afterIf) return Fail(kErrNotAllowed);
      if (rest.empty()) return Fail(kErrNeedLabel);
      TLabel& label = LabelNamed(rest);
      if (label.Target != nullptr) return Fail(kErrLabelExists);
      label.Target = current;
      return 0;
    }
    default:
      if (afterIf) return Fail(kErrExpectThen);
      if (const int err = CompileAssignment(*current, line); err != 0) return err;
      Advance(current);
      return 0;
  }
}

int TStmtCompiler::CompileNamed(TInstruction& current, int keyword, const std::string& name) {
  switch (keyword) {
    case kKwExecQuestion:
      if (name.empty()) return Fail(kErrNeedQuestion);
      if ((current.Question = context_.FindQuestion(name)) != nullptr) {
        current.Opcode = kOpQuestion;
      } else if ((current.Question = context_.FindBaseQuestion(name)) != nullptr) {
        current.Opcode = kOpBaseQuestion;
      } else {
        return Fail(kErrUnknownQuestion);
      }
      return 0;
    case kKwCall:
      if (name.empty()) return Fail(kErrNeedSubroutine);
      current.Opcode = kOpCall;
      calls_.push_back({&current, name, line_});
      return 0;
    default:
      if (name.empty()) return Fail(kErrNeedLoading);
      current.Loading = context_.FindLoading(name);
      if (current.Loading == nullptr) return Fail(kErrUnknownLoading);
      current.Opcode = kOpLoad;
      return 0;
  }
}

int TStmtCompiler::CompileIf(TInstruction& current, const std::string& line,
                             const std::string& rest) {
  char type = 0;
  const int shift = static_cast<int>(line.size() - rest.size());
  if (const int err = CompileExprText(rest, current.Expr, type, shift); err != 0) return err;
  if (type != 'N') return Fail(kErrBadType);
  current.Opcode = kOpIf;
  current.Context = &context_;
  current.Line = line_;
  return 0;
}

int TStmtCompiler::CompileThen(TInstruction*& current, TInstruction* ifInstr) {
  TInstruction* thenLast = pool_.New();
  ifInstr->Next = thenLast;
  int ended = 0;
  if (const int err = CompileBlock(thenLast, Bit(kKwElse) | Bit(kKwEndIf), ended); err != 0)
    return err;
  TInstruction* continuation = nullptr;
  if (ended == kKwElse) {
    TInstruction* elseLast = pool_.New();
    ifInstr->Jump = elseLast;
    if (const int err = CompileBlock(elseLast, Bit(kKwEndIf), ended); err != 0) return err;
    if (ended != kKwEndIf) return Fail(kErrExpectEndIf);
    continuation = pool_.New();
    elseLast->Next = continuation;
  } else if (ended == kKwEndIf) {
    continuation = pool_.New();
    ifInstr->Jump = continuation;
  } else {
    return Fail(kErrExpectElseOrEndIf);
  }
  thenLast->Next = continuation;
  current = continuation;
  return 0;
}

int TStmtCompiler::CompileWhile(TInstruction*& current, const std::string& rest) {
  const StringList items = SplitTopLevel(rest, ',');
  if (rest.size() < 5 || items.size() != 4) return Fail(kErrBadWhile);
  TVariable* var = context_.Symbols().FindVariable(items[0]);
  if (var == nullptr) return Fail(kErrBadLoopVariable, items[0]);
  const char varType = NormalizeTypeChar(var->Value.Kind);

  // The items are not where the line has them, so no position is given.
  auto compileItem = [&](const std::string& text, TExprChain& expr, char& type) {
    const int err = CompileExprText(text, expr, type, 0);
    if (err != 0) exprErrPos_ = -1;
    return err;
  };
  TInstruction* init = current;
  char type = 0;
  if (const int err = compileItem(items[1], init->Expr, type); err != 0) return err;
  if (!TypesCompatible(type, varType)) return Fail(kErrWhileInitType);
  TInstruction* test = pool_.New();
  if (const int err = compileItem(items[3], test->Expr, type); err != 0) return err;
  if (!TypesCompatible(type, 'N')) return Fail(kErrWhileTestType);
  TExprChain step;
  if (const int err = compileItem(items[2], step, type); err != 0) return err;

  const int whileLine = line_;
  init->Opcode = kOpAssign;
  init->Var = var;
  init->Context = &context_;
  init->Line = whileLine;
  init->Next = test;
  test->Opcode = kOpWhileTest;
  test->Var = var;
  test->Context = &context_;
  test->Line = whileLine;

  TInstruction* body = pool_.New();
  test->Next = body;
  int ended = 0;
  if (const int err = CompileBlock(body, Bit(kKwEndWhile), ended); err != 0) return err;
  if (ended != kKwEndWhile) return Fail(kErrNoEndWhile);
  body->Opcode = kOpAssign;
  body->Var = var;
  body->Expr = std::move(step);
  body->Context = &context_;
  body->Line = whileLine;
  body->Next = test;
  test->Jump = pool_.New();
  current = test->Jump;
  return 0;
}

int TStmtCompiler::CompileAssignment(TInstruction& current, const std::string& line) {
  const int assign = PosOutsideQuotes(":=", line);
  char receiverType = '-';
  std::string exprText = line;
  int shift = 0;
  if (assign > 0) {
    const std::string receiver = TrimBlanks(std::string_view(line).substr(0, static_cast<std::size_t>(assign - 1)));
    exprText = line.substr(static_cast<std::size_t>(assign + 1));
    shift = assign + 1;
    if (TVariable* var = context_.Symbols().FindVariable(receiver)) {
      current.Opcode = kOpAssign;
      current.Var = var;
      receiverType = var->Value.Kind;
    } else if (receiver.size() > 2 && receiver.front() == '%' && receiver.back() == '%') {
      const std::string name = TrimBlanks(std::string_view(receiver).substr(1, receiver.size() - 2));
      current.AutoParam = context_.FindAutoParam(name);
      if (current.AutoParam == nullptr) return Fail(kErrUnknownReceiver, receiver);
      current.Opcode = kOpSetAutoParam;
      receiverType = current.AutoParam->TypeLetter();
    } else if (PosOutsideQuotes(".", receiver) > 0) {
      std::string baseName, fieldName;
      SplitAtDot(receiver, baseName, fieldName);
      IProgramBase* base = context_.FindBase(baseName);
      const int index = base != nullptr ? base->FieldIndex(fieldName) : -1;
      if (index < 0) return Fail(kErrUnknownReceiver, receiver);
      TFieldVar* field = context_.Symbols().FindFieldVar(baseName, fieldName);
      if (field == nullptr)
        field = context_.Symbols().AddFieldVar(base, baseName, fieldName, index, base->FieldType(index));
      current.Opcode = kOpSetField;
      current.Field = field;
      current.Base = base;
      receiverType = field->FieldType;
    } else {
      return Fail(kErrUnknownReceiver, receiver);
    }
  }
  char type = 0;
  if (const int err = CompileExprText(exprText, current.Expr, type, shift); err != 0) return err;
  current.Context = &context_;
  if (!TypesCompatible(type, NormalizeTypeChar(receiverType)))
    return Fail(assign > 0 ? kErrReceiverType : kErrNoReceiver);
  if (assign == 0) current.Opcode = kOpAssign;
  return 0;
}

int TStmtCompiler::CompileExprText(std::string_view text, TExprChain& expr, char& type,
                                   int posShift) {
  const TCompileResult r = CompileExpr(text, context_, expr);
  type = r.ResultType;
  if (r.ErrCode == 0) return 0;
  exprErrCode_ = r.ErrCode;
  exprErrPos_ = r.ErrCode < 128 ? r.ErrPos + posShift : r.ErrPos;
  return Fail(kErrBadExpr, r.Msg);
}

TStmtCompiler::TLabel& TStmtCompiler::LabelNamed(const std::string& name) {
  for (TLabel& label : labels_)
    if (label.Name == name) return label;
  labels_.push_back({name, {}, nullptr});
  return labels_.back();
}

int TStmtCompiler::ResolveLabels() {
  for (const TLabel& label : labels_) {
    if (label.Target == nullptr) {
      if (!label.Jumps.empty()) return Fail(kErrUndefinedLabel, label.Name);
      continue;
    }
    for (TInstruction* jump : label.Jumps) jump->Next = label.Target;
  }
  return 0;
}

std::string TStmtCompiler::CompileErrorText(int code) const {
  std::string text;
  switch (code) {
    case kErrBadType: text = " Неверный тип выражения "_w; break;
    case kErrNotAllowed: text = " Недопустимый оператор "_w; break;
    case kErrExpectThen: text = " Ожидается команда THEN "_w; break;
    case kErrExpectElseOrEndIf: text = " Ожидается команда ELSE или ENDIF "_w; break;
    case kErrExpectIf: text = " Ожидается команда IF "_w; break;
    case kErrExpectEndIf: text = " Ожидается команда ENDIF "_w; break;
    case kErrBadLoopVariable: text = " Неверное имя локальной переменной "_w + errName_; break;
    case kErrNeedLabel: text = " Требуется метка "_w; break;
    case kErrNeedQuestion: text = " Требуется имя запроса "_w; break;
    case kErrUnknownQuestion: text = " Неизвестное имя запроса "_w; break;
    case kErrNeedSubroutine: text = " Требуется имя подпрограммы "_w; break;
    case kErrLabelExists: text = " Метка с данным именем уже существует "_w; break;
    case kErrNeedLoading: text = " Требуется имя загрузчика "_w; break;
    case kErrUnknownLoading: text = " Неизвестное имя загрузчика "_w; break;
    case kErrBadWhile: text = " Неверное выражение цикла While "_w; break;
    case kErrWhileInitType: text = " Разные типы переменной и выражения цикла While "_w; break;
    case kErrWhileTestType: text = " Тип последнего выражения цикла While должен быть числовым"_w; break;
    case kErrNoWhile: text = " Отсутствует команда WHILE "_w; break;
    case kErrNoEndWhile: text = " Отсутствует команда ENDWHILE "_w; break;
    case kErrNoReceiver: text = " Отсутствует приемник в выражении "_w; break;
    case kErrUnknownReceiver: text = " Неизвестное имя переменной "_w + errName_; break;
    case kErrBadExpr:
      if (exprErrCode_ >= 100)
        text = " Ошибка в выражении : "_w + errName_;
      else
        text = " Ошибка в выражении позиция "_w + std::to_string(exprErrPos_) + ": " + errName_;
      break;
    case kErrReceiverType: text = " Разные типы приемника и выражения "_w; break;
    case kErrTrailingText: text = " Запрещенные символы после команды "_w; break;
    case kErrNoEnd: text = " Отсутствует команда "_w + errName_ + " "; break;
    case kErrUndefinedLabel: text = " Не определена метка "_w + errName_; break;
    default: text = " Незнакомая ошибка "_w; break;
  }
  if (code < 256) text = "Ошибка в строке "_w + std::to_string(errLine_) + ". " + text;
  return text;
}

}  // namespace vm
