// The road of a document without windows: the password and the questions
// go to the message services, the document window is the window logic
// alone, which runs INIT and the recalculation and then presses OK.
#pragma once

#include <cstdint>

#include "documents/compiled_document.h"
#include "documents/controls.h"
#include "documents/document_road.h"

namespace vm {

class THeadlessSteps : public TDocumentSteps {
 public:
  bool AskPassword(int32_t level) override;
  // The date dialog of the installed windows.
  bool ConfirmDateTime(TDateRec& date, TTimeRec& time) override;
  bool Compile(TDocData& doc, int32_t& errorLine, int32_t& errorCode) override;
  TPassesResult RunPasses(TDocData& doc) override;
  void ClearRun() override;
  // Unsaved workbooks closed; after the run the application only hidden.
  void CloseWorkbooks(bool quit) override;

  TCompiledDocument& Document() { return doc_; }

 protected:
  // One pass: the window or the program; true when it is to be committed.
  // The window program shows its document window here.
  virtual bool RunPass(TDocData& data, bool firstShowing);
  // The entry question of the document, asked before each pass; false
  // when the user said No, which also ends a re-entry document.
  bool ConfirmEntry(const TDocData& data);

  TCompiledDocument doc_;
  // Where the document's controls are made; headless ones when nullptr.
  IControlFactory* controls_ = nullptr;

 private:
  bool entryDeclined_ = false;
  // What the blanks' conditions read before this run made them read its
  // own auto-parameters; nullptr between runs.
  TAutoList* paramsBeforeRun_ = nullptr;
};

}  // namespace vm
