#include "ui/qt/base_question_dialog.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/encoding.h"
#include "platform/services.h"
#include "foundation/qt/qt_text.h"

namespace vm {

TBaseQuestionDialog::TBaseQuestionDialog(QWidget* parent)
    : TButtonClosedDialog(parent),
      grid_(new QTableWidget(this)),
      panel_(new QWidget(this)),
      ok_(new QPushButton("OK", panel_)),
      newRecordButton_(new QPushButton(ToQt("Новая запись"_wv), panel_)),
      cancel_(new QPushButton(ToQt("Отмена"_wv), panel_)) {
  setWindowTitle(ToQt("Выбор из списка"_wv));
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(18);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid_->setShowGrid(true);
  panel_->setFixedHeight(38);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(grid_, 1);
  layout->addWidget(panel_);
  for (QPushButton* b : {ok_, newRecordButton_, cancel_}) b->resize(100, 25);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, [this] { Finish(kIdOk); });
  connect(cancel_, &QPushButton::clicked, this, [this] { Finish(kIdCancel); });
  connect(newRecordButton_, &QPushButton::clicked, this, &TBaseQuestionDialog::NewRecord);
  connect(grid_, &QTableWidget::currentCellChanged, this, [this] { UpdateOk(); });
  resize(305, 297 + 38);
}

void TBaseQuestionDialog::SetGrid(int colCount, int rowCount) {
  grid_->setColumnCount(colCount);
  grid_->setRowCount(rowCount);
}

void TBaseQuestionDialog::SetColWidth(int col, int width) { grid_->setColumnWidth(col, width); }

void TBaseQuestionDialog::FitGrid(int visibleRows, int minWidth, int maxWidth) {
  // Measured in the grid's own fonts and margins (the titles are bold): a
  // width worked out from the plain font cuts the texts.
  QHeaderView* rowsHeader = grid_->verticalHeader();
  const int rowHeight = std::max(rowsHeader->defaultSectionSize(), grid_->fontMetrics().height() + 4);
  rowsHeader->setDefaultSectionSize(rowHeight);
  int width = 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < grid_->columnCount(); ++c) {
    const int asked = grid_->columnWidth(c);
    grid_->resizeColumnToContents(c);
    grid_->setColumnWidth(c, std::max(asked, grid_->columnWidth(c)));
    width += grid_->columnWidth(c);
  }
  width = std::max(width, minWidth);
  const bool sideways = width > maxWidth;
  grid_->setHorizontalScrollBarPolicy(sideways ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  int height = 2 * grid_->frameWidth() + (visibleRows + 1) * rowHeight;
  if (sideways) height += grid_->horizontalScrollBar()->sizeHint().height();
  resize(std::min(width, maxWidth), height + panel_->height());
}

void TBaseQuestionDialog::SetCell(int col, int row, const std::string& text) {
  auto* item = new QTableWidgetItem(ToQt(text));
  if (row == 0) {
    QFont bold = item->font();
    bold.setBold(true);
    item->setFont(bold);
  }
  grid_->setItem(row, col, item);
}

std::string TBaseQuestionDialog::Cell(int col, int row) const {
  const QTableWidgetItem* item = grid_->item(row, col);
  return item ? FromQt(item->text()) : std::string();
}

int TBaseQuestionDialog::RowCount() const { return grid_->rowCount(); }

int TBaseQuestionDialog::CurrentRow() const { return grid_->currentRow(); }

void TBaseQuestionDialog::SetCurrentRow(int row) {
  grid_->setCurrentCell(row, 0);
  UpdateOk();
}

void TBaseQuestionDialog::SetNewRecordVisible(bool visible) {
  newRecordButton_->setVisible(visible);
  LayOutButtons();
}

void TBaseQuestionDialog::SetCancelVisible(bool visible) {
  cancel_->setVisible(visible);
  LayOutButtons();
}

int TBaseQuestionDialog::ShowModal() {
  // The dialog is hidden while the new record is asked for: a hidden modal
  // dialog has left its loop, so it is run again when that is refused.
  for (;;) {
    const int result = exec();
    if (result != kAskNewRecord) return result;
    if (newRecord_ && newRecord_() == kIdOk) return kNewRecord;
  }
}

void TBaseQuestionDialog::LayOutButtons() {
  const bool withNew = !newRecordButton_->isHidden();
  const bool withCancel = !cancel_->isHidden();
  const int k = 1 + (withNew ? 1 : 0) + (withCancel ? 1 : 0);
  const int free = panel_->width() - ok_->width() - (withNew ? newRecordButton_->width() : 0) -
                   (withCancel ? cancel_->width() : 0);
  const int gap = free / (k + 1);
  const int v = withNew ? 1 : 0;
  const int top = (panel_->height() - ok_->height()) / 2;
  ok_->move(gap, top);
  newRecordButton_->move(2 * gap + ok_->width(), top);
  cancel_->move((2 + v) * gap + ok_->width() + v * newRecordButton_->width(), top);
}

void TBaseQuestionDialog::UpdateOk() {
  const int row = grid_->currentRow();
  ok_->setEnabled(row >= 1 && row < grid_->rowCount() && !Cell(0, row).empty());
}

void TBaseQuestionDialog::NewRecord() { Finish(kAskNewRecord); }

void TBaseQuestionDialog::showEvent(QShowEvent* event) {
  TButtonClosedDialog::showEvent(event);
  grid_->setFocus();
  UpdateOk();
}

void TBaseQuestionDialog::EscapePressed() {
  // Esc is the key of "Новая запись".
  if (!newRecordButton_->isHidden()) NewRecord();
}

}  // namespace vm
