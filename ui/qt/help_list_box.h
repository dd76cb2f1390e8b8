// The look-up list under a key cell while it is typed: a grid that never
// takes the focus, so the typing goes on in the cell's editor, and whose
// row a click chooses and a double click accepts. The rules of the list
// are the row look-up's; this only shows them.
#pragma once

#include <QTableWidget>
#include <functional>
#include <memory>

#include "documents/row_lookup.h"

namespace vm {

class TDataViewWidget;

class THelpListBox : public QTableWidget {
  Q_OBJECT

 public:
  THelpListBox(TFormPar& form, TDataViewWidget& table, QWidget* panel);
  // The view's handlers are given back as they were.
  ~THelpListBox() override;

  TRowLookup& Lookup() { return lookup_; }
  // Shows what the look-up holds now, placed by the current cell.
  void Refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void KeyDown(TDataView& view, int32_t& key, TShiftState shift);
  void Choose();

  TRowLookup lookup_;
  TFormPar& form_;
  TDataViewWidget& table_;
  QWidget* panel_;
  bool filling_ = false;
  std::function<void(TDataView&)> change_, editEnd_, accepted_;
  std::function<void(TDataView&, int32_t&, TShiftState)> keyDown_;
};

}  // namespace vm
