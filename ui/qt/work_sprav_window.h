// "Справочники": the document's look-up pages beside the document window,
// a tab per page, the search line and "Добавить" under them and the status
// line at the bottom. The page follows the document's current table (the
// user's tab clicks are refused); closing only returns to the document.
// What happens belongs to the look-up logic; the window shows its states.
#pragma once

#include <QWidget>
#include <vector>

#include "documents/work_sprav.h"
#include "ui/qt/book_scaffold.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vm {

class TDataViewWidget;
class TLookupPageWidget;

class TWorkSprav : public QWidget {
  Q_OBJECT

 public:
  TWorkSprav(TCompiledDocument& doc, TDocumentFrame& frame, QWidget* parent = nullptr);
  ~TWorkSprav() override;

  TWorkSpravLogic& Logic() { return logic_; }
  // A sheet per page, filled and sorted; and taken out again.
  void AttachLookupPages();
  void DetachLookupPages();
  // To the front with the page's view focused.
  void ToFront();

  QTabWidget* Tabs() const { return scaffold_.Tabs(); }
  QLineEdit* SearchEdit() const { return scaffold_.SearchEdit(); }
  QLabel* SearchLabel() const { return scaffold_.Panel()->Label(); }
  QPushButton* AddButton() const { return add_; }
  QLabel* StatusLine() const { return scaffold_.Status(); }
  TLookupPageWidget* Sheet(int index) const;
  TDataViewWidget* PageView(int index) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowState();
  bool ViewFocused() const;

  TWorkSpravLogic logic_;
  TBookScaffold scaffold_;
  QTabWidget* tabs_;
  QLineEdit* edit1_;
  QPushButton* add_;
  std::vector<TLookupPageWidget*> sheets_;
  bool showingTab_ = false;
};

}  // namespace vm
