// Inside the document compiler: the reading loop with its section state and
// the arms of the sections, each arm in a file of its own. Every arm raises
// TCompileError to stop; only CompileDocument catches it.
#pragma once

#include <string>
#include <string_view>

#include "documents/compiler/document_compiler.h"
#include "documents/compiler/element_line.h"
#include "documents/compiler/keyword_tables.h"
#include "language/description_reader.h"
#include "language/stmt_compiler.h"

namespace vm {

class TDocumentCompiler {
 public:
  TDocumentCompiler(TCompiledDocument& doc, const TDocumentSource& source,
                    const TCompileContext& context);

  // Raises on the first error; errorLine_ says where.
  void Compile();
  int ErrorLine() const { return errorLine_; }

 private:
  // The frame.
  void Prepare();
  void FindStandardPaper();
  void DeclarePredefined();
  void CompileLine(const std::string& text);
  void CheckStartOfDay(int keyword) const;
  void ElementSectionKeyword(int keyword, const TElementLine& line);
  void ProgramSection(int keyword, const TElementLine& line);
  void CompileBody(TInstruction*& target, int endKeyword, int32_t endOpcode, bool isInit = false);
  void ElementLine(const TElementLine& line);
  void CheckAfterLastLine();
  void ResolveCalls();

  // Event blocks (event_blocks.cpp).
  bool IsEventBlock(int keyword) const;
  void EventBlock(int keyword, const TElementLine& line);
  void Subroutine(const std::string& name);

  // A name a line introduces: valid (else badName), free, not a keyword.
  void CheckNewName(std::string_view name, int badName);

  // The element sections of this compiler.
  void VarsLine(const TElementLine& line);
  void UsedBasesLine(const TElementLine& line);
  void FormsLine(const TElementLine& line);
  void BlankLine(const TElementLine& line);
  // The name of the page format a BLANK line names, directly or through
  // an auto-parameter between two %.
  std::string PaperFormat(std::string_view value);
  void LoadingsLine(const TElementLine& line);
  void ViewsLine(const TElementLine& line);
  void InfoDeskLine(const TElementLine& line);
  void InformStringLine(const TElementLine& line);
  void CheckLine(const TElementLine& line);
  void QuestionsLine(const TElementLine& line);
  void BaseQuestionsLine(const TElementLine& line);

  // Look-up pages, temporary databases, controls, field lists and the
  // price-tag layout, each in a file of its own.
  void HelpsLine(const TElementLine& line);
  void SoftBasesLine(const TElementLine& line);
  // SELECTS, BUTTONS and SELLIST: one family of controls.
  void ControlLine(int section, const TElementLine& line);
  void ListsLine(const TElementLine& line);
  void PriceLine(const TElementLine& line);
  void CheckPriceAfterLastLine();

  TCompiledDocument& doc_;
  const TDocumentSource& source_;
  const TCompileContext& context_;
  TDescriptionReader reader_;
  TStmtCompiler statements_;
  int section_ = 0;  // the open element section's keyword; 0 for none
  int errorLine_ = 0;
};

}  // namespace vm
