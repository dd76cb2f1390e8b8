#include "documents/compiler/document_compiler.h"

#include <algorithm>
#include <exception>

#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "config/settings.h"
#include "foundation/tables/dbf.h"
#include "foundation/values/value_text.h"
#include "language/interpreter.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

// Keyword classes of the section state machine.
bool IsElementSectionKeyword(int k) {
  switch (k) {
    case kSkEndSection: case kSkVars: case kSkUsedBases: case kSkLoadings: case kSkForms:
    case kSkViews: case kSkCheck: case kSkBlank: case kSkHelps: case kSkQuestions:
    case kSkBaseQuestions: case kSkInformString: case kSkInfoDesk: case kSkSoftBases:
    case kSkPrice: case kSkSelects: case kSkLists: case kSkButtons: case kSkSelList:
      return true;
    default:
      return false;
  }
}

// The slot of a whole-document program; nullptr for other keywords.
TInstruction** ProgramSlot(TDocumentPrograms& p, int k) {
  switch (k) {
    case kSkInit: return &p.Init;
    case kSkWork: return &p.Work;
    case kSkFinal: return &p.Final;
    case kSkOkPress: return &p.OkPress;
    case kSkPrintPress: return &p.PrintPress;
    case kSkPrintDocument: return &p.PrintDocument;
    case kSkScaner: return &p.Scaner;
    default: return nullptr;
  }
}

// What the start-of-day document may hold besides element lines.
bool AllowedAtStartOfDay(int k) {
  switch (k) {
    case kSkEndSection: case kSkVars: case kSkUsedBases: case kSkInit: case kSkSubroutine:
    case kSkEndSub: case kSkAddBase: case kSkEndAddBase: case kSkSoftBases:
      return true;
    default:
      return false;
  }
}

TCommonVar EmptyOf(char kind) {
  TCommonVar v;
  v.Kind = kind;
  ClearValue(v);
  return v;
}

}  // namespace

TDocumentCompiler::TDocumentCompiler(TCompiledDocument& doc, const TDocumentSource& source,
                                     const TCompileContext& context)
    : doc_(doc),
      source_(source),
      context_(context),
      reader_(source.Description),
      statements_(reader_, doc.Context, doc.Pool) {}

void TDocumentCompiler::Compile() {
  Prepare();
  std::string line = reader_.ReadLine();
  // The paper is looked up once the first line is read, so that its error
  // points at a line of the description; a description with no line at
  // all still gets its first.
  errorLine_ = std::max(reader_.LineIndex(), 1);
  FindStandardPaper();
  while (!line.empty()) {
    errorLine_ = reader_.LineIndex();
    CompileLine(line);
    line = reader_.ReadLine();
  }
  CheckAfterLastLine();
}

void TDocumentCompiler::Prepare() {
  Interp().ResetErrors();
  doc_.Clear();
  Interp().SetDocument(source_.Name, source_.Description);
  if (context_.AutoParams != nullptr) doc_.AutoParams.Assign(*context_.AutoParams);
  DeclarePredefined();
}

void TDocumentCompiler::FindStandardPaper() {
  const TPageFormat* paper = context_.PageFormats != nullptr
                                 ? context_.PageFormats->FindByName(context_.StandardPaper)
                                 : nullptr;
  if (paper == nullptr) RaiseCompileError(137);
  doc_.Options.PaperName = paper->Name;
}

void TDocumentCompiler::DeclarePredefined() {
  TExprSymbols& symbols = doc_.Context.Symbols();
  TPredefinedVars& p = doc_.Predefined;
  auto text = [&](std::string_view name) { return symbols.AddVariable(name, EmptyOf('C')); };
  auto number = [&](std::string_view name, long double value = 0) {
    TCommonVar v = EmptyOf('N');
    v.Num = value;
    return symbols.AddVariable(name, v);
  };
  p.HtmlSource = text("HTMLSOURCE");
  p.HtmlResult = text("HTMLRESULT");
  p.ScanString = text("SCANSTRING");
  p.CanDeleteRow = number("CANDELETEROW");
  p.CanClose = number("CANCLOSE");
  p.PrintProgress = number("PRINTPROGRESS");
  p.IsFirstPage = number("ISFIRSTPAGE");
  p.IsLastPage = number("ISLASTPAGE");
  p.DocPrint = number("DOCPRINT");
  p.PrintEnable = number("PRINTENABLE");
  p.ErrorCode = number("ERRORCODE");
  p.PageNumber = number("PAGENUMBER", 1);
  p.MultiPage = number("MULTIPAGE");
  p.IsNewRow = number("ISNEWROW");
}

void TDocumentCompiler::CompileLine(const std::string& text) {
  const TElementLine line = ParseElementLine(text);
  const int keyword = FindSectionKeyword(line.Name);
  CheckStartOfDay(keyword);
  if (keyword < 0) {
    ElementLine(line);
  } else if (IsElementSectionKeyword(keyword)) {
    ElementSectionKeyword(keyword, line);
  } else if (ProgramSlot(doc_.Programs, keyword) != nullptr) {
    ProgramSection(keyword, line);
  } else if (IsEventBlock(keyword)) {
    EventBlock(keyword, line);
  } else {
    // The end of a block met outside it: its block consumes its own end.
    RaiseCompileError(11);
  }
}

