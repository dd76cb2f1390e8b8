#include "documents/designer/designer.h"

#include <algorithm>
#include <cmath>

#include "config/base_checks.h"
#include "config/data_dir.h"
#include "config/date_index.h"
#include "config/sysvars.h"
#include "documents/compiled_document.h"
#include "documents/document_compiler.h"
#include "documents/document_road.h"
#include "documents/headless_steps.h"
#include "foundation/files/fileutils.h"
#include "foundation/text/strutils.h"
#include "language/expr_types.h"
#include "language/interpreter.h"
#include "language/scanner_port.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"
#include "models/description_checks.h"
#include "models/layout_lang.h"
#include "models/main_state.h"

namespace vm {

namespace {

// A database registered since the last "Сохранить" has no file yet, as
// "Сохранить" creates it. For a check or a test run on the working copies
// it is bound as an empty table of its described structure, made beside
// its file and dropped when it closes, never put in place.
class TUnsavedTables {
 public:
  explicit TUnsavedTables(TUsedBaseList& bases) {
    for (int32_t i = 0; i < bases.Count(); ++i) {
      TDbaseStructure& base = *bases.GetItem(i);
      TDBF& table = base.Table;
      if (base.System || table.Active() || Files().Exists(table.FileName)) continue;
      TDBF templ;
      MakeTemplate(base, templ);
      bool ok = table.CreateTable();
      for (int f = 0; ok && f < templ.FieldCount(); ++f) ok = table.AddField(templ.GetFieldDef(f));
      ok = ok && table.WriteStructure();
      table.AbandonRewrite();
      if (!ok) table.Close();
      made_.push_back(&table);
    }
  }
  ~TUnsavedTables() {
    for (TDBF* table : made_) table->Close();
  }
  TUnsavedTables(const TUnsavedTables&) = delete;
  TUnsavedTables& operator=(const TUnsavedTables&) = delete;

 private:
  std::vector<TDBF*> made_;
};

// The first node from start on, in display order, without children and
// with a description that is not blank.
TDocNode* FindNextDescribedDoc(const TDocTree& tree, const TDocNode* start) {
  const std::vector<TDocNode*> nodes = tree.Nodes();
  for (auto it = std::find(nodes.begin(), nodes.end(), start); it != nodes.end(); ++it)
    if (!(*it)->HasChildren() && (*it)->Data && !TrimBlanks((*it)->Data->Description).empty())
      return *it;
  return nullptr;
}

int32_t IndexInParent(const TDocNode* node) {
  const TDocNode* parent = node->Parent();
  for (int32_t i = 0; parent && i < parent->ChildCount(); ++i)
    if (parent->Child(i) == node) return i;
  return -1;
}

bool IsWithin(const TDocNode* node, const TDocNode* top) {
  for (const TDocNode* p = node; p; p = p->Parent())
    if (p == top) return true;
  return false;
}

// A node's text, data and subtree moved into a new last child of parent.
TDocNode* Transplant(TDocNode& from, TDocNode& parent) {
  TDocNode* node = parent.AddChild(std::move(from.Text));
  node->Data = std::move(from.Data);
  for (int32_t i = 0; i < from.ChildCount(); ++i) Transplant(*from.Child(i), *node);
  return node;
}

TDocNode* NodeAfter(const TDocTree& tree, const TDocNode* node) {
  const std::vector<TDocNode*> nodes = tree.Nodes();
  auto it = std::find(nodes.begin(), nodes.end(), node);
  if (it == nodes.end() || ++it == nodes.end()) return nullptr;
  return *it;
}

}  // namespace

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

std::string& TDesigner::SearchText() {
  static std::string text;
  return text;
}

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
  SelectBlank(Blanks.Count() > 0 ? 0 : -1);
  SelectBase(0);
  SelectBook(-1);
  ActiveGrid = TBaseGrid::None;
  FieldRow = 0;
  AutoParamRow = 0;
  TDocNode* first = Tree.First();
  SelectNode(first);
  Misc.PrinterName = live_.PrinterName;
  TabChanged(TDesignerTab::Commands);
  PointCompileAtWorkingCopies();
  live_.PriceTags.CopyTo(PriceTags);
  PageFormats().CopyTo(PageFormatList);
  FormatIndex = PageFormatList.Count() > 0 ? 0 : -1;
  shownFont_ = Misc.FontName;
  Misc.DefaultFormatName = live_.DefaultFormatName;
  Misc.Compressed = live_.CompressedPrint;
  Misc.SystemClock = live_.SystemClock;
  Misc.Title = live_.Title;
  Misc.ScrollText = std::to_string(ScrollPercentShown(live_.MouseScale));
  ShowArchiveConfig(0);
  currentTag_ = -1;
  ShowCennik(0);
  restartNeeded_ = false;
}

