// A document of the small configuration with a price-tag layout: table T1
// with a row per goods and the copies in its hidden fourth column, zone 1
// showing the name and zone 2 twice the copies; printed on a recording
// printer of 254 dpi through a preview the test plays.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "documents/doc_rig.h"
#include "documents/document_recalc.h"
#include "documents/form_layout.h"
#include "language/interpreter.h"
#include "output/document_print.h"
#include "output/label_print.h"
#include "output/price_tag_rig.h"

namespace vm::test {

struct PriceRig : DocRig {
  PriceRig() {
    system.AddPrinter("Labels", 254, 254);
    InstallPrintSystem(&system);
    Settings().PrinterName = "Labels";
    InstallLabelPreview([this](TPrintCenList& queue) {
      shown.push_back(queue.Count());
      return preview ? preview(queue) : printOnPreview;
    });
    hooks.MarkPrinted = [this] { ++printed; };
  }
  ~PriceRig() {
    InstallLabelPreview(nullptr);
    InstallPrintSystem(nullptr);
    Settings().PrinterName.clear();
  }
  // Rows named by names, with the copies given in the hidden column.
  void Build(const std::vector<std::pair<std::string, std::string>>& rows) {
    ASSERT_EQ(CompileForm("FORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:0, KEYCOL:[1]\nENDSECTION\nPRICE\n"
                          "PRICEKIND = NUMBER:1, COUNT:4, ZONES:[1:T1[1, T1CURRENTROW], 2:T1[4, T1CURRENTROW] * 2]"),
              0)
        << Message;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    layout.Build(controls, 800, 600);
    TDataView& view = Doc.Forms.GetItem(0)->View();
    for (const auto& [name, copies] : rows) {
      const int32_t row = view.AppendRow();
      view.SetCellText(0, row, name);
      view.SetCellText(3, row, copies);
    }
    RecalcDocument(Doc);
  }

  ZoneCompiling compiling;
  TRecordingPrintSystem system;
  THeadlessControls controls;
  TDocumentForm layout{Doc};
  TDocumentPrintHooks hooks;
  std::vector<int32_t> shown;
  // The preview to show; unset, the answer is printOnPreview.
  std::function<bool(TPrintCenList&)> preview;
  bool printOnPreview = true;
  int printed = 0;
};

}  // namespace vm::test
