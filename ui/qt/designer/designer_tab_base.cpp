#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>
#include <cmath>

#include "ui/qt/designer/designer_tabs.h"
#include "foundation/qt/qt_text.h"

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
  QString s = TypedText(*memo->document());
  s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return FromQt(s);
}

namespace {

// A grid's own size is known only once it is shown and laid out by its
// panel: a hidden tab's grids still have their first size when the tab
// hears of a resize. So the grid itself is watched.
class TGridLayOut : public QObject {
 public:
  TGridLayOut(QTableWidget* grid, std::function<void()> layOut)
      : QObject(grid), grid_(grid), layOut_(std::move(layOut)) {
    grid->installEventFilter(this);
    grid->verticalScrollBar()->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type t = event->type();
    const bool gridSized = watched == grid_ && (t == QEvent::Resize || t == QEvent::Show);
    const bool barToggled = watched != grid_ && (t == QEvent::Show || t == QEvent::Hide);
    if ((gridSized || barToggled) && grid_->isVisible()) layOut_();
    return false;
  }

 private:
  QTableWidget* grid_;
  std::function<void()> layOut_;
};

}  // namespace

void TDesignerTabBase::KeepLaidOut(QTableWidget* grid, std::function<void()> layOut) {
  new TGridLayOut(grid, std::move(layOut));
}

void TDesignerTabBase::KeepColumnShares(QTableWidget* grid, std::vector<double> shares, int margin) {
  KeepLaidOut(grid, [grid, shares, margin] {
    const int scroll = grid->verticalScrollBar()->isVisible() ? grid->verticalScrollBar()->width() : 0;
    const int width = grid->width() - margin - scroll;
    int used = 0, column = 0;
    for (double share : shares) {
      const int w = static_cast<int>(std::lround(width * share));
      grid->setColumnWidth(column++, w);
      used += w;
    }
    if (column < grid->columnCount()) grid->setColumnWidth(column, std::max(20, width - used));
  });
}

}  // namespace vm
