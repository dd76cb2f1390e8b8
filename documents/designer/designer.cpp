#include "documents/designer/designer.h"

#include <algorithm>
#include <cmath>

#include "config/base_checks.h"
#include "config/data_dir.h"
#include "config/date_index.h"
#include "config/sysvars.h"
#include "documents/designer/unsaved_tables.h"
#include "documents/compiler/document_compiler.h"
#include "documents/document_road.h"
#include "documents/headless_steps.h"
#include "foundation/files/fileutils.h"
#include "foundation/text/strutils.h"
#include "language/interpreter.h"
#include "language/registry_context.h"
#include "devices/scanner_port.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/description_checks.h"
#include "models/main_state.h"

namespace vm {

bool TDesignerHost::RunDocument(TDocData& doc, int32_t& errorLine) {
  THeadlessSteps steps;
  int32_t code = 0;
  errorLine = 0;
  RunDocumentChecked(doc, steps, errorLine, code);
  return code != 0;
}

TPreviewGeometry PreviewGeometry(int32_t screenWidth, int32_t screenHeight, double pixelsPerInch,
                                 int32_t blankWidth) {
  TPreviewGeometry g;
  const double p = pixelsPerInch / 254.0;
  const double k = screenWidth / 1024.0;
  g.Scale = std::min(1.0, (screenWidth - 12) / (p * k) / (blankWidth + 12));
  g.Zoom = std::min(g.Scale * k, g.Scale);
  g.Width = static_cast<int32_t>(std::lround(p * g.Zoom * (blankWidth + 2))) + 9;
  g.Height = static_cast<int32_t>(std::lround(screenHeight * 0.9));
  g.Caption = "Предварительный просмотр, масштаб "_w +
              std::to_string(static_cast<int32_t>(std::lround(g.Scale * 100))) + "%";
  return g;
}

TDesigner::TDesigner(TSettingsModel& live, TDesignerHost& host) : live_(live), host_(host) {
  StartOfDay.PasswordNumber = 0;
}

TDesigner::~TDesigner() { PointCompileAtLive(); }

// --- The frame -----------------------------------------------------------------

void TDesigner::CopyWorkingFromLive() {
  StartOfDay.Description = live_.StartOfDayDoc.Description;
  live_.Blanks.CopyTo(Blanks);
  Blanks.SortByName();
  live_.Bases.CopyTo(Bases);
  CreateDateIndex(Bases);
  live_.Books.CopyTo(Books);
  live_.AutoParams.CopyTo(AutoParams);
  live_.ArchiveConfigs.CopyTo(ArchiveConfigs);
  Passwords = live_.Passwords;
  live_.DocTree.CopyTo(Tree);
  Serial = live_.SerialRecord;
}

void TDesigner::Show() {
  // The tags' preview shows %CURDATE% before any document has set it.
  TDateRec date;
  TTimeRec time;
  ProgramNow(date, time);
  SetSysVarMoment(date, time);
  Misc.BaseDir = BasePath();
  Misc.Network = !LocalBases();
  Fonts = host_.FontNames();
  Misc.FontName = DefaultFontName();
  for (int32_t i = 0; i < live_.Bases.Count(); ++i) live_.Bases.GetItem(i)->Table.Close();
  mayClose_ = false;
  CopyWorkingFromLive();
  FormsPage.SelectBlank(Blanks.Count() > 0 ? 0 : -1);
  BasesPage.SelectBase(0);
  BooksPage.SelectBook(-1);
  BasesPage.ActiveGrid = TBaseGrid::None;
  BasesPage.FieldRow = 0;
  AutoParamsPage.AutoParamRow = 0;
  TDocNode* first = Tree.First();
  CommandsPage.SelectNode(first);
  Misc.PrinterName = live_.PrinterName;
  TabChanged(TDesignerTab::Commands);
  PointCompileAtWorkingCopies();
  live_.PriceTags.CopyTo(PriceTags);
  PageFormats().CopyTo(PageFormatList);
  PrintingPage.FormatIndex = PageFormatList.Count() > 0 ? 0 : -1;
  shownFont_ = Misc.FontName;
  Misc.DefaultFormatName = live_.DefaultFormatName;
  Misc.Compressed = live_.CompressedPrint;
  Misc.SystemClock = live_.SystemClock;
  Misc.Title = live_.Title;
  Misc.ScrollText = std::to_string(ScrollPercentShown(live_.MouseScale));
  ArchivePage.ShowArchiveConfig(0);
  LabelsPage.Forget();
  LabelsPage.ShowCennik(0);
  restartNeeded_ = false;
}

void TDesigner::PointCompileAtWorkingCopies() {
  CompileRegistries() = {&Bases,          &Blanks,
                         &AutoParams,     &StartOfDay,
                         &PageFormatList, &Misc.DefaultFormatName,
                         &Misc.PrinterName};
  // The forms, tags and their previews read the parameters being edited.
  SetGlobalAutoParams(&AutoParams);
}

void TDesigner::PointCompileAtLive() {
  CompileRegistries() = {};
  SetGlobalAutoParams(nullptr);
}

void TDesigner::Apply() {
  CloseScanner();
  std::string baseDir = Misc.BaseDir;
  AddBackslash(baseDir);
  BasePath() = baseDir;
  live_.SerialRecord = Serial;
  LocalBases() = !Misc.Network;
  live_.DefaultFormatName = Misc.DefaultFormatName;
  live_.CompressedPrint = Misc.Compressed;
  host_.RemoveMenus();
  PageFormatList.CopyTo(PageFormats());
  PriceTags.CopyTo(live_.PriceTags);
  ArchiveConfigs.CopyTo(live_.ArchiveConfigs);
  AutoParams.CopyTo(live_.AutoParams);
  Blanks.CopyTo(live_.Blanks);
  PointCompileAtWorkingCopies();
  CheckFormDescriptions(live_.Blanks);
  Bases.CopyTo(live_.Bases);
  CreateDateIndex(live_.Bases);
  CheckBases(live_.Bases, LocalBases(), MainState().TotalBaseSize);
  Books.CopyTo(live_.Books);
  CheckSpravDescriptions(live_.Bases, live_.Books, live_.Blanks);
  // The menus point into the tree, so the old one goes only once they have.
  Tree.CopyTo(live_.DocTree);
  host_.RebuildMenus();
  const int printer = FindClosestString(Misc.PrinterName, Ui().PrinterNames());
  live_.PrinterName = printer >= 0 ? Ui().PrinterNames()[static_cast<std::size_t>(printer)] : "";
  const int font = FindClosestString(Misc.FontName, Fonts);
  DefaultFontName() = font >= 0 ? Fonts[static_cast<std::size_t>(font)] : "Times New Roman";
  Misc.FontName = shownFont_ = DefaultFontName();
  live_.SystemClock = Misc.SystemClock;
  live_.StartOfDayDoc.Description = StartOfDay.Description;
  live_.Passwords = Passwords;
  live_.Title = TrimBlanks(Misc.Title);
  live_.MouseScale = ScrollStoredFromText(Misc.ScrollText);
  host_.ApplyTitle();
  CompileAllCenZones(live_.PriceTags);
}

bool TDesigner::SaveAll() {
  const std::string files[] = {ProgramIniName(), ManagerIniName(), LocalIniName()};
  const bool saved[] = {SaveConfigurationTo(files[0], live_), SaveAutoParamsTo(files[1], live_),
                        SaveLocalSettingsTo(files[2], live_)};
  for (int i = 0; i < 3; ++i) {
    if (saved[i]) continue;
    Ui().MsgBox("Не удалось записать настройки в файл "_w + files[i], "Ошибка"_w, kMbError);
    return false;
  }
  return true;
}

bool TDesigner::Ok() {
  mayClose_ = true;
  Apply();
  PointCompileAtLive();
  // A zone finds the parameters added here and loses the ones deleted only
  // when it is compiled again.
  CompileAllCenZones(live_.PriceTags);
  if (!SaveAll()) {
    // What was applied stays applied; the user may try again or cancel.
    mayClose_ = false;
    PointCompileAtWorkingCopies();
    return false;
  }
  if (restartNeeded_)
    Ui().MsgBox("Необходимо перезапустить программу"_w, "Внимание"_w, kMbWarning);
  return true;
}

bool TDesigner::Save() {
  Apply();
  return SaveAll();
}

bool TDesigner::Cancel() {
  mayClose_ = Ui().MsgBox("Все несохраненные изменения в будут игнорированы. Продолжить?"_w,
                          Ui().AppTitle(), kMbYesNoWarning) == kIdYes;
  if (!mayClose_) return false;
  DefaultFontName() = shownFont_;
  PointCompileAtLive();
  CheckFormDescriptions(live_.Blanks);
  return true;
}

void TDesigner::Hide() {
  host_.ShowTagPictures(nullptr);
  LabelsPage.Forget();
  PriceTags.Clear();
  CommandsPage.SelectNode(nullptr);
  Tree.Clear();
  Blanks.Clear();
  Bases.Clear();
  Books.Clear();
  AutoParams.Clear();
  FormsPage.SelectBlank(-1);
  BasesPage.Forget();
  BooksPage.Forget();
  DesignerTestRun() = false;
  PointCompileAtLive();
}

void TDesigner::TabChanged(TDesignerTab tab) {
  if (tab == TDesignerTab::Books) {
    const int32_t index = BooksPage.CurrentBookIndex();
    BooksPage.Forget();
    CheckFormDescriptions(Blanks);
    CheckSpravDescriptions(Bases, Books, Blanks);
    BooksPage.SelectBook(index < Books.Count() ? index : -1);
  } else if (tab == TDesignerTab::Commands) {
    CheckFormDescriptions(Blanks);
  }
}

TDesignerEnabling TDesigner::Enabling() const {
  TDesignerEnabling e;
  CommandsPage.Enable(e);
  FormsPage.Enable(e);
  BasesPage.Enable(e);
  AutoParamsPage.Enable(e);
  BooksPage.Enable(e);
  ArchivePage.Enable(e);
  PrintingPage.Enable(e);
  LabelsPage.Enable(e);
  return e;
}

TDesignerRunEnd TDesigner::RunOnRoad(TDocData& doc, bool test, const std::string& memo) {
  DesignerTestRun() = test;
  PointCompileAtWorkingCopies();
  host_.EnableDesigner(false);
  int32_t line = 0;
  TDesignerRunEnd end;
  {
    TUnsavedTables unsaved(Bases);
    end.Error = host_.RunDocument(doc, line);
  }
  host_.EnableDesigner(true);
  if (!end.Error && Interp().ErrorLine() >= 0) {
    line = Interp().ErrorLine();
    end.Error = true;
  }
  if (end.Error) end.CaretLine = MemoCaretLine(line, memo);
  DesignerTestRun() = false;
  return end;
}

}  // namespace vm
