// "Справочники" of the main menu without a window, on the sample data: the
// tabs and their buttons, adding a row column by column, editing, deleting,
// saving whole or in place, the questions of "Отмена", a save that fails,
// and a bad form or filter that empties only its own tab.
#include "models/sprav_form_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#include "app/demo_rig.h"
#include "config/data_dir.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "models/table_render.h"
#include "support/demo_goods.h"
#include "support/fake_canvas.h"
#include "support/faulty_files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "models/startup.h"

namespace vm::test {
namespace {

struct SpravFormRig : ::testing::Test {
  void SetUp() override { Start(); }
  void TearDown() override { Logic.reset(); ShutDown(); }

  void Start(const std::function<void()>& beforeStart = {}) {
    CopyDemoTo(Home.Dir());
    if (beforeStart) beforeStart();
    ASSERT_EQ(StartUp(), 0);
    UnlockBases();
    Logic = std::make_unique<TSpravFormLogic>(Settings());
    Logic->Show();
  }

  TSpravTab& Goods() { return *Logic->Tab(0); }
  TSpravTab& Suppliers() { return *Logic->Tab(1); }
  static std::string Cell(TSpravTab& tab, int32_t col, int32_t row) {
    return TrimBlanks(tab.View.GetCellText(col, row));
  }
  // Types a value into the current cell and presses Enter.
  static void Enter(TDataView& view, const std::string& text) {
    view.SetEditorText(text);
    int32_t key = kKeyEnter;
    view.EditorKeyDown(key, 0);
  }
  static void Escape(TDataView& view) {
    int32_t key = kKeyEscape;
    view.EditorKeyDown(key, 0);
  }
  // The table's records as "CODE NAME" lines, read back from the file.
  static std::vector<std::string> Records(const std::string& file, int32_t nameField = 2) {
    TDBF dbf;
    dbf.FileName = file;
    std::vector<std::string> out;
    if (!dbf.OpenReadOnly()) return out;
    for (int32_t r = 1; r <= dbf.RecCount(); ++r) {
      dbf.GoToRecord(r);
      if (dbf.ReadRecord() != 0) continue;
      std::string code, name;
      dbf.GetFieldStr(1, code);
      dbf.GetFieldStr(nameField, name);
      out.push_back(TrimBlanks(code) + " " + TrimBlanks(name));
    }
    return out;
  }

