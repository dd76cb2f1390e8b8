#include "documents/designer/designer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>

#include "config/data_dir.h"
#include "config/date_index.h"
#include "config/errorlog.h"
#include "config/page_format.h"
#include "config/price_tags.h"
#include "config/scramble.h"
#include "config/settings.h"
#include "config/sysvars.h"
#include "foundation/tables/dbf.h"
#include "platform/encoding.h"
#include "models/main_state.h"
#include "models/startup.h"
#include "support/faulty_files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"

using namespace vm;

namespace {

namespace fs = std::filesystem;

TEST(DesignerRules, FormNamesAreUpperCasedFieldNamesNotTakenAndNoReservedWords) {
  const std::vector<std::string> existing{"ТОВАРЫ"_w};
  EXPECT_TRUE(BlankNameAcceptable("чек"_w, existing));
  EXPECT_FALSE(BlankNameAcceptable("товары"_w, existing));
  EXPECT_FALSE(BlankNameAcceptable("1ABC", existing));
  EXPECT_FALSE(BlankNameAcceptable("ABCDEFGHIJK", existing));
  EXPECT_TRUE(BlankNameAcceptable("ABCDEFGHIJ", existing));
  EXPECT_FALSE(BlankNameAcceptable("init", existing));
}

TEST(DesignerRules, ADatabaseNeedsAPlainDbfNameAFreeAliasAndAComment) {
  const std::vector<std::string> files{"GOODS.DBF"}, aliases{"ТОВАРЫ"_w};
  EXPECT_TRUE(BaseDialogAcceptable({"x.dbf", "X", "c"}, files, aliases, -1));
  for (const char* name : {"C:x.dbf", "d\\x.dbf", "d/x.dbf", "x.txt", "x"})
    EXPECT_FALSE(BaseDialogAcceptable({name, "X", "c"}, files, aliases, -1)) << name;
  EXPECT_FALSE(BaseDialogAcceptable({"x.dbf", "X", ""}, files, aliases, -1));
  EXPECT_FALSE(BaseDialogAcceptable({"goods.dbf", "X", "c"}, files, aliases, -1));
  EXPECT_TRUE(BaseDialogAcceptable({"goods.dbf", "X", "c"}, files, aliases, 0));
  EXPECT_FALSE(BaseDialogAcceptable({"x.dbf", "товары"_w, "c"}, files, aliases, -1));
  EXPECT_FALSE(BaseDialogAcceptable({"x.dbf", "FORMS", "c"}, files, aliases, -1));
}

TEST(DesignerRules, FieldDialog) {
  const std::vector<std::string> names{"KOD"};
  TFieldRecord date = FieldFromDialog({"dt", "Дата"_w, "20", "5"});
  EXPECT_EQ(date.Name, "DT");
  EXPECT_EQ(date.FieldType, 'D');
  EXPECT_EQ(date.Length, 8);
  EXPECT_EQ(date.Decimals, 0);
  EXPECT_FALSE(FieldDialogAcceptable({"SUM", "Число"_w, "5", "4"}, names, -1));
  EXPECT_TRUE(FieldDialogAcceptable({"SUM", "Число"_w, "5", "3"}, names, -1));
  // The decimals of a string are not looked at.
  EXPECT_TRUE(FieldDialogAcceptable({"NAME", "Строка"_w, "5", "x"}, names, -1));
  EXPECT_FALSE(FieldDialogAcceptable({"NAME", "Строка"_w, "1", "0"}, names, -1));
  EXPECT_FALSE(FieldDialogAcceptable({"NAME", "Строка"_w, "256", "0"}, names, -1));
  EXPECT_FALSE(FieldDialogAcceptable({"NO__", "Число"_w, "10", "0"}, names, -1));
  EXPECT_FALSE(FieldDialogAcceptable({"kod", "Число"_w, "10", "0"}, names, -1));
  EXPECT_TRUE(FieldDialogAcceptable({"kod", "Число"_w, "10", "0"}, names, 0));
  // A word of the document language: kept by the field that has it, refused
  // for a new field and in place of another name.
  const std::vector<std::string> priced{"KOD", "PRICE"};
  EXPECT_TRUE(FieldDialogAcceptable({"price", "Число"_w, "12", "2"}, priced, 1));
  EXPECT_FALSE(FieldDialogAcceptable({"PRICE", "Число"_w, "12", "2"}, {"KOD"}, -1));
  EXPECT_FALSE(FieldDialogAcceptable({"PRICE", "Число"_w, "12", "2"}, names, 0));
  EXPECT_EQ(FieldNameKey('a'), 'A');
  EXPECT_EQ(FieldNameKey("я"_w[0]), "Я"_w[0]);
  EXPECT_EQ(FieldNameKey('-'), '\0');
  EXPECT_EQ(FieldNameKey("ё"_w[0]), '\0');
}

TEST(DesignerRules, AutoParameterNames) {
  const std::vector<std::string> names{"НДС"_w};
  EXPECT_TRUE(AutoParamAcceptable("СКИДКА"_w, "Число"_w, "1.5", names, -1));
  EXPECT_FALSE(AutoParamAcceptable("СКИДКА"_w, "Число"_w, "1,5", names, -1));
  EXPECT_TRUE(AutoParamAcceptable("СКИДКА"_w, "Строка"_w, "1,5", names, -1));
  EXPECT_FALSE(AutoParamAcceptable("CURDATE", "Строка"_w, "", names, -1));
  EXPECT_FALSE(AutoParamAcceptable("curdate", "Строка"_w, "", names, -1));
  EXPECT_FALSE(AutoParamAcceptable("INIT", "Строка"_w, "", names, -1));
  EXPECT_FALSE(AutoParamAcceptable("ндс"_w, "Строка"_w, "", names, -1));
}

TEST(DesignerRules, SortAndEditColumnTexts) {
  TSpravDef book;
  book.ColumnCount = 4;
  SetSortKeysFromText(book, "3,1,3,x,99");
  EXPECT_EQ(book.SortKeyCount, 2);
  EXPECT_EQ(book.SortKeys->Number, 2);
  EXPECT_EQ(book.SortKeys->Next->Number, 0);
  EXPECT_EQ(SortKeysText(book), "3,1");
  SetEditColumnsFromText(book, "0");
  EXPECT_TRUE(book.EditableColumns.none());
  SetEditColumnsFromText(book, "1,5,4");
  EXPECT_EQ(EditColumnsText(book), "1,4");
}

TEST(DesignerRules, ScrollCoefficientAndPasswordSpin) {
  for (const char* t : {"0", "-5", "abc"}) EXPECT_EQ(ScrollStoredFromText(t), 5) << t;
  EXPECT_EQ(ScrollStoredFromText("5000"), 4800);
  EXPECT_EQ(ScrollStoredFromText(" 100 "), 480);
  EXPECT_EQ(ScrollPercentShown(480), 100);
  EXPECT_EQ(ScrollPercentShown(6), 1);  // 1.25 %
  EXPECT_EQ(PasswordFromSpinText("10"), -1);
  EXPECT_EQ(PasswordFromSpinText("abc"), -1);
  EXPECT_EQ(PasswordFromSpinText("-1"), -1);
  EXPECT_EQ(PasswordFromSpinText("7"), 7);
  EXPECT_EQ(PasswordSpinShown(10), 9);
}

TEST(DesignerRules, TheCaretLineOfAnErrorStaysWithinTheMemo) {
  EXPECT_EQ(MemoCaretLine(2, "a\r\nb\r\nc"), 1);
  EXPECT_EQ(MemoCaretLine(40, "a\r\nb"), 1);
  EXPECT_EQ(MemoCaretLine(0, "a"), -1);
  EXPECT_EQ(MemoCaretLine(-1, "a"), -1);
}

TEST(DesignerRules, MemoSearchStartsAtTheCaretAndFindsAMatchUnderItAgain) {
  const std::string text = "LOADBASE(T)\nloadbase(u)";
  EXPECT_EQ(FindInMemo(text, "LoadBase", 0), 0);
  EXPECT_EQ(FindInMemo(text, "LoadBase", 1), 12);
  EXPECT_EQ(FindInMemo(text, "LoadBase", 12), 12);
  EXPECT_EQ(FindInMemo(text, "LoadBase", 13), -1);
}

TEST(DesignerRules, PreviewOfANarrowBlankIsFullSizeAndANarrowScreenZoomsBelowItsScale) {
  EXPECT_EQ(PreviewGeometry(1024, 768, 96, 1000).Caption,
            "Предварительный просмотр, масштаб 100%"_w);
  const TPreviewGeometry g = PreviewGeometry(800, 600, 96, 1000);
  EXPECT_LT(g.Zoom, g.Scale);
}

// A designer over the demo's configuration in a fresh program directory.
class DesignerTest : public ::testing::Test {
 protected:
  DesignerTest() {
    for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
    ChooseDataDirectory();
    EXPECT_TRUE(LoadAllSettings());
    designer.Show();
  }
  ~DesignerTest() override { designer.Hide(); }

