// The directory chooser: the disks on the left (fixed local ones, then the
// mounted network ones, as sources describe them), the folders of the chosen one on the right, the
// folder chosen shown above and returned on OK.
#pragma once

#include <QDialog>
#include <string>

#include "platform/drives.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vm {

class TDirSelForm : public QDialog {
  Q_OBJECT

 public:
  explicit TDirSelForm(QWidget* parent = nullptr, const TDriveSources& sources = {});

  // The folder chosen; empty while none is.
  std::string Directory() const { return dir_; }
  QTreeWidget* ResTree() const { return resTree_; }
  QListWidget* DirList() const { return dirList_; }
  QPushButton* OkButton() const { return ok_; }
  // Re-reads the disks; the folder list is cleared.
  void RefreshDisks();
  // The folder list shows dir (Windows-1251) and its folders.
  void SetDirectory(const std::string& dir);

 private:
  void ClearDirList();
  void ResTreeClick(QTreeWidgetItem* item);
  void DirListOpen(QListWidgetItem* item);

  TDriveSources sources_;
  std::string dir_;
  QLabel* dirLab_;
  QTreeWidget* resTree_;
  QListWidget* dirList_;
  QPushButton* ok_;
};

// Shows the chooser under caption; on OK dir becomes the folder chosen and
// true comes back.
bool ShowDirSelect(std::string& dir, const std::string& caption, QWidget* parent = nullptr);

}  // namespace vm