  static std::string FileBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  ProgramHome Home;
  ScriptedUi Ui;
  std::unique_ptr<TSpravFormLogic> Logic;
};

TEST_F(SpravFormRig, ShowsEveryValidBookWithItsButtonsAndStatus) {
  ASSERT_EQ(Logic->TabCount(), 2);
  EXPECT_EQ(Goods().Book.Title, "Товары"_w);
  EXPECT_EQ(Goods().View.RowCount(), 8);
  EXPECT_EQ(Suppliers().View.RowCount(), 3);
  EXPECT_EQ(Logic->StatusText(), "Запись 1 из 8"_w);
  // The goods book sorts before saving and has no filter: written whole.
  EXPECT_TRUE(Goods().RewriteWhole);
  EXPECT_FALSE(Suppliers().RewriteWhole);
  const TSpravButtons& b = Logic->Buttons();
  EXPECT_TRUE(b.Add && b.Sort && b.Search);
  EXPECT_FALSE(b.Delete);  // the goods book forbids deleting
  EXPECT_FALSE(b.Print);   // no printer configured
  Logic->TabChanged(1);
  EXPECT_TRUE(Logic->Buttons().Delete);
  EXPECT_TRUE(Logic->Buttons().Sort);
  EXPECT_EQ(Logic->StatusText(), "Запись 1 из 3"_w);
  EXPECT_FALSE(Logic->CloseQuery());
}

TEST_F(SpravFormRig, SearchGoesToTheBestPrefixOfTheCurrentColumn) {
  std::string shown;
  Logic->Hooks.ShowSearchText = [&](const std::string& s) { shown = s; };
  TDataView& view = Goods().View;
  view.SetCol(1);
  shown.clear();
  Logic->SearchChanged("са"_w);
  EXPECT_EQ(Cell(Goods(), 1, view.CurRow()), "Сахар-песок"_w);
  EXPECT_TRUE(shown.empty());  // the typed text stays
  view.SetRow(0);
  EXPECT_EQ(TrimBlanks(shown), Cell(Goods(), 1, 0));
}

TEST_F(SpravFormRig, AddingWalksEveryColumnOnceAndAnUnacceptedCellDropsTheRow) {
  Logic->TabChanged(1);
  TDataView& view = Suppliers().View;
  Logic->AddClick();
  ASSERT_TRUE(Logic->AddMode());
  ASSERT_EQ(view.RowCount(), 4);
  std::vector<int32_t> walked;
  for (const char* text : {"9", "ООО Тест", "7700000000", "+7 495 000-00-00", "г. Москва"}) {
    walked.push_back(view.CurCol());
    ASSERT_TRUE(view.Editing());
    Enter(view, Utf8ToCp1251(text));
  }
  EXPECT_EQ(walked, (std::vector<int32_t>{0, 1, 2, 3, 4}));
  EXPECT_FALSE(Logic->AddMode());
  EXPECT_FALSE(view.Editing());
  EXPECT_EQ(view.RowCount(), 4);
  // A new row stays fully editable until saved; a stored one only in the
  // book's columns (the code is not among them).
  view.SetCol(0);
  EXPECT_TRUE(view.BeginEdit());
  view.SetEditing(false);
  view.SetRow(0);
  view.SetCol(0);
  EXPECT_FALSE(view.BeginEdit());

  Logic->AddClick();
  Enter(view, "10");
  Escape(view);
  EXPECT_FALSE(Logic->AddMode());
  EXPECT_EQ(view.RowCount(), 4);
  EXPECT_TRUE(Logic->Modified());
}

// "Отмена" asks only about a book in which a row was stored, changed or
// deleted: a new row dropped unfinished, an edit given up with Esc and a
// value accepted as it stood change nothing, and nothing is written.
TEST_F(SpravFormRig, CancelAsksNothingWhenNoRowWasStoredChangedOrDeleted) {
  const std::string suppliers = FileBytes(Home / "suppl.dbf");
  Logic->TabChanged(1);
  TDataView& view = Suppliers().View;
  Logic->AddClick();
  Enter(view, "9");
  Enter(view, "ООО Брошено"_w);
  Escape(view);
  ASSERT_FALSE(Logic->AddMode());
  ASSERT_EQ(view.RowCount(), 3);
  view.SetRow(1);
  view.SetCol(1);
  ASSERT_TRUE(view.BeginEdit());
  view.SetEditorText("ИП Другой"_w);
  Escape(view);
  ASSERT_TRUE(view.BeginEdit());
  Enter(view, view.EditorText());
  EXPECT_FALSE(Logic->Modified());
  EXPECT_FALSE(Suppliers().Modified);
  Ui.Boxes.clear();
  ASSERT_TRUE(Logic->CancelClick());
  EXPECT_TRUE(Ui.Boxes.empty()) << Cp1251ToUtf8(Ui.Boxes.front().Text);
  Logic->Hide();
  EXPECT_EQ(FileBytes(Home / "suppl.dbf"), suppliers);
}

TEST_F(SpravFormRig, OkWritesExactlyTheChangesInPlace) {
  Logic->TabChanged(1);
  TDataView& view = Suppliers().View;
  view.SetRow(1);
  view.SetCol(1);
  ASSERT_TRUE(view.BeginEdit());
  Enter(view, "ИП Соколов А. В."_w);
  view.SetRow(0);
  Ui.Answers = {kIdYes};
  Logic->DeleteClick();
  EXPECT_EQ(Ui.Boxes.back().Text, "Удалить текущую запись?"_w);
  EXPECT_EQ(view.RowCount(), 2);
  Logic->AddClick();
  for (const char* text : {"4", "ООО Новый", "1", "2", "3"}) Enter(view, Utf8ToCp1251(text));
  ASSERT_TRUE(Logic->OkClick()) << Cp1251ToUtf8(Ui.Boxes.back().Text);
  EXPECT_EQ(Logic->CloseResult(), TSpravClose::Ok);
  Logic->Hide();
  EXPECT_EQ(Records(Home / "suppl.dbf"),
            (std::vector<std::string>{"2 ИП Соколов А. В."_w, "3 ООО \"Хлебозавод № 2\""_w, "4 ООО Новый"_w}));
  // Untouched: the goods.
  EXPECT_EQ(Records(Home / "goods.dbf").size(), 8u);
}

TEST_F(SpravFormRig, TheBookThatSortsIsRewrittenWholeInKeyOrder) {
  TDataView& view = Goods().View;
  Logic->AddClick();
  for (const char* text : {"0", "Вода", "шт", "10", "15", "5", "123"}) Enter(view, Utf8ToCp1251(text));
  ASSERT_TRUE(Logic->OkClick());
  Logic->Hide();
  const std::vector<std::string> records = Records(Home / "goods.dbf");
  ASSERT_EQ(records.size(), 9u);
  EXPECT_NE(std::find(records.begin(), records.end(), "0 Вода"_w), records.end());
  for (std::size_t i = 1; i < records.size(); ++i)
    EXPECT_LT(records[i - 1].substr(records[i - 1].find(' ')), records[i].substr(records[i].find(' ')));
  TDBF dbf;
  dbf.FileName = Home / "goods.dbf";
  ASSERT_TRUE(dbf.OpenReadOnly());
  for (int32_t r = 1; r <= 9; ++r) {
    dbf.GoToRecord(r);
    ASSERT_EQ(dbf.ReadRecord(), 0);
    bool error = false;
    EXPECT_EQ(dbf.GetFieldInt(0, error), r);  // NO__ renumbered from 1
  }
}

TEST_F(SpravFormRig, CancelAsksPerChangedTabAndDoesWhatTheAnswerSays) {
  Logic->TabChanged(1);
  Suppliers().View.SetRow(0);
  Ui.Answers = {kIdYes};
  Logic->DeleteClick();
  Logic->TabChanged(0);
  Goods().View.SetCol(1);
  ASSERT_TRUE(Goods().View.BeginEdit());
  Enter(Goods().View, "Кефир"_w);
  Ui.Boxes.clear();
  Ui.Answers = {kIdNo, kIdYes};
  ASSERT_TRUE(Logic->CancelClick());
  Logic->Hide();
  ASSERT_EQ(Ui.Boxes.size(), 2u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Сохранить изменения в справочнике \"Товары\"?"_w);
  EXPECT_EQ(Ui.Boxes[1].Text, "Сохранить изменения в справочнике \"Поставщики\"?"_w);
  EXPECT_EQ(Records(Home / "goods.dbf")[0], "1 Молоко 3,2% 1 л"_w);
  EXPECT_EQ(Records(Home / "suppl.dbf").size(), 2u);
}

TEST_F(SpravFormRig, AFailedSaveKeepsTheRowsAndTheWindowAndSaysSo) {
  const std::string before = FileBytes(Home / "suppl.dbf");
  Logic->TabChanged(1);
  Suppliers().View.SetRow(0);
  Ui.Answers = {kIdYes};
  Logic->DeleteClick();
  FaultyFileSystem disk;
  disk.FailRename = true;
  EXPECT_FALSE(Logic->OkClick());
  EXPECT_EQ(Ui.Boxes.back().Flags, kMbError);
  EXPECT_FALSE(Logic->CloseQuery());
  EXPECT_EQ(Suppliers().View.RowCount(), 2);
  EXPECT_TRUE(Suppliers().Modified);
  EXPECT_EQ(FileBytes(Home / "suppl.dbf"), before);
  disk.FailRename = false;
  ASSERT_TRUE(Logic->OkClick());
  Logic.reset();
  EXPECT_EQ(Records(Home / "suppl.dbf").size(), 2u);
}

// A blank may show numbers wider than its table's fields hold: a save that
// would store one as another number, a decimal that is not zero dropped
// among it, is refused before anything is written, the cell made current,
// the window kept with the changes; once mended the book saves, a number
// too wide for its zero decimals without them.
TEST_F(SpravFormRig, ANumberItsFieldCannotHoldIsRefusedBeforeAnythingIsWritten) {
  ASSERT_TRUE(test::WidenDemoPriceColumns(*Settings().Blanks.FindByName("ТОВАРЫ"_w)));
  Logic->Show();
  const std::string before = FileBytes(Home / "goods.dbf");
  TDataView& view = Goods().View;
  const std::string code = Cell(Goods(), 0, 2);
  view.SetRow(2);
  for (const auto& [col, typed] : {std::pair{3, "123456789.5"}, {4, "12345678901"}}) {
    view.SetCol(col);
    ASSERT_TRUE(view.BeginEdit());
    Enter(view, typed);
  }
  Logic->TabChanged(1);
  for (const auto& [col, said, mended] :
       {std::tuple{3, "Число 123456789.5 не умещается в поле PRICE_IN"_w, "123456789"},
        {4, "Число 12345678901 не умещается в поле PRICE"_w, "12345678.90"}}) {
    Ui.Boxes.clear();
    EXPECT_FALSE(Logic->OkClick());
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_EQ(Ui.Boxes[0].Text, said + " справочника \"Товары\". Изменения не сохранены."_w);
    EXPECT_EQ(Ui.Boxes[0].Flags, kMbError);
    EXPECT_FALSE(Logic->CloseQuery());
    EXPECT_EQ(std::tuple(Logic->CurrentIndex(), view.CurRow(), view.CurCol()), std::tuple(0, 2, col));
    EXPECT_TRUE(Goods().Modified);
    EXPECT_EQ(FileBytes(Home / "goods.dbf"), before);
    ASSERT_TRUE(view.BeginEdit());
    Enter(view, mended);
  }
  ASSERT_TRUE(Logic->OkClick()) << Cp1251ToUtf8(Ui.Boxes.back().Text);
  Logic->Hide();
  TDBF dbf;
  dbf.FileName = Home / "goods.dbf";
  ASSERT_TRUE(dbf.OpenReadOnly());
  std::string prices;
  for (int32_t r = 1; r <= dbf.RecCount(); ++r) {
    dbf.GoToRecord(r);
    if (dbf.ReadRecord() == 0 && dbf.GetFieldStr(1) == code) prices = dbf.GetFieldStr(4) + " " + dbf.GetFieldStr(5);
  }
  EXPECT_EQ(prices, "123456789 12345678.9");
}

struct SpravFormBadBooks : SpravFormRig {
  void SetUp() override {}
};

TEST_F(SpravFormBadBooks, ABadFilterIsToldAndLeavesOnlyItsTabEmpty) {
  Start();
  Settings().Books.GetItem(1)->Filter = "[ПОСТАВЩ.NOSUCH > 1]";
  Ui.Boxes.clear();
  Logic->Show();
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text.rfind("Неверно задан фильтр справочника 'Поставщики'\r"_w, 0), 0u);
  EXPECT_EQ(Ui.Boxes[0].Caption, "Справочники"_w);
  EXPECT_EQ(Logic->TabCount(), 2);
  EXPECT_EQ(Suppliers().View.RowCount(), 0);
  EXPECT_EQ(Goods().View.RowCount(), 8);
  Logic->TabChanged(1);
  EXPECT_FALSE(Logic->Buttons().Add || Logic->Buttons().Search || Logic->Buttons().Delete);

