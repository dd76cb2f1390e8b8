#include "output/price_print.h"

#include <cmath>

#include "config/page_format.h"
#include "documents/compiler/document_compiler.h"
#include "documents/document_recalc.h"
#include "foundation/values/value_text.h"
#include "language/evaluator.h"
#include "output/label_print.h"
#include "output/price_tag_draw.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

// The copies a row asks for: one without a copies column.
int32_t RowCopies(const TFormPar& form, int32_t countColumn, int32_t row) {
  if (countColumn < 0) return 1;
  const TCommonVar v = form.CellValue(countColumn + 1, row + 1);
  if (v.Kind != 'N' || !std::isfinite(v.Num)) return 0;
  const long double n = std::nearbyint(v.Num);
  return n > INT32_MAX ? INT32_MAX : n < INT32_MIN ? INT32_MIN : static_cast<int32_t>(n);
}

std::string DocumentZoneText(TCompiledDocument& doc, TExprChain& expr) {
  int err = 0;
  TCommonVar v;
  EvalExpr(expr, err, v);
  if (err != 0) return EvalErrorText(err, &doc.Context);
  switch (v.Kind) {
    case 'C': case 'D': case 'N': case 'T': return ValueToText(v, 2, 2);
    default: return "Неверный тип выражения"_w;
  }
}

void QueueRows(TCompiledDocument& doc, TFormPar& form, TPrintCenList& queue) {
  const TPriceBinding& price = doc.Price;
  for (int32_t row = 0; row < form.RowCount(); ++row) {
    SetNumberVariable(form.CurrentRow, row + 1);
    const int32_t copies = RowCopies(form, price.CountColumn, row);
    if (copies < 1) continue;
    TCennik& tag = *AddPrintCen(queue, *price.Layout, copies).Tag;
    for (int32_t z = 0; z < tag.ZoneCount(); ++z)
      if (price.ZoneExpr(z) != nullptr)
        SetZoneText(*tag.GetZone(z), DocumentZoneText(doc, doc.Price.Zones[static_cast<std::size_t>(z)]));
  }
}

}  // namespace

void PrintDocumentPriceTags(TCompiledDocument& doc) {
  if (doc.Price.Layout == nullptr) return;
  TPrintCenList& queue = PrintCenList();
  queue.Clear();
  const TGOList& graphics = doc.Price.Layout->Graphics;
  LoadPictures(graphics);
  if (TFormPar* form = doc.Forms.GetItem(0)) QueueRows(doc, *form, queue);
  Ui().EnableDocWindows(false);
  if (queue.Count() > 0 && ShowLabelPreview(queue)) {
    const TPageFormat* format =
        doc.Options.PaperName.empty() ? nullptr : PageFormatsInForce().FindByName(doc.Options.PaperName);
    PrintLabels(queue, format);
  }
  Ui().EnableDocWindows(true);
  queue.Clear();
  ReleasePictures(graphics);
}

}  // namespace vm
