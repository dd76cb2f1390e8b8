// SELECTS, BUTTONS and SELLIST: "NAME = X1:n, X2:n, Y1:n [, Y2:n] [, F:n]
// [, B:n] [, V:formula] [, TITLE:formula]" places a drop-down select, a
// button or a list select on the document form. The three differ only in
// what they admit and need.
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/form_bindings.h"
#include "documents/compiler/section_values.h"

namespace vm {

namespace {

constexpr TParamSet kSelectsParams{kPkB, kPkF, kPkV, kPkX1, kPkY1, kPkX2};
constexpr TParamSet kButtonsParams{kPkB, kPkF, kPkTitle, kPkV, kPkX1, kPkY1, kPkY2, kPkX2};
constexpr TParamSet kSelListParams{kPkB, kPkF, kPkV, kPkX1, kPkY1, kPkY2, kPkX2};

int32_t Coordinate(const TElementLine& line, int keyword) { return IntParam(*line.Find(keyword, 7), INT32_MIN, 8); }

// What every member of the family reads, in the order the checks run.
template <class T>
void ReadControl(TCompiledDocument& doc, T& object, const TElementLine& line, bool hasBottom) {
  object.Name = line.Name;
  object.Place.Left = Coordinate(line, kPkX1);
  object.Place.Right = Coordinate(line, kPkX2);
  object.Place.Top = Coordinate(line, kPkY1);
  if (hasBottom) object.Place.Bottom = Coordinate(line, kPkY2);
  if (const TElementParam* f = line.Find(kPkF)) object.FontHeight = IntParam(*f, 1, 8);
  if (const TElementParam* b = line.Find(kPkB); b != nullptr && IntParam(*b, INT32_MIN, 8) > 0)
    object.SetFontStyle(kFsBold);
  if (const TElementParam* v = line.Find(kPkV))
    if (!TypesCompatible(Formula(doc, v->Value, object.VisibleExpr), 'N')) RaiseCompileError(48);
}

}  // namespace

void TDocumentCompiler::ControlLine(int section, const TElementLine& line) {
  THeadlessControls headless;
  IControlFactory& controls = context_.Controls != nullptr ? *context_.Controls : headless;
  const TParamSet& allowed =
      section == kSkSelects ? kSelectsParams : section == kSkButtons ? kButtonsParams : kSelListParams;
  line.CheckAllowed(allowed);
  CheckNewName(line.Name, 127);
  if (section == kSkSelects) {
    TSelect& select = doc_.Selects.Append(std::make_unique<TSelect>(doc_.Events, controls.CreateDropDown()));
    ReadControl(doc_, select, line, false);
  } else if (section == kSkSelList) {
    TListSelect& list = doc_.ListSelects.Append(std::make_unique<TListSelect>(doc_.Events, controls.CreateListBox()));
    ReadControl(doc_, list, line, true);
  } else {
    TVisButt& button = doc_.Buttons.Append(std::make_unique<TVisButt>(doc_.Events, controls.CreateButton()));
    ReadControl(doc_, button, line, true);
    if (const TElementParam* title = line.Find(kPkTitle))
      if (!TypesCompatible(Formula(doc_, title->Value, button.CaptionExpr), 'C')) RaiseCompileError(133);
  }
}

}  // namespace vm