  static std::string Bytes(const std::string& file) { return vm::test::ReadBytes(file); }

  vm::test::ProgramHome home;
  vm::test::ScriptedUi ui;
  TDesignerHost host;
  TDesigner designer{Settings(), host};
};

TEST_F(DesignerTest, CancelAnsweredNoKeepsEditsAndYesWritesNothingBackAndUndoesTheFont) {
  const std::string font = DefaultFontName();
  designer.Misc.FontName = "Courier";
  ASSERT_TRUE(designer.FormsPage.AddBlank("НОВАЯ"_w));
  ui.Answers = {kIdNo};
  EXPECT_FALSE(designer.Cancel());
  EXPECT_FALSE(designer.MayClose());
  EXPECT_NE(designer.Blanks.FindByName("НОВАЯ"_w), nullptr);
  EXPECT_EQ(ui.Boxes.back().Text, "Все несохраненные изменения в будут игнорированы. Продолжить?"_w);
  ui.Answers = {kIdYes};
  EXPECT_TRUE(designer.Cancel());
  EXPECT_TRUE(designer.MayClose());
  EXPECT_EQ(Settings().Blanks.FindByName("НОВАЯ"_w), nullptr);
  EXPECT_EQ(DefaultFontName(), font);
}

TEST_F(DesignerTest, ApplyTakesTheClosestFontOrTimesNewRomanAndTheScrollCoefficient) {
  designer.Fonts = {"Arial", "Courier New"};
  designer.Misc.FontName = "courier new";
  designer.Misc.ScrollText = "abc";
  designer.Apply();
  EXPECT_EQ(DefaultFontName(), "Courier New");
  EXPECT_EQ(Settings().MouseScale, 5);
  designer.Misc.FontName = "Wingdings";
  designer.Fonts.clear();
  designer.Apply();
  EXPECT_EQ(DefaultFontName(), "Times New Roman");
  // No printer is installed here.
  designer.Misc.PrinterName = "LaserJet";
  designer.Apply();
  EXPECT_EQ(Settings().PrinterName, "");
}

TEST_F(DesignerTest, OkWritesTheThreeFilesAndAFailedSaveIsShownAndKeepsTheWindow) {
  designer.Misc.Title = "  Новый магазин "_w;
  EXPECT_TRUE(designer.Save());
  EXPECT_TRUE(designer.Save());
  EXPECT_FALSE(designer.MayClose());
  {
    vm::test::FaultyFileSystem faulty;
    faulty.FailRename = true;
    EXPECT_FALSE(designer.Ok());
    EXPECT_FALSE(designer.MayClose());
    EXPECT_EQ(ui.Boxes.back().Text, "Не удалось записать настройки в файл "_w + ProgramIniName());
    // The checks of apply opened the tables through the failing files.
    for (int32_t i = 0; i < Settings().Bases.Count(); ++i) Settings().Bases.GetItem(i)->Table.Close();
  }
  EXPECT_TRUE(designer.Ok());
  EXPECT_TRUE(designer.MayClose());
  TSettingsModel reread;
  ASSERT_TRUE(ReadLocalSettingsFile(0, LocalIniName(), reread));
  EXPECT_EQ(reread.Title, "Новый магазин"_w);
}

TEST_F(DesignerTest, TreeDragRules) {
  TDocNode* root = designer.Tree.First();
  ASSERT_GE(root->ChildCount(), 3);
  TDocNode* folder = root->Child(0);
  ASSERT_TRUE(folder->HasChildren());
  const std::string folderText = folder->Text, firstInFolder = folder->Child(0)->Text;
  const std::string thirdText = root->Child(2)->Text;
  const int32_t nodes = static_cast<int32_t>(designer.Tree.Nodes().size());
  designer.CommandsPage.SelectNode(root);
  EXPECT_FALSE(designer.CommandsPage.CanDrag());
  designer.CommandsPage.SelectNode(folder);
  EXPECT_FALSE(designer.CommandsPage.CanDrop(folder));
  EXPECT_FALSE(designer.CommandsPage.CanDrop(folder->Child(0)));
  EXPECT_FALSE(designer.CommandsPage.CanDrop(root));
  EXPECT_FALSE(designer.CommandsPage.CanDrop(nullptr));
  EXPECT_FALSE(designer.CommandsPage.Drop(folder->Child(0)));
  EXPECT_TRUE(designer.CommandsPage.Drop(root->Child(2)));
  EXPECT_EQ(root->Child(1)->Text, folderText);
  EXPECT_EQ(root->Child(1)->Child(0)->Text, firstInFolder);
  EXPECT_EQ(root->Child(2)->Text, thirdText);
  EXPECT_EQ(designer.CommandsPage.SelectedNode(), root->Child(1));
  // Into another folder, in front of one of its documents.
  designer.CommandsPage.SelectNode(root->Child(2));
  EXPECT_TRUE(designer.CommandsPage.Drop(root->Child(1)->Child(0)));
  EXPECT_EQ(root->Child(1)->Child(0)->Text, thirdText);
  EXPECT_EQ(root->Child(1)->Child(1)->Text, firstInFolder);
  EXPECT_EQ(designer.CommandsPage.SelectedNode()->Parent(), root->Child(1));
  EXPECT_EQ(static_cast<int32_t>(designer.Tree.Nodes().size()), nodes);
}

TEST_F(DesignerTest, SearchFindsDocumentsOnlyAndFindNextDoesNotWrap) {
  TDocNode* root = designer.Tree.First();
  TDocNode* folder = root->Child(0);
  folder->Data->Description = "UNIQUEWORD";
  designer.CommandsPage.SelectNode(folder->Child(0));
  designer.CommandsPage.SetDescription("x\nuniqueword here");
  EXPECT_TRUE(designer.CommandsPage.Find("UniqueWord"));
  EXPECT_EQ(designer.CommandsPage.SelectedNode(), folder->Child(0));
  EXPECT_EQ(designer.CommandsPage.SearchCaret(), 2);
  EXPECT_FALSE(designer.CommandsPage.FindNext());
  EXPECT_EQ(ui.Boxes.back().Text, "Ничего не найдено!"_w);
  EXPECT_EQ(designer.CommandsPage.SelectedNode(), folder->Child(0));
}

// The memo shows a stored CR LF as one line break: the caret counts one
// character for each line above the match.
TEST_F(DesignerTest, TheSearchCaretCountsALineBreakOnce) {
  TDocNode* root = designer.Tree.First();
  designer.CommandsPage.SelectNode(root->Child(0)->Child(0));
  designer.CommandsPage.SetDescription("INIT\r\n  A := 1\r\n  Б := 'Искомое'\r\nENDSECTION\r\n"_w);
  ASSERT_TRUE(designer.CommandsPage.Find("искомое"_w));
  EXPECT_EQ(designer.CommandsPage.SearchCaret(), 5 + 9 + 8);
}

// A font field cleared shows Times New Roman at once, and OK applies it,
// not the font the field matched before.
TEST_F(DesignerTest, AClearedFontFieldAppliesTimesNewRoman) {
  designer.Fonts = {"Arial", "Courier New"};
  EXPECT_EQ(designer.MiscPage.SetFontText("cour"), 1);
  EXPECT_EQ(DefaultFontName(), "Courier New");
  EXPECT_EQ(designer.MiscPage.SetFontText(""), -1);
  EXPECT_EQ(DefaultFontName(), "Times New Roman");
  designer.Apply();
  EXPECT_EQ(DefaultFontName(), "Times New Roman");
}

TEST_F(DesignerTest, PasswordsOutOfRangeBecomeMinusOneAndTenShowsNine) {
  TDocNode* node = designer.Tree.First()->Child(1);
  node->Data->PasswordNumber = 10;
  designer.CommandsPage.SelectNode(node);
  EXPECT_EQ(node->Data->PasswordNumber, 10);
  EXPECT_EQ(designer.CommandsPage.NodePasswordShown(), 9);
  node->Data->PasswordNumber = 255;
  designer.CommandsPage.SelectNode(node);
  EXPECT_EQ(node->Data->PasswordNumber, -1);
  designer.CommandsPage.SetPasswordText("abc");
  EXPECT_EQ(node->Data->PasswordNumber, -1);
}

TEST_F(DesignerTest, EnablingFollowsTheSelection) {
  TDocNode* root = designer.Tree.First();
  designer.CommandsPage.SelectNode(root);
  TDesignerEnabling e = designer.Enabling();
  EXPECT_TRUE(e.DocAdd);
  EXPECT_FALSE(e.DocDelete);
  EXPECT_FALSE(e.DocDescription);
  designer.CommandsPage.SelectNode(root->Child(0));  // a folder
  e = designer.Enabling();
  EXPECT_TRUE(e.DocDelete);
  EXPECT_FALSE(e.DocPreview);
  designer.CommandsPage.SelectNode(root->Child(0)->Child(0));
  e = designer.Enabling();
  EXPECT_TRUE(e.DocPreview);
  EXPECT_TRUE(e.DocDescription);
  designer.CommandsPage.SelectNode(nullptr);
  EXPECT_FALSE(designer.Enabling().DocAdd);
  // The database buttons act on the grid last entered.
  EXPECT_FALSE(designer.Enabling().BaseAdd);
  designer.BasesPage.ActiveGrid = TBaseGrid::Bases;
  EXPECT_TRUE(designer.Enabling().BaseAdd);
  designer.BasesPage.SelectBase(-1);
  EXPECT_FALSE(designer.Enabling().BaseEdit);
  designer.BasesPage.ActiveGrid = TBaseGrid::Fields;
  EXPECT_FALSE(designer.Enabling().BaseAdd);
  // Book edits need a book; the edit columns also "Правка".
  designer.BooksPage.SelectBook(0);
  EXPECT_TRUE(designer.Enabling().BookEdits);
  designer.BooksPage.CurrentBook()->CanEdit = false;
  EXPECT_FALSE(designer.Enabling().BookEditColumns);
  designer.BooksPage.SelectBook(-1);
  EXPECT_FALSE(designer.Enabling().BookEdits);
}

TEST_F(DesignerTest, DeletingTheRootIsRefusedAndADocumentIsAskedFor) {
  designer.CommandsPage.SelectNode(designer.Tree.First());
  EXPECT_FALSE(designer.CommandsPage.DeleteDocument());
  const int32_t children = designer.Tree.First()->ChildCount();
  designer.CommandsPage.AddDocument();
  ui.Answers = {kIdNo};
  EXPECT_FALSE(designer.CommandsPage.DeleteDocument());
  ui.Answers = {kIdYes};
  EXPECT_TRUE(designer.CommandsPage.DeleteDocument());
  EXPECT_EQ(designer.CommandsPage.SelectedNode(), designer.Tree.First());
  EXPECT_EQ(designer.Tree.First()->ChildCount(), children);
}

TEST_F(DesignerTest, BooksFollowTheirDatabaseAndTheirForm) {
  designer.TabChanged(TDesignerTab::Books);
  designer.BasesPage.SelectBase(0);
  const std::string alias = designer.BasesPage.CurrentBase()->Alias;
  // A second book on the same database.
  ASSERT_TRUE(designer.BooksPage.AddBook(alias, "ВТОРОЙ"_w));
  designer.BooksPage.SetBookForm(designer.Books.GetItem(0)->BlankName);
  TBaseDialogTexts t{designer.BasesPage.CurrentBase()->FileName, "НОВЫЙ"_w,
                     designer.BasesPage.CurrentBase()->Department};
  ASSERT_TRUE(designer.BasesPage.EditBase(t));
  int32_t following = 0;
  for (int32_t i = 0; i < designer.Books.Count(); ++i)
    following += designer.Books.GetItem(i)->BaseAlias == "НОВЫЙ"_w;
  EXPECT_EQ(following, 2);
  // Deleting the form takes its books with it, unasked beyond the form.
  const std::string form = designer.Books.GetItem(0)->BlankName;
  const auto names = designer.FormsPage.BlankNames();
  designer.FormsPage.SelectBlank(
      static_cast<int32_t>(std::find(names.begin(), names.end(), form) - names.begin()));
  ui.Answers = {kIdYes};
  const std::size_t boxes = ui.Boxes.size();
  ASSERT_TRUE(designer.FormsPage.DeleteBlank());
  EXPECT_EQ(designer.Books.IndexOfForm(form), -1);
  EXPECT_EQ(ui.Boxes.size(), boxes + 1);
}

TEST_F(DesignerTest, AFormChangeResetsTheColumnsAndAMissingDatabaseOffersNoFields) {
  designer.TabChanged(TDesignerTab::Books);
  designer.BooksPage.SelectBook(0);
  TSpravDef* book = designer.BooksPage.CurrentBook();
  ASSERT_NE(book, nullptr);
  ASSERT_FALSE(designer.BooksPage.FieldChoices(0).empty());
  designer.BooksPage.SetSortText("1");
  designer.BooksPage.SetBookForm("ПОСТАВЩИКИ"_w);
  EXPECT_EQ(book->ColumnCount, 5);
  EXPECT_EQ(book->GetSDef(0)->FieldName, "");
  book->BaseAlias = "НЕТ_ТАКОЙ"_w;
  EXPECT_TRUE(designer.BooksPage.FieldChoices(0).empty());
}

TEST_F(DesignerTest, DatabasesAreStoredUpperCasedAndDatesAreEightWide) {
  ASSERT_TRUE(designer.BasesPage.AddBase({"x.dbf", "икс"_w, "Проба"_w}));
  EXPECT_EQ(designer.BasesPage.CurrentBase()->FileName, "X.DBF");
  EXPECT_EQ(designer.BasesPage.CurrentBase()->Alias, "ИКС"_w);
  ASSERT_TRUE(designer.BasesPage.AddField({"dt", "Дата"_w, "30", "4"}));
  EXPECT_EQ(designer.BasesPage.CurrentBase()->Fields.back().Length, 8);
  EXPECT_FALSE(designer.BasesPage.AddField({"NO__", "Число"_w, "10", "0"}));
  designer.BasesPage.ActiveGrid = TBaseGrid::Fields;
  EXPECT_TRUE(designer.Enabling().BaseDelete);
  // Nothing reaches the live configuration before apply.
  EXPECT_EQ(Settings().Bases.FindByFileName("X.DBF"), nullptr);
}

constexpr const char* kSmallDoc =
    "VARS\r\n  X = N\r\nENDSECTION\r\nBLANK\r\n  WIDTH = 800\r\nENDSECTION\r\n"
    "INIT\r\n  X := 1\r\nENDSECTION\r\n";

TEST_F(DesignerTest, CheckAllCountsTheDescribedDocumentsFromTheSelection) {
  designer.Tree.Clear();
  TDocNode* root = designer.Tree.AddTop("Документы"_w);
  TDocNode* folder = root->AddChild("Склад"_w);
  // A folder's description is never compiled.
  folder->Data = std::make_unique<TDocData>();
  folder->Data->Description = "NOSUCHSECTION";
  for (const char* name : {"A", "B", "C"}) {
    TDocNode* doc = folder->AddChild(name);
    doc->Data = std::make_unique<TDocData>();
    doc->Data->Description = kSmallDoc;
  }
  root->AddChild("Пустой"_w)->Data = std::make_unique<TDocData>();
  designer.CommandsPage.SelectNode(folder->Child(1));
  EXPECT_FALSE(designer.CommandsPage.CheckAll().Error);
  EXPECT_EQ(ui.Boxes.back().Text, "Проверено 2 команд. Ошибки не обнаружены!"_w);
  EXPECT_EQ(ui.Boxes.back().Caption, "Проверка команд"_w);
  designer.CommandsPage.SelectNode(folder);
  EXPECT_FALSE(designer.CommandsPage.CheckAll().Error);
  EXPECT_EQ(ui.Boxes.back().Text, "Проверено 3 команд. Ошибки не обнаружены!"_w);
  folder->Child(2)->Data->Description = std::string(kSmallDoc) + "NOSUCHSECTION";
  const TDesignerRunEnd end = designer.CommandsPage.CheckAll();
  EXPECT_TRUE(end.Error);
  EXPECT_EQ(designer.CommandsPage.SelectedNode(), folder->Child(2));
  EXPECT_EQ(end.CaretLine, 9);
  designer.CommandsPage.SelectNode(root->Child(1));
  EXPECT_FALSE(designer.CommandsPage.CheckAll().Error);
  EXPECT_EQ(ui.Boxes.back().Text, "Проверено 0 команд. Ошибки не обнаружены!"_w);
}

// A database registered since the designer opened has no file until
// "Сохранить" creates it: "Проверить все" and "Просмотр" bind it as an
// empty table of its description all the same, and write nothing.
TEST_F(DesignerTest, CheckAndTestRunAcceptADatabaseRegisteredSinceTheDesignerOpened) {
  ASSERT_TRUE(designer.BasesPage.AddBase({"clients.dbf", "клиенты"_w, "Клиенты"_w}));
  ASSERT_TRUE(designer.BasesPage.AddField({"name", "Строка"_w, "20", "0"}));
  designer.Tree.Clear();
  TDocNode* root = designer.Tree.AddTop("Документы"_w);
  TDocNode* doc = root->AddChild("Клиенты"_w);
  doc->Data = std::make_unique<TDocData>();
  doc->Data->Description = "USEDBASES\r\n  К = NAME:КЛИЕНТЫ, KEY:[NAME]\r\n"_w +
                           "  Т = NAME:ТОВАРЫ, KEY:[CODE]\r\nENDSECTION\r\n"_w + kSmallDoc;
  designer.CommandsPage.SelectNode(root);
  const std::string goods = Bytes(home / "goods.dbf");
  const auto files = std::distance(fs::directory_iterator(home.Dir()), fs::directory_iterator());
  const TDesignerRunEnd end = designer.CommandsPage.CheckAll();
  EXPECT_FALSE(end.Error) << (ui.Boxes.empty() ? "" : Cp1251ToUtf8(ui.Boxes.back().Text));
  EXPECT_EQ(ui.Boxes.back().Text, "Проверено 1 команд. Ошибки не обнаружены!"_w);
  EXPECT_TRUE(Bytes(home / "goods.dbf") == goods);
  EXPECT_FALSE(fs::exists(home / "CLIENTS.DBF") || fs::exists(home / "clients.dbf"));
  doc->Data->PasswordNumber = 0;
  designer.CommandsPage.SelectNode(doc);
  ui.Boxes.clear();
  EXPECT_FALSE(designer.CommandsPage.TestRun().Error)
      << (ui.Boxes.empty() ? "" : Cp1251ToUtf8(ui.Boxes.back().Text));
  EXPECT_TRUE(ui.Boxes.empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(home.Dir()), fs::directory_iterator()), files);
  // A database nobody described is still refused.
  doc->Data->Description = "USEDBASES\r\n  К = NAME:НЕТ, KEY:[NAME]\r\nENDSECTION\r\n"_w + kSmallDoc;
  EXPECT_TRUE(designer.CommandsPage.CheckAll().Error);
}

