#include "documents/document_recalc.h"

#include "language/interpreter.h"

namespace vm {

void SetNumberVariable(TVariable* variable, long double value) {
  if (variable == nullptr) return;
  variable->Value = TCommonVar{};
  variable->Value.Kind = 'N';
  variable->Value.Num = value;
}

void ResetPrintRanges(TCompiledDocument& doc) {
  for (const auto& form : doc.Forms) {
    const int32_t rows = form->View().RowCount();
    SetNumberVariable(form->PrintStartRow, rows == 0 ? -1 : 1);
    SetNumberVariable(form->PrintEndRow, rows == 0 ? -1 : rows);
  }
}

void RecalcDocument(TCompiledDocument& doc, bool printing) {
  if (!printing) ResetPrintRanges(doc);
  if (doc.Programs.Work != nullptr) Interp().ExecProgram(doc.Programs.Work);
  doc.Views.Refresh();
  doc.InfViews.Refresh();
  doc.Selects.UpdateVisibility();
  doc.ListSelects.UpdateVisibility();
  doc.Buttons.UpdateButtons();
}

}  // namespace vm
