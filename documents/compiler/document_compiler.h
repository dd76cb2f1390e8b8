// The document compiler: a document description becomes a TCompiledDocument,
// or a numbered compile error shown as "Ошибка в строке N: " + text.
#pragma once

#include <string>
#include <string_view>

#include "config/page_format.h"
#include "config/price_tags.h"
#include "config/registries.h"
#include "documents/compiled_document.h"
#include "documents/controls.h"

namespace vm {

// What descriptions compile against: the configuration's registries (or
// the designer's working copies of them) and where controls are made.
struct TCompileContext {
  TUsedBaseList* Bases = nullptr;
  TBlanks* Blanks = nullptr;
  const TAutoList* AutoParams = nullptr;
  const TPageFormatList* PageFormats = nullptr;
  // The price-tag layouts PRICE numbers from 1.
  const TCenList* PriceTags = nullptr;
  // The standard page format chosen in the settings.
  std::string StandardPaper;
  // Headless controls when none is given.
  IControlFactory* Controls = nullptr;
};

// What the document road compiles against: the configuration's own
// registries (members left nullptr) or, while the designer tries what it
// edits, its working copies and its working start-of-day document.
struct TCompileRegistries {
  TUsedBaseList* Bases = nullptr;
  TBlanks* Blanks = nullptr;
  // A commit writes what it changed back here as well (the designer's
  // working auto-parameters are what its runs start from).
  TAutoList* AutoParams = nullptr;
  const TDocData* StartOfDay = nullptr;
  // What printing and the standard paper are taken from then: the
  // designer's working page formats, default format and printer, so that
  // a choice not yet saved is tried as it will be saved.
  const TPageFormatList* PageFormats = nullptr;
  const std::string* StandardPaper = nullptr;
  const std::string* PrinterName = nullptr;
};
TCompileRegistries& CompileRegistries();
// The page formats, the standard paper and the printer in force: the
// designer's working ones while it tries what it edits, else the
// configuration's.
const TPageFormatList& PageFormatsInForce();
const std::string& StandardPaperInForce();
const std::string& PrinterNameInForce();

struct TDocumentSource {
  std::string Name;
  std::string_view Description;
  // The document run once at the start of each day: a narrower language,
  // and no form width needed.
  bool StartOfDay = false;
};

// Compiles source into doc (cleared first). Returns 0, or the error code
// after the message has been shown under " Ошибка компиляции документа"
// and the document cleared; errorLine is the error's line, -1 for errors
// found after the last line.
int CompileDocument(TCompiledDocument& doc, const TDocumentSource& source,
                    const TCompileContext& context, int& errorLine);

}  // namespace vm