void TDocumentCompiler::CheckStartOfDay(int keyword) const {
  if (source_.StartOfDay && keyword > 0 && !AllowedAtStartOfDay(keyword)) RaiseCompileError(99);
}

void TDocumentCompiler::ElementSectionKeyword(int keyword, const TElementLine& line) {
  line.CheckAllowed(kPositionalOnly);
  if (keyword == kSkEndSection) {
    if (section_ == 0) RaiseCompileError(2);
    section_ = 0;
    return;
  }
  if (section_ != 0) RaiseCompileError(1);
  section_ = keyword;
  if (keyword == kSkPrice) doc_.Price.Declared = true;
}

void TDocumentCompiler::ProgramSection(int keyword, const TElementLine& line) {
  line.CheckAllowed(kPositionalOnly);
  if (section_ != 0) RaiseCompileError(1);
  TInstruction*& program = *ProgramSlot(doc_.Programs, keyword);
  if (program != nullptr) RaiseCompileError(51);
  const bool isInit = keyword == kSkInit;
  CompileBody(program, kSkEndSection, kOpEnd, isInit);
  if (isInit) doc_.Programs.Reentry = statements_.ReentryPoint();
}

void TDocumentCompiler::CompileBody(TInstruction*& target, int endKeyword, int32_t endOpcode,
                                    bool isInit) {
  const int code = statements_.CompileProgram(target, SectionKeywordName(endKeyword), endOpcode, isInit);
  if (code == 0) return;
  errorLine_ = reader_.LineIndex();
  RaiseCompileError(kCeProgramMessage, statements_.CompileErrorText(code));
}

void TDocumentCompiler::ElementLine(const TElementLine& line) {
  switch (section_) {
    case 0: RaiseCompileError(2);
    case kSkVars: VarsLine(line); break;
    case kSkUsedBases: UsedBasesLine(line); break;
    case kSkForms: FormsLine(line); break;
    case kSkBlank: BlankLine(line); break;
    case kSkLoadings: LoadingsLine(line); break;
    case kSkViews: ViewsLine(line); break;
    case kSkInfoDesk: InfoDeskLine(line); break;
    case kSkInformString: InformStringLine(line); break;
    case kSkCheck: CheckLine(line); break;
    case kSkQuestions: QuestionsLine(line); break;
    case kSkBaseQuestions: BaseQuestionsLine(line); break;
    case kSkHelps: HelpsLine(line); break;
    case kSkSoftBases: SoftBasesLine(line); break;
    case kSkSelects: case kSkButtons: case kSkSelList: ControlLine(section_, line); break;
    case kSkLists: ListsLine(line); break;
    case kSkPrice: PriceLine(line); break;
    // The element lines of the other sections are not compiled yet.
    default: break;
  }
}

void TDocumentCompiler::CheckNewName(std::string_view name, int badName) {
  if (!IsValidFieldName(name)) RaiseCompileError(badName);
  if (doc_.IsNameInUse(name)) RaiseCompileError(5);
  if (IsStatementKeyword(name)) RaiseCompileError(52);
}

void TDocumentCompiler::CheckAfterLastLine() {
  errorLine_ = -1;
  if (doc_.Options.Width == 0 && !source_.StartOfDay) RaiseCompileError(13);
  ResolveCalls();
  CheckPriceAfterLastLine();
}

void TDocumentCompiler::ResolveCalls() {
  for (const TPendingCall& call : statements_.Calls()) {
    TSubdef* sub = doc_.FindSubroutine(call.Name);
    if (sub == nullptr) {
      errorLine_ = call.Line;
      RaiseCompileError(55);
    }
    call.Call->Jump = sub->Entry;
  }
}

int CompileDocument(TCompiledDocument& doc, const TDocumentSource& source,
                    const TCompileContext& context, int& errorLine) {
  TDocumentCompiler compiler(doc, source, context);
  int code = 0;
  std::string message;
  try {
    compiler.Compile();
  } catch (const TCompileError& e) {
    code = e.Code == 0 ? kCeUnknown : e.Code;
    message = e.Message;
  } catch (const std::exception&) {
    code = kCeUnknown;
  }
  errorLine = compiler.ErrorLine();
  if (code != 0) {
    const std::string text = CompileErrorMessage(code, errorLine, message);
    Ui().MsgBox(text, " Ошибка компиляции документа"_w, kMbError);
    doc.Clear();
    doc.ErrorMessage = text;
  } else {
    doc.ErrorMessage.clear();
  }
  doc.Compiled = code == 0;
  return code;
}

TCompileRegistries& CompileRegistries() {
  static TCompileRegistries registries;
  return registries;
}

const TPageFormatList& PageFormatsInForce() {
  const TCompileRegistries& r = CompileRegistries();
  return r.PageFormats ? *r.PageFormats : PageFormats();
}

const std::string& StandardPaperInForce() {
  const TCompileRegistries& r = CompileRegistries();
  return r.StandardPaper ? *r.StandardPaper : Settings().DefaultFormatName;
}

const std::string& PrinterNameInForce() {
  const TCompileRegistries& r = CompileRegistries();
  return r.PrinterName ? *r.PrinterName : Settings().PrinterName;
}

}  // namespace vm
