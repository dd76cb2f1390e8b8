// "Выбор из списка": the user picks a record of a database from a grid, or
// asks for a new one. Row 0 of the grid holds the titles; a data row whose
// first cell is empty cannot be chosen.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/qt/button_closed_dialog.h"

class QPushButton;
class QTableWidget;

namespace vm {

class TBaseQuestionDialog : public TButtonClosedDialog {
  Q_OBJECT

 public:
  static constexpr int kNewRecord = 3;
  static constexpr int kAskNewRecord = 4;  // inside ShowModal only

  explicit TBaseQuestionDialog(QWidget* parent = nullptr);

  void SetGrid(int colCount, int rowCount);  // rows include the title row
  void SetColWidth(int col, int width);
  void SetCell(int col, int row, const std::string& text);
  std::string Cell(int col, int row) const;
  int RowCount() const;
  int CurrentRow() const;
  void SetCurrentRow(int row);
  void SetNewRecordVisible(bool visible);
  void SetCancelVisible(bool visible);
  // Widens the columns to their texts as the grid draws them and sizes the
  // dialog to show visibleRows data rows under the titles, at least
  // minWidth and at most maxWidth wide (scrolled sideways beyond).
  void FitGrid(int visibleRows, int minWidth, int maxWidth);
  // Called by "Новая запись" with the dialog hidden; 1 when a record was made.
  void SetNewRecordHandler(std::function<int()> handler) { newRecord_ = std::move(handler); }
  // 1 a row was chosen, 2 cancelled, kNewRecord a record was made.
  int ShowModal();

  QTableWidget* Grid() const { return grid_; }
  QPushButton* OkButton() const { return ok_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void EscapePressed() override;

 private:
  void LayOutButtons() override;
  void UpdateOk();
  void NewRecord();

  QTableWidget* grid_;
  QWidget* panel_;
  QPushButton* ok_;
  QPushButton* newRecordButton_;
  QPushButton* cancel_;
  std::function<int()> newRecord_;
};

}  // namespace vm