void TDesigner::PointCompileAtWorkingCopies() {
  CompileRegistries() = {&Bases, &Blanks, &AutoParams, &StartOfDay};
}

void TDesigner::PointCompileAtLive() { CompileRegistries() = {}; }

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
  host_.CompileAllCenZones();
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
  host_.CompileAllCenZones();
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
  currentTag_ = currentZone_ = -1;
  PriceTags.Clear();
  selected_ = nullptr;
  Tree.Clear();
  Blanks.Clear();
  Bases.Clear();
  Books.Clear();
  AutoParams.Clear();
  currentBlank_ = -1;
  currentBase_ = nullptr;
  currentBook_ = nullptr;
  currentBookIndex_ = -1;
  DesignerTestRun() = false;
  PointCompileAtLive();
}

void TDesigner::TabChanged(TDesignerTab tab) {
  if (tab == TDesignerTab::Books) {
    const int32_t index = currentBookIndex_;
    currentBook_ = nullptr;
    CheckFormDescriptions(Blanks);
    CheckSpravDescriptions(Bases, Books, Blanks);
    SelectBook(index < Books.Count() ? index : -1);
  } else if (tab == TDesignerTab::Commands) {
    CheckFormDescriptions(Blanks);
  }
}

TDesignerEnabling TDesigner::Enabling() const {
  TDesignerEnabling e;
  e.DocAdd = selected_ != nullptr;
  e.DocDelete = e.DocAdd && selected_ != Tree.First();
  e.DocPreview = e.DocDelete && !selected_->HasChildren();
  e.DocDescription = selected_ && !selected_->HasChildren();
  e.BlankDelete = e.BlankRename = e.BlankPreview = CurrentBlank() != nullptr;
  if (ActiveGrid == TBaseGrid::Bases) {
    e.BaseAdd = true;
    e.BaseDelete = currentBase_ != nullptr;
  } else if (ActiveGrid == TBaseGrid::Fields) {
    e.BaseAdd = currentBase_ != nullptr;
    TFieldRecord f;
    e.BaseDelete = currentBase_ && currentBase_->GetField(FieldRow, f);
  }
  e.BaseEdit = e.BaseDelete;
  e.AutoParamDelete = e.AutoParamChange = AutoParams.GetItem(AutoParamRow) != nullptr;
  e.BookEdits = currentBook_ != nullptr;
  e.BookEditColumns = e.BookEdits && currentBook_->CanEdit;
  const TArchiveConfig* archive = CurrentArchive();
  e.ArchiveConfigCommands = e.ArchiveEntryAdd = archive != nullptr;
  e.ArchiveEntryChange = archive && ArchiveRow >= 1 && ArchiveRow <= archive->Count();
  e.FormatCommands = PageFormatList.GetFormat(FormatIndex) != nullptr;
  const TCennik* tag = CurrentTag();
  e.TagCommands = tag != nullptr;
  e.ZoneCommands = CurrentZone() != nullptr;
  e.TagSpin = PriceTags.Count() > 1;
  e.ZoneSpin = tag && tag->ZoneCount() > 1;
  return e;
}

// --- "Команды" ---------------------------------------------------------------------

void TDesigner::SelectNode(TDocNode* node) {
  selected_ = node;
  if (node && node->Data &&
      (node->Data->PasswordNumber < -1 || node->Data->PasswordNumber > 10))
    node->Data->PasswordNumber = -1;
}

std::string TDesigner::NodeDescription() const {
  return selected_ && selected_->Data ? selected_->Data->Description : std::string();
}

int32_t TDesigner::NodePasswordShown() const {
  return selected_ && selected_->Data ? PasswordSpinShown(selected_->Data->PasswordNumber) : 0;
}

void TDesigner::SetDescription(std::string text) {
  if (!selected_) return;
  if (!selected_->Data) selected_->Data = std::make_unique<TDocData>();
  selected_->Data->Description = std::move(text);
}

void TDesigner::SetPasswordText(std::string_view text) {
  if (!selected_) return;
  if (!selected_->Data) selected_->Data = std::make_unique<TDocData>();
  selected_->Data->PasswordNumber = PasswordFromSpinText(text);
}

