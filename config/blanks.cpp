#include "config/blanks.h"

#include <algorithm>
#include <cmath>
#include <limits>


namespace vm {

namespace {

TCurrentRow gCurrentRow;

std::string KeepText(const std::string& text, const TAutoList*) { return text; }
TParamExpander gExpander = KeepText;

// Chains are released link by link so that a long one never recurses.
template <typename T>
void FreeChain(std::unique_ptr<T>& head) {
  while (head) head = std::move(head->Next);
}

int32_t TruncInt(long double x) {
  if (std::isnan(x)) return 0;
  if (x >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (x <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(x);
}

long double PixelFactor(const TCanvas& canvas, long double scale) {
  return static_cast<long double>(canvas.PixelsPerInch()) * scale / 254.0L;
}

constexpr int32_t kMaxTextLength = std::numeric_limits<int32_t>::max() / 64;

bool IsLevel(int32_t level) { return level >= 1 && level <= kMaxHeaderLevels; }

void SetHeaderFont(TCanvas& canvas, const TBlankHeader& cell, long double k) {
  canvas.SetFont(-TruncInt(cell.FontHeight * k), cell.Bold ? kFontBold : 0);
}

}  // namespace

TCurrentRow& CurrentRowContext() { return gCurrentRow; }

TBlankView::~TBlankView() {
  if (gCurrentRow.View == this) gCurrentRow = TCurrentRow{};
}

void InstallParamExpander(TParamExpander expander) { gExpander = expander ? expander : KeepText; }

TCurBlank::~TCurBlank() { Clear(); }

void TCurBlank::SetText(std::string text) {
  if (Compiled) Clear();
  Text = std::move(text);
}

void TCurBlank::Clear() {
  Codes.clear();
  for (TColDescr* c = Columns.get(); c; c = c->Next.get()) FreeChain(c->CondFormats);
  FreeChain(Columns);
  FreeChain(HeaderCells);
  ShownColCount = 0;
  ColCount = 0;
  LevelCount = 0;
  HeaderCellCount = 0;
  Compiled = false;
}

TBlankCondition* TCurBlank::AddCode(std::unique_ptr<TBlankCondition> code) {
  Codes.push_back(std::move(code));
  return Codes.back().get();
}

void TCurBlank::GetColumnCaption(int32_t col, const TAutoList* params, std::string& s) const {
  s.clear();
  for (const TBlankHeader* c = HeaderCells.get(); c; c = c->Next.get()) {
    if (c->Text.empty() || col < c->FirstCol || col > c->LastCol) continue;
    if (!s.empty()) s += ' ';
    s += gExpander(c->Text, params);
  }
}

TBlankHeader* TCurBlank::AddHeaderCell() {
  std::unique_ptr<TBlankHeader>* slot = &HeaderCells;
  while (*slot) slot = &(*slot)->Next;
  *slot = std::make_unique<TBlankHeader>();
  ++HeaderCellCount;
  return slot->get();
}

TBlankHeader* TCurBlank::GetHeaderCell(int32_t n) const {
  if (n < 1 || n > HeaderCellCount) return nullptr;
  TBlankHeader* cell = HeaderCells.get();
  for (int32_t i = 1; cell && i < n; ++i) cell = cell->Next.get();
  return cell;
}

TColFormat* TCurBlank::GetCellFormat(TColDescr* column, int32_t row) {
  gCurrentRow.View = View;
  gCurrentRow.Row = row;
  if (!column) return nullptr;
  if (!column->Conditional || !View || row < 0 || row >= View->RowCount()) return &column->Format;
  for (TVarColFormat* f = column->CondFormats.get(); f; f = f->Next.get()) {
    if (!f->Next) return &f->Format;
    if (f->Condition && f->Condition->Holds()) return &f->Format;
  }
  return nullptr;
}

void TCurBlank::CalcLayout(TCanvas& canvas, const TAutoList* params, long double scale) {
  const long double k = PixelFactor(canvas, scale);
  for (int32_t r = 1; r <= kMaxHeaderLevels; ++r) RowHeight[r] = LineWidth;

  for (TBlankHeader* c = HeaderCells.get(); c; c = c->Next.get()) {
    const TColDescr* first = BlankColumn(*this, c->FirstCol);
    const TColDescr* last = BlankColumn(*this, c->LastCol);
    c->Left = first ? first->Left : 0;
    c->Right = last ? last->Left + last->Width : 0;
    if (c->Text.empty()) continue;
    SetHeaderFont(canvas, *c, k);
    const std::string text = gExpander(c->Text, params);
    const int32_t available = c->Right - c->Left + 1 - 10 - LineWidth;
    const TTextSize size = MeasureWrappedText(canvas, RoundEven(available * k), text);
    // A very small scale makes a wrapped text enormous in 0.1 mm; the bound
    // keeps the sums of row heights inside 32 bits.
    c->TextWidth = std::min(RoundEven(size.Width / k + 1), kMaxTextLength);
    c->TextHeight = std::min(RoundEven(size.Height / k + 1), kMaxTextLength);
    if (!IsLevel(c->FirstLevel) || !IsLevel(c->LastLevel) || c->LastLevel < c->FirstLevel) continue;
    const int32_t n = c->LastLevel - c->FirstLevel + 1;
    // The height is shared out over the spanned rows, rounded up.
    const int32_t need = (c->TextHeight + LineWidth + 10 + n - 1) / n;
    for (int32_t r = c->FirstLevel; r <= c->LastLevel; ++r)
      if (RowHeight[r] < need) RowHeight[r] = need;
  }

  int32_t y = 0;
  for (int32_t r = 1; r <= LevelCount && r <= kMaxHeaderLevels; ++r) {
    RowTop[r] = y;
    y += RowHeight[r];
  }
  HeaderHeight = y;

  for (TBlankHeader* c = HeaderCells.get(); c; c = c->Next.get()) {
    if (!IsLevel(c->FirstLevel) || !IsLevel(c->LastLevel)) continue;
    c->Top = RowTop[c->FirstLevel];
    c->Bottom = RowTop[c->LastLevel] + RowHeight[c->LastLevel];
  }
}

void TCurBlank::DrawHeader(TCanvas& canvas, int32_t x0, int32_t y0, int32_t bottom,
                           long double scale, const TAutoList* params) {
  CalcLayout(canvas, params, scale);
  const long double k = PixelFactor(canvas, scale);
  auto px = [k](long double length) { return RoundEven(length * k); };

  canvas.SetPenColor(0);
  canvas.SetFontColor(0);
  const int32_t pen = px(LineWidth);
  canvas.SetPenWidth(pen == 0 ? 1 : pen);

  for (TBlankHeader* c = HeaderCells.get(); c; c = c->Next.get()) {
    if (!c->Text.empty()) {
      SetHeaderFont(canvas, *c, k);
      const int32_t x = c->Left + x0 + (LineWidth + 1) / 2 + 5;
      const int32_t y =
          (c->Bottom - c->Top - c->TextHeight - LineWidth) / 2 + c->Top + y0 + LineWidth / 2 + 5;
      const int32_t width = px(c->Right - c->Left + 1 - 10 - LineWidth);
      DrawWrappedText(canvas, px(x), px(y), width, gExpander(c->Text, params), 0, -1);
    }
    const int32_t l = px(c->Left + x0), r = px(c->Right + x0);
    const int32_t t = px(c->Top + y0), b = px(c->Bottom + y0);
    canvas.MoveTo(l, t);
    canvas.LineTo(l, b);
    canvas.LineTo(r, b);
    canvas.LineTo(r, t);
    canvas.LineTo(l, t);
  }

  if (bottom <= HeaderHeight || ShownColCount < 1) return;
  const int32_t y1 = px(HeaderHeight + y0), y2 = px(y0 + bottom);
  const TColDescr* lastShown = nullptr;
  int32_t i = 1;
  for (const TColDescr* c = Columns.get(); c && i <= ShownColCount; c = c->Next.get(), ++i) {
    const int32_t x = px(c->Left + x0);
    canvas.MoveTo(x, y1);
    canvas.LineTo(x, y2);
    lastShown = c;
  }
  if (!lastShown) return;
  const int32_t xr = px(lastShown->Left + lastShown->Width + x0);
  canvas.MoveTo(xr, y1);
  canvas.LineTo(xr, y2);
  canvas.LineTo(px(Columns->Left + x0 - 1), y2);
}

TColDescr* BlankColumn(const TCurBlank& blank, int32_t n) {
  if (n < 1 || n > blank.ColCount) return nullptr;
  TColDescr* c = blank.Columns.get();
  for (int32_t i = 1; c && i < n; ++i) c = c->Next.get();
  return c;
}

TColFormat* BlankField(TCurBlank& blank, int32_t col, int32_t row) {
  TColDescr* column = BlankColumn(blank, col);
  return column ? blank.GetCellFormat(column, row) : nullptr;
}

TBlankHeader* FindHeaderCell(TBlankHeader* first, int32_t level, int32_t col) {
  for (TBlankHeader* c = first; c; c = c->Next.get())
    if (c->FirstCol <= col && col <= c->LastCol && c->FirstLevel <= level && level <= c->LastLevel)
      return c;
  return nullptr;
}

TBlankHeader* FindHeaderCellInColumn(TBlankHeader* first, int32_t col) {
  for (TBlankHeader* c = first; c; c = c->Next.get())
    if (c->FirstCol <= col && col <= c->LastCol) return c;
  return nullptr;
}

}  // namespace vm