// "Выполнить" runs the start-of-day program for real, commit included; a
// database registered but not saved is only an empty stand-in then, so a
// run that saves into it is refused as a whole, naming it: no file appears
// at its name for a later save to adopt, and no other base takes the run.
TEST_F(DesignerTest, ExecutingTheStartOfDayNeverPutsAnUnsavedDatabaseInPlace) {
  ASSERT_TRUE(designer.BasesPage.AddBase({"clients.dbf", "клиенты"_w, "Клиенты"_w}));
  ASSERT_TRUE(designer.BasesPage.AddField({"name", "Строка"_w, "20", "0"}));
  designer.StartOfDayPage.SetStartOfDayText(
      "USEDBASES\r\n  К = NAME:КЛИЕНТЫ, KEY:[NAME]\r\n  Т = NAME:ТОВАРЫ, KEY:[CODE]\r\nENDSECTION\r\n"
      "INIT\r\n  ADDRECORD(Т)\r\n  Т.CODE := 999\r\n  SAVEBASE(Т)\r\n"
      "  ADDRECORD(К)\r\n  К.NAME := 'Иванов'\r\n  SAVEBASE(К)\r\nENDSECTION\r\n"_w);
  const std::string goods = Bytes(home / "goods.dbf");
  ui.Answers = {kIdYes};
  designer.StartOfDayPage.ExecuteStartOfDay();
  const std::string refused = "База данных КЛИЕНТЫ ещё не создана: сначала сохраните служебные настройки"_w;
  ASSERT_FALSE(ui.Boxes.empty());
  EXPECT_EQ(ui.Boxes.back().Text.substr(0, refused.size()), refused) << Cp1251ToUtf8(ui.Boxes.back().Text);
  EXPECT_FALSE(fs::exists(home / "CLIENTS.DBF") || fs::exists(home / "clients.dbf"));
  EXPECT_TRUE(Bytes(home / "goods.dbf") == goods);
  for (const auto& e : fs::directory_iterator(home.Dir()))
    EXPECT_FALSE(e.path().filename().string().starts_with("clients")) << e.path();

  // Saved, the base is created empty and the same run goes in.
  ASSERT_TRUE(designer.Save());
  ui.Answers = {kIdYes};
  designer.StartOfDayPage.ExecuteStartOfDay();
  TDBF clients;
  clients.FileName = home / "clients.dbf";
  ASSERT_TRUE(clients.OpenReadOnly());
  EXPECT_EQ(clients.RecCount(), 1);
}