TDocNode* TDesigner::AddDocument() {
  if (!selected_) return nullptr;
  TDocNode* node = selected_->AddChild("Новый_документ"_w);
  node->Data = std::make_unique<TDocData>();
  selected_ = node;
  return node;
}

bool TDesigner::DeleteDocument() {
  if (!Enabling().DocDelete) return false;
  if (!AskYesNo("Вы действительно хотите удалить "_w + selected_->Text + "?",
           "Удаление документа"_w))
    return false;
  TDocNode* parent = selected_->Parent();
  parent->DeleteChild(IndexInParent(selected_));
  selected_ = parent;
  return true;
}

bool TDesigner::CanDrag() const { return selected_ && selected_ != Tree.First(); }

bool TDesigner::CanDrop(const TDocNode* target) const {
  // A node dropped into its own subtree would take itself off the tree;
  // a top-level node has no parent to stand beside it under.
  return CanDrag() && target && target != selected_ && !IsWithin(target, selected_) &&
         target->Parent() != nullptr;
}

bool TDesigner::Drop(TDocNode* target) {
  if (!CanDrop(target)) return false;
  // The tree keeps its children in order and appends only, so the target's
  // siblings from the target on are moved aside and put back after the
  // dropped node.
  TDocNode aside{std::string()};
  Transplant(*selected_, aside);
  selected_->Parent()->DeleteChild(IndexInParent(selected_));
  TDocNode* to = target->Parent();
  const int32_t at = IndexInParent(target);
  while (to->ChildCount() > at) {
    Transplant(*to->Child(at), aside);
    to->DeleteChild(at);
  }
  selected_ = Transplant(*aside.Child(0), *to);
  for (int32_t i = 1; i < aside.ChildCount(); ++i) Transplant(*aside.Child(i), *to);
  return true;
}

bool TDesigner::ShowFound(TDocNode* found, const std::string& text) {
  if (!found) {
    Ui().MsgBox("Ничего не найдено!"_w, "Ошибка"_w, kMbError);
    return false;
  }
  SelectNode(found);
  const std::string& description = found->Data->Description;
  const std::size_t at = UpperStr(description).find(UpperStr(text));
  if (at == std::string::npos) {
    searchCaret_ = 0;
    return true;
  }
  // The memo shows each CR LF of the description as one line break.
  int32_t breaks = 0;
  for (std::size_t i = description.find("\r\n"); i != std::string::npos && i + 1 < at;
       i = description.find("\r\n", i + 2))
    ++breaks;
  searchCaret_ = static_cast<int32_t>(at) - breaks;
  return true;
}

bool TDesigner::Find(const std::string& text) {
  SearchText() = text;
  if (text.empty()) return false;
  return ShowFound(FindDocNodeByText(text, Tree, Tree.First()), text);
}