  Settings().Books.GetItem(1)->Filter.clear();
  Settings().Blanks.FindByName("ПОСТАВЩИКИ"_w)->SetText("COLCOUNT=x");
  Ui.Boxes.clear();
  Logic->Show();
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Ошибка описания бланка 'ПОСТАВЩИКИ'"_w);
  EXPECT_EQ(Suppliers().View.RowCount(), 0);
}

// A table another program holds cannot be opened for the window alone: the
// tab says so and stays empty, the others work.
TEST_F(SpravFormBadBooks, ATableHeldElsewhereIsToldAndLeavesOnlyItsTabEmpty) {
  Start();
  Logic->Hide();
  Settings().Bases.FindByAlias(Settings().Books.GetItem(1)->BaseAlias)->Table.Close();
  auto holder = Files().Open(Home / "suppl.dbf", FileMode::ReadWrite);
  ASSERT_NE(holder, nullptr);
  Ui.Boxes.clear();
  Logic->Show();
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text.rfind("Не могу открыть базу справочника 'Поставщики'\r"_w, 0), 0u);
  EXPECT_NE(UpperStr(Ui.Boxes[0].Text).find("SUPPL.DBF"), std::string::npos);
  EXPECT_EQ(Ui.Boxes[0].Caption, "Справочники"_w);
  EXPECT_EQ(Suppliers().View.RowCount(), 0);
  EXPECT_EQ(Goods().View.RowCount(), 8);
  Logic->TabChanged(1);
  EXPECT_FALSE(Logic->Buttons().Add || Logic->Buttons().Search || Logic->Buttons().Delete);
}