// A run of the start-of-day program that is refused (a database registered
// but not saved) or does not compile commits nothing: "manager.ini" and
// "local.ini" stay as they were and none of their numbered copies moves,
// however often it is tried, even on a new day, whose saved start of day
// (run before it, as before any document) commits nothing here.
TEST_F(DesignerTest, ARefusedOrUncompiledStartOfDayRunMovesNoCopyOfTheSettings) {
  Settings().StartOfDayDoc.Description = "; Начало рабочего дня\r\n"_w;
  std::vector<std::string> names;
  for (const char* stem : {"local.in", "manager.in"}) {
    names.push_back(std::string(stem) + "i");
    for (int k = 1; k <= 5; ++k) {
      names.push_back(stem + std::to_string(k));
      vm::test::WriteBytes(home / names.back(), "version " + std::to_string(k));
    }
  }
  const auto files = [&] {
    std::vector<std::string> bytes;
    for (const std::string& name : names) bytes.push_back(Bytes(home / name));
    return bytes;
  };
  const std::vector<std::string> before = files();
  ASSERT_TRUE(designer.BasesPage.AddBase({"clients.dbf", "клиенты"_w, "Клиенты"_w}));
  ASSERT_TRUE(designer.BasesPage.AddField({"name", "Строка"_w, "20", "0"}));
  const std::string refused =
      "USEDBASES\r\n  К = NAME:КЛИЕНТЫ, KEY:[NAME]\r\nENDSECTION\r\n"
      "INIT\r\n  %ДАТА_СМЕНЫ% := %CURDATE%\r\n  ADDRECORD(К)\r\n  К.NAME := 'Иванов'\r\n"
      "  SAVEBASE(К)\r\nENDSECTION\r\n"_w;
  const std::string uncompiled = "INIT\r\n  %ДАТА_СМЕНЫ% := %CURDATE%\r\n  НЕТ_ТАКОЙ(1\r\nENDSECTION\r\n"_w;
  for (const std::string& text : {refused, refused, refused, uncompiled, uncompiled, refused}) {
    // A day not yet started, as after a start on the program's own clock.
    MainState().DayStarted = false;
    designer.StartOfDayPage.SetStartOfDayText(text);
    ui.Answers = {kIdYes};
    ui.Boxes.clear();
    designer.StartOfDayPage.ExecuteStartOfDay();
    EXPECT_FALSE(ui.Boxes.empty());
    EXPECT_EQ(files(), before) << Cp1251ToUtf8(text);
  }
}

