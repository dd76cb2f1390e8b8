// A document compiled against a one-blank configuration (blank "B", page
// format "A4") and its INIT run, for the benchmarks that work on a filled
// document.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/page_format.h"
#include "config/price_tags.h"
#include "config/registries.h"
#include "documents/compiler/document_compiler.h"
#include "language/interpreter.h"
#include "platform/encoding.h"

namespace vm {

struct BenchDocument {
  [[noreturn]] static void Fail(const std::string& why) {
    std::fprintf(stderr, "%s\n", Cp1251ToUtf8(why).c_str());
    std::abort();
  }

  // Stops the program when the description does not compile or INIT does
  // not leave rows rows in the first table.
  BenchDocument(const std::string& blank, std::string description, int32_t rows) : text(std::move(description)) {
    formats.Add({"A4", ""});
    blanks.Add("B")->SetText(blank);
    context.Bases = &bases;
    context.Blanks = &blanks;
    context.AutoParams = &params;
    context.PageFormats = &formats;
    context.StandardPaper = "A4";
    context.PriceTags = &tags;
    int line = 0;
    if (CompileDocument(doc, {"BENCH", text, false}, context, line) != 0) Fail(doc.ErrorMessage);
    Interp().BeginDocumentRun();
    Interp().ExecProgram(doc.Programs.Init);
    if (Interp().Aborted()) Fail(Interp().RuntimeErrorText());
    if (doc.Forms.GetItem(0)->RowCount() != rows) Fail("rows missing");
  }

  TUsedBaseList bases;
  TBlanks blanks;
  TAutoList params;
  TPageFormatList formats;
  TCenList tags;
  TCompileContext context;
  std::string text;
  TCompiledDocument doc;
};

}  // namespace vm
