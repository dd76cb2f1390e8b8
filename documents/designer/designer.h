// The configuration designer without its window: working copies of the
// registries the administrator edits, what each command of its tabs does to
// them, the order in which they become the running configuration, and which
// controls may be used. The window shows this object and passes on what the
// user typed; tests drive it directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/archive_config.h"
#include "config/doctree.h"
#include "config/page_format.h"
#include "config/price_tags.h"
#include "config/registries.h"
#include "config/settings.h"
#include "documents/designer/designer_rules.h"
#include "documents/designer/graphics_editor.h"
#include "platform/scanner.h"

namespace vm {

enum class TDesignerTab {
  Commands,
  Forms,
  Bases,
  Books,
  AutoParams,
  Misc,
  StartOfDay,
  Archive,
  Labels,
  Printing
};
inline constexpr int32_t kDesignerTabCount = 10;

// What the designer needs of the program around it.
class TDesignerHost {
 public:
  virtual ~TDesignerHost() = default;
  // The main window's document, archive and panel items go before the tree
  // they point into is replaced, and are built again from the new one.
  virtual void RemoveMenus() {}
  virtual void RebuildMenus() {}
  virtual void ApplyTitle() {}
  virtual void CompileAllCenZones() {}
  // The fonts of the screen, offered by the font list.
  virtual std::vector<std::string> FontNames() const { return {}; }
  // Runs doc on the document road (the test-run flag is already set or
  // cleared); true when it ended in an error, with its line (1-based, 0 or
  // less when unknown). By default without windows.
  virtual bool RunDocument(TDocData& doc, int32_t& errorLine);
  // The designer window is disabled while a document runs.
  virtual void EnableDesigner(bool /*on*/) {}
  // The settings block of the installed printer closest to printer; empty
  // when there is none or the driver keeps none.
  virtual std::string PrinterSettings(const std::string& /*printer*/) { return {}; }
  // The driver's page settings of that printer started from data; true
  // with the edited block in data, false when cancelled or impossible.
  virtual bool EditPrinterSettings(const std::string& /*printer*/, std::string& /*data*/) {
    return false;
  }
  // The pictures loaded are those of tag alone (none for nullptr).
  virtual void ShowTagPictures(const TCennik* /*tag*/) {}
};

// The size and position spins of the "Ярлыки" tab.
enum class TCenSpin { Border, Height, Width, ZoneX, ZoneY, ZoneWidth, ZoneHeight };

// The values of the "Разное" tab as its edits show them.
struct TDesignerMisc {
  std::string BaseDir;
  bool Network = false;
  std::string FontName;
  std::string PrinterName;
  bool SystemClock = false;
  std::string Title;
  std::string ScrollText;
  std::string DefaultFormatName;
  bool Compressed = false;
};

// Which grid of the databases tab the buttons act on.
enum class TBaseGrid { None, Bases, Fields };

// The enabling table of the window's controls.
struct TDesignerEnabling {
  bool DocAdd = false, DocDelete = false, DocPreview = false, DocDescription = false;
  bool BlankDelete = false, BlankRename = false, BlankPreview = false;
  bool BaseAdd = false, BaseDelete = false, BaseEdit = false;
  bool AutoParamDelete = false, AutoParamChange = false;
  bool BookEdits = false, BookEditColumns = false;
  bool ArchiveConfigCommands = false, ArchiveEntryAdd = false, ArchiveEntryChange = false;
  bool FormatCommands = false;
  bool TagCommands = false, ZoneCommands = false, TagSpin = false, ZoneSpin = false;
};

// Where a run or a check leaves the caret: a 0-based line of the memo, -1
// for none.
struct TDesignerRunEnd {
  bool Error = false;
  int32_t CaretLine = -1;
};

// How a blank is previewed on a screen of a given size.
struct TPreviewGeometry {
  double Scale = 1.0;
  double Zoom = 1.0;
  int32_t Width = 0;
  int32_t Height = 0;
  std::string Caption;
};
TPreviewGeometry PreviewGeometry(int32_t screenWidth, int32_t screenHeight, double pixelsPerInch,
                                 int32_t blankWidth);

class TDesigner {
 public:
  TDesigner(TSettingsModel& live, TDesignerHost& host);
  ~TDesigner();
  TDesigner(const TDesigner&) = delete;
  TDesigner& operator=(const TDesigner&) = delete;

  // --- The frame ---------------------------------------------------------
  void Show();
  void Hide();
  // OK: applied and saved; false (the window stays) when a file could not
  // be written.
  bool Ok();
  bool Save();
  // "Отмена": true (close) when the user confirms.
  bool Cancel();
  void Apply();
  void TabChanged(TDesignerTab tab);
  bool MayClose() const { return mayClose_; }
  bool RestartNeeded() const { return restartNeeded_; }
  void SetRestartNeeded() { restartNeeded_ = true; }
  TDesignerEnabling Enabling() const;

