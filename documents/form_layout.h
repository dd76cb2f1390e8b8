// The document form at the window's scale: the description places tables,
// view cells, selects, list selects and buttons in its own units across a
// blank of BLANK WIDTH; every layout turns them into pixels of the panel
// they stand on, so the form grows and shrinks with the window. Negative
// places count back from the right edge or the bottom.
#pragma once

#include <cstdint>
#include <vector>

#include "documents/compiled_document.h"
#include "documents/controls.h"

namespace vm {

// Pixels per unit of the description (the panel's width over the blank
// width) and the document's height in pixels.
struct TDocumentScale {
  double Scale = 1;
  int32_t BlankWidth = 0;
  int32_t Height = 0;
};
TDocumentScale DocumentScale(int32_t panelWidth, int32_t panelHeight, int32_t blankWidth);
// A negative horizontal place counts back from the blank's right edge, a
// negative vertical one from the document's bottom.
int32_t ScaleDocCoord(int32_t value, bool vertical, const TDocumentScale& scale);

// The information window scales its design width to its client width.
struct TInfoScale {
  double Scale = 1;
  int32_t Width = 0;
  int32_t Height = 0;
};
TInfoScale InfoScale(int32_t clientWidth, int32_t clientHeight, int32_t designWidth);
int32_t ScaleInfoCoord(int32_t value, bool vertical, const TInfoScale& scale);

// A font of size units as a negative character height in pixels.
int32_t ScaledFontHeight(int32_t size, double scale);

// The room a framed input field keeps around its text.
inline constexpr int32_t kEditBorderMargin = 8;
// Sizes an input field to its text; it stops one pixel short of the right
// edge of its panel.
void FitEditToText(ICellControl& edit, int32_t panelWidth);

// Places every control of the document on a panel of that size and returns
// the tables' boxes, one per form.
std::vector<TRect32> LayoutDocumentControls(TCompiledDocument& doc, int32_t panelWidth,
                                            int32_t panelHeight);
void LayoutInfoViews(TInfViews& views, int32_t clientWidth, int32_t clientHeight);

// Reading order: by Top, then by Left.
bool CompareControlPos(const TRect32& a, const TRect32& b);

enum class TFormControlKind { Table, Cell, Select, Button, ListSelect, InfoCell };

// One control the focus visits: its kind and its index in its list.
struct TFormControl {
  TFormControlKind Kind = TFormControlKind::Table;
  int32_t Index = 0;
  friend bool operator==(const TFormControl&, const TFormControl&) = default;
};

// The controls of a document on its window: made, laid out and put in the
// order the focus visits them.
class TDocumentForm {
 public:
  explicit TDocumentForm(TCompiledDocument& doc) : doc_(doc) {}

  // The selects, list selects and buttons go onto the panel and the view
  // cells are made there; laid out for the panel's size, the tables, the
  // input cells, the selects, the buttons and the list selects are put in
  // reading order. Then the information window's cells are made on it,
  // laid out, and their input fields join the order.
  void Build(IControlFactory& panel, int32_t panelWidth, int32_t panelHeight);
  void BuildInfo(IControlFactory& info, int32_t clientWidth, int32_t clientHeight);

  // At every change of the panel's size.
  void Layout(int32_t panelWidth, int32_t panelHeight);
  void LayoutInfo(int32_t clientWidth, int32_t clientHeight);

  // Each control's tab order is its index here.
  const std::vector<TFormControl>& TabOrder() const { return tabOrder_; }
  // The control the focus moves on from.
  int32_t CurrentControl = 0;
  // Of the last layout; an empty box for a form out of range.
  TRect32 TableBox(int32_t form) const;

 private:
  TRect32 BoxOf(const TFormControl& control) const;
  void SortTabOrder();

  TCompiledDocument& doc_;
  std::vector<TFormControl> tabOrder_;
  std::vector<TRect32> tables_;
};

}  // namespace vm