// "Выполнить" runs the start-of-day program on the road of any document:
// the date confirmed and, on a new day, the saved start of day run first,
// the day started; the demo's program then records the confirmed date and
// the next document starts no day again. The designer's run began from its
// working auto-parameters: what the saved start of day committed to them
// stays, not written over by the older values.
TEST_F(DesignerTest, ExecutingTheStartOfDayStartsTheConfirmedDayAfterTheSavedOne) {
  TMainState& s = MainState();
  s.Clock.Fix({5, 12, 2026}, {20, 15, 0});
  s.WorkingDay = {5, 12, 2026};
  s.DayStarted = true;
  Settings().SystemClock = false;
  // The saved start of day opens the day's receipts as well.
  Settings().StartOfDayDoc.Description =
      "INIT\r\n  %ДАТА_СМЕНЫ% := %CURDATE%\r\n  %НОМЕР_ЧЕКА% := 0\r\nENDSECTION\r\n"_w;
  ui.DateTimeTyped = DateTimeFields{6, 12, 2026, 9, 0, 0};
  ui.Answers = {kIdYes};
  EXPECT_FALSE(designer.StartOfDayPage.ExecuteStartOfDay().Error);
  EXPECT_EQ(ui.DateTimeAsked, 1);
  EXPECT_EQ(std::tuple(s.WorkingDay, s.DayStarted), std::tuple(TDateRec{6, 12, 2026}, true));
  const auto param = [&](const std::string& name) {
    const std::string manager = Cp1251ToUtf8(Bytes(home / "manager.ini"));
    const std::size_t at = manager.find("ИМЯ_ПАРАМ=" + name);
    const std::size_t value = manager.find("ЗНАЧЕН_ПАРАМ=", at);
    return at == std::string::npos ? "none" : manager.substr(value, manager.find('\r', value) - value);
  };
  EXPECT_EQ(param("ДАТА_СМЕНЫ"), "ЗНАЧЕН_ПАРАМ='6.12.2026'");
  EXPECT_EQ(param("НОМЕР_ЧЕКА"), "ЗНАЧЕН_ПАРАМ='0'");

  // The next document of the day commits alone: one operation number more.
  const int operation = std::stoi(GetSysVarText(kSysVarNoOperat, 0, 0));
  ui.DateTimeTyped = DateTimeFields{6, 12, 2026, 9, 30, 0};
  TDocData next;
  next.PasswordNumber = 0;
  next.Description = "BLANK\r\n  WIDTH = 800\r\nENDSECTION\r\n"
                     "INIT\r\n  %НОМЕР_ЧЕКА% := %НОМЕР_ЧЕКА% + 1\r\nENDSECTION\r\n"_w;
  int32_t line = 0;
  EXPECT_FALSE(host.RunDocument(next, line));
  EXPECT_EQ(std::stoi(GetSysVarText(kSysVarNoOperat, 0, 0)), operation + 1);
  EXPECT_EQ(param("НОМЕР_ЧЕКА"), "ЗНАЧЕН_ПАРАМ='1'");
  EXPECT_EQ(param("ДАТА_СМЕНЫ"), "ЗНАЧЕН_ПАРАМ='6.12.2026'");
}

// "Выполнить" runs the start of day from the working copies, whose
// parameters hold edits the user has not saved: the commit takes only what
// the run changed, and "Отмена" still takes the edits back.
TEST_F(DesignerTest, ExecutingTheStartOfDayCommitsNoUnsavedParameterEdit) {
  TMainState& s = MainState();
  s.Clock.Fix({5, 12, 2026}, {20, 15, 0});
  s.WorkingDay = {5, 12, 2026};
  s.DayStarted = true;
  Settings().SystemClock = false;
  const std::string address = Settings().AutoParams.GetValueText("АДРЕС"_w);
  designer.AutoParamsPage.AutoParamRow = designer.AutoParams.IndexOfName("АДРЕС"_w);
  ui.Answers = {kIdYes};
  ASSERT_TRUE(designer.AutoParamsPage.DeleteAutoParam());
  designer.StartOfDay.Description = "INIT\r\n  %НОМЕР_ЧЕКА% := 0\r\nENDSECTION\r\n"_w;
  ui.DateTimeTyped = DateTimeFields{6, 12, 2026, 9, 0, 0};
  ui.Answers = {kIdYes};
  EXPECT_FALSE(designer.StartOfDayPage.ExecuteStartOfDay().Error);
  for (const TAutoList* list : {&Settings().AutoParams, &designer.AutoParams})
    EXPECT_EQ(std::tuple(list->GetValueText("ДАТА_СМЕНЫ"_w), list->GetValueText("НОМЕР_ЧЕКА"_w)),
              std::tuple(std::string("6.12.2026"), std::string("0")));
  EXPECT_EQ(designer.AutoParams.FindByName("АДРЕС"_w), nullptr);
  ui.Answers = {kIdYes};
  ASSERT_TRUE(designer.Cancel());
  EXPECT_EQ(Settings().AutoParams.GetValueText("АДРЕС"_w), address);
  ASSERT_TRUE(ReloadAutoParams());
  EXPECT_EQ(std::tuple(Settings().AutoParams.GetValueText("АДРЕС"_w),
                       Settings().AutoParams.GetValueText("НОМЕР_ЧЕКА"_w)),
            std::tuple(address, std::string("0")));
}

// A default paper made in "Печать" and not yet saved is the one that
// "Проверить все" and "Просмотр" try, as they try the working databases;
// the configuration keeps its own until "Сохранить". Without a printer
// "Формат" has no settings to edit and says so.
TEST_F(DesignerTest, CheckAndTestRunTakeTheDefaultPaperNotYetSaved) {
  designer.PrintingPage.AddPageFormat();
  designer.PrintingPage.RenamePageFormat("Лента"_w);
  designer.PrintingPage.MakeDefaultFormat();
  // A new configuration, whose own default names no format yet.
  Settings().DefaultFormatName.clear();
  designer.Tree.Clear();
  TDocNode* doc = designer.Tree.AddTop("Документы"_w)->AddChild("Проба"_w);
  doc->Data = std::make_unique<TDocData>();
  doc->Data->Description = kSmallDoc;
  doc->Data->PasswordNumber = 0;
  designer.CommandsPage.SelectNode(doc);
  ui.Boxes.clear();
  EXPECT_FALSE(designer.CommandsPage.CheckAll().Error)
      << (ui.Boxes.empty() ? "" : Cp1251ToUtf8(ui.Boxes.back().Text));
  EXPECT_EQ(ui.Boxes.back().Text, "Проверено 1 команд. Ошибки не обнаружены!"_w);
  ui.Boxes.clear();
  EXPECT_FALSE(designer.CommandsPage.TestRun().Error)
      << (ui.Boxes.empty() ? "" : Cp1251ToUtf8(ui.Boxes.back().Text));
  EXPECT_EQ(std::tuple(Settings().DefaultFormatName, PageFormats().FindByName("Лента"_w)),
            std::tuple(std::string(), nullptr));
  EXPECT_EQ(designer.PrintingPage.EditPageFormat(), TFormatEdit::NoPrinter);
}

