// The look-up list under a key cell while it is typed: a grid that never
// takes the focus, so the typing goes on in the cell's editor, and whose
// row a click chooses and a double click accepts. The row entry of the
// table owns the rules; this only shows its list. Every table of the
// document window has one, shown only for a table with a reference book.
#pragma once

#include <QTableWidget>
#include <memory>

#include "documents/row_entry.h"

namespace vm {

class TDataViewWidget;

class THelpListBox : public QTableWidget {
  Q_OBJECT

 public:
  THelpListBox(TCompiledDocument& doc, TFormPar& form, TDataViewWidget& table, QWidget* panel);
  // The entry gives the view's handlers back.
  ~THelpListBox() override;

  TRowEntry& Entry() { return *entry_; }
  TRowLookup& Lookup() { return entry_->Lookup(); }
  // Shows what the look-up holds now, placed by the current cell.
  void Refresh();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  std::unique_ptr<TRowEntry> entry_;
  TFormPar& form_;
  TDataViewWidget& table_;
  QWidget* panel_;
};

}  // namespace vm
