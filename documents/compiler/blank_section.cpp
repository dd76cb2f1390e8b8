// BLANK: options of the document form and of printing, "OPTION = value".
#include "config/page_format.h"
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/section_values.h"
#include "platform/encoding.h"

namespace vm {

namespace {

// The first value of the line; a line without one fails with errCode
// rather than read a value it does not have.
const TElementParam& FirstValue(const TElementLine& line, int errCode) {
  const TElementParam* p = line.At(0);
  if (p == nullptr) RaiseCompileError(errCode);
  return *p;
}

int32_t IntIn(std::string_view text, int32_t low, int32_t high, int errCode) {
  int32_t value = 0;
  if (!TryStrToInt(text, value) || value < low || value > high) RaiseCompileError(errCode);
  return value;
}

// 0 or 1, as E:, U: and Q: give them.
bool Flag(const TElementParam* p) { return IntIn(p->Value, 0, 1, 8) == 1; }

}  // namespace

void TDocumentCompiler::BlankLine(const TElementLine& line) {
  TFormOptions& o = doc_.Options;
  const std::string& option = line.Name;
  if (option == "WIDTH") {
    const TElementParam& p = FirstValue(line, 12);
    if (!p.Keyword.empty()) RaiseCompileError(12);
    o.Width = IntIn(p.Value, 100, INT32_MAX, 12);
  } else if (option == "PRINTCOPIES") {
    o.PrintCopies = IntIn(FirstValue(line, 8).Value, 0, 10, 8);
  } else if (option == "PAPERSIZE" || option == "PAPER") {
    o.PaperName = PaperFormat(FirstValue(line, 8).Value);
  } else if (option == "EXITCONFIRM") {
    o.ExitConfirm = StringConstant(FirstValue(line, 8).Value);
    const TElementParam* second = line.At(1);
    int32_t yes = 0;
    const bool yesDefault = second != nullptr && TryStrToInt(TrimBlanks(second->Value), yes) && yes != 0;
    o.ExitDefaultButton = yesDefault ? 0 : 0x100;
  } else if (option == "ENTERCONFIRM") {
    o.EnterConfirm = StringConstant(FirstValue(line, 8).Value);
  } else if (option == "AUTOPRINT") {
    FirstValue(line, 8);
    uint32_t flags = kAutoPrintAfterOk | kAutoPrintAsk;
    if (!Flag(line.Find(kPkE, 100))) flags = 0;
    if (const TElementParam* u = line.Find(kPkU); u != nullptr && Flag(u)) flags |= kAutoPrintAgain;
    if (const TElementParam* q = line.Find(kPkQ); q != nullptr && !Flag(q)) flags &= ~kAutoPrintAsk;
    o.AutoPrint = flags;
  } else if (option == "SCROLL") {
    const std::string v = UpperStr(TrimBlanks(FirstValue(line, 8).Value));
    if (v != "0" && v != "1") RaiseCompileError(8);
    o.Scroll = v == "1";
  } else {
    RaiseCompileError(11);
  }
}

std::string TDocumentCompiler::PaperFormat(std::string_view value) {
  std::string name = UpperStr(TrimBlanks(value));
  if (!name.empty() && name.front() == '%') {
    const std::string param =
        name.size() >= 2 ? TrimBlanks(std::string_view(name).substr(1, name.size() - 2)) : std::string();
    TAutoList& params = doc_.AutoParams.List();
    if (param.empty() || params.IndexOfName(param) < 0) RaiseCompileError(114);
    name = UpperStr(TrimBlanks(params.GetValueText(param)));
  }
  const TPageFormat* format =
      context_.PageFormats != nullptr ? context_.PageFormats->FindByName(name) : nullptr;
  if (format == nullptr) RaiseCompileError(115);
  return format->Name;
}

}  // namespace vm