TEST_F(DesignerTest, AutoParametersAreAddedLocalAndChanged) {
  ASSERT_TRUE(designer.AutoParamsPage.AddAutoParam("скидка"_w, "2.5", "Число"_w));
  TAPar* p = designer.AutoParams.GetItem(designer.AutoParamsPage.AutoParamRow);
  EXPECT_EQ(p->Name, "СКИДКА"_w);
  EXPECT_EQ(p->Kind, 'N');
  EXPECT_TRUE(p->Local);
  designer.AutoParamsPage.ChangeAutoParam("3", false);
  EXPECT_FALSE(p->Local);
  ui.Answers = {kIdYes};
  EXPECT_TRUE(designer.AutoParamsPage.DeleteAutoParam());
  EXPECT_EQ(designer.AutoParams.IndexOfName("СКИДКА"_w), -1);
}

}  // namespace

TEST(DesignerRules, PasswordsIgnoreCaseAndSurroundingBlanksAndKeepTenCharacters) {
  EXPECT_TRUE(PasswordConfirmed("  секрет "_w, "СЕКРЕТ"_w));
  EXPECT_TRUE(PasswordConfirmed("", "   "));
  EXPECT_FALSE(PasswordConfirmed("abc", "abd"));
  EXPECT_EQ(PasswordFromDialog("  abcdefghijkl "), "ABCDEFGHIJ");
}

TEST_F(DesignerTest, APasswordChangedReachesTheSavedConfigurationOnlyOnOk) {
  const TPasswordRecords before = Settings().Passwords;
  designer.MiscPage.SetPassword(11, PasswordFromDialog(" вход "_w));
  EXPECT_EQ(Settings().Passwords, before);
  ASSERT_TRUE(designer.Ok());
  // The next start reads it from the saved configuration.
  TSettingsModel reread;
  ASSERT_TRUE(ReadConfigurationFile(0, ProgramIniName(), reread));
  std::string s;
  UnpackPassword(reread.Passwords[10], 11, s);
  EXPECT_EQ(s, "ВХОД"_w);
  EXPECT_EQ(TMiscPage::PasswordItems().size(), 14u);
  EXPECT_EQ(TMiscPage::PasswordItems()[10], "Пароль на вход в программу"_w);
}

TEST_F(DesignerTest, ScannerPortIsStoredByNameAndAnUnknownNameIsKept) {
  designer.MiscPage.StoreScannerPort(7);
  EXPECT_EQ(designer.MiscPage.ScannerPortName(), "COM8");
  EXPECT_EQ(designer.MiscPage.ScannerPortIndex(), 7);
  designer.MiscPage.SetCloseAfterCommand(true);
  TPortConfig config = designer.MiscPage.ScannerConfigForEdit();
  config[0] = 0x5A;
  designer.MiscPage.SetScannerConfig(config);
  // Neither the port configuration nor the flag may overwrite the name.
  EXPECT_EQ(designer.MiscPage.ScannerPortName(), "COM8");
  EXPECT_TRUE(designer.MiscPage.CloseAfterCommand());
  designer.Apply();
  EXPECT_EQ(Settings().SerialRecord.PortConfig()[0], 0x5A);
  const std::string odd = "/dev/ttyUSB0";
  designer.Serial.SetPortName(odd);
  EXPECT_EQ(designer.MiscPage.ScannerPortIndex(), -1);
  EXPECT_EQ(designer.MiscPage.ScannerPortName(), odd);
}

TEST_F(DesignerTest, TypedFontPrefixIsTakenAtOnceAndCancelUndoesIt) {
  const std::string font = DefaultFontName();
  designer.Fonts = {"Arial", "Courier New", "Times New Roman"};
  EXPECT_EQ(designer.MiscPage.SetFontText("cour"), 1);
  EXPECT_EQ(DefaultFontName(), "Courier New");
  ui.Answers = {kIdYes};
  EXPECT_TRUE(designer.Cancel());
  EXPECT_EQ(DefaultFontName(), font);
}

TEST_F(DesignerTest, ANewBaseDirectoryOrNetworkEndsOkWithTheRestartNotice) {
  designer.MiscPage.ChooseBaseDir(designer.Misc.BaseDir);
  EXPECT_TRUE(designer.Ok());
  EXPECT_EQ(ui.Boxes.back().Text, "Необходимо перезапустить программу"_w);
  designer.Hide();
  designer.Show();
  ui.Boxes.clear();
  EXPECT_TRUE(designer.Ok());
  EXPECT_TRUE(ui.Boxes.empty());
  designer.Hide();
  designer.Show();
  designer.MiscPage.ClickNetwork(designer.Misc.Network);
  EXPECT_TRUE(designer.Ok());
  EXPECT_EQ(ui.Boxes.back().Text, "Необходимо перезапустить программу"_w);
}

TEST_F(DesignerTest, ArchiveEntryDialogOffersOnlyDatabasesNotYetEntered) {
  ASSERT_EQ(designer.ArchivePage.CurrentArchiveIndex(), 0);
  TArchiveEntryDialog add = designer.ArchivePage.ArchiveEntryDialog(false);
  EXPECT_EQ(std::count(add.BaseChoices.begin(), add.BaseChoices.end(), "ПРИХОД"_w), 0);
  EXPECT_EQ(std::count(add.BaseChoices.begin(), add.BaseChoices.end(), "ТОВАРЫ"_w), 1);
  designer.ArchivePage.ArchiveRow = 1;
  TArchiveEntryDialog edit = designer.ArchivePage.ArchiveEntryDialog(true);
  EXPECT_EQ(std::count(edit.BaseChoices.begin(), edit.BaseChoices.end(), "ПРИХОД"_w), 1);
  EXPECT_EQ(edit.Values.Base, "ПРИХОД"_w);
  EXPECT_EQ(edit.Values.GroupField, "нет"_w);
  EXPECT_TRUE(edit.CanConfirm());
  // The goods have no date field; a group field "нет" is offered anyway.
  add.ChooseBase("ТОВАРЫ"_w);
  EXPECT_TRUE(add.DateFields.empty());
  EXPECT_EQ(add.GroupFields.back(), "нет"_w);
  EXPECT_FALSE(add.CanConfirm());
  add.ChooseBase("ПРИХОД"_w);
  EXPECT_FALSE(add.CanConfirm()) << "already entered, so not offered";
  edit.ChooseBase("ПРИХОД"_w);
  edit.Values.LastRecord = "Оставлять"_w;
  ASSERT_TRUE(edit.CanConfirm());
  EXPECT_TRUE(designer.ArchivePage.EditArchiveEntry(edit.Values));
  EXPECT_EQ(designer.ArchivePage.ArchiveRows()[0][4], "Оставлять"_w);
}

TEST_F(DesignerTest, ArchiveConfigurationsAreNamedUniquelyAndDeletingShowsTheNextByIndex) {
  ASSERT_TRUE(designer.ArchivePage.AddArchiveConfig("  Касса "_w));
  EXPECT_EQ(designer.ArchivePage.CurrentArchive()->Name, "Касса"_w);
  EXPECT_FALSE(designer.ArchivePage.AddArchiveConfig("касса"_w));
  ASSERT_TRUE(designer.ArchivePage.AddArchiveConfig("Склад"_w));
  EXPECT_NE(designer.ArchiveConfigs.GetConfig(1)->ID, designer.ArchiveConfigs.GetConfig(2)->ID);
  EXPECT_FALSE(designer.ArchivePage.RenameArchiveConfig("КАССА"_w));
  EXPECT_TRUE(designer.ArchivePage.RenameArchiveConfig("склад"_w));
  designer.ArchivePage.ShowArchiveConfig(1);
  ui.Answers = {kIdYes};
  EXPECT_TRUE(designer.ArchivePage.DeleteArchiveConfig());
  EXPECT_EQ(designer.ArchivePage.CurrentArchive()->Name, "склад"_w);
  ui.Answers = {kIdYes};
  EXPECT_TRUE(designer.ArchivePage.DeleteArchiveConfig());
  EXPECT_EQ(designer.ArchivePage.CurrentArchiveIndex(), 0) << "the last went, so the one before";
  ui.Answers = {kIdYes};
  EXPECT_TRUE(designer.ArchivePage.DeleteArchiveConfig());
  EXPECT_EQ(designer.ArchivePage.CurrentArchive(), nullptr);
  EXPECT_TRUE(designer.ArchivePage.ArchiveRows().empty());
  EXPECT_EQ(Settings().ArchiveConfigs.Count(), 1) << "only the working copy changed";
}

