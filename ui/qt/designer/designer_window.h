// The window "Служебные настройки": the ten tabs over the designer's
// working copies and the bar of OK, "Сохранить" and "Отмена". It closes
// only through OK or a confirmed "Отмена".
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTabWidget>
#include <array>

#include "documents/designer/designer.h"
#include "ui/qt/designer/designer_tabs.h"
#include "ui/qt/designer/tab_rows.h"

namespace vm {

class TDesignerWindow : public QDialog {
  Q_OBJECT

 public:
  TDesignerWindow(TDesigner& designer, QWidget* parent = nullptr);

  // Shows the configuration, runs the window modally and empties the
  // working copies when it closes.
  void Run();
  // The working copies made and shown on the first tab.
  void ShowDesigner();
  // The controls brought up to date with the designer's enabling table.
  void UpdateControls();
  TDesignerTab CurrentTab() const { return static_cast<TDesignerTab>(Tabs->currentIndex()); }
  void SelectTab(TDesignerTab tab) { Tabs->setCurrentIndex(static_cast<int>(tab)); }

  TDesigner& Designer() { return d_; }
  // The captions, in rows; Tabs holds the pages and the current index.
  TTabRows* TabRows;
  QTabWidget* Tabs;
  TCommandsTab* Commands;
  TFormsTab* Forms;
  TBasesTab* Bases;
  TBooksTab* Books;
  TAutoParamsTab* AutoParams;
  TStartOfDayTab* StartOfDay;
  TMiscTab* Misc;
  TArchiveTab* Archive;
  TPrintingTab* Printing;
  TLabelsTab* Labels;
  QPushButton *Ok, *Save, *Cancel;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;

 private:
  void RefreshAll();

  TDesigner& d_;
  std::array<TDesignerTabBase*, kDesignerTabCount> tabs_{};
  bool updating_ = false;
};

}  // namespace vm