  // The working copies.
  TBlanks Blanks;
  TUsedBaseList Bases;
  TMyList Books;
  TAutoList AutoParams;
  TArchiveConfigList ArchiveConfigs;
  TPageFormatList PageFormatList;
  TDocData StartOfDay;
  TDocTree Tree;
  TPasswordRecords Passwords{};
  TSerialRecord Serial{};
  TDesignerMisc Misc;
  std::vector<std::string> Fonts;

  // --- "Команды" -----------------------------------------------------------
  TDocNode* SelectedNode() const { return selected_; }
  // Shows the node: a password outside -1..10 becomes -1.
  void SelectNode(TDocNode* node);
  std::string NodeDescription() const;
  int32_t NodePasswordShown() const;
  void SetDescription(std::string text);
  void SetPasswordText(std::string_view text);
  TDocNode* AddDocument();
  // Asks first; true when deleted.
  bool DeleteDocument();
  bool CanDrag() const;
  bool CanDrop(const TDocNode* target) const;
  // Moves the selected node in front of target as its sibling.
  bool Drop(TDocNode* target);
  // "Искать" and "Искать далее": the node found is selected; false (after
  // the message) when none. SearchCaret is the match in its description as
  // the memo shows it, each CR LF one line break.
  bool Find(const std::string& text);
  bool FindNext();
  static std::string& SearchText();
  int32_t SearchCaret() const { return searchCaret_; }
  TDesignerRunEnd TestRun();
  TDesignerRunEnd CheckAll();

  // --- "Автозапуск" --------------------------------------------------------
  void SetStartOfDayText(std::string text) { StartOfDay.Description = std::move(text); }
  TDesignerRunEnd CheckStartOfDay();
  // Asks first; Error false and no caret when declined.
  TDesignerRunEnd ExecuteStartOfDay();

  // --- "Формы" ----------------------------------------------------------------
  std::vector<std::string> BlankNames() const;
  int32_t CurrentBlankIndex() const { return currentBlank_; }
  TCurBlank* CurrentBlank() const { return Blanks.GetItem(currentBlank_); }
  void SelectBlank(int32_t index);
  std::string BlankCaption() const;
  void SetBlankText(std::string text);
  bool AddBlank(const std::string& name);
  bool DeleteBlank();
  bool RenameBlank(const std::string& name);
  // Compiles the current blank for its preview; on an error the message is
  // shown and the caret line returned.
  TDesignerRunEnd CompileBlankForPreview();

  // --- "Зарегистрированные базы" -----------------------------------------
  std::vector<TDbaseStructure*> ListedBases() const;
  std::vector<std::string> BaseFileNames() const;
  std::vector<std::string> BaseAliases() const;
  std::vector<std::string> FieldNames() const;
  TDbaseStructure* CurrentBase() const { return currentBase_; }
  int32_t CurrentBaseRow() const;
  void SelectBase(int32_t row);
  TBaseGrid ActiveGrid = TBaseGrid::None;
  int32_t FieldRow = 0;
  bool AddBase(const TBaseDialogTexts& t);
  bool EditBase(const TBaseDialogTexts& t);
  bool DeleteBase();
  bool AddField(const TFieldDialogTexts& t);
  bool EditField(const TFieldDialogTexts& t);
  bool DeleteField();

  // --- "Справочники" ------------------------------------------------------------
  std::vector<std::string> BookNames() const;
  // The forms a book may use: the working blanks that compiled.
  std::vector<std::string> CompiledBlankNames() const;
  TSpravDef* CurrentBook() const { return currentBook_; }
  int32_t CurrentBookIndex() const { return currentBookIndex_; }
  void SelectBook(int32_t index);
  bool AddBook(const std::string& alias, const std::string& name);
  bool DeleteBook();
  void SetBookForm(const std::string& name);
  void SetSortText(const std::string& text);
  void SetEditColumnsText(const std::string& text);
  void SetColumnField(int32_t row, const std::string& field);
  // The fields the column of that row (0-based) may show.
  std::vector<std::string> FieldChoices(int32_t row) const;

  // --- "Автопараметры" --------------------------------------------------------
  std::vector<std::string> AutoParamNames() const;
  int32_t AutoParamRow = 0;
  bool AddAutoParam(const std::string& name, const std::string& value, const std::string& typeName);
  bool DeleteAutoParam();
  void ChangeAutoParam(const std::string& value, bool local);

  // --- "Разное" -----------------------------------------------------------------
  // The font list's text as typed: the closest font becomes the program's
  // font at once; its index, or -1 (then "Times New Roman").
  int32_t SetFontText(const std::string& text);
  // "Обзор" chose a directory, or "Сеть" was clicked: both take effect only
  // after a restart.
  void ChooseBaseDir(const std::string& dir);
  void ClickNetwork(bool on);
  static const std::vector<std::string>& PasswordItems();
  // Record k (1..16) of the working block takes the password the dialog
  // returned.
  void SetPassword(int32_t k, const std::string& text);
  static std::vector<std::string> ScannerPorts();
  std::string ScannerPortName() const;
  // The item of the port list the record names; -1 when none.
  int32_t ScannerPortIndex() const;
  void StoreScannerPort(int32_t index);
  // The port is closed before its settings are shown for editing.
  TPortConfig ScannerConfigForEdit();
  void SetScannerConfig(const TPortConfig& config);
  bool CloseAfterCommand() const;
  void SetCloseAfterCommand(bool on);

