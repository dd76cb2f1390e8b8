#include "documents/compiler/element_line.h"

#include "documents/compiler/compile_errors.h"
#include "foundation/text/strutils.h"

namespace vm {

namespace {

bool IsSingleWord(std::string_view s) {
  return s.find_first_of(" \t") == std::string_view::npos;
}

void AddParam(TElementLine& line, std::string_view item) {
  TElementParam param;
  const int colon = PosTopLevel(":", item);
  if (colon > 0) {
    param.Keyword = UpperStr(TrimBlanks(item.substr(0, static_cast<std::size_t>(colon - 1))));
    param.Value = TrimBlanks(item.substr(static_cast<std::size_t>(colon)));
  } else {
    param.Value = TrimBlanks(item);
  }
  if (FindParamKeyword(param.Keyword) < 0) {
    line.HasUnknown = true;
    line.UnknownKeyword = param.Keyword;
  }
  line.Params.push_back(std::move(param));
}

}  // namespace

const TElementParam* TElementLine::At(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &Params[static_cast<std::size_t>(index)];
}

const TElementParam* TElementLine::Find(int keyword, int errIfMissing) const {
  const std::string key =
      keyword >= 1 ? std::string(ParamKeywordName(keyword)) : std::to_string(-keyword);
  for (const TElementParam& p : Params)
    if (p.Keyword == key) return &p;
  if (errIfMissing != 0) RaiseCompileError(errIfMissing);
  return nullptr;
}

void TElementLine::CheckAllowed(const TParamSet& allowed) const {
  for (const TElementParam& p : Params)
    if (!allowed.Has(FindParamKeyword(p.Keyword))) RaiseCompileError(kCeParamNotAllowed, p.Keyword);
}

TElementLine ParseElementParams(std::string_view text) {
  TElementLine line;
  const std::string s = TrimBlanks(text);
  std::string params;
  const int eq = PosTopLevel("=", s);
  if (eq > 0) {
    line.Name = UpperOutsideQuotesStr(TrimBlanks(std::string_view(s).substr(0, static_cast<std::size_t>(eq - 1))));
    params = TrimBlanks(std::string_view(s).substr(static_cast<std::size_t>(eq)));
  } else if (IsSingleWord(s) && s.find(':') == std::string::npos && IsIdentifier(s)) {
    line.Name = UpperOutsideQuotesStr(s);
  } else {
    params = s;
  }
  for (const std::string& item : SplitTopLevel(params, ',')) AddParam(line, item);
  return line;
}

TElementLine ParseElementLine(std::string_view text) {
  TElementLine line = ParseElementParams(text);
  if (line.HasUnknown) RaiseCompileError(kCeUnknownParam, line.UnknownKeyword);
  return line;
}

std::string BracketedInside(std::string_view value, int errCode) {
  const std::string v = UpperStr(TrimBlanks(value));
  if (v.size() < 3 || v.front() != '[' || v.back() != ']') RaiseCompileError(errCode);
  return TrimBlanks(std::string_view(v).substr(1, v.size() - 2));
}

}  // namespace vm