// --- The same book with its texts made as they are read -----------------------------

// What one run of random user steps saw and saved, saves that fail among
// the steps.
struct BookRun {
  std::vector<std::string> Seen;
  std::string Goods;
  std::string Suppliers;
};

// The goods grown to a few hundred random records, some deleted, with
// blanks around names, letters in both cases and numbers that other
// programs leave in number fields.
void WriteRandomGoods(const std::string& path, std::mt19937& random) {
  const std::string letters = " абвАБВёЁeE1"_w;
  const char* numbers[] = {"1.5", "12.25", "-3", "", "-0.00", "1,5", "7.125", "100"};
  ASSERT_TRUE(RewriteDemoGoods(path, 300, [&](TDBF& t, int32_t i) {
    t.SetFieldInt(0, i);
    t.SetFieldInt(1, static_cast<int32_t>(random() % 500));
    std::string name(random() % 9, ' ');
    for (char& c : name) c = letters[random() % letters.size()];
    t.SetFieldStr(2, name);
    t.SetFieldStr(3, "шт"_w);
    for (int f = 4; f <= 6; ++f) t.SetFieldStr(f, numbers[random() % std::size(numbers)]);
    t.SetFieldStr(7, std::to_string(random() % 100000));
    t.SetDeleted(random() % 10 == 0);
  }));
}