  // --- "Архивация" --------------------------------------------------------------
  std::vector<std::string> ArchiveConfigNames() const;
  TArchiveConfig* CurrentArchive() const;
  int32_t CurrentArchiveIndex() const { return currentArchive_; }
  // An index outside the list shows none.
  void ShowArchiveConfig(int32_t index);
  // The grid's rows of the current configuration (six cells each).
  std::vector<std::vector<std::string>> ArchiveRows() const;
  // The grid's current row, 1-based (0: the header, nothing chosen).
  int32_t ArchiveRow = 0;
  bool AddArchiveConfig(const std::string& name);
  // Asks first; shows the one now at the deleted index (or the one before
  // when the last went).
  bool DeleteArchiveConfig();
  // Refused when another configuration has that name.
  bool RenameArchiveConfig(const std::string& name);
  // "Проверить": false with the failing row chosen and the message shown.
  bool CheckArchiveConfig();
  // What the entry dialog offers: for a new entry (editing false) or the
  // entry of the current row.
  TArchiveEntryDialog ArchiveEntryDialog(bool editing) const;
  bool AddArchiveEntry(const TArchiveEntryTexts& t);
  bool EditArchiveEntry(const TArchiveEntryTexts& t);
  // Asks first.
  bool DeleteArchiveEntry();

  // --- "Печать" -----------------------------------------------------------------
  std::vector<std::string> PageFormatNames() const;
  int32_t FormatIndex = -1;
  // A "Новый формат" with the settings of the chosen printer; it becomes
  // the selected one.
  void AddPageFormat();
  void DeletePageFormat();
  // The driver's page settings of the chosen printer for the selected
  // format; true when they were taken.
  bool EditPageFormat();
  // A comma would split the stored "name,data" form, so it becomes a point.
  void RenamePageFormat(const std::string& text);
  void MakeDefaultFormat();

  // --- "Ярлыки" -----------------------------------------------------------------
  TCenList PriceTags;
  int32_t CurrentTagIndex() const { return currentTag_; }
  TCennik* CurrentTag() const;
  int32_t CurrentZoneIndex() const { return currentZone_; }
  TCenZone* CurrentZone() const;
  // The tag at index (clamped), its first zone current; its pictures are
  // loaded again even when it was shown already.
  void ShowCennik(int32_t index);
  // The current tag, its width and height raised to at least 1 so that it
  // can be drawn; nullptr without one.
  TCennik* TagToDraw();
  // The texts of the number spins: invalid ones are ignored.
  void SelectTagText(const std::string& text);
  void SelectZoneText(const std::string& text);
  void SelectZone(int32_t index);
  int32_t SpinValue(TCenSpin spin) const;
  void ApplyCenSpin(TCenSpin spin, const std::string& text);
  // A click on the preview at (x, y) in 0.1 mm from the tag's corner: the
  // zone there becomes current; between zones nothing changes.
  void ClickTag(int32_t x, int32_t y);
  void AddTag();
  // Both ask first.
  bool DeleteTag();
  void AddZone();
  bool DeleteZone();
  // The zone text dialog's values of the current zone, and what its OK
  // stores (the expression compiled afresh).
  TZoneDialogValues ZoneDialog() const;
  void StoreZoneDialog(const TZoneDialogValues& v);
  // "Графика": the editor works on copies of the tag's objects; OK puts
  // them back and their pictures are loaded again.
  void StartGraphics(TGraphicsEditor& editor) const;
  void TakeGraphics(const TGraphicsEditor& editor);

 private:
  void PointCompileAtWorkingCopies();
  void PointCompileAtLive();
  void CopyWorkingFromLive();
  // Selects what a search found, or tells that nothing was.
  bool ShowFound(TDocNode* found, const std::string& text);
  TDesignerRunEnd RunOnRoad(TDocData& doc, bool test, const std::string& memo);
  bool SaveAll();
  void RecheckBooks();

  TSettingsModel& live_;
  TDesignerHost& host_;
  bool mayClose_ = false;
  bool restartNeeded_ = false;
  std::string shownFont_;
  TDocNode* selected_ = nullptr;
  int32_t searchCaret_ = 0;
  int32_t currentBlank_ = -1;
  TDbaseStructure* currentBase_ = nullptr;
  TSpravDef* currentBook_ = nullptr;
  int32_t currentBookIndex_ = -1;
  int32_t currentArchive_ = -1;
  int32_t currentTag_ = -1;
  int32_t currentZone_ = -1;
};

}  // namespace vm
