// What a memo shows of its text as a user sees it: the characters that lie
// wholly inside its viewport, so that a line scrolled away, above or to the
// side, is left out; and the cells of a table that show a number cut.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <string>
#include <vector>

#include "foundation/qt/qt_canvas.h"
#include "models/table_render.h"
#include "platform/encoding.h"
#include "ui/qt/data_view_widget.h"

namespace vm::test {

inline QString ShownText(const QPlainTextEdit& memo) {
  const QString text = memo.toPlainText();
  const QRect view = memo.viewport()->rect();
  QTextCursor at(memo.document());
  const auto inView = [&](int position) {
    at.setPosition(position);
    const QRect caret = memo.cursorRect(at);
    return view.contains(QPoint(caret.left(), caret.top())) && view.contains(QPoint(caret.left(), caret.bottom()));
  };
  QString shown;
  for (int i = 0; i < text.size(); ++i)
    if (inView(i) && inView(i + 1)) shown += text[i];
  return shown;
}

// Whether the caret stands inside the memo's viewport.
inline bool CaretShown(const QPlainTextEdit& memo) { return memo.viewport()->rect().contains(memo.cursorRect()); }

// Whether the memo shows its text whole, or the end of a single line
// scrolled sideways with the caret after it.
inline bool ShowsWholeOrItsEnd(const QPlainTextEdit& memo) {
  const QString text = memo.toPlainText();
  const QString shown = ShownText(memo);
  if (!CaretShown(memo)) return false;
  if (shown == text) return true;
  return !shown.isEmpty() && text.endsWith(shown) && memo.horizontalScrollBar()->value() > 0 &&
         memo.document()->blockCount() == 1 && memo.document()->firstBlock().layout()->lineCount() == 1;
}

// The cells of a table's rows that show the cut mark where their number,
// date or time stands, measured as the table paints them: "column,row:
// value" each.
inline std::vector<std::string> CutCells(TDataViewWidget& table) {
  TDataView& view = table.View();
  QImage image(1, 1, QImage::Format_RGB32);
  QPainter painter(&image);
  TQtCanvas canvas(painter, table.logicalDpiY());
  canvas.SetFontName(TableFontName());
  std::vector<std::string> cut;
  for (int32_t row = 0; row < view.RowCount(); ++row) {
    for (int32_t col = 0; col < view.ShownColCount(); ++col) {
      const TColFormat* format = view.CellFormat(col, row);
      if (!format) continue;
      SetCellFont(canvas, *format, table.Scale());
      const std::string shown =
          CellShownText(canvas, view.GetCellText(col, row), *format, view.GetColLayout(col)->TextWidth);
      if (!shown.empty() && shown.find_first_not_of(kCutCellMark) == std::string::npos)
        cut.push_back(std::to_string(col) + "," + std::to_string(row) + ":" +
                      Cp1251ToUtf8(CellDisplayText(view.GetCellText(col, row), *format)));
    }
  }
  return cut;
}

}  // namespace vm::test
