// The archive commands' dialogs: the drive dialog (the form TSelDrvForm),
// the archive-list dialog of a period deletion (the form TDAForm) and the
// volume-file question.
#pragma once

#include <QDialog>
#include <string>

#include "archive/archive_dialogs.h"
#include "platform/drives.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace vm {

// "Выберите диск": the prompt, the media list (the mount points of the
// removable media of sources; "Обзор..." adds any folder) and "Да" / "Нет".
class TDriveDialog : public QDialog {
  Q_OBJECT

 public:
  TDriveDialog(const std::string& prompt, QWidget* parent = nullptr, const TDriveSources& sources = {});
  // The folder the list shows (Windows-1251).
  std::string Drive() const;
  QComboBox* DriveList() const { return drives_; }
  QPushButton* YesButton() const { return yes_; }
  QPushButton* NoButton() const { return no_; }
  QPushButton* BrowseButton() const { return browse_; }
  // Shown only when no removable disk is mounted.
  QLabel* NoDiskLabel() const { return noDisk_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QComboBox* drives_;
  QLabel* noDisk_;
  QPushButton* browse_;
  QPushButton* yes_;
  QPushButton* no_;
};

// "Удаление периода из архива": the configuration's archives by their
// dates; "Удалить" asks before it closes.
class TArchiveListDialog : public QDialog {
  Q_OBJECT

 public:
  TArchiveListDialog(const TArcIDList& list, const std::string& configName, QWidget* parent = nullptr);
  int32_t ChosenIndex() const { return chosen_; }
  bool MoveToMedia() const;
  QTableWidget* Grid() const { return grid_; }
  QPushButton* DeleteButton() const { return delete_; }
  QCheckBox* MoveBox() const { return move_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitColumns();
  void DeleteClicked();

  const TArcIDList& list_;
  std::string configName_;
  int32_t chosen_ = -1;
  QTableWidget* grid_;
  QPushButton* delete_;
  QCheckBox* move_;
};

// The windows' side of the archive dialogs, installed while it lives.
class TQtArchiveDialogs {
 public:
  // sources: where the drive dialog looks for the removable media.
  explicit TQtArchiveDialogs(QWidget* parent, TDriveSources sources = {});
  ~TQtArchiveDialogs();

 private:
  QWidget* parent_;
  TDriveSources sources_;
  TArchiveDialogs dialogs_;
};

}  // namespace vm
