#include "models/expand_params.h"

#include "config/blanks.h"
#include "config/sysvars.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"

namespace vm {

namespace {

// Mode and Decimals: whole numbers, 0 when missing or not numbers.
int32_t PartNumber(const std::string &part) {
  int32_t n = 0;
  return TryStrToInt(TrimBlanks(part), n) ? n : 0;
}

std::string ReferenceValue(const std::string &reference, const TAutoList *params) {
  std::string parts[3];
  std::size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t colon = i < 2 ? reference.find(':', start) : std::string::npos;
    parts[i] = reference.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  const std::string name = TrimBlanks(parts[0]);
  const int32_t mode = PartNumber(parts[1]);
  const int32_t decimals = PartNumber(parts[2]);
  if (const int sysVar = FindSysVar(name); sysVar > 0) return GetSysVarText(sysVar, mode, decimals);
  std::string text;
  char kind = 0;
  if (params != nullptr) {
    if (const TAPar *p = params->FindByName(name)) {
      text = p->ValueText;
      kind = p->Kind;
    }
  }
  std::string result;
  FormatValueText(text, kind, mode, decimals, {}, result);
  return result;
}

}  // namespace

std::string ExpandParams(const std::string &text, const TAutoList *params) {
  std::string out = text;
  std::size_t pos = 0;
  while (pos < out.size()) {
    const std::size_t open = out.find('%', pos);
    if (open == std::string::npos) break;
    const std::size_t close = out.find('%', open + 1);
    if (close == std::string::npos) break;
    const std::string value = ReferenceValue(out.substr(open + 1, close - open - 1), params);
    out.replace(open, close - open + 1, value);
    pos = open + value.size();
  }
  return out;
}

void InstallExpandParams() { InstallParamExpander(ExpandParams); }

}  // namespace vm