// A text the current cell takes: a number its format holds, or letters.
std::string Typed(TDataView& view, std::mt19937& random) {
  const TColFormat* f = view.CellFormat(view.CurCol(), view.CurRow());
  if (f && f->Kind == 'N') {
    std::string s = std::to_string(random() % 1000);
    if (f->Decimals > 0) s += "." + std::string(static_cast<size_t>(f->Decimals), static_cast<char>('0' + random() % 10));
    return s;
  }
  return std::string(1 + random() % 5, "аБвГ"_w[random() % 4]);
}

BookRun RunBook(TLoadTexts texts, unsigned seed) {
  std::mt19937 random(seed);
  BookRun run;
  ProgramHome home;
  ScriptedUi ui;
  // Files opened through it keep it: it outlives them all.
  FaultyFileSystem disk;
  CopyDemoTo(home.Dir());
  WriteRandomGoods(home / "goods.dbf", random);
  if (StartUp() != 0) return run;
  UnlockBases();
  Settings().Books.GetItem(1)->Filter = "[ПОСТАВЩ.CODE > 1]"_w;
  {
    TSpravFormLogic logic(Settings());
    logic.RowTexts = texts;
    logic.Show();
    const auto below = [&](int32_t n) { return n > 0 ? static_cast<int32_t>(random() % static_cast<unsigned>(n)) : 0; };
    for (int step = 0; step < 80; ++step) {
      TDataView& view = logic.Current()->View;
      switch (random() % 8) {
        case 0: logic.TabChanged(below(logic.TabCount())); break;
        case 1:
          view.SetCol(below(view.ShownColCount()));
          view.SetRow(below(view.RowCount()));
          break;
        case 2: {
          std::string text = view.GetCellText(view.CurCol(), below(view.RowCount()));
          text = text.substr(0, random() % 4);
          if (random() % 2) text = UpperStr(text);
          logic.SearchChanged(text);
          break;
        }
        case 3: logic.SortClick(); break;
        case 4:
          if (view.BeginEdit()) SpravFormRig::Enter(view, Typed(view, random));
          break;
        case 5:
          ui.Answers = {kIdYes};
          logic.DeleteClick();
          break;
        case 6:
          // The rows stay, in the order a whole rewrite gave the records.
          disk.FailRename = true;
          logic.OkClick();
          disk.FailRename = false;
          break;
        default:
          logic.AddClick();
          for (int32_t c = 0; c < view.ShownColCount() && view.Editing(); ++c) SpravFormRig::Enter(view, Typed(view, random));
          break;
      }
      TDataView& now = logic.Current()->View;
      run.Seen.push_back(std::to_string(logic.CurrentIndex()) + " " + logic.StatusText() + " " +
                         std::to_string(now.CurCol()) + " " + now.GetCellText(now.CurCol(), now.CurRow()) + " " +
                         std::to_string(ui.Boxes.size()));
    }
    for (int32_t i = 0; i < logic.TabCount(); ++i) {
      FakeCanvas canvas;
      TTableDraw request;
      request.AvailHeight = 1 << 20;
      request.AvailWidth = 4000;
      DrawBlankTable(canvas, request, logic.Tab(i)->View.Blank(), logic.Tab(i)->View);
      run.Seen.insert(run.Seen.end(), canvas.ops.begin(), canvas.ops.end());
    }
    if (!logic.OkClick()) run.Seen.push_back("not saved");
  }
  ShutDown();
  run.Goods = SpravFormRig::FileBytes(home / "goods.dbf");
  run.Suppliers = SpravFormRig::FileBytes(home / "suppl.dbf");
  return run;
}

TEST(SpravFormTexts, ABookWhoseTextsWaitShowsSearchesSortsPrintsAndSavesAsOneLoadedAtOnce) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    const BookRun now = RunBook(TLoadTexts::Now, seed);
    const BookRun later = RunBook(TLoadTexts::WhenRead, seed);
    ASSERT_GT(now.Seen.size(), 80u);
    EXPECT_EQ(later.Seen, now.Seen);
    EXPECT_EQ(later.Goods, now.Goods);
    EXPECT_EQ(later.Suppliers, now.Suppliers);
  }
}

}  // namespace
}  // namespace vm::test