TEST_F(DesignerTest, ArchiveEntriesAreDeletedByRowAndABadOneIsFoundByTheCheck) {
  EXPECT_TRUE(designer.ArchivePage.CheckArchiveConfig());
  designer.ArchivePage.ArchiveRow = 2;
  ui.Answers = {kIdYes};
  EXPECT_TRUE(designer.ArchivePage.DeleteArchiveEntry());
  EXPECT_EQ(ui.Boxes.back().Text, "Вы действительно хотите удалить базу ПРОДАЖИ из конфигурации?"_w);
  EXPECT_EQ(designer.ArchivePage.ArchiveRow, 1);
  ASSERT_TRUE(
      designer.ArchivePage.AddArchiveEntry({"ТОВАРЫ"_w, "NONE", "нет"_w, "Удалять"_w, "", ""}));
  EXPECT_EQ(designer.ArchivePage.ArchiveRow, 2);
  designer.ArchivePage.ArchiveRow = 1;
  EXPECT_FALSE(designer.ArchivePage.CheckArchiveConfig());
  EXPECT_EQ(designer.ArchivePage.ArchiveRow, 2);
  EXPECT_EQ(ui.Boxes.back().Caption, "Ошибка проверки"_w);
}

// A printer whose driver hands out a fixed settings block.
class PrinterHost : public TDesignerHost {
 public:
  std::string PrinterSettings(const std::string&) override { return "DEV"; }
  bool EditPrinterSettings(const std::string&, std::string& data) override {
    data += "+A4";
    return true;
  }
};

TEST_F(DesignerTest, PageFormatsTakeThePrintersSettingsAndNamesWithoutCommas) {
  PrinterHost printer;
  TDesigner d{Settings(), printer};
  d.Show();
  const int32_t count = d.PageFormatList.Count();
  d.PrintingPage.AddPageFormat();
  ASSERT_EQ(d.PrintingPage.FormatIndex, count);
  EXPECT_EQ(d.PageFormatList.GetItem(count).Name, "Новый формат"_w);
  EXPECT_EQ(d.PageFormatList.GetItem(count).DeviceMode, "DEV");
  EXPECT_EQ(d.PrintingPage.EditPageFormat(), TFormatEdit::Edited);
  EXPECT_EQ(d.PageFormatList.GetItem(count).DeviceMode, "DEV+A4");
  d.PrintingPage.RenamePageFormat("Ценник 5,8 x 4,0"_w);
  EXPECT_EQ(d.PageFormatList.GetItem(count).Name, "Ценник 5.8 x 4.0"_w);
  d.PrintingPage.MakeDefaultFormat();
  d.Apply();
  EXPECT_EQ(Settings().DefaultFormatName, "Ценник 5.8 x 4.0"_w);
  ASSERT_NE(PageFormats().FindByName("ценник 5.8 x 4.0"_w), nullptr);
  d.PrintingPage.DeletePageFormat();
  EXPECT_EQ(d.PageFormatList.Count(), count);
  EXPECT_EQ(d.PrintingPage.FormatIndex, count - 1);
  d.Hide();
}

TEST_F(DesignerTest, AnArchiveConfigurationMadeHereIsSavedAndPassesTheStartUpCheck) {
  ASSERT_TRUE(designer.ArchivePage.AddArchiveConfig("Продажи"_w));
  TArchiveEntryDialog entry = designer.ArchivePage.ArchiveEntryDialog(false);
  entry.ChooseBase("ПРОДАЖИ"_w);
  ASSERT_TRUE(entry.CanConfirm());
  ASSERT_TRUE(designer.ArchivePage.AddArchiveEntry(entry.Values));
  const int32_t id = designer.ArchivePage.CurrentArchive()->ID;
  ASSERT_TRUE(designer.Ok());
  TSettingsModel reread;
  ASSERT_TRUE(ReadConfigurationFile(0, ProgramIniName(), reread));
  ASSERT_EQ(reread.ArchiveConfigs.Count(), 2);
  EXPECT_EQ(reread.ArchiveConfigs.GetConfig(1)->Name, "Продажи"_w);
  EXPECT_EQ(reread.ArchiveConfigs.GetConfig(1)->ID, id);
  EXPECT_GT(reread.NextArchiveConfigID, id);
  const std::vector<int32_t> valid = CheckArchiveConfigs(Settings());
  EXPECT_NE(std::find(valid.begin(), valid.end(), id), valid.end());
}

// Notes which tag has its pictures loaded.
class PictureHost : public TDesignerHost {
 public:
  void ShowTagPictures(const TCennik* tag) override { Shown.push_back(tag); }
  std::vector<const TCennik*> Shown;
};

class DesignerLabelsTest : public DesignerTest {
 protected:
  DesignerLabelsTest() { d.Show(); }
  ~DesignerLabelsTest() override { d.Hide(); }
  PictureHost pictures;
  TDesigner d{Settings(), pictures};
};

TEST_F(DesignerLabelsTest, ZonesAreChosenByClickAndNumberAndTheLastOneDeleted) {
  ASSERT_NE(d.LabelsPage.CurrentTag(), nullptr);
  ASSERT_EQ(d.LabelsPage.CurrentZoneIndex(), 0);
  const int32_t zones = d.LabelsPage.CurrentTag()->ZoneCount();
  ASSERT_GE(zones, 2);
  const auto& second = d.LabelsPage.CurrentTag()->GetZone(1)->Rect;
  d.LabelsPage.ClickTag(second[0] + 1, second[1] + 1);
  EXPECT_EQ(d.LabelsPage.CurrentZoneIndex(), 1);
  d.LabelsPage.ClickTag(d.LabelsPage.CurrentTag()->Width + 5,
                        d.LabelsPage.CurrentTag()->Height + 5);
  EXPECT_EQ(d.LabelsPage.CurrentZoneIndex(), 1)
      << "a click outside every zone keeps the current one";
  d.LabelsPage.SelectZoneText("1000");
  EXPECT_EQ(d.LabelsPage.CurrentZoneIndex(), 1);
  d.LabelsPage.SelectZoneText("99");
  EXPECT_EQ(d.LabelsPage.CurrentZoneIndex(), zones - 1);
  d.LabelsPage.ApplyCenSpin(TCenSpin::ZoneX, "x1");
  d.LabelsPage.ApplyCenSpin(TCenSpin::ZoneY, "123");
  EXPECT_EQ(d.LabelsPage.SpinValue(TCenSpin::ZoneY), 123);
  EXPECT_NE(Settings().PriceTags.GetItem(0)->GetZone(zones - 1)->Rect[1], 123) << "working copy only";
  for (int32_t i = zones; i > 0; --i) {
    ui.Answers = {kIdYes};
    ASSERT_TRUE(d.LabelsPage.DeleteZone());
  }
  EXPECT_EQ(d.LabelsPage.CurrentZone(), nullptr);
  EXPECT_FALSE(d.Enabling().ZoneCommands);
  EXPECT_FALSE(d.LabelsPage.DeleteZone());
  d.LabelsPage.AddZone();
  EXPECT_EQ(d.LabelsPage.CurrentZoneIndex(), 0);
}

