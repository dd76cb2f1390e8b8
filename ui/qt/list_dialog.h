// Picks one text from the value list of a cell.
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

class QListWidget;
class QPushButton;

namespace vm {

using TListPick = ListPickRequest;

class TListDialog : public QDialog {
  Q_OBJECT

 public:
  TListDialog(const TListPick& pick, const std::string& preselect, QWidget* parent = nullptr);

  // The selected item trimmed, or empty.
  std::string Chosen() const;
  QListWidget* List() const { return list_; }
  QPushButton* OkButton() const { return ok_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateOk();
  void LayOutButtons();

  QListWidget* list_;
  QWidget* panel_;
  QPushButton* ok_;
  QPushButton* cancel_;
  std::string preselect_;
  bool selected_ = false;
};

// True when closed with OK; text is then the chosen item, or empty.
bool ShowListPick(const TListPick& pick, std::string& text, QWidget* parent = nullptr);

}  // namespace vm
