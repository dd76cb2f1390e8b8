// The main window: the menu bar with the document menus built from the
// document tree, wrapped into lines that fit the screen, and the user
// panels of document buttons under it. Every command starts here; the
// window only asks its owner to run a document.
#pragma once

#include <QAction>
#include <QFrame>
#include <QMainWindow>
#include <QSize>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_menu.h"
#include "archive/bh_packing.h"
#include "ui/qt/archive_dialogs.h"
#include "config/settings.h"
#include "models/main_layout.h"
#include "models/panel_layout.h"

class QLabel;
class QMenu;
class QMenuBar;
class QToolButton;

namespace vm {

// A document's menu item: it starts the document it carries (not owned).
class TMyMenuItem : public QAction {
  Q_OBJECT

 public:
  TMyMenuItem(TDocData *doc, QObject *parent);
  TDocData *Doc() const { return doc_; }

 private:
  TDocData *doc_;
};

// One shown user panel: its caption over its grid of document buttons.
class TMyToolBar : public QFrame {
  Q_OBJECT

 public:
  TMyToolBar(TMyPanel &panel, QWidget *parent);
  TMyPanel &Panel() const { return panel_; }
  // The caption's width in its font, which the layout widens the grid for.
  int32_t CaptionWidth() const;
  void Place(const TPanelPlace &place);
  QToolButton *Button(int32_t index) const { return buttons_[static_cast<std::size_t>(index)]; }
  int32_t ButtonCount() const { return static_cast<int32_t>(buttons_.size()); }

 signals:
  void DocumentClicked(TDocData *doc);

 private:
  TMyPanel &panel_;
  QLabel *caption_;
  std::vector<QToolButton *> buttons_;
};

struct TMainWindowOptions {
  bool LocalBases = true;
  // The archive configurations that passed their check (their IDs): each
  // gets an item in the four archive submenus of "Сервис".
  std::vector<int32_t> ValidArchives;
  // Runs a document chosen from a menu or a panel.
  std::function<void(TDocData &)> RunDocument;
  // The access password of a level (the archive items ask level 14);
  // unset, none is asked.
  std::function<bool(int32_t level)> AskPassword;
  // "Служебные настройки" of the menu and of the window's pop-up; without
  // it both are disabled.
  std::function<void()> OpenDesigner;
  // The primary screen's size; tests give their own.
  std::function<QSize()> ScreenSize;
  // Ends the process after a restore of the backup copy; unset, at once
  // with the code given, without the normal shut-down.
  std::function<void(int code)> ExitAfterRestore;
};

class TMainWindow : public QMainWindow {
  Q_OBJECT

 public:
  TMainWindow(TSettingsModel &model, TMainWindowOptions options, QWidget *parent = nullptr);
  ~TMainWindow() override;

  // The document menus from the document tree, one top-level menu per
  // top-level node after "Управление"; folders become submenus.
  void BuildDocMenus();
  // One item per checked archive configuration in each archive submenu;
  // with none, the submenus and their separators are hidden.
  void BuildArchiveMenus();
  void SetValidArchives(std::vector<int32_t> ids) { options_.ValidArchives = std::move(ids); }
  // The panel items of "Панели" and the shown panels under the menu; the
  // window takes the size they need.
  void BuildPanels();
  void ArrangePanels();
  TMyPanel *FindPanelAt(const QPoint &clientPoint) const;

  // The room the menu bar takes wrapped into lines on the screen, and its
  // top-level items put into those lines.
  TMenuLines MenuWidth() const;
  void WrapMenu();

  // The saved place, kept on the screen; and back into the settings.
  void RestorePlace();
  void StorePlace();

  // The pop-up for a point of the client area: the panels' own over a
  // panel (remembering it for "Скрыть"), the window's elsewhere.
  QMenu *PopupFor(const QPoint &clientPoint);
  QAction *HidePanelAction() const { return hidePanel_; }

  TSettingsModel &Model() const { return model_; }
  QAction *BooksAction() const { return books_; }
  QAction *PanelSetupAction() const { return panelSetup_; }

  QMenu *ControlMenu() const { return control_; }
  QMenu *ServiceMenu() const { return service_; }
  QMenu *PanelsMenu() const { return panels_; }
  QMenu *PanelPopup() const { return panelPopup_; }
  QMenu *WindowPopup() const { return windowPopup_; }
  const std::vector<QMenu *> &ArchiveMenus() const { return archiveMenus_; }
  // The one compressor and extractor of the archive commands.
  TArchivePacker &Packer() { return *packer_; }
  // What an archive item runs: the command on the configuration of that ID.
  void RunArchiveItem(TArchiveCommand command, int32_t configId);
  // "Создание резервной копии данных" and, with restore, "Восстановление
  // данных из резервной копии".
  void RunBackupItem(bool restore);
  QAction *BackupAction() const { return backup_; }
  QAction *RestoreBackupAction() const { return restoreBackup_; }
  const std::vector<QMenu *> &DocMenus() const { return docMenus_; }
  const std::vector<TMyToolBar *> &ToolBars() const { return toolBars_; }
  // The menu bars of the lines after the first.
  const std::vector<QMenuBar *> &MenuLines() const { return menuLines_; }
  QAction *ExitAction() const { return exit_; }
  QSize ScreenSize() const;

 protected:
  void closeEvent(QCloseEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;

 private:
  void BuildFixedMenus();
  void AddDesignerItem(QMenu *menu);
  void AddDocNode(TDocNode &node, QMenu *menu);
  void Run(TDocData *doc);
  // The top-level menus in their order: "Управление", the documents,
  // "Сервис", "Панели".
  std::vector<QMenu *> TopMenus() const;

  TSettingsModel &model_;
  TMainWindowOptions options_;
  QWidget *client_;
  QWidget *panelArea_;
  QMenu *control_ = nullptr;
  QMenu *service_ = nullptr;
  QMenu *panels_ = nullptr;
  QMenu *panelPopup_ = nullptr;
  QMenu *windowPopup_ = nullptr;
  QAction *hidePanel_ = nullptr;
  QAction *books_ = nullptr;
  QAction *panelSetup_ = nullptr;
  QAction *panelsSeparator_ = nullptr;
  QAction *exit_ = nullptr;
  std::vector<QMenu *> archiveMenus_;
  std::vector<QAction *> archiveSeparators_;
  std::vector<QMenu *> docMenus_;
  std::vector<QMenuBar *> menuLines_;
  std::vector<QAction *> panelItems_;
  std::vector<TMyToolBar *> toolBars_;
  TPanelArrangement arrangement_;
  TMyPanel *popupPanel_ = nullptr;
  std::unique_ptr<TArchivePacker> packer_;
  std::unique_ptr<TQtArchiveDialogs> archiveDialogs_;
  QAction *backup_ = nullptr;
  QAction *restoreBackup_ = nullptr;
};

}  // namespace vm