TEST_F(DesignerLabelsTest, ASizeOfZeroIsRaisedWhenDrawnAndTagsAreAppliedOnlyWithTheRest) {
  d.LabelsPage.ApplyCenSpin(TCenSpin::Width, "0");
  d.LabelsPage.ApplyCenSpin(TCenSpin::Height, "123456");
  EXPECT_EQ(d.LabelsPage.CurrentTag()->Width, 0);
  EXPECT_NE(d.LabelsPage.CurrentTag()->Height, 123456) << "more than five characters";
  EXPECT_EQ(d.LabelsPage.TagToDraw()->Width, 1);
  d.LabelsPage.AddTag();
  EXPECT_EQ(d.LabelsPage.CurrentTagIndex(), 1);
  EXPECT_TRUE(d.Enabling().TagSpin);
  EXPECT_EQ(Settings().PriceTags.Count(), 1);
  d.Apply();
  ASSERT_EQ(Settings().PriceTags.Count(), 2);
  EXPECT_EQ(Settings().PriceTags.GetItem(0)->Width, 1);
}

TEST_F(DesignerLabelsTest, DeletingTheShownTagReleasesItsPicturesFirstAndChoosingItAgainReloads) {
  d.LabelsPage.AddTag();
  TCennik* shown = d.LabelsPage.CurrentTag();
  pictures.Shown.clear();
  d.LabelsPage.SelectTagText("2");
  ASSERT_EQ(pictures.Shown.size(), 2u);
  EXPECT_EQ(pictures.Shown.back(), shown) << "chosen again, its pictures come back";
  d.LabelsPage.SelectTagText("3");
  d.LabelsPage.SelectTagText("x");
  EXPECT_EQ(d.LabelsPage.CurrentTag(), shown);
  pictures.Shown.clear();
  ui.Answers = {kIdYes};
  ASSERT_TRUE(d.LabelsPage.DeleteTag());
  EXPECT_EQ(ui.Boxes.back().Text, "Вы действительно хотите удалить ярлык №2?"_w);
  ASSERT_FALSE(pictures.Shown.empty());
  EXPECT_EQ(pictures.Shown.front(), nullptr);
  EXPECT_EQ(d.LabelsPage.CurrentTagIndex(), 0);
  EXPECT_EQ(pictures.Shown.back(), d.LabelsPage.CurrentTag());
  ui.Answers = {kIdYes};
  ASSERT_TRUE(d.LabelsPage.DeleteTag());
  EXPECT_EQ(d.LabelsPage.CurrentTag(), nullptr);
  EXPECT_FALSE(d.Enabling().TagCommands);
}

TEST(DesignerRules, ZoneFontSizesInPoints) {
  EXPECT_EQ(ZoneFontPoints(18), 4);
  EXPECT_EQ(ZoneFontSize(12), 53);
}

TEST_F(DesignerLabelsTest, ZoneDialogOffersOnlyItsChoicesAndStoresTheExpression) {
  d.LabelsPage.CurrentZone()->Alignment = 5;
  d.LabelsPage.CurrentZone()->LetterCase = 7;
  TZoneDialogValues v = d.LabelsPage.ZoneDialog();
  EXPECT_EQ(v.Alignment, 2);
  EXPECT_EQ(v.LetterCase, 2);
  v.Text = "'Хлеб'"_w;
  v.BarWidth = "x";
  const int32_t bar = d.LabelsPage.CurrentZone()->BarWidth;
  d.LabelsPage.StoreZoneDialog(v);
  EXPECT_EQ(d.LabelsPage.CurrentZone()->Alignment, 2);
  EXPECT_EQ(d.LabelsPage.CurrentZone()->Text, "'Хлеб'"_w);
  EXPECT_EQ(d.LabelsPage.CurrentZone()->BarWidth, bar);
}

TEST_F(DesignerLabelsTest, GraphicObjectsAreDeletedToTheNextOrPreviousAndACancelledAddLeavesNoTrace) {
  TGraphicsEditor editor;
  d.LabelsPage.StartGraphics(editor);
  const std::size_t before = editor.List.size();
  editor.BeginAdd();
  editor.EndAdd(false);
  EXPECT_EQ(editor.List.size(), before);
  editor.List.clear();
  editor.Start();
  EXPECT_EQ(editor.Number(), 0);
  for (TGraphKind kind : {TGraphKind::Rectangle, TGraphKind::Ellipse, TGraphKind::Picture}) {
    editor.BeginAdd()->Kind = kind;
    editor.EndAdd(true);
  }
  EXPECT_EQ(editor.Number(), 3);
  EXPECT_EQ(editor.KindName(), "Рисунок"_w);
  ui.Answers = {kIdYes};
  ASSERT_TRUE(editor.Delete());
  EXPECT_EQ(ui.Boxes.back().Text, "Вы действительно хотите удалить графический объект 'Рисунок'?"_w);
  EXPECT_EQ(editor.Number(), 2);
  editor.SelectNumberText("1");
  ui.Answers = {kIdYes};
  ASSERT_TRUE(editor.Delete());
  EXPECT_EQ(editor.Number(), 1);
  EXPECT_EQ(editor.KindName(), "Эллипс"_w);
  EXPECT_FALSE(editor.NumberEnabled());
  ui.Answers = {kIdYes};
  ASSERT_TRUE(editor.Delete());
  EXPECT_EQ(editor.Number(), 0);
  EXPECT_FALSE(editor.CanDelete());
  editor.BeginAdd()->Kind = TGraphKind::FilledRectangle;
  editor.EndAdd(true);
  d.LabelsPage.TakeGraphics(editor);
  ASSERT_EQ(d.LabelsPage.CurrentTag()->Graphics.size(), 1u);
  EXPECT_EQ(d.LabelsPage.CurrentTag()->Graphics[0]->Kind, TGraphKind::FilledRectangle);
}

// The tags' preview evaluates %CURDATE% and %CURTIME% before any document
// has run: opening the designer takes them from the program clock.
TEST_F(DesignerTest, OpeningSetsTheDateAndTimeOfTheTagPreviewFromTheProgramClock) {
  designer.Hide();
  ResetSysVars();
  TMainState& state = MainState();
  const TClockMark kept = state.Clock.Keep();
  state.Clock.Fix({7, 12, 2026}, {9, 30, 0});
  designer.Show();
  const TCommonVar date = GetSysVarValue(kSysVarCurDate);
  const std::string time = GetSysVarText(kSysVarCurTime, 0, 0);
  state.Clock.SetBack(kept);
  EXPECT_EQ(DateRecToStr(date.Date), "7.12.2026");
  EXPECT_EQ(time.substr(0, 4), "9:30") << time;
}

// The date index is the program's own, its fields following the databases:
// made at the first start and rebuilt when the designer adds a database,
// it is no fault of the configuration and "Errors.log" does not name it.
// The new database's own table is noted as made.
TEST_F(DesignerTest, TheDateIndexFollowsTheDatabasesWithoutAFault) {
  designer.Hide();
  TStartUpOptions options;
  ASSERT_EQ(StartUp(options), 0);
  UpdateDateIndex(Settings().Bases, {7, 12, 2026});
  designer.Show();
  ASSERT_TRUE(designer.BasesPage.AddBase({"clients.dbf", "клиенты"_w, "Покупатели"_w}));
  ASSERT_TRUE(designer.Save());
  ASSERT_TRUE(designer.Save());
  CloseErrorLog();
  const std::string log = Bytes(home / "Errors.log");
  EXPECT_EQ(log.find("!BINDEX"), std::string::npos) << Cp1251ToUtf8(log);
  EXPECT_NE(log.find("CLIENTS.DBF не существует, создается"_w), std::string::npos) << Cp1251ToUtf8(log);
  // The index kept its period and took the new database's pair.
  TDBF index;
  index.FileName = home / "!BINDEX.DBF";
  ASSERT_TRUE(index.OpenReadOnly());
  EXPECT_EQ(index.RecCount(), 1);
  EXPECT_GE(index.FieldIndex("_CLIENTS1"), 0);
}