bool TDesigner::FindNext() {
  const std::string& text = SearchText();
  TDocNode* start = selected_ ? NodeAfter(Tree, selected_) : NodeAfter(Tree, Tree.First());
  return ShowFound(start && !text.empty() ? FindDocNodeByText(text, Tree, start) : nullptr, text);
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

TDesignerRunEnd TDesigner::TestRun() {
  if (!Enabling().DocPreview || !selected_->Data) return {};
  TDocData& doc = *selected_->Data;
  doc.MenuCaption = "Просмотр документа '"_w + selected_->Text + "'";
  doc.IsDocument = true;
  return RunOnRoad(doc, true, doc.Description);
}

TDesignerRunEnd TDesigner::CheckAll() {
  live_.Blanks.UnloadAll();
  Blanks.UnloadAll();
  TCompileContext context;
  context.Bases = &Bases;
  context.Blanks = &Blanks;
  context.AutoParams = &AutoParams;
  context.PageFormats = &PageFormats();
  context.PriceTags = &live_.PriceTags;
  context.StandardPaper = live_.DefaultFormatName;
  TDesignerRunEnd end;
  int32_t count = 0;
  TCompiledDocument compiled;
  for (TDocNode* node = FindNextDescribedDoc(Tree, selected_ ? selected_ : Tree.First()); node;
       node = FindNextDescribedDoc(Tree, NodeAfter(Tree, node))) {
    TDocumentSource source;
    source.Name = node->Text;
    source.Description = node->Data->Description;
    int line = 0;
    Interp().BeginDocumentRun();
    // Each compile closes the tables it bound when it is cleared.
    TUnsavedTables unsaved(Bases);
    const int code = CompileDocument(compiled, source, context, line);
    ++count;
    compiled.Clear();
    Blanks.UnloadAll();
    if (code != 0) {
      SelectNode(node);
      end.Error = true;
      end.CaretLine = MemoCaretLine(line, node->Data->Description);
      Blanks.UnloadAll();
      return end;
    }
  }
  Ui().MsgBox("Проверено "_w + std::to_string(count) + " команд. Ошибки не обнаружены!"_w,
              "Проверка команд"_w, kMbInformation);
  Blanks.UnloadAll();
  return end;
}

// --- "Автозапуск" ----------------------------------------------------------------

TDesignerRunEnd TDesigner::CheckStartOfDay() {
  return RunOnRoad(StartOfDay, true, StartOfDay.Description);
}

TDesignerRunEnd TDesigner::ExecuteStartOfDay() {
  if (!AskYesNo("Вы действительно хотите выполнить программу автозапуска ?"_w,
           "Выполнение программы"_w))
    return {};
  return RunOnRoad(StartOfDay, false, StartOfDay.Description);
}

// --- "Формы" -------------------------------------------------------------------------

std::vector<std::string> TDesigner::BlankNames() const {
  std::vector<std::string> names;
  for (int32_t i = 0; i < Blanks.Count(); ++i) names.push_back(Blanks.GetItem(i)->Name);
  return names;
}

void TDesigner::SelectBlank(int32_t index) {
  currentBlank_ = index >= 0 && index < Blanks.Count() ? index : -1;
}

std::string TDesigner::BlankCaption() const {
  const TCurBlank* blank = CurrentBlank();
  return blank ? "Описание формы '"_w + blank->Name + "'" : "Описание формы"_w;
}

void TDesigner::SetBlankText(std::string text) {
  if (TCurBlank* blank = CurrentBlank()) blank->SetText(std::move(text));
}

bool TDesigner::AddBlank(const std::string& name) {
  if (!BlankNameAcceptable(name, BlankNames())) return false;
  Blanks.Add(UpperStr(name));
  SelectBlank(Blanks.Count() - 1);
  return true;
}

bool TDesigner::DeleteBlank() {
  TCurBlank* blank = CurrentBlank();
  if (!blank) return false;
  const std::string name = blank->Name;
  if (!AskYesNo("Вы действительно хотите удалить форму "_w + name + "?", "Удаление формы"_w))
    return false;
  const int32_t index = currentBlank_;
  Blanks.Delete(name);
  SelectBlank(std::min(index, Blanks.Count() - 1));
  for (int32_t i; (i = Books.IndexOfForm(name)) >= 0;) Books.DeleteItem(i);
  if (currentBook_ && currentBookIndex_ >= Books.Count()) SelectBook(-1);
  return true;
}

bool TDesigner::RenameBlank(const std::string& name) {
  TCurBlank* blank = CurrentBlank();
  if (!blank || !BlankNameAcceptable(name, BlankNames())) return false;
  const std::string old = blank->Name;
  blank->Name = UpperStr(name);
  while (TSpravDef* book = Books.FindByForm(old)) book->BlankName = blank->Name;
  return true;
}

TDesignerRunEnd TDesigner::CompileBlankForPreview() {
  TCurBlank* blank = CurrentBlank();
  if (!blank) return {};
  blank->Clear();
  PointCompileAtWorkingCopies();
  int32_t code = 0, line = -1;
  TDesignerRunEnd end;
  if (!CompileBlank(*blank, code, line)) {
    Ui().MsgBox(BlankErrorText(code, line), " Ошибка компиляции формы"_w, kMbError);
    end.Error = true;
    end.CaretLine = MemoCaretLine(line + 1, blank->Text);
  }
  return end;
}

// --- "Зарегистрированные базы" ---------------------------------------------------

std::vector<TDbaseStructure*> TDesigner::ListedBases() const {
  std::vector<TDbaseStructure*> out;
  for (int32_t i = 0; i < Bases.Count(); ++i)
    if (!Bases.GetItem(i)->System) out.push_back(Bases.GetItem(i));
  return out;
}

std::vector<std::string> TDesigner::BaseFileNames() const {
  std::vector<std::string> out;
  for (const TDbaseStructure* b : ListedBases()) out.push_back(b->FileName);
  return out;
}

std::vector<std::string> TDesigner::BaseAliases() const {
  std::vector<std::string> out;
  for (const TDbaseStructure* b : ListedBases()) out.push_back(b->Alias);
  return out;
}

std::vector<std::string> TDesigner::FieldNames() const {
  std::vector<std::string> out;
  if (currentBase_)
    for (const TFieldRecord& f : currentBase_->Fields) out.push_back(f.Name);
  return out;
}

int32_t TDesigner::CurrentBaseRow() const {
  const std::vector<TDbaseStructure*> listed = ListedBases();
  const auto it = std::find(listed.begin(), listed.end(), currentBase_);
  return it == listed.end() ? -1 : static_cast<int32_t>(it - listed.begin());
}

void TDesigner::SelectBase(int32_t row) {
  const std::vector<TDbaseStructure*> listed = ListedBases();
  currentBase_ = row >= 0 && row < static_cast<int32_t>(listed.size())
                     ? listed[static_cast<std::size_t>(row)]
                     : nullptr;
  FieldRow = 0;
}

void TDesigner::RecheckBooks() {
  CheckSpravDescriptions(Bases, Books, Blanks);
  if (currentBookIndex_ >= Books.Count()) SelectBook(-1);
}

bool TDesigner::AddBase(const TBaseDialogTexts& t) {
  if (!BaseDialogAcceptable(t, BaseFileNames(), BaseAliases(), -1)) return false;
  TDbaseStructure* base = Bases.AddNew();
  base->SetFileName(UpperStr(t.FileName));
  base->Alias = UpperStr(t.Alias);
  base->Department = t.Comment;
  CreateDateIndex(Bases);
  currentBase_ = base;
  FieldRow = 0;
  return true;
}

bool TDesigner::EditBase(const TBaseDialogTexts& t) {
  if (!currentBase_ || !BaseDialogAcceptable(t, BaseFileNames(), BaseAliases(), CurrentBaseRow()))
    return false;
  const std::string oldAlias = currentBase_->Alias;
  currentBase_->SetFileName(UpperStr(t.FileName));
  currentBase_->Alias = UpperStr(t.Alias);
  currentBase_->Department = t.Comment;
  for (int32_t i = 0; i < Books.Count(); ++i)
    if (UpperStr(Books.GetItem(i)->BaseAlias) == UpperStr(oldAlias))
      Books.GetItem(i)->BaseAlias = currentBase_->Alias;
  CreateDateIndex(Bases);
  RecheckBooks();
  return true;
}

bool TDesigner::DeleteBase() {
  if (!currentBase_) return false;
  if (!AskYesNo("Вы действительно хотите удалить базу "_w + currentBase_->FileName + "?",
           "Удаление базы"_w))
    return false;
  const int32_t row = CurrentBaseRow();
  Bases.Remove(currentBase_);
  CreateDateIndex(Bases);
  SelectBase(std::min(row, static_cast<int32_t>(ListedBases().size()) - 1));
  RecheckBooks();
  return true;
}

bool TDesigner::AddField(const TFieldDialogTexts& t) {
  if (!currentBase_ || !FieldDialogAcceptable(t, FieldNames(), -1)) return false;
  currentBase_->AddField(FieldFromDialog(t));
  FieldRow = currentBase_->FieldCount() - 1;
  CreateDateIndex(Bases);
  return true;
}

bool TDesigner::EditField(const TFieldDialogTexts& t) {
  if (!currentBase_ || !FieldDialogAcceptable(t, FieldNames(), FieldRow)) return false;
  if (!currentBase_->SetField(FieldRow, FieldFromDialog(t))) return false;
  CreateDateIndex(Bases);
  return true;
}

bool TDesigner::DeleteField() {
  TFieldRecord f;
  if (!currentBase_ || !currentBase_->GetField(FieldRow, f)) return false;
  if (!AskYesNo("Вы действительно хотите удалить поле "_w + f.Name + "?", "Удаление поля"_w))
    return false;
  currentBase_->DeleteField(f.Name);
  FieldRow = std::max(0, std::min(FieldRow, currentBase_->FieldCount() - 1));
  CreateDateIndex(Bases);
  return true;
}

// --- "Справочники" ---------------------------------------------------------------------

std::vector<std::string> TDesigner::BookNames() const {
  std::vector<std::string> out;
  for (int32_t i = 0; i < Books.Count(); ++i) out.push_back(Books.GetItem(i)->Name);
  return out;
}

std::vector<std::string> TDesigner::CompiledBlankNames() const {
  std::vector<std::string> out;
  for (int32_t i = 0; i < Blanks.Count(); ++i)
    if (Blanks.GetItem(i)->Compiled) out.push_back(Blanks.GetItem(i)->Name);
  return out;
}

void TDesigner::SelectBook(int32_t index) {
  currentBook_ = Books.GetItem(index);
  currentBookIndex_ = currentBook_ ? index : -1;
}

bool TDesigner::AddBook(const std::string& alias, const std::string& name) {
  if (!BookAcceptable(alias, BaseAliases(), name, BookNames())) return false;
  TSpravDef* book = Books.AddNew();
  book->BaseAlias = UpperStr(alias);
  book->Name = name;
  SelectBook(Books.Count() - 1);
  return true;
}

bool TDesigner::DeleteBook() {
  if (!currentBook_) return false;
  if (!AskYesNo("Вы действительно хотите удалить справочник "_w + currentBook_->Name + "?",
           "Удаление справочника"_w))
    return false;
  const int32_t index = currentBookIndex_;
  Books.DeleteItem(index);
  SelectBook(std::min(index, Books.Count() - 1));
  return true;
}

void TDesigner::SetBookForm(const std::string& name) {
  if (!currentBook_ || name == currentBook_->BlankName) return;
  currentBook_->SetSDefCount(0);
  currentBook_->ColumnCount = 0;
  if (TCurBlank* blank = Blanks.FindByName(name)) {
    if (!blank->Compiled) {
      int32_t code = 0, line = 0;
      CompileBlank(*blank, code, line);
    }
    currentBook_->SetSDefCount(blank->ShownColCount);
    currentBook_->BlankName = name;
  }
  SetSortKeysFromText(*currentBook_, SortKeysText(*currentBook_));
}

void TDesigner::SetSortText(const std::string& text) {
  if (currentBook_) SetSortKeysFromText(*currentBook_, text);
}

void TDesigner::SetEditColumnsText(const std::string& text) {
  if (currentBook_) SetEditColumnsFromText(*currentBook_, text);
}

void TDesigner::SetColumnField(int32_t row, const std::string& field) {
  if (!currentBook_) return;
  if (TSDef* column = currentBook_->GetSDef(row)) column->FieldName = field;
}

std::vector<std::string> TDesigner::FieldChoices(int32_t row) const {
  std::vector<std::string> out;
  if (!currentBook_ || row < 0 || row >= currentBook_->ColumnCount) return out;
  const TDbaseStructure* base = Bases.FindByAlias(currentBook_->BaseAlias);
  TCurBlank* blank = Blanks.FindByName(currentBook_->BlankName);
  if (!base || !blank) return out;
  const TColFormat* format = BlankField(*blank, row + 1, 0);
  if (!format) return out;
  for (const TFieldRecord& f : base->Fields)
    if (TypesCompatible(f.FieldType, format->Kind)) out.push_back(f.Name);
  return out;
}

// --- "Автопараметры" ------------------------------------------------------------------

std::vector<std::string> TDesigner::AutoParamNames() const {
  std::vector<std::string> out;
  for (int32_t i = 0; i < AutoParams.Count(); ++i) out.push_back(AutoParams.GetItem(i)->Name);
  return out;
}

bool TDesigner::AddAutoParam(const std::string& name, const std::string& value,
                             const std::string& typeName) {
  if (!AutoParamAcceptable(name, typeName, value, AutoParamNames(), -1)) return false;
  TAPar* p = AutoParams.AddNew();
  p->Name = UpperStr(name);
  p->ValueText = value;
  p->Kind = KindOfTypeName(typeName);
  p->Local = true;
  AutoParamRow = AutoParams.Count() - 1;
  return true;
}

bool TDesigner::DeleteAutoParam() {
  TAPar* p = AutoParams.GetItem(AutoParamRow);
  if (!p) return false;
  if (!AskYesNo("Вы действительно хотите удалить автопараметр "_w + p->Name + "?",
           "Удаление автопараметра"_w))
    return false;
  AutoParams.DeleteItem(AutoParamRow);
  AutoParamRow = std::max(0, std::min(AutoParamRow, AutoParams.Count() - 1));
  return true;
}

void TDesigner::ChangeAutoParam(const std::string& value, bool local) {
  if (TAPar* p = AutoParams.GetItem(AutoParamRow)) {
    p->ValueText = value;
    p->Local = local;
  }
}

}  // namespace vm
