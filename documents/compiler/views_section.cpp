// View cells and the status line:
//   VIEWS     "[expr][:w[:d]] = X:x, Y:y [, F:n, B:n, E:n, V:[cond], AUTOPAGE:n, C:table]"
//   INFODESK  "SIZE = X:width, Y:height", then cells as VIEWS without AUTOPAGE and C
//   INFORMSTRING  "[expr]"
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/section_steps.h"
#include "language/expr_types.h"

namespace vm {

namespace {

constexpr TParamSet kViewsParams{kPkB, kPkE, kPkF, kPkV, kPkX, kPkY, kPkAutoPage, kPkC};
constexpr TParamSet kInfoDeskParams{kPkB, kPkE, kPkF, kPkV, kPkX, kPkY};
constexpr TParamSet kSizeParams{kPkX, kPkY};

// "[expr]:w:d" read apart.
struct TCellHead {
  std::string Text;  // between the brackets, trimmed
  int32_t Width = 0;
  int32_t Decimals = 0;
};

// The ']' that closes the '[' at 0, past quotes and round brackets; npos
// when none does.
std::size_t ClosingBracket(std::string_view s) {
  bool quoted = false;
  int depth = 0;
  for (std::size_t i = 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\'') quoted = !quoted;
    if (quoted) continue;
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (c == ']' && depth == 0) return i;
  }
  return std::string_view::npos;
}

TCellHead ReadCellHead(std::string_view name) {
  if (name.size() < 2 || name.front() != '[') RaiseCompileError(6);
  const std::size_t close = ClosingBracket(name);
  if (close == std::string_view::npos) RaiseCompileError(6);
  TCellHead head;
  std::string_view rest = name.substr(close + 1);
  if (!rest.empty() && rest.front() == ':') {
    std::string_view tail = rest.substr(1);
    const std::size_t colon = tail.find(':');
    head.Width = TrimStrToInt(tail.substr(0, colon));
    if (colon != std::string_view::npos) head.Decimals = TrimStrToInt(tail.substr(colon + 1));
  }
  head.Text = TrimBlanks(name.substr(1, close - 1));
  if (head.Text.empty()) RaiseCompileError(9);
  return head;
}

bool IsViewType(char t) { return t == 'C' || t == 'D' || t == 'N' || t == 'T'; }

int32_t OptionalInt(const TElementLine& line, int keyword, int32_t fallback) {
  const TElementParam* p = line.Find(keyword);
  return p != nullptr ? IntValue(p->Value) : fallback;
}

// E: what the cell edits, a variable or "%auto-parameter%".
void ReadEditTarget(TCompiledDocument& doc, TViewCell& cell, const std::string& text) {
  if (text.front() == '%') {
    const std::string name = text.size() > 2 ? TrimBlanks(std::string_view(text).substr(1, text.size() - 2)) : "";
    cell.TargetParam = doc.AutoParams.Find(name);
    if (cell.TargetParam == nullptr) RaiseCompileError(10);
  } else {
    cell.Target = doc.Context.Symbols().FindVariable(UpperStr(text));
    if (cell.Target == nullptr) RaiseCompileError(10);
  }
  cell.Input = true;
}

void ReadCell(TCompiledDocument& doc, TViews& list, const TElementLine& line, bool views) {
  const TCellHead head = ReadCellHead(line.Name);
  TViewCell& cell = list.Add();
  cell.Format.Width = head.Width;
  cell.Format.Decimals = head.Decimals;
  cell.Format.Kind = Formula(doc, head.Text, cell.Expr);
  if (!IsViewType(cell.Format.Kind)) RaiseCompileError(47);
  if (views) cell.AutoPage = OptionalInt(line, kPkAutoPage, 0) > 0;
  if (const TElementParam* v = line.Find(kPkV)) {
    if (Formula(doc, InsideBracketsOf(v->Value, 3, 6), cell.VisibleExpr) != 'N') RaiseCompileError(48);
  }
  cell.X = IntValue(line.Find(kPkX, 7)->Value);
  cell.Y = IntValue(line.Find(kPkY, 7)->Value);
  cell.FontSize = OptionalInt(line, kPkF, 50);
  cell.Bold = OptionalInt(line, kPkB, 0) > 0;
  if (OptionalInt(line, kPkE, 0) > 0) ReadEditTarget(doc, cell, head.Text);
  if (views) {
    if (const TElementParam* c = line.Find(kPkC)) cell.Form = &DocumentTable(doc, c->Value);
  }
}

}  // namespace

void TDocumentCompiler::ViewsLine(const TElementLine& line) {
  line.CheckAllowed(kViewsParams);
  ReadCell(doc_, doc_.Views, line, true);
}

void TDocumentCompiler::InfoDeskLine(const TElementLine& line) {
  TInfViews& desk = doc_.InfViews;
  if (line.Name == "SIZE") {
    line.CheckAllowed(kSizeParams);
    desk.DesignWidth = IntValue(line.Find(kPkX, 50)->Value);
    desk.DesignHeight = IntValue(line.Find(kPkY, 50)->Value);
    return;
  }
  line.CheckAllowed(kInfoDeskParams);
  if (desk.DesignWidth <= 0 || desk.DesignHeight <= 0) RaiseCompileError(50);
  ReadCell(doc_, desk, line, false);
}

void TDocumentCompiler::InformStringLine(const TElementLine& line) {
  const TElementParam* only = line.At(0);
  if (!line.Name.empty() || line.Count() != 1 || !only->Keyword.empty() || only->Value.empty())
    RaiseCompileError(58);
  const TCellHead head = ReadCellHead(only->Value);
  TStatusLine& status = doc_.StatusLine;
  if (status.Defined) RaiseCompileError(49);
  status.Defined = true;
  status.Width = head.Width;
  status.Decimals = head.Decimals;
  const char type = Formula(doc_, head.Text, status.Expr);
  if (type != '*' && !IsViewType(type)) RaiseCompileError(47);
}

}  // namespace vm
