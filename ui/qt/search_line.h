// The search line under a table or a reference book: what the table shows
// there, and what is typed into the table going there instead.
#pragma once

#include <QLineEdit>
#include <QSignalBlocker>
#include <string>

#include "foundation/qt/qt_text.h"

namespace vm {

// The current cell's text, without starting a search.
inline void ShowInSearchLine(QLineEdit* line, const std::string& text) {
  const QSignalBlocker quiet(line);
  line->setText(ToQt(text));
}

// Taken from the table, the search line keeps what was typed and the caret
// after it instead of selecting it.
inline void TypeIntoSearchLine(QLineEdit* line, const std::string& text) {
  line->setFocus(Qt::OtherFocusReason);
  line->setText(ToQt(text));
  line->setCursorPosition(static_cast<int>(line->text().size()));
}

}  // namespace vm
