#include "models/table_render.h"

#include <algorithm>
#include <cmath>

#include "config/price_tags.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "language/expr_types.h"
#include "models/layout_lang.h"

namespace vm {

namespace {

int32_t Trunc(long double x) {
  if (!std::isfinite(x)) return 0;
  return static_cast<int32_t>(std::clamp<long double>(x, -1e9L, 1e9L));
}

}  // namespace

TRowSize MeasureBlankRow(TCanvas& canvas, TCurBlank& blank, const TBlankView& view,
                         const std::vector<TColumnPixels>& cols, long double s, int32_t row) {
  TRowSize size;
  size.Cells.resize(cols.size());
  TColDescr* column = blank.Columns.get();
  for (size_t i = 0; i < cols.size() && column; ++i, column = column->Next.get()) {
    const TColFormat* format = blank.GetCellFormat(column, row);
    if (!format) continue;
    SetCellFont(canvas, *format, s);
    const std::string text =
        CellShownText(canvas, view.CellText(static_cast<int32_t>(i) + 1, row), *format, cols[i].TextWidth);
    size.Cells[i] = MeasureWrappedText(canvas, cols[i].TextWidth, text);
    size.Height = std::max(size.Height, std::max(size.Cells[i].Height + 1, cols[i].MinHeight));
  }
  return size;
}

std::string& TableFontName() {
  static std::string substitute = "Times New Roman";
  std::string& configured = DefaultFontName();
  return configured.empty() ? substitute : configured;
}

TLinePen SplitLinePen(int32_t width) {
  TLinePen pen;
  pen.Width = std::max(width, 1);
  pen.HalfA = (pen.Width - 1) / 2;
  pen.HalfB = pen.Width - 1 - pen.HalfA;
  return pen;
}

std::string CellDisplayText(const std::string& text, const TColFormat& format) {
  std::string shown = text;
  FormatValueText(text, format.Kind, format.Mode, format.Decimals, format.AltText, shown);
  return shown;
}

bool KeepsOneLine(char kind) {
  switch (NormalizeTypeChar(kind)) {
    case 'N':
    case 'D':
    case 'T': return true;
    default: return false;
  }
}

std::string CellShownText(TCanvas& canvas, const std::string& text, const TColFormat& format, int32_t width) {
  std::string shown = CellDisplayText(text, format);
  if (!KeepsOneLine(format.Kind) || canvas.TextWidth(shown) <= width) return shown;
  // A number kept as its field's digits comes with the blanks before them.
  if (std::string trimmed = TrimBlanks(shown); canvas.TextWidth(trimmed) <= width) return trimmed;
  const int32_t one = std::max(canvas.TextWidth(std::string_view(&kCutCellMark, 1)), 1);
  std::string mark(static_cast<std::size_t>(std::max(width / one, 1)), kCutCellMark);
  while (mark.size() > 1 && canvas.TextWidth(mark) > width) mark.pop_back();
  return mark;
}

void SetCellFont(TCanvas& canvas, const TColFormat& format, long double s) {
  canvas.SetFont(-Trunc(format.FontHeight * s), format.Bold ? kFontBold : 0);
}

std::vector<TColumnPixels> LayOutColumns(TCanvas& canvas, TCurBlank& blank, long double s,
                                         int32_t halfA, int32_t halfB,
                                         std::string_view minHeightText, int32_t minHeightExtra) {
  std::vector<TColumnPixels> cols;
  const int32_t lw = blank.LineWidth;
  TColDescr* c = blank.Columns.get();
  for (int32_t i = 0; i < blank.ShownColCount && c; ++i, c = c->Next.get()) {
    TColumnPixels p;
    p.Left = RoundEven((c->Left + lw) * s + halfA + 1);
    if (!cols.empty() && p.Left <= cols.back().Right) p.Left = cols.back().Right + 1;
    p.Right = RoundEven((c->Left + c->Width + lw) * s - halfB);
    p.TextWidth = RoundEven((c->RightLimit - c->TextLeft) * s) - 3;
    p.TextLeft = RoundEven(c->TextLeft * s) + 1;
    if (const TColFormat* format = blank.GetCellFormat(c, 0)) {
      SetCellFont(canvas, *format, s);
      p.MinHeight = canvas.TextHeight(minHeightText) + minHeightExtra;
    }
    cols.push_back(p);
  }
  return cols;
}

TTableDrawn DrawBlankTable(TCanvas& canvas, const TTableDraw& request, const TCurBlank& source,
                           TBlankView& view) {
  TTableDrawn out;
  out.NextY = request.Y;
  out.NextRow = request.FirstRow;
  if (request.FirstRow < 0) return out;
  const int32_t endRow = request.LastRow >= 0 ? request.LastRow + 1 : view.RowCount();

  TCurBlank blank;
  blank.View = &view;
  blank.SetText(source.Text);
  int32_t errCode = 0, errLine = 0;
  if (!CompileBlank(blank, errCode, errLine) || blank.ShownColCount < 1 || blank.TotalWidth <= 0)
    return out;

  const long double ppiFactor = canvas.PixelsPerInch() / 254.0L;
  const long double fitScale = request.AvailWidth / (ppiFactor * blank.TotalWidth);
  long double scale = request.Scale;
  switch (request.FitMode) {
    case 0:
      if (scale > fitScale) return out;
      break;
    case 1: scale = std::min(scale, fitScale); break;
    case 2: scale = fitScale; break;
    default: break;
  }
  if (!(scale > 0)) return out;

  canvas.SetPenColor(0);
  canvas.SetFontColor(0);
  canvas.SetFontName(TableFontName());
  const long double s = ppiFactor * scale;
  const int32_t lw = blank.LineWidth;

  blank.CalcLayout(canvas, request.Params, scale);
  const TLinePen pen = SplitLinePen(RoundEven(lw * s));
  canvas.SetPenWidth(pen.Width);
  const int32_t headerBottom = RoundEven((blank.HeaderHeight + lw) * s) + pen.HalfA + 1;
  const int32_t avail =
      RoundEven((RoundEven((request.AvailHeight - 1) / s - 1.5L * lw) + lw) * s) - headerBottom -
      pen.HalfB;
  if (avail <= 0) return out;

  const std::vector<TColumnPixels> cols = LayOutColumns(canvas, blank, s, pen.HalfA, pen.HalfB, "W", 2);
  int32_t minRowHeight = 0;
  for (const TColumnPixels& p : cols) minRowHeight = std::max(minRowHeight, p.MinHeight);

  int32_t used = 0;
  int32_t row = request.FirstRow;
  int32_t maxRows = request.MaxRows;
  while ((row < endRow || request.FillEmpty) && used < avail && maxRows != 0) {
    const bool data = row < endRow;
    TRowSize size;
    if (data) {
      size = MeasureBlankRow(canvas, blank, view, cols, s, row);
    } else {
      size.Height = minRowHeight;
      size.Cells.assign(cols.size(), TTextSize{});
    }
    if (avail - used < size.Height) break;
    if (data) {
      TColDescr* column = blank.Columns.get();
      for (size_t i = 0; i < cols.size() && column; ++i, column = column->Next.get()) {
        const TColFormat* format = blank.GetCellFormat(column, row);
        if (!format) continue;
        SetCellFont(canvas, *format, s);
        const int32_t textTop = headerBottom + used + (size.Height - size.Cells[i].Height) / 2 + 1;
        const int32_t room = std::max(0, avail - (textTop - headerBottom));
        const std::string text =
            CellShownText(canvas, view.CellText(static_cast<int32_t>(i) + 1, row), *format, cols[i].TextWidth);
        DrawWrappedText(canvas, request.X + cols[i].TextLeft, request.Y + textTop,
                        cols[i].TextWidth, text, format->Kind, room);
      }
    }
    used += size.Height + pen.HalfB;
    if (avail - used >= pen.HalfA) {
      canvas.SetPenWidth(pen.Width);
      canvas.MoveTo(request.X + cols.front().Left, request.Y + headerBottom + used);
      canvas.LineTo(request.X + cols.back().Right, request.Y + headerBottom + used);
    }
    used += pen.HalfA;
    ++row;
    if (maxRows > 0) --maxRows;
  }

  const int32_t bottom = RoundEven((used - pen.HalfA + headerBottom) / s - lw);
  blank.DrawHeader(canvas, RoundEven(request.X / s + lw), RoundEven(request.Y / s + lw), bottom,
                   scale, request.Params);
  out.Drawn = row > request.FirstRow;
  if (out.Drawn) out.NextRow = row;
  out.NextY = request.Y + headerBottom + used;
  return out;
}

}  // namespace vm
