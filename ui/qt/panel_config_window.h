// "Настройка панелей": the panels and the buttons of the chosen panel, each
// list with its commands, and the button dialog that picks a button's
// document, caption and picture. What the commands do belongs to the panel
// editor logic; the windows show its states.
#pragma once

#include <QDialog>
#include <functional>

#include "models/panel_editor.h"

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTreeWidget;

namespace vm {

class TButConfForm : public QDialog {
  Q_OBJECT

 public:
  TButConfForm(const TDocTree& tree, const TMyPanel* panel, const TButtonChoice& start, bool editing,
               QWidget* parent = nullptr);

  TButtonDialogLogic& Logic() { return logic_; }
  QTreeWidget* Tree() const { return tree_; }
  QLineEdit* CaptionEdit() const { return edit1_; }
  QTableWidget* Images() const { return grid_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  void ShowState();

  TButtonDialogLogic logic_;
  QTreeWidget* tree_;
  QLineEdit* edit1_;
  QTableWidget* grid_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// True on OK with the choice filled in.
bool ShowButtonDialog(const std::string& caption, const TDocTree& tree, const TMyPanel* panel, bool editing,
                      TButtonChoice& choice, QWidget* parent = nullptr);

class TConfigForm : public QDialog {
  Q_OBJECT

 public:
  explicit TConfigForm(TSettingsModel& model, QWidget* parent = nullptr);

  TPanelEditorLogic& Logic() { return logic_; }
  QListWidget* Panels() const { return listBox1_; }
  QListWidget* ButtonList() const { return listBox2_; }
  QGroupBox* ButtonGroup() const { return groupBox2_; }
  QPushButton* AddPanelButton() const { return addPanel_; }
  QPushButton* DeletePanelButton() const { return deletePanel_; }
  QPushButton* RenamePanelButton() const { return renamePanel_; }
  QPushButton* PanelUpButton() const { return panelUp_; }
  QPushButton* PanelDownButton() const { return panelDown_; }
  QPushButton* AddButtonButton() const { return addButton_; }
  QPushButton* DeleteButtonButton() const { return deleteButton_; }
  QPushButton* EditButtonButton() const { return editButton_; }
  QPushButton* ButtonUpButton() const { return buttonUp_; }
  QPushButton* ButtonDownButton() const { return buttonDown_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FillPanels();
  void FillButtons();
  void ShowState();
  void AskAddPanel();
  void AskRenamePanel();
  void AskButton(bool editing);

  TSettingsModel& model_;
  TPanelEditorLogic logic_;
  QListWidget* listBox1_;
  QListWidget* listBox2_;
  QGroupBox* groupBox2_;
  QPushButton* addPanel_;
  QPushButton* deletePanel_;
  QPushButton* renamePanel_;
  QPushButton* panelUp_;
  QPushButton* panelDown_;
  QPushButton* addButton_;
  QPushButton* deleteButton_;
  QPushButton* editButton_;
  QPushButton* buttonUp_;
  QPushButton* buttonDown_;
  QPushButton* ok_;
  QPushButton* cancel_;
  bool filling_ = false;
};

}  // namespace vm
