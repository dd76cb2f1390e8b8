// "Справочники" of the main menu: a tab per reference book, the search
// line and the buttons under them, the status line at the bottom. Only OK
// and "Отмена" close it; what happens belongs to the reference-book logic,
// the window shows its states.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "models/sprav_form_logic.h"
#include "ui/qt/book_scaffold.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vm {

class TDataViewWidget;

class TSpravForm : public QDialog {
  Q_OBJECT

 public:
  explicit TSpravForm(TSettingsModel& model, QWidget* parent = nullptr);
  ~TSpravForm() override;

  TSpravFormLogic& Logic() { return logic_; }
  // Shown modally: the tabs built, the user's work, the changes saved or
  // not, the tabs gone. The window's place is kept in the settings.
  int Execute();

  // Called once the window shows (tests act then).
  std::function<void(TSpravForm&)> OnShown;

  QTabWidget* Tabs() const { return scaffold_.Tabs(); }
  QLineEdit* SearchEdit() const { return scaffold_.SearchEdit(); }
  QLabel* SearchLabel() const { return scaffold_.Panel()->Label(); }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* PrintButton() const { return print_; }
  QPushButton* SortButton() const { return sort_; }
  QPushButton* CancelButton() const { return cancel_; }
  QLabel* StatusLine() const { return scaffold_.Status(); }
  // nullptr for a tab whose form did not compile.
  TDataViewWidget* TabView(int index) const;

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildTabs();
  void RemoveTabs();
  void ShowState();
  void FocusView();

  TSettingsModel& model_;
  TSpravFormLogic logic_;
  TBookScaffold scaffold_;
  QTabWidget* tabs_;
  QLineEdit* edit1_;
  QPushButton* ok_;
  QPushButton* add_;
  QPushButton* delete_;
  QPushButton* print_;
  QPushButton* sort_;
  QPushButton* cancel_;
  std::vector<TDataViewWidget*> views_;
  bool building_ = false;
};

}  // namespace vm
