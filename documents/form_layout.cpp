#include "documents/form_layout.h"

#include <algorithm>

#include "foundation/draw/canvas.h"

namespace vm {

TDocumentScale DocumentScale(int32_t panelWidth, int32_t panelHeight, int32_t blankWidth) {
  TDocumentScale s;
  s.BlankWidth = blankWidth;
  // A document without a width (the start of the day) has no form to scale.
  s.Scale = blankWidth > 0 ? static_cast<double>(panelWidth) / blankWidth : 1.0;
  s.Height = panelHeight - 1;
  return s;
}

int32_t ScaleDocCoord(int32_t value, bool vertical, const TDocumentScale& scale) {
  const long double s = scale.Scale;
  if (value >= 0) return RoundEven(value * s);
  if (vertical) return RoundEven(value * s) + scale.Height;
  return RoundEven((static_cast<long double>(value) + scale.BlankWidth) * s);
}

TInfoScale InfoScale(int32_t clientWidth, int32_t clientHeight, int32_t designWidth) {
  TInfoScale s;
  s.Scale = designWidth > 0 ? static_cast<double>(clientWidth) / designWidth : 1.0;
  s.Width = clientWidth;
  s.Height = clientHeight;
  return s;
}

int32_t ScaleInfoCoord(int32_t value, bool vertical, const TInfoScale& scale) {
  const int32_t scaled = RoundEven(static_cast<long double>(value) * scale.Scale);
  if (value >= 0) return scaled;
  return scaled + (vertical ? scale.Height : scale.Width);
}

int32_t ScaledFontHeight(int32_t size, double scale) {
  return -RoundEven(static_cast<long double>(size) * scale);
}

void FitEditToText(ICellControl& edit, int32_t panelWidth) {
  const TTextSize text = edit.TextExtent();
  TRect32 box = edit.Bounds();
  box.Width = text.Width + kEditBorderMargin + 6;
  box.Height = text.Height + kEditBorderMargin;
  if (box.Left + box.Width > panelWidth - 1) box.Width = std::max(0, panelWidth - box.Left - 1);
  edit.SetBounds(box);
}

bool CompareControlPos(const TRect32& a, const TRect32& b) {
  return a.Top != b.Top ? a.Top < b.Top : a.Left < b.Left;
}

namespace {

enum class THeight { Own, Exact, Framed };

// Selects, list selects and buttons: their edges and their font scaled,
// the box widened by the frame around them. A select keeps the height its
// font gives it.
void PlaceControl(IPlacedControl& control, const TControlPlace& place, int32_t fontSize, THeight height,
                  const TDocumentScale& s) {
  control.SetFontHeight(ScaledFontHeight(fontSize, s.Scale));
  TRect32 box = control.Bounds();
  box.Left = ScaleDocCoord(place.Left, false, s) - 2;
  box.Width = ScaleDocCoord(place.Right, false, s) - box.Left + 1 + 4;
  box.Top = ScaleDocCoord(place.Top, true, s) - 3;
  if (height != THeight::Own)
    box.Height = ScaleDocCoord(place.Bottom, true, s) - box.Top + 1 + (height == THeight::Framed ? 4 : 0);
  control.SetBounds(box);
}

// A cell over a table keeps its relative place when the table's scroll bar
// takes room from the columns.
int32_t KeepOverColumns(int32_t left, const TRect32& table, int32_t scrollBar) {
  if (table.Width <= 0 || left <= table.Left || left >= table.Right()) return left;
  return table.Left +
         RoundEven(static_cast<long double>(left - table.Left) * (table.Width - scrollBar) / table.Width);
}

// An input field stands 2 pixels left of and 3 above its place, so that
// its text lines up with a label's.
TRect32 CellBox(const TViewCell& cell, ICellControl& control, int32_t x, int32_t y) {
  TRect32 box = control.Bounds();
  box.Left = cell.Input ? x - 2 : x;
  box.Top = cell.Input ? y - 3 : y;
  return box;
}

int32_t FormIndex(const TFormList& forms, const TFormPar* form) {
  for (int32_t i = 0; i < forms.Count(); ++i)
    if (forms.GetItem(i) == form) return i;
  return -1;
}

}  // namespace

std::vector<TRect32> LayoutDocumentControls(TCompiledDocument& doc, int32_t panelWidth,
                                            int32_t panelHeight) {
  const TDocumentScale s = DocumentScale(panelWidth, panelHeight, doc.Options.Width);
  for (const auto& select : doc.Selects)
    PlaceControl(select->Combo(), select->Place, select->FontHeight, THeight::Own, s);
  for (const auto& list : doc.ListSelects)
    PlaceControl(list->List(), list->Place, list->FontHeight, THeight::Framed, s);
  for (const auto& button : doc.Buttons)
    PlaceControl(button->Button(), button->Place, button->FontHeight, THeight::Exact, s);

  std::vector<TRect32> tables;
  for (const auto& form : doc.Forms) {
    TRect32 box;
    box.Left = ScaleDocCoord(form->Left, false, s);
    box.Top = ScaleDocCoord(form->Top, true, s);
    box.Height = ScaleDocCoord(form->Bottom, true, s) + 1 - box.Top;
    const TDataView& view = form->View();
    box.Width = view.HasBlank() ? RoundEven(view.Blank().TotalWidth * static_cast<long double>(s.Scale)) : 0;
    tables.push_back(box);
  }

  for (int32_t i = 0; i < doc.Views.Count(); ++i) {
    TViewCell& cell = *doc.Views.GetItem(i);
    ICellControl* control = cell.Control();
    if (control == nullptr) continue;
    control->SetFontHeight(ScaledFontHeight(cell.FontSize, s.Scale));
    TRect32 box = CellBox(cell, *control, ScaleDocCoord(cell.X, false, s), ScaleDocCoord(cell.Y, true, s));
    if (const int32_t form = FormIndex(doc.Forms, cell.Form); form >= 0)
      box.Left = KeepOverColumns(box.Left, tables[static_cast<std::size_t>(form)],
                                 cell.Form->View().ScrollBarWidth());
    control->SetBounds(box);
    // Fitted where the field finally stands, so that it stops at the edge.
    if (cell.Input) FitEditToText(*control, panelWidth);
  }
  return tables;
}

void LayoutInfoViews(TInfViews& views, int32_t clientWidth, int32_t clientHeight) {
  const TInfoScale s = InfoScale(clientWidth, clientHeight, views.DesignWidth);
  for (int32_t i = 0; i < views.Count(); ++i) {
    TViewCell& cell = *views.GetItem(i);
    ICellControl* control = cell.Control();
    if (control == nullptr) continue;
    control->SetFontHeight(ScaledFontHeight(cell.FontSize, s.Scale));
    control->SetBounds(
        CellBox(cell, *control, ScaleInfoCoord(cell.X, false, s), ScaleInfoCoord(cell.Y, true, s)));
    if (cell.Input) FitEditToText(*control, clientWidth);
  }
}

void TDocumentForm::Build(IControlFactory& panel, int32_t panelWidth, int32_t panelHeight) {
  tabOrder_.clear();
  for (const auto& select : doc_.Selects) panel.Adopt(select->Combo());
  for (const auto& list : doc_.ListSelects) panel.Adopt(list->List());
  for (const auto& button : doc_.Buttons) panel.Adopt(button->Button());
  doc_.Views.CreateControls(panel, doc_.Events);

  using K = TFormControlKind;
  for (int32_t i = 0; i < doc_.Forms.Count(); ++i) tabOrder_.push_back({K::Table, i});
  for (int32_t i = 0; i < doc_.Views.Count(); ++i)
    if (doc_.Views.GetItem(i)->Input) tabOrder_.push_back({K::Cell, i});
  for (int32_t i = 0; i < doc_.Selects.Count(); ++i) tabOrder_.push_back({K::Select, i});
  for (int32_t i = 0; i < doc_.Buttons.Count(); ++i) tabOrder_.push_back({K::Button, i});
  for (int32_t i = 0; i < doc_.ListSelects.Count(); ++i) tabOrder_.push_back({K::ListSelect, i});
  Layout(panelWidth, panelHeight);
  SortTabOrder();
  CurrentControl = 0;
}

void TDocumentForm::BuildInfo(IControlFactory& info, int32_t clientWidth, int32_t clientHeight) {
  doc_.InfViews.CreateControls(info, doc_.Events);
  LayoutInfo(clientWidth, clientHeight);
  for (int32_t i = 0; i < doc_.InfViews.Count(); ++i)
    if (doc_.InfViews.GetItem(i)->Input) tabOrder_.push_back({TFormControlKind::InfoCell, i});
  SortTabOrder();
}

void TDocumentForm::Layout(int32_t panelWidth, int32_t panelHeight) {
  tables_ = LayoutDocumentControls(doc_, panelWidth, panelHeight);
}

void TDocumentForm::LayoutInfo(int32_t clientWidth, int32_t clientHeight) {
  LayoutInfoViews(doc_.InfViews, clientWidth, clientHeight);
}

TRect32 TDocumentForm::TableBox(int32_t form) const {
  return form >= 0 && form < static_cast<int32_t>(tables_.size()) ? tables_[static_cast<std::size_t>(form)]
                                                                   : TRect32{};
}

TRect32 TDocumentForm::BoxOf(const TFormControl& control) const {
  const int32_t i = control.Index;
  switch (control.Kind) {
    case TFormControlKind::Table:
      return TableBox(i);
    case TFormControlKind::Cell:
      return doc_.Views.GetItem(i)->Control()->Bounds();
    case TFormControlKind::InfoCell:
      return doc_.InfViews.GetItem(i)->Control()->Bounds();
    case TFormControlKind::Select:
      return doc_.Selects.GetItem(i)->Combo().Bounds();
    case TFormControlKind::Button:
      return doc_.Buttons.GetItem(i)->Button().Bounds();
    case TFormControlKind::ListSelect:
      return doc_.ListSelects.GetItem(i)->List().Bounds();
  }
  return {};
}

void TDocumentForm::SortTabOrder() {
  // Stable, so that controls at one place keep the order they were made in.
  std::stable_sort(tabOrder_.begin(), tabOrder_.end(), [this](const TFormControl& a, const TFormControl& b) {
    return CompareControlPos(BoxOf(a), BoxOf(b));
  });
}

}  // namespace vm
