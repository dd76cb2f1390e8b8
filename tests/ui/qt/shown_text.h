// What a memo shows of its text as a user sees it: the characters that lie
// wholly inside its viewport, so that a line scrolled away, above or to the
// side, is left out.
#pragma once

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

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

}  // namespace vm::test
