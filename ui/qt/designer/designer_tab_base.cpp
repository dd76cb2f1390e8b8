#include <QHeaderView>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>
#include <cmath>

#include "ui/qt/designer/designer_tabs.h"
#include "ui/qt/qt_text.h"

namespace vm {

void TDesignerTabBase::ShowLine(QPlainTextEdit* memo, int32_t line) {
  if (line >= 0) {
    const QTextBlock block = memo->document()->findBlockByNumber(line);
    if (block.isValid()) {
      QTextCursor cursor(block);
      cursor.movePosition(QTextCursor::EndOfBlock);
      memo->setTextCursor(cursor);
      memo->ensureCursorVisible();
    }
  }
  memo->setFocus();
}

QTableWidget* TDesignerTabBase::MakeGrid(const std::vector<std::string>& titles, QWidget* parent) {
  auto* grid = new QTableWidget(1, static_cast<int>(titles.size()), parent);
  QStringList headers;
  for (const std::string& t : titles) headers << ToQt(t);
  grid->setHorizontalHeaderLabels(headers);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->verticalHeader()->hide();
  return grid;
}

QPlainTextEdit* TDesignerTabBase::AddMemoPanel(QWidget* split, QLabel* caption) {
  auto* panel = new QWidget(split);
  auto* layout = new QVBoxLayout(panel);
  caption->setParent(panel);
  layout->addWidget(caption);
  auto* memo = new QPlainTextEdit(panel);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(memo, 1);
  return memo;
}

QPushButton* TDesignerTabBase::AddButton(QLayout* bar, const std::string& caption) {
  auto* button = new QPushButton(ToQt(caption));
  bar->addWidget(button);
  return button;
}

QString TDesignerTabBase::ToMemo(const std::string& text) {
  QString s = ToQt(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

std::string TDesignerTabBase::FromMemo(const QPlainTextEdit* memo) {
  QString s = memo->toPlainText();
  s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return FromQt(s);
}

void TDesignerTabBase::SpreadColumns(QTableWidget* grid, std::initializer_list<double> shares) {
  const int scroll = grid->verticalScrollBar()->isVisible() ? grid->verticalScrollBar()->width() : 0;
  const int width = grid->width() - 7 - scroll;
  int used = 0, column = 0;
  for (double share : shares) {
    const int w = static_cast<int>(std::lround(width * share));
    grid->setColumnWidth(column++, w);
    used += w;
  }
  if (column < grid->columnCount()) grid->setColumnWidth(column, std::max(20, width - used));
}

}  // namespace vm
