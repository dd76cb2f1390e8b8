#include "language/expr_compiler.h"

#include <string_view>
#include <utility>
#include <vector>

#include "platform/encoding.h"
#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
#include "language/expr_text.h"
#include "language/function_table.h"
#include "language/operators.h"

namespace vm {

namespace {

// Stands for the minus sign of a number's exponent while the text is split
// at its operators. Formulas come from text lines, which hold no NUL; one
// written outside quotes all the same is refused as a forbidden character.
constexpr char kExponentMinus = '\0';

constexpr std::size_t kNone = std::string::npos;

// Parse errors.
enum {
  kErrUnpairedOpen = 1,
  kErrUnpairedClose = 2,
  kErrBadChar = 3,
  kErrBadStringUse = 4,
  kErrOpenString = 5,
  kErrUnpairedOpenBracket = 6,
  kErrUnpairedCloseBracket = 7,
  kErrNoOperator = 8,
  kErrIndexedCall = 9,
  kErrBadColumnIndex = 10,
  kErrBadCharInName = 11,
  kErrTooDeep = 12,
};

// How deep groups, calls and row expressions may nest: every level costs
// the parser, the type check and the evaluator a few frames of the stack.
constexpr int kMaxNesting = 200;

// Type-check errors (reported plus 128).
enum {
  kErrArgCount = 4,
  kErrNoFunction = 5,
  kErrNoVariable = 7,
  kErrBadFunctionName = 9,
  kErrBadName = 10,
  kErrTypesDiffer = 13,
  kErrBadOperation = 14,
  kErrBadString = 15,
  kErrArgType = 16,
  kErrBadBase = 17,
  kErrBadField = 18,
  kErrBadColumn = 19,
  kErrBadColumnRef = 20,
  kErrUnknownForm = 22,
  kErrRowType = 23,
  kErrNoAutoParam = 24,
  kErrNotAVariable = 25,
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether each character lies inside a quoted part; a quote itself counts
// as inside, so it never ends an operand.
std::vector<bool> QuoteMap(std::string_view s) {
  std::vector<bool> inside(s.size());
  bool open = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\'') {
      open = !open;
      inside[i] = true;
    } else {
      inside[i] = open;
    }
  }
  return inside;
}

// ---------------------------------------------------------------------------
// Exponent protection

bool IsOperandEnd(char c) {
  return c == '(' || c == ')' || c == '[' || c == ']' || c == ',' || IsBlank(c) ||
         IsOperatorChar(c);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// s[p] is the 'E' of an "E-" outside quotes.
bool IsExponentAt(const std::string& s, std::size_t p) {
  if (p == 0 || p + 2 >= s.size()) return false;
  if (!IsDigit(s[p + 2])) return false;
  if (!IsDigit(s[p - 1]) && s[p - 1] != '.') return false;
  for (std::size_t k = p; k-- > 0;) {
    if (IsOperandEnd(s[k])) break;
    if (!IsDigit(s[k]) && s[k] != '.') return false;
  }
  for (std::size_t k = p + 2; k < s.size() && !IsOperandEnd(s[k]); ++k)
    if (!IsDigit(s[k])) return false;
  return true;
}

void ProtectExponents(std::string& s) {
  const std::vector<bool> inside = QuoteMap(s);
  for (std::size_t p = 0; p + 1 < s.size(); ++p)
    if (s[p] == 'E' && s[p + 1] == '-' && !inside[p] && IsExponentAt(s, p))
      s[p + 1] = kExponentMinus;
}

void RestoreExponents(std::string& s) {
  for (char& c : s)
    if (c == kExponentMinus) c = '-';
}

// ---------------------------------------------------------------------------
// Parsing

class TParser {
 public:
  explicit TParser(std::string s) : s_(std::move(s)) {}

  const std::string& Text() const { return s_; }
  int Err() const { return err_; }
  std::size_t ErrAt() const { return errAt_; }

  // Parses s_[b, e) into chain; false with err_ set on failure.
  bool Parse(std::size_t b, std::size_t e, TExprChain& chain) {
    if (depth_ == kMaxNesting) return Fail(kErrTooDeep, b == 0 ? 0 : b - 1);
    ++depth_;
    const bool ok = ParseLevel(b, e, chain);
    --depth_;
    return ok;
  }

 private:
  bool ParseLevel(std::size_t b, std::size_t e, TExprChain& chain) {
    chain.clear();
    chain.emplace_back();
    bool inString = false;
    std::size_t i = b;
    while (i < e) {
      const char c = s_[i];
      TOperand& node = chain.back();
      if (inString) {
        if (c == '\'') inString = false;
        node.Text += c;
        ++i;
        continue;
      }
      switch (c) {
        case '(':
          if (!OpenParen(node, i, e)) return false;
          continue;
        case '%':
          if (!AutoParam(node, i, e)) return false;
          continue;
        case '[':
          if (!ColumnRef(node, i, e)) return false;
          continue;
        case ')':
          return Fail(kErrUnpairedClose, i);
        case ']':
          return Fail(kErrUnpairedCloseBracket, i);
        default:
          break;
      }
      if (IsIdentChar(c) || IsBlank(c) || c == '\'' || c == kExponentMinus) {
        if (c == '\'') {
          if (!node.Text.empty() && node.Text.back() != '\'') return Fail(kErrBadStringUse, i);
          inString = true;
          node.QuoteMark = 'C';
        } else if (c == '.' && !node.Text.empty() && IsNameStartChar(node.Text[0]) &&
                   node.QuoteMark == 'N') {
          if (node.Kind != kOpdUnbound || node.IsGroup()) return Fail(kErrNoOperator, i);
          node.Kind = kOpdField;
        }
        if ((node.Kind != kOpdUnbound && node.Kind != kOpdField) || node.IsGroup())
          return Fail(kErrNoOperator, i);
        if (!(node.Text.empty() && IsBlank(c))) node.Text += c;
        ++i;
        continue;
      }
      int op = FindOperator(c);
      std::size_t width = 1;
      if ((c == '<' || c == '>') && i + 1 < e && s_[i + 1] == '=') {
        op = c == '<' ? kOpLessEq : kOpGreaterEq;
        width = 2;
      }
      if (op == 0) return Fail(kErrBadChar, i);
      node.OpIndex = static_cast<uint8_t>(op);
      FinishText(node);
      chain.emplace_back();
      i += width;
    }
    if (inString) return Fail(kErrOpenString, e);
    FinishText(chain.back());
    return true;
  }

  bool Fail(int code, std::size_t at) {
    err_ = code;
    errAt_ = at;
    return false;
  }

  static void FinishText(TOperand& node) {
    node.Text = TrimBlanks(node.Text);
    // A quoted text keeps every byte it was written with.
    if (node.QuoteMark == 'N') RestoreExponents(node.Text);
  }

  // Position of the bracket that closes the one at s_[open], kNone when it is
  // missing or the two kinds of brackets interleave.
  std::size_t Closing(std::size_t open, std::size_t e) const {
    const bool paren = s_[open] == '(';
    int parens = paren ? 1 : 0, brackets = paren ? 0 : 1;
    bool quoted = false;
    for (std::size_t k = open + 1; k < e; ++k) {
      const char c = s_[k];
      if (c == '\'') quoted = !quoted;
      if (quoted) continue;
      if (c == '(') ++parens;
      if (c == '[') ++brackets;
      if (c == ')') --parens;
      if (c == ']') --brackets;
      if (paren && c == ')' && parens == 0) return brackets == 0 ? k : kNone;
      if (!paren && c == ']' && brackets == 0) return parens == 0 ? k : kNone;
    }
    return kNone;
  }

  bool OpenParen(TOperand& node, std::size_t& i, std::size_t e) {
    const std::size_t close = Closing(i, e);
    if (close == kNone) return Fail(kErrUnpairedOpen, i);
    if (node.Text.empty() && node.Kind == kOpdUnbound && !node.IsGroup()) {
      if (!Parse(i + 1, close, node.Child)) return false;
    } else if (node.Kind != kOpdUnbound || node.IsGroup() || node.QuoteMark == 'C') {
      return Fail(kErrNoOperator, i);
    } else {
      node.Kind = kOpdCall;
      FinishText(node);
      if (!Arguments(node, i + 1, close)) return false;
    }
    i = close + 1;
    return true;
  }

  // Splits [b, e) at the commas outside quotes and brackets.
  bool Arguments(TOperand& call, std::size_t b, std::size_t e) {
    std::size_t start = b;
    int depth = 0;
    bool quoted = false;
    for (std::size_t k = b; k <= e; ++k) {
      const bool end = k == e;
      if (!end) {
        const char c = s_[k];
        if (c == '\'') quoted = !quoted;
        if (quoted) continue;
        if (c == '(' || c == '[') ++depth;
        if (c == ')' || c == ']') --depth;
        if (c != ',' || depth != 0) continue;
      }
      TOperand arg;
      arg.OpIndex = kArgumentNode;
      arg.Text = s_.substr(start, k - start);
      RestoreExponents(arg.Text);
      if (!Parse(start, k, arg.Child)) return false;
      call.Child.push_back(std::move(arg));
      start = k + 1;
    }
    return true;
  }

  bool AutoParam(TOperand& node, std::size_t& i, std::size_t e) {
    if (!node.Text.empty() || node.Kind != kOpdUnbound || node.IsGroup())
      return Fail(kErrBadCharInName, i);
    std::size_t k = i + 1;
    if (k >= e || !IsNameStartChar(s_[k])) return Fail(kErrBadCharInName, k);
    while (k < e && (IsIdentChar(s_[k]) || IsBlank(s_[k]))) ++k;
    if (k >= e || s_[k] != '%') return Fail(kErrBadCharInName, k);
    node.Kind = kOpdAutoParam;
    node.Text = TrimBlanks(s_.substr(i + 1, k - i - 1));
    i = k + 1;
    return true;
  }

  bool ColumnRef(TOperand& node, std::size_t& i, std::size_t e) {
    if (node.Kind != kOpdUnbound || node.IsGroup() || node.QuoteMark == 'C')
      return Fail(kErrIndexedCall, i);
    const std::size_t close = Closing(i, e);
    if (close == kNone) return Fail(kErrUnpairedOpenBracket, i);
    std::size_t comma = s_.find(',', i + 1);
    if (comma > close) comma = close;
    long long column = 0;
    if (!ReadInteger(std::string_view(s_).substr(i + 1, comma - i - 1), column))
      return Fail(kErrBadColumnIndex, i + 1);
    node.Kind = kOpdColumn;
    node.Column = static_cast<int32_t>(column);
    if (comma + 1 < close && !Parse(comma + 1, close, node.RowExpr)) return false;
    i = close + 1;
    return true;
  }

  static bool ReadInteger(std::string_view t, long long& v) {
    std::size_t k = 0;
    bool negative = false;
    if (k < t.size() && (t[k] == '+' || t[k] == '-')) negative = t[k++] == '-';
    if (k == t.size() || t.size() - k > 9) return false;
    v = 0;
    for (; k < t.size(); ++k) {
      if (!IsDigit(t[k])) return false;
      v = v * 10 + (t[k] - '0');
    }
    if (negative) v = -v;
    return true;
  }

  std::string s_;
  int depth_ = 0;
  int err_ = 0;
  std::size_t errAt_ = 0;
};

// ---------------------------------------------------------------------------
// Priority pass

int OperatorPriority(char c) {
  const int op = FindOperator(c);
  return op == 0 ? 0 : OperatorRow(op).Priority;
}

// Reads a minus or a plus that follows another operator as a sign. A minus
// makes its operand (0-operand); after anything but a power the operand
// takes the powers that follow with it, so 2*-3^2 is -18 while 2^-3^2 is
// (2^-3)^2 like 2^3^2. A plus sign is dropped.
void RewriteSigns(std::string& s) {
  std::vector<bool> inside = QuoteMap(s);
  for (std::size_t i = s.size(); i-- > 1;) {
    if ((s[i] != '-' && s[i] != '+') || inside[i] || inside[i - 1] || !IsOperatorChar(s[i - 1]))
      continue;
    if (s[i] == '+') {
      s.erase(i, 1);
      inside.erase(inside.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    const bool afterPower = s[i - 1] == '^';
    std::size_t j = i + 1;
    int depth = 0;
    for (; j < s.size(); ++j) {
      const char c = s[j];
      if (inside[j]) continue;
      if (c == '(' || c == '[') ++depth;
      if (c == ')' || c == ']') {
        if (depth == 0) break;
        --depth;
      }
      if (depth == 0 && (c == ',' || (IsOperatorChar(c) && (c != '^' || afterPower)))) break;
    }
    s.insert(j, 1, ')');
    s.replace(i, 1, "(0-");
    inside.insert(inside.begin() + static_cast<std::ptrdiff_t>(j), false);
    inside.insert(inside.begin() + static_cast<std::ptrdiff_t>(i), 2, false);
  }
}

void ReplaceOutsideQuotes(std::string& s, std::string_view from, char to) {
  std::vector<bool> inside = QuoteMap(s);
  for (std::size_t i = 0; i + from.size() <= s.size(); ++i) {
    if (!inside[i] && s.compare(i, from.size(), from) == 0) {
      s.replace(i, from.size(), 1, to);
      inside = QuoteMap(s);
    }
  }
}

// Encloses each run of operators of one priority level, with its operands,
// in parentheses. A run stays flat, A-B-C rather than (A-B)-C: the
// evaluator folds a chain from left to right anyway, and a long sum must
// not nest as deep as it has terms.
void GroupLevel(std::string& s, int priority) {
  std::vector<bool> inside = QuoteMap(s);
  // Operators of a higher level are grouped already; a lower one ends the run.
  auto endsRun = [priority](char c) {
    return c == ',' || (IsOperatorChar(c) && OperatorPriority(c) < priority);
  };
  // The run last grouped or found grouped: the operators of the level that
  // follow it at the same bracket depth up to its end belong to it.
  int depth = 0, runDepth = -1;
  std::size_t runEnd = 0;
  // An operator at the very end is grouped with its empty right operand like
  // any other, so that -2^ reads as (-2^) does.
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (inside[i]) continue;
    if (s[i] == '(' || s[i] == '[') ++depth;
    if (s[i] == ')' || s[i] == ']') --depth;
    if (OperatorPriority(s[i]) != priority || (depth == runDepth && i < runEnd)) continue;
    int nesting = 0;
    std::size_t left = 0;
    char before = 0;
    for (std::size_t k = i; k-- > 0;) {
      const char c = s[k];
      if (inside[k]) continue;
      if (c == ')' || c == ']') {
        ++nesting;
      } else if (c == '(' || c == '[') {
        if (nesting == 0) {
          left = k + 1;
          before = c;
          break;
        }
        --nesting;
      } else if (nesting == 0 && endsRun(c)) {
        left = k + 1;
        before = c;
        break;
      }
    }
    std::size_t right = s.size();
    char after = 0;
    nesting = 0;
    for (std::size_t k = i + 1; k < s.size(); ++k) {
      const char c = s[k];
      if (inside[k]) continue;
      if (c == '(' || c == '[') {
        ++nesting;
      } else if (c == ')' || c == ']') {
        if (nesting == 0) {
          right = k;
          after = c;
          break;
        }
        --nesting;
      } else if (nesting == 0 && endsRun(c)) {
        right = k;
        after = c;
        break;
      }
    }
    const bool enclosed = (before == '(' || before == '[' || before == ',') &&
                          (after == ')' || after == ']' || after == ',');
    const bool whole = left == 0 && right == s.size();
    runDepth = depth;
    runEnd = right;
    if (enclosed || whole) continue;
    s.insert(right, 1, ')');
    s.insert(left, 1, '(');
    inside = QuoteMap(s);
    ++i;
    runDepth = ++depth;
    runEnd = right + 1;
  }
}

std::string InsertPriorityParens(std::string_view text) {
  std::string s = RemoveBlanksOutsideQuotes(text);
  ReplaceOutsideQuotes(s, "<=", '$');
  ReplaceOutsideQuotes(s, ">=", '!');
  RewriteSigns(s);
  for (int priority : {110, 100, 90, 80}) GroupLevel(s, priority);
  return s;
}

// ---------------------------------------------------------------------------
// Type check and binding

class TTypeChecker {
 public:
  TTypeChecker(TExprContext& context, std::string& errName)
      : context_(context), errName_(errName) {}

  int Chain(TExprChain& chain, char& type) {
    std::vector<char> types(chain.size());
    for (std::size_t i = 0; i < chain.size(); ++i) {
      TOperand& node = chain[i];
      const int err = node.IsGroup() ? Chain(node.Child, types[i]) : Operand(node, types[i]);
      if (err != 0) return err;
    }
    type = types[0];
    for (std::size_t i = 1; i < chain.size(); ++i) {
      const int err = OperatorResultType(chain[i - 1].OpIndex, type, types[i], type);
      if (err != 0) return err;
    }
    return 0;
  }

 private:
  int Fail(int code, std::string_view name) {
    errName_ = name;
    return code;
  }

  int Operand(TOperand& node, char& type) {
    switch (node.Kind) {
      case kOpdUnbound:
        if (node.QuoteMark == 'C') {
          bool error = false;
          std::string value = ParseStrLiteral(node.Text, error);
          if (error) return kErrBadString;
          node.Kind = kOpdString;
          node.Text = std::move(value);
          type = 'C';
          return 0;
        }
        if (long double v = 0; !node.Text.empty() && TextToExtended(node.Text, v)) {
          node.Kind = kOpdNumber;
          node.Constant = v;
          type = 'N';
          return 0;
        }
        return Resolve(node, type);
      case kOpdCall:
        if (node.Text.empty() || !IsNameStartChar(node.Text[0]) ||
            node.Text.find_first_of(" \t") != std::string::npos)
          return Fail(kErrBadFunctionName, node.Text);
        return Call(node, type);
      case kOpdField:
      case kOpdColumn:
      case kOpdAutoParam:
        return Resolve(node, type);
      default:
        type = BoundType(node);
        return 0;
    }
  }

  // The letter of a node that a previous check has bound already.
  static char BoundType(const TOperand& node) {
    switch (node.Kind) {
      case kOpdVariable:
      case kOpdVarRef:
        return NormalizeTypeChar(node.Var->Value.Kind);
      case kOpdField:
        return node.FieldVar->FieldType;
      case kOpdColumn:
        return node.FormVar->ColumnType;
      case kOpdCall:
        return FunctionRec(node.FuncNo).Result;
      case kOpdAutoParam:
        return NormalizeTypeChar(node.AutoParam->GetValue().Kind);
      case kOpdSysVar:
        return NormalizeTypeChar(node.Context->SysVarValue(node.SysVar).Kind);
      case kOpdForm:
        return '1';
      case kOpdBase:
        return '2';
      case kOpdHelp:
        return '3';
      case kOpdSelect:
        return '4';
      case kOpdFieldList:
        return '5';
      case kOpdListSelect:
        return '6';
      case kOpdSubroutine:
        return 'S';
      case kOpdString:
        return 'C';
      default:
        return 'N';
    }
  }

  int Resolve(TOperand& node, char& type) {
    if (node.Kind == kOpdUnbound && node.Text.empty()) {
      node.Kind = kOpdNumber;
      node.Constant = 0;
      type = 'N';
      return 0;
    }
    if (node.Kind != kOpdColumn || !node.Text.empty()) {
      if (node.Text.empty() || !IsNameStartChar(node.Text[0]) ||
          node.Text.find_first_of(" \t") != std::string::npos)
        return Fail(kErrBadName, node.Text);
    }
    switch (node.Kind) {
      case kOpdUnbound:
        return Name(node, type);
      case kOpdField:
        return Field(node, type);
      case kOpdColumn:
        return Column(node, type);
      default:
        return Parameter(node, type);
    }
  }

  int Name(TOperand& node, char& type) {
    const std::string& name = node.Text;
    if (TVariable* v = context_.Symbols().FindVariable(name)) {
      node.Kind = kOpdVariable;
      node.Var = v;
    } else if (IExprForm* form = context_.FindForm(name)) {
      Bind(node, kOpdForm, form);
    } else if (IExprBase* base = context_.FindBase(name)) {
      Bind(node, kOpdBase, base);
    } else if (TRuntimeObject* o = context_.FindFieldList(name)) {
      Bind(node, kOpdFieldList, o);
    } else if ((o = context_.FindSelect(name))) {
      Bind(node, kOpdSelect, o);
    } else if ((o = context_.FindListSelect(name))) {
      Bind(node, kOpdListSelect, o);
    } else if ((o = context_.FindHelp(name))) {
      Bind(node, kOpdHelp, o);
    } else if ((o = context_.FindSubroutine(name))) {
      Bind(node, kOpdSubroutine, o);
    } else {
      return Fail(kErrNoVariable, name);
    }
    type = BoundType(node);
    return 0;
  }

  static void Bind(TOperand& node, uint8_t kind, TRuntimeObject* object) {
    node.Kind = kind;
    node.Object = object;
  }

  int Field(TOperand& node, char& type) {
    std::string baseName, fieldName;
    SplitAtDot(node.Text, baseName, fieldName);
    TExprSymbols& symbols = context_.Symbols();
    TFieldVar* field = symbols.FindFieldVar(baseName, fieldName);
    if (field == nullptr) {
      IExprBase* base = context_.FindBase(baseName);
      if (base == nullptr) return Fail(kErrBadBase, baseName);
      const int index = base->FieldIndex(fieldName);
      if (index < 0) return Fail(kErrBadField, fieldName);
      field = symbols.AddFieldVar(base, baseName, fieldName, index,
                                  NormalizeTypeChar(base->FieldType(index)));
    }
    node.FieldVar = field;
    type = field->FieldType;
    return 0;
  }

  int Column(TOperand& node, char& type) {
    IExprForm* form = context_.FindForm(node.Text);
    if (form == nullptr) return Fail(kErrUnknownForm, node.Text);
    if (node.Column < 1 || node.Column > form->ColumnCount()) return kErrBadColumn;
    const char columnType = NormalizeTypeChar(form->ColumnType(node.Column));
    const bool whole = node.RowExpr.empty();
    if (whole && !TypesCompatible(columnType, 'N')) return kErrBadColumnRef;
    if (!whole) {
      char rowType = 0;
      if (const int err = Chain(node.RowExpr, rowType); err != 0) return err;
      if (rowType != 'N') return kErrRowType;
    }
    node.FormVar = context_.Symbols().AddFormVar(node.Text, form, node.Column, columnType, whole);
    type = columnType;
    return 0;
  }

  int Parameter(TOperand& node, char& type) {
    if (IExprAutoParam* p = context_.FindAutoParam(node.Text)) {
      node.AutoParam = p;
    } else if (const int index = context_.FindSysVar(node.Text); index > 0) {
      node.Kind = kOpdSysVar;
      node.SysVar = index;
      node.Context = &context_;
    } else {
      return Fail(kErrNoAutoParam, node.Text);
    }
    type = BoundType(node);
    return 0;
  }

  int Call(TOperand& node, char& type) {
    const int number = FindFunction(node.Text);
    if (number < 0) return Fail(kErrNoFunction, node.Text);
    node.FuncNo = number;
    node.Context = &context_;
    const TFunctionRec& rec = FunctionRec(number);
    const int argc = static_cast<int>(node.Child.size());
    if ((rec.ParamCount >= 0 && argc != rec.ParamCount) || argc > kMaxCallArgs)
      return Fail(kErrArgCount, node.Text);
    for (int k = 0; k < argc; ++k) {
      TOperand& arg = node.Child[static_cast<std::size_t>(k)];
      char argType = 0;
      if (const int err = Chain(arg.Child, argType); err != 0) return err;
      if (rec.ParamCount < 0) continue;
      const char letter = rec.Params[static_cast<std::size_t>(k)];
      if (letter >= 'a' && letter <= 'z') {
        TOperand& first = arg.Child[0];
        if (arg.Child.size() != 1 || first.Kind != kOpdVariable) return kErrNotAVariable;
        if (letter - 'a' + 'A' != argType) return kErrArgType;
        first.Kind = kOpdVarRef;
      } else if (!TypesCompatible(letter, argType) && !(letter == 'X' && argType == 'N')) {
        return kErrArgType;
      }
    }
    type = rec.Result;
    return 0;
  }

  TExprContext& context_;
  std::string& errName_;
};

// Codes whose message names what they refuse.
bool NamesTheCulprit(int code) {
  switch (code) {
    case 132: case 133: case 135: case 137: case 138: case 145: case 146: case 150: case 152:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool TypesCompatible(char a, char b) {
  if (a == b) return true;
  if ((a == 'N' && b == 'R') || (a == 'R' && b == 'N')) return true;
  auto value = [](char c) {
    return c == '*' || c == 'C' || c == 'D' || c == 'N' || c == 'R' || c == 'T';
  };
  return (a == '*' && value(b)) || (b == '*' && value(a));
}

int OperatorResultType(int opIndex, char left, char right, char& result) {
  if (!TypesCompatible(left, right)) return kErrTypesDiffer;
  const bool comparison = opIndex >= kOpLess && opIndex <= kOpEq;
  if (left == 'C' && opIndex != kOpAdd && !comparison) return kErrBadOperation;
  if (left == 'D' && !comparison) return kErrBadOperation;
  const char letter = OperatorRow(opIndex).Result;
  result = letter == 'I' ? left : letter == '*' ? right : letter;
  return 0;
}

TExprChain ParseExprChain(std::string_view text, int& errCode, int& errPos) {
  errCode = 0;
  errPos = 0;
  const TStrippedText stripped = StripBlanksKeepingPositions(text);
  TParser parser(stripped.Text);
  TExprChain chain;
  if (!parser.Parse(0, parser.Text().size(), chain)) {
    errCode = parser.Err();
    // Positions count in the text as written, blanks included.
    const std::size_t at = parser.ErrAt();
    errPos = static_cast<int>(at < stripped.Origin.size() ? stripped.Origin[at] : text.size()) + 1;
    chain.clear();
  }
  return chain;
}

int CheckExprTypes(TExprChain& chain, TExprContext& context, std::string& errName, char& type) {
  errName.clear();
  TTypeChecker checker(context, errName);
  return checker.Chain(chain, type);
}

void FreeExpr(TExprChain& expr) { TExprChain().swap(expr); }

void SplitAtDot(std::string_view s, std::string& before, std::string& after) {
  const std::size_t dot = s.find('.');
  before = s.substr(0, dot);
  after = dot == std::string_view::npos ? std::string() : std::string(s.substr(dot + 1));
}

std::string PriorityText(std::string_view text) {
  std::string s = UpperOutsideQuotesStr(text);
  ProtectExponents(s);
  std::string grouped = InsertPriorityParens(s);
  RestoreExponents(grouped);
  return grouped;
}

TCompileResult CompileExpr(std::string_view text, TExprContext& context, TExprChain& expr) {
  TCompileResult r;
  FreeExpr(expr);
  std::string s = UpperOutsideQuotesStr(text);
  const std::vector<bool> inside = QuoteMap(s);
  for (std::size_t i = 0; i < s.size() && r.ErrCode == 0; ++i) {
    if (s[i] == kExponentMinus && !inside[i]) {
      r.ErrCode = kErrBadChar;
      r.ErrPos = static_cast<int>(i) + 1;
    }
  }
  ProtectExponents(s);

  if (r.ErrCode == 0) ParseExprChain(s, r.ErrCode, r.ErrPos);
  std::string name;
  if (r.ErrCode == 0) {
    // The groups added for priority may nest too deep; they have no place
    // in the written text, so the error is put at its start.
    int unusedPos = 0;
    expr = ParseExprChain(InsertPriorityParens(s), r.ErrCode, unusedPos);
    if (r.ErrCode != 0) r.ErrPos = 1;
    char type = 0;
    if (r.ErrCode == 0) {
      if (const int err = CheckExprTypes(expr, context, name, type); err != 0) {
        r.ErrCode = err + 128;
        FreeExpr(expr);
      } else {
        r.ResultType = type;
      }
    }
  }
  if (r.ErrCode != 0) r.Msg = CompileErrorText(r.ErrCode, name);
  return r;
}

std::string CompileErrorText(int code, std::string_view name) {
  std::string_view text;
  switch (code) {
    case 1: text = "Непарная открывающаяся скобка"_wv; break;
    case 2: text = "Непарная закрывающаяся скобка"_wv; break;
    case 3: text = "Запрещенный символ"_wv; break;
    case 4: text = "Неверное использование строковой константы"_wv; break;
    case 5: text = "Отсутсвует закрывающий апостроф в строковой константе "_wv; break;
    case 6: text = "Непарная открывающаяся квадратная скобка"_wv; break;
    case 7: text = "Непарная закрывающаяся квадратная скобка"_wv; break;
    case 8: text = "Отсутствует символ операции"_wv; break;
    case 9: text = "Функция не может иметь индекс"_wv; break;
    case 10: text = "Неверный числовой индекс столбца"_wv; break;
    case 11: text = "Запрещенный символ в имени переменной"_wv; break;
    case 12: text = "Слишком глубокая вложенность выражения"_wv; break;
    case 132: text = "Неверное число параметров функции "_wv; break;
    case 133: text = "Несуществующая функция "_wv; break;
    case 135: text = "Несуществующая переменная "_wv; break;
    case 137: text = "Запрещенное имя функции "_wv; break;
    case 138: text = "Запрещенное имя переменной "_wv; break;
    case 141: text = "  Разные типы операндов "_wv; break;
    case 142: text = "  Недопустимая операция с данным типом данных "_wv; break;
    case 143: text = "  Неправильная строковая константа "_wv; break;
    case 144: text = " Неправильный тип параметра функции "_wv; break;
    case 145: text = " Неверный идентификатор базы "_wv; break;
    case 146: text = " Неверное имя поля "_wv; break;
    case 147: text = " Неверный номер столбца "_wv; break;
    case 148: text = " Недопустимая ссылка на данный тип столбца "_wv; break;
    case 150: text = " Неизвестное имя формы "_wv; break;
    case 151: text = " Индекс ряда должен иметь числовой тип "_wv; break;
    case 152: text = " Несуществующий автопараметр "_wv; break;
    case 153: text = " Неизвестное имя переменной "_wv; break;
    default: return {};
  }
  std::string msg(text);
  if (NamesTheCulprit(code)) msg += name;
  return msg;
}

}  // namespace vm
