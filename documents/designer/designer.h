// The configuration designer without its window: the frame keeps working
// copies of the registries the administrator edits, the order in which
// they become the running configuration and what a change of tab checks;
// a page per tab holds what that tab's commands do to them. The window
// shows this object and passes on what the user typed; tests drive it
// directly.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/archive_config.h"
#include "config/doctree.h"
#include "config/page_format.h"
#include "config/price_tags.h"
#include "config/registries.h"
#include "config/settings.h"
#include "documents/designer/archive_page.h"
#include "documents/designer/autoparams_page.h"
#include "documents/designer/bases_page.h"
#include "documents/designer/books_page.h"
#include "documents/designer/commands_page.h"
#include "documents/designer/designer_page.h"
#include "documents/designer/forms_page.h"
#include "documents/designer/labels_page.h"
#include "documents/designer/misc_page.h"
#include "documents/designer/printing_page.h"
#include "documents/designer/start_of_day_page.h"
#include "platform/encoding.h"

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

// The tabs' captions, in the order of the tabs above.
inline constexpr std::array<std::string_view, kDesignerTabCount> kDesignerTabCaptions = {
    "Команды"_wv,     "Формы"_wv,   "Зарегистрированные базы"_wv, "Справочники"_wv,
    "Автопараметры"_wv, "Разное"_wv,  "Автозапуск"_wv,              "Архивация"_wv,
    "Ярлыки"_wv,      "Печать"_wv};

// What the designer needs of the program around it.
class TDesignerHost {
 public:
  virtual ~TDesignerHost() = default;
  // The main window's document, archive and panel items go before the tree
  // they point into is replaced, and are built again from the new one.
  virtual void RemoveMenus() {}
  virtual void RebuildMenus() {}
  virtual void ApplyTitle() {}
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
  TCenList PriceTags;

  // --- The pages, one a tab --------------------------------------------
  TCommandsPage CommandsPage{*this};
  TFormsPage FormsPage{*this};
  TBasesPage BasesPage{*this};
  TBooksPage BooksPage{*this};
  TAutoParamsPage AutoParamsPage{*this};
  TMiscPage MiscPage{*this};
  TStartOfDayPage StartOfDayPage{*this};
  TArchivePage ArchivePage{*this};
  TLabelsPage LabelsPage{*this};
  TPrintingPage PrintingPage{*this};

  // --- What the pages share ----------------------------------------------
  TSettingsModel& Live() { return live_; }
  TDesignerHost& Host() { return host_; }
  void PointCompileAtWorkingCopies();
  // Runs doc on the document road over the working copies; the caret goes
  // to the failing line of memo.
  TDesignerRunEnd RunOnRoad(TDocData& doc, bool test, const std::string& memo);

 private:
  void PointCompileAtLive();
  void CopyWorkingFromLive();
  bool SaveAll();

  TSettingsModel& live_;
  TDesignerHost& host_;
  bool mayClose_ = false;
  bool restartNeeded_ = false;
  std::string shownFont_;
};

}  // namespace vm
