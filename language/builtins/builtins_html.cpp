// PROCESSHTML: a template's "<#" tags filled by a subroutine of the
// document. The result is made whole in memory and written beside the
// target, then renamed over it, so a result that names its own template
// reads the template first and a failure leaves every file as it was.
#include "foundation/files/fileutils.h"
#include "foundation/text/html_tags.h"
#include "language/builtins/builtins_bases.h"
#include "platform/files.h"

namespace vm {

namespace {

void SetText(TVariable* v, const std::string& text) {
  if (v == nullptr) return;
  v->Value.Kind = 'C';
  v->Value.Str = text;
}

}  // namespace

void FnProcesshtml(TBuiltinCall& c) {
  c.SetNum(0);
  std::string source;
  if (!ReadWholeFile(NativePath(c.Str(1)), source)) return;
  TExprSymbols& symbols = c.Context.Symbols();
  TVariable* tagName = symbols.FindVariable("HTMLSOURCE");
  TVariable* tagText = symbols.FindVariable("HTMLRESULT");
  TRuntimeObject* sub = ObjectArg(c, 3);
  std::string produced;
  const bool ok = ReplaceHtmlTags(
      source,
      [&](const std::string& name, std::string& out) {
        SetText(tagName, name);
        SetText(tagText, std::string());
        if (!RunSubroutine(sub)) return false;
        if (tagText != nullptr) out = tagText->Value.Str;
        return true;
      },
      produced);
  if (!ok) return;
  c.SetNum(ReplaceFileWith(NativePath(c.Str(2)), produced) ? 1 : 0);
}

}  // namespace vm
