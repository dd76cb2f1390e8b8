#include "config/settings.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config/data_dir.h"
#include "platform/encoding.h"
#include "platform/random.h"
#include "config/settings_syntax.h"
#include "config/sysvars.h"
#include "foundation/values/dates.h"
#include "platform/clock.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using test::ReadBytes;
using test::WriteBytes;

const char* const kFiles[] = {"program.ini", "manager.ini", "local.ini"};

class PrinterUi : public test::ScriptedUi {
 public:
  std::vector<std::string> PrinterNames() const override {
    ++Asked;
    return {"HP LaserJet", "Лазерный принтер"_w, "Лазерный принтер 2"_w};
  }
  mutable int Asked = 0;
};

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kFiles) WriteBytes(home_ / name, Original(name));
    ChooseDataDirectory();
  }
  static std::string Original(const std::string& name) {
    return ReadBytes(std::string(VELOMAR_TEST_DATA) + "/settings/" + name);
  }
  // The stored files were packed from this seed.
  static void SaveAll() {
    SetRandSeed(20070305);
    ASSERT_TRUE(SaveConfiguration());
    ASSERT_TRUE(SaveAutoParams());
    ASSERT_TRUE(SaveLocalSettings());
  }
  static std::string Password(int32_t number) {
    std::string password;
    UnpackPassword(Settings().Passwords[static_cast<size_t>(number - 1)], number, password);
    return password;
  }

  test::ProgramHome home_;
  PrinterUi ui_;
  FixedClock clock_{{2007, 3, 6, 9, 0, 0, 0}};
  ScopedClock scopedClock_{clock_};
};

TEST_F(SettingsTest, HandWrittenFilesLoadSaveAndReloadIdentically) {
  ASSERT_TRUE(LoadAllSettings());
  const TSettingsModel& m = Settings();

  // The saved files come back byte for byte below; these pin what the
  // values mean, not just that they survive.
  EXPECT_EQ((std::array{m.NextArchiveConfigID, m.ArchiveFileNo}), (std::array{3, 7}));
  EXPECT_EQ(DefaultFontName(), "Arial Cyr");
  EXPECT_EQ(m.Blanks.GetItem(0)->Text, "|Дата|Сумма|\r\n  |D  |N 2  |\r\n"_w);
  const TDbaseStructure* sales = m.Bases.GetItem(0);
  EXPECT_EQ(sales->Table.FileName, home_.Dir() + "sales.dbf");
  ASSERT_EQ(sales->FieldCount(), 3);
  EXPECT_TRUE(sales->Fields[1].FieldType == 'N' && sales->Fields[1].Decimals == 2);

  const TSpravDef* book = m.Books.GetItem(0);
  ASSERT_EQ(book->SortKeyCount, 2);
  EXPECT_EQ((std::array{book->ColumnCount, book->SortKeys->Number,
                        static_cast<int32_t>(book->EditableColumns.count())}),
            (std::array{2, 1, 2}));
  EXPECT_TRUE(book->SortOnStart && book->CanInsert && !book->CanDelete);

  const TDocNode* root = m.DocTree.First();
  ASSERT_TRUE(root && !root->Data);
  ASSERT_EQ(root->ChildCount(), 2);
  EXPECT_EQ(root->Child(0)->Data->PasswordNumber, 255);
  const TDocData* invoice = m.DocTree.FindID(6);
  ASSERT_NE(invoice, nullptr);
  EXPECT_EQ(std::tie(invoice->Description, invoice->PasswordNumber, invoice->BookWindowRect),
            std::tuple(std::string("VARS\r\n  A N(10,2)\r\nWORK\r\n  A = 1 + 2\r\n"), 3, TWindowRect{1, 2, 3, 4}));
  EXPECT_EQ((std::array{HighestDocID(), m.LowestDocID}), (std::array{9, 5}));

  EXPECT_TRUE(m.Panels.GetPanel(0)->Shown && !m.Panels.GetPanel(1)->Shown);
  EXPECT_EQ(Password(1) + "|" + Password(16), "111|пароль16"_w);
  EXPECT_TRUE(m.ArchiveConfigs.GetConfig(0)->GetBase(1)->KeepLast);

  const TCennik* tag = m.PriceTags.GetItem(0);
  ASSERT_EQ(tag->ZoneCount(), 2);
  EXPECT_EQ(tag->GetZone(0)->FontStyle, kFsBold | kFsItalic);
  EXPECT_EQ(tag->GetZone(0)->NonPrintChars, "\r\n");
  EXPECT_TRUE(tag->GetZone(1)->FontColor == -1 && tag->GetZone(1)->Barcode);

  EXPECT_EQ(GetSysVarText(kSysVarNoOperat, 0, 0), "15");
  EXPECT_EQ(m.AutoParams.GetValueText("фирма"_w), "ООО \"Ромашка\" и 'K'"_w);
  EXPECT_TRUE(m.AutoParams.GetItem(m.AutoParams.IndexOfName("СКЛАД"_w))->Local);
  EXPECT_EQ(m.LastTime, (TTimeRec{14, 5, 9}));
  EXPECT_TRUE(m.SerialRecord.Bytes()[66] == 66 && m.SerialRecord.Bytes()[67] == 0);
  EXPECT_EQ(m.PrinterName, "Лазерный принтер"_w);

  for (int round = 1; round <= 2; ++round) {
    SaveAll();
    for (const char* name : kFiles) EXPECT_EQ(ReadBytes(home_ / name), Original(name)) << name << round;
    ASSERT_TRUE(LoadAllSettings());
  }
  EXPECT_EQ(ReadBytes(home_ / "program.in1"), Original("program.ini"));
  // Saved unchanged, "local.ini" is left as it stands, with no copy.
  EXPECT_FALSE(std::filesystem::exists(home_ / "local.in1"));
  std::string all;
  for (const char* name : kFiles) all += ReadBytes(home_ / name);
  for (int32_t key = 1; key <= 88; ++key)
    EXPECT_NE(all.find(" " + std::string(KeyName(key)) + "="), std::string::npos) << key;
}


TEST_F(SettingsTest, RefusedAndDamagedLinesAreSkipped) {
  WriteBytes(home_ / "program.ini",
             "ФОРМА=ДО_СЕКЦИЙ\r\n"
             "[ФОРМЫ]\r\n"
             "ФОР МА = А\r\n"
             "ОПИСАНИЯ=опечатка\r\n"
             "ОПИСАНИЕ=  строка\r\n"
             "[формы]\r\n"
             "ФОРМА=В_ЧУЖОЙ_СЕКЦИИ\r\n"
             "[ БАЗЫ ]\r\n"
             "ИМЯ_БАЗЫ= a.dbf \r\nПСЕВДОНИМ=A\r\n"
             "ИМЯ_ПОЛЯ=X\r\nТИП_ПОЛЯ=Строка\r\nРАЗМ_ПОЛЯ=1\r\nДЕС_ПОЛЕ=0\r\n"
             "ИМЯ_ПОЛЯ=Y\r\nТИП_ПОЛЯ=\r\nРАЗМ_ПОЛЯ=5\r\nДЕС_ПОЛЕ=0\r\n"
             "ИМЯ_ПОЛЯ=Z Z\r\nТИП_ПОЛЯ=дата\r\nРАЗМ_ПОЛЯ=8\r\nДЕС_ПОЛЕ=x\r\n"
             "ИМЯ_ПОЛЯ=W\r\nТИП_ПОЛЯ=Число\r\nРАЗМ_ПОЛЯ= 1 0\r\nДЕС_ПОЛЕ=2\r\n"
             "[СПРАВОЧНИКИ]\r\n"
             "ПСЕВДОНИМ=НЕТ_ТАКОЙ\r\nИМЯ_СПР=потеряно\r\n"
             "ПСЕВДОНИМ=A\r\nИМЯ_СПР=Книга\r\nИМЯ_БЛАНК=НЕТ\r\nКОЛОНОК=2\r\n"
             "ПСЕВДОНИМ=A\r\nИМЯ_БЛАНК=А\r\nКОЛОНОК=99999999\r\nНОМ_КОЛ=1\r\nИМЯ_ПОЛЯ_СПРАВ=W\r\n"
             "[ДОКУМЕНТЫ]\r\n"
             "УРОВЕНЬ=1\r\nИМЯ_ДОК=Папка\r\nИД_ФОРМЫ=abc\r\n"
             "УРОВЕНЬ=5\r\nИМЯ_ДОК=Вложенный\r\n"
             "УРОВЕНЬ=3\r\nИМЯ_ДОК=Глубже\r\n"
             "УРОВЕНЬ=1\r\nИМЯ_ДОК=Снова сверху\r\n"
             "УРОВЕНЬ=-3\r\nИМЯ_ДОК=Отрицательный\r\nИМЯ_ДОК=\r\n"
             "НОМ_ПАРОЛЬ=0011\r\n"
             "[ПАРОЛИ]\r\nЧТО_УГОДНО=17,00\r\nКОД_БЕЗОП=без запятой\r\n"
             "[АРХИВАЦИЯ]\r\n"
             "КОНФИГУРАЦИЯ=Одна\r\nИД_КОНФИГ=2\r\n"
             "КОНФИГУРАЦИЯ=Другая\r\nИД_КОНФИГ=2\r\n"
             "КОНФИГУРАЦИЯ=Третья\r\nИД_КОНФИГ=0\r\nИМЯ_БАЗЫ=A\r\nПОЛЕ_ДАТЫ=date\r\n"
             "КОНФИГУРАЦИЯ=\r\nИМЯ_БАЗЫ=B\r\n"
             "[ЦЕННИКИ]\r\n"
             "НОМ_ЦЕН=0\r\nНОМ_ЗОНЫ=0\r\nСТИЛЬ_ШРИФТА=1\r\nРАЗМ_ШРИФТА=x\r\nРЕГ_ШРИФТА=7\r\n"
             "НОМ_ЦЕН=3\r\nШИРИНА_ЦЕН=999\r\nНОМ_ЗОНЫ=0\r\nСТИЛЬ_ШРИФТА=3\r\n"
             "НОМ_ЦЕН=0\r\nШИРИНА_ЦЕН=-5\r\nНОМ_ГРАФ=1\r\nНОМ_ГРАФ=0\r\nТИП_ГРАФ=9\r\n"
             "ГРАФ_ДАННЫЕ=1,x,3\r\nТОЛЩ_ГРАФ=?\r\n"_w);
  ASSERT_TRUE(LoadAllSettings());
  const TSettingsModel& m = Settings();

  ASSERT_EQ(m.Blanks.Count(), 1);
  EXPECT_EQ(m.Blanks.GetItem(0)->Name + "|" + m.Blanks.GetItem(0)->Text, "А|  строка\r\n"_w);

  ASSERT_EQ(m.Bases.Count(), 1);
  const TDbaseStructure* a = m.Bases.GetItem(0);
  EXPECT_EQ(a->FileName, "a.dbf");
  ASSERT_EQ(a->FieldCount(), 1);  // only W survives
  EXPECT_EQ(a->Fields[0].Name + std::to_string(a->Fields[0].Length), "W10");

  ASSERT_EQ(m.Books.Count(), 2);
  EXPECT_EQ(m.Books.GetItem(0)->Name, "Книга"_w);
  // Lines after the unknown blank are ignored; an absurd count is refused.
  EXPECT_EQ((std::array{m.Books.GetItem(0)->ColumnCount, m.Books.GetItem(1)->ColumnCount}),
            (std::array{0, 0}));

  const TDocNode* root = m.DocTree.First();
  ASSERT_EQ(root->ChildCount(), 3);
  const TDocNode* folder = root->Child(0);
  EXPECT_EQ(folder->Data->ID, 0);
  ASSERT_EQ(folder->ChildCount(), 1);
  EXPECT_EQ(folder->Child(0)->Text, "Вложенный"_w);  // level 5 became 2
  EXPECT_EQ(folder->Child(0)->Child(0)->Level(), 3);
  EXPECT_EQ(root->Child(1)->Text, "Снова сверху"_w);
  EXPECT_EQ(root->Child(2)->Level(), 1);
  EXPECT_EQ(root->Child(2)->Data->PasswordNumber, static_cast<int32_t>(kDocAccessRefused));
  EXPECT_TRUE(HighestDocID() == 0 && m.LowestDocID == 0);

  std::string password = Password(1);
  EXPECT_EQ(password.size(), 10u);  // never set: closed, a new guess each time
  EXPECT_NE(password, Password(1));

  ASSERT_EQ(m.ArchiveConfigs.Count(), 3);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(m.ArchiveConfigs.GetConfig(i)->ID, (i + 1) % 3 + 1) << i;
  ASSERT_EQ(m.ArchiveConfigs.GetConfig(2)->Count(), 1);
  EXPECT_EQ(m.ArchiveConfigs.GetConfig(2)->GetBase(0)->DateField, "DATE");
  EXPECT_EQ(m.NextArchiveConfigID, 4);

  ASSERT_EQ(m.PriceTags.Count(), 1);
  const TCennik* tag = m.PriceTags.GetItem(0);
  EXPECT_EQ(tag->Width, 50);
  ASSERT_EQ(tag->ZoneCount(), 1);
  const TCenZone& zone = *tag->GetZone(0);
  EXPECT_EQ((std::array<int32_t, 3>{zone.FontStyle, zone.FontSize, zone.LetterCase}),
            (std::array<int32_t, 3>{kFsItalic, UnscaleFontSize(30), 0}));
  ASSERT_EQ(tag->Graphics.size(), 1u);  // number 1 was refused, 0 appended
  const auto& graph = *tag->Graphics[0];
  EXPECT_TRUE(graph.Kind == TGraphKind::Line && graph.LineWidth == 1);
  EXPECT_EQ((std::array{graph.FillColor, graph.X, graph.Y}), (std::array{1, 0, 3}));

  // A password that was never set leaves a save as a valid record of ten
  // random characters, which nobody knows either.
  ASSERT_TRUE(SaveConfiguration());
  ASSERT_TRUE(LoadAllSettings());
  password = Password(1);
  EXPECT_EQ(password, Password(1));
  ASSERT_EQ(password.size(), 10u);
  for (char c : password) EXPECT_GE(static_cast<unsigned char>(c), 48);
}

TEST_F(SettingsTest, OversizedValuesAndListsStayWithinBounds) {
  std::string text =
      "[ОБЩИЕ]\r\nНОМ_КОНФИГ=2147483647\r\n"
      "[ФОРМЫ]\r\nФОРМА=А\r\n"
      "[БАЗЫ]\r\nИМЯ_БАЗЫ=a.dbf\r\nПСЕВДОНИМ=A\r\n"
      "[АРХИВАЦИЯ]\r\n"
      "КОНФИГУРАЦИЯ=Край\r\nИД_КОНФИГ=2147483647\r\n"
      "КОНФИГУРАЦИЯ=За краем\r\nИД_КОНФИГ=2147483647\r\n"
      "КОНФИГУРАЦИЯ=Отрицательная\r\nИД_КОНФИГ=-2147483648\r\n"
      "[ЦЕННИКИ]\r\nНОМ_ЦЕН=0\r\nНОМ_ЗОНЫ=0\r\nРАЗМ_ШРИФТА=2000000000\r\n"
      "[СПРАВОЧНИКИ]\r\nПСЕВДОНИМ=A\r\nИМЯ_БЛАНК=А\r\nКОЛОНОК=3\r\nСОРТИРОВКА=2,x,2,"_w;
  for (int i = 0; i < 1000000; ++i) text += "7,";
  text += "0\r\nРЕД_КОЛ=1,,1,2\r\n[ДОКУМЕНТЫ]\r\n"_w;
  for (int i = 1; i <= 100000; ++i) text += "УРОВЕНЬ="_w + std::to_string(i) + "\r\nИМЯ_ДОК=Д\r\n"_w;
  WriteBytes(home_ / "program.ini", text);
  ASSERT_TRUE(LoadAllSettings());
  const TSettingsModel& m = Settings();

  ASSERT_EQ(m.ArchiveConfigs.Count(), 3);
  for (int32_t i = 0; i < 3; ++i)
    EXPECT_EQ(m.ArchiveConfigs.GetConfig(i)->ID, i == 0 ? INT32_MAX : i) << i;
  EXPECT_EQ(m.NextArchiveConfigID, 3);

  EXPECT_EQ(m.PriceTags.GetItem(0)->GetZone(0)->FontSize, INT32_MAX);

  ASSERT_EQ(m.Books.Count(), 1);
  const TSpravDef* book = m.Books.GetItem(0);
  ASSERT_EQ(book->SortKeyCount, 2);
  EXPECT_EQ((std::array<uint64_t, 3>{static_cast<uint64_t>(book->SortKeys->Number),
                                     static_cast<uint64_t>(book->SortKeys->Next->Number),
                                     book->EditableColumns.to_ulong()}),
            (std::array<uint64_t, 3>{2, 0, 6}));

  // Menus do not nest deeper than a hundred levels.
  int32_t deepest = 0;
  for (const TDocNode* n : m.DocTree.Nodes()) deepest = std::max(deepest, n->Level());
  EXPECT_EQ(m.DocTree.Nodes().size(), 100001u);
  EXPECT_EQ(deepest, 100);
  ASSERT_TRUE(SaveConfiguration());
}

TEST_F(SettingsTest, MissingFilesFailTheLoadButKeepWhatWasRead) {
  std::filesystem::remove(home_ / "local.ini");
  EXPECT_FALSE(LoadAllSettings());
  EXPECT_EQ(std::tuple(Settings().Bases.Count(), GetSysVarText(kSysVarNoOperat, 0, 0),
                       Settings().MouseScale, Settings().LastDate),
            std::tuple(2, std::string("15"), 480, TDateRec{6, 3, 2007}));
  WriteBytes(home_ / "local.ini", Original("local.ini"));
  std::filesystem::remove(home_ / "manager.ini");
  EXPECT_FALSE(LoadAllSettings());
  EXPECT_EQ(GetSysVarText(kSysVarNoOperat, 0, 0), "1");
}

TEST_F(SettingsTest, AnEmptyPrinterNameDoesNotAskThePrintSystem) {
  ui_.Asked = 0;
  ASSERT_TRUE(LoadLocalSettings());
  EXPECT_EQ(std::pair(Settings().PrinterName, ui_.Asked), std::pair("Лазерный принтер"_w, 1));
  std::string local = Original("local.ini");
  const std::string key = "ИМЯ_ПРИНТ="_w;
  const std::size_t at = local.find(key) + key.size();
  local.replace(at, local.find('\r', at) - at, "  ");
  WriteBytes(home_ / "local.ini", local);
  ui_.Asked = 0;
  ASSERT_TRUE(LoadLocalSettings());
  EXPECT_EQ(std::pair(Settings().PrinterName, ui_.Asked), std::pair(std::string(), 0));
}

// "local.ini" is saved at every exit and "manager.ini" with the designer's
// settings: the numbered copies of each move only when its text changes,
// so that they stay its earlier versions.
TEST_F(SettingsTest, LocalSettingsAndAutoParametersKeepTheirCopiesUntilTheirTextChanges) {
  ASSERT_TRUE(LoadAllSettings());
  for (const auto& [stem, save] : {std::pair{"local", &SaveLocalSettings}, std::pair{"manager", &SaveAutoParams}}) {
    SCOPED_TRACE(stem);
    const std::string file = std::string(stem) + ".ini", first = std::string(stem) + ".in1",
                      second = std::string(stem) + ".in2";
    WriteBytes(home_ / first, "older");
    for (int exit = 1; exit <= 2; ++exit) ASSERT_TRUE(save());
    EXPECT_EQ(ReadBytes(home_ / file), Original(file));
    EXPECT_EQ(ReadBytes(home_ / first), "older");
    EXPECT_FALSE(std::filesystem::exists(home_ / second));
  }

  Settings().Title = "Другой склад"_w;
  ASSERT_TRUE(SaveLocalSettings());
  EXPECT_NE(ReadBytes(home_ / "local.ini").find("Другой склад"_w), std::string::npos);
  EXPECT_EQ(ReadBytes(home_ / "local.in1"), Original("local.ini"));
  EXPECT_EQ(ReadBytes(home_ / "local.in2"), "older");

  // Another program on the same program directory has confirmed a later
  // moment since this one read the file: a save keeps it, and a later one
  // of this program's replaces it.
  const TDateRec stored = Settings().LastDate;
  TDateRec date;
  TTimeRec time;
  for (const TDateRec& mine : {DecDateRec(stored), IncDateRec(stored)}) {
    Settings().LastDate = mine;
    ASSERT_TRUE(SaveLocalSettings());
    ASSERT_TRUE(ReadStoredMoment(home_ / "local.ini", date, time));
    EXPECT_EQ(date, CompareDateRec(mine, stored) == 2 ? mine : stored);
  }
}

// Two window programs on one program directory: a save writes over what
// the file holds now only what this program changed since it read or
// wrote the file, piece by piece, and leaves what the other one saved.
TEST_F(SettingsTest, ASaveOfLocalSettingsKeepsWhatAnotherProgramSavedMeanwhile) {
  using Edit = std::pair<const char*, const char*>;
  const struct {
    std::vector<Edit> there;  // the other program's save
    std::function<void(TSettingsModel&)> here;
    std::vector<const char*> kept, gone;
  } rows[] = {
      {{{"ЗНАЧЕН_ПАРАМ='2'", "ЗНАЧЕН_ПАРАМ='5'"}},
       [](TSettingsModel& m) { m.Title = "Другой склад"_w; },
       {"ЗНАЧЕН_ПАРАМ='5'", "ЗАГОЛОВОК=Другой склад"},
       {"ЗАГОЛОВОК=Веломар — склад"}},
      {{{"ПОЗ_СПРАВ=1,2,3,4", "ПОЗ_СПРАВ=9,9,9,9"}},
       [](TSettingsModel& m) { m.AutoParams.FindByName("СКЛАД"_w)->ValueText = "3"; },
       {"ПОЗ_СПРАВ=9,9,9,9", "ЗНАЧЕН_ПАРАМ='3'"},
       {"ПОЗ_СПРАВ=1,2,3,4"}},
      // Added there, deleted here.
      {{{"ЗНАЧЕН_ПАРАМ='2'\r\n", "ЗНАЧЕН_ПАРАМ='2'\r\n    ИМЯ_ПАРАМ=НОВЫЙ\r\n    ЗНАЧЕН_ПАРАМ='там'\r\n"}},
       [](TSettingsModel& m) { m.AutoParams.RemoveLocal(); },
       {"ИМЯ_ПАРАМ=НОВЫЙ\r\n    ЗНАЧЕН_ПАРАМ='там'"},
       {"СКЛАД"}},
      // Deleted there.
      {{{"    ИМЯ_ПАРАМ=СКЛАД\r\n    ТИП_ПАРАМ=Число\r\n    ЗНАЧЕН_ПАРАМ='2'\r\n", ""}},
       [](TSettingsModel& m) { m.MainWindowRect = {1, 1, 1, 1}; },
       {"ПОЗИЦИЯ_ГЛ=1,1,1,1"},
       {"СКЛАД"}},
      // Changed on both sides: this save is the later.
      {{{"ПОЗИЦИЯ_ГЛ=10,20,800,600", "ПОЗИЦИЯ_ГЛ=0,0,1,1"}, {"ПОКАЗЫВАТЬ=1,НЕТ", "ПОКАЗЫВАТЬ=1,ДА"}},
       [](TSettingsModel& m) { m.MainWindowRect = {5, 5, 5, 5}; },
       {"ПОЗИЦИЯ_ГЛ=5,5,5,5", "ПОКАЗЫВАТЬ=1,ДА"},
       {"ПОЗИЦИЯ_ГЛ=0,0,1,1"}},
      {{{"ФОРМАТ=A4,0102ABCD", "ФОРМАТ=A4,FFFF"}, {"ИМЯ_ПРИНТ=Лазерный принтер", "ИМЯ_ПРИНТ=HP LaserJet"}},
       [](TSettingsModel& m) { m.CompressedPrint = false; },
       {"ФОРМАТ=A4,FFFF\r\n    ФОРМАТ=Этикетка 58x40,FF00", "ИМЯ_ПРИНТ=HP LaserJet", "СЖАТЬ=НЕТ"},
       {"ФОРМАТ=A4,0102ABCD"}},
      // A file without a moment is none a program wrote: it is replaced whole.
      {{{"ПОСЛ_ДАТА", "ДАТА"}, {"ЗНАЧЕН_ПАРАМ='2'", "ЗНАЧЕН_ПАРАМ='5'"}},
       [](TSettingsModel&) {},
       {"ПОСЛ_ДАТА=5.03.2007", "ЗНАЧЕН_ПАРАМ='2'"},
       {"ЗНАЧЕН_ПАРАМ='5'"}},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    WriteBytes(home_ / "local.ini", Original("local.ini"));
    ASSERT_TRUE(LoadAllSettings());
    std::string file = Original("local.ini");
    for (const auto& [from, to] : rows[i].there) {
      const std::size_t at = file.find(Utf8ToCp1251(from));
      ASSERT_NE(at, std::string::npos) << from;
      file.replace(at, Utf8ToCp1251(from).size(), Utf8ToCp1251(to));
    }
    WriteBytes(home_ / "local.ini", file);
    rows[i].here(Settings());
    ASSERT_TRUE(SaveLocalSettings());
    const std::string saved = ReadBytes(home_ / "local.ini");
    for (const char* text : rows[i].kept) EXPECT_NE(saved.find(Utf8ToCp1251(text)), std::string::npos) << text;
    for (const char* text : rows[i].gone) EXPECT_EQ(saved.find(Utf8ToCp1251(text)), std::string::npos) << text;
    // What this save wrote is what the program has now seen: saved again,
    // the file stays.
    ASSERT_TRUE(SaveLocalSettings());
    EXPECT_TRUE(ReadBytes(home_ / "local.ini") == saved);
  }
}

TEST_F(SettingsTest, ReloadKeepsLocalParametersLocal) {
  ASSERT_TRUE(LoadAllSettings());
  WriteBytes(home_ / "manager.ini",
             "[АВТОПАРАМЕТРЫ]\r\nНОМЕР_ОПЕРАЦИИ=16\r\n"
             "ИМЯ_ПАРАМ=склад\r\nТИП_ПАРАМ=Строка\r\nЗНАЧЕН_ПАРАМ='чужой'\r\n"
             "ИМЯ_ПАРАМ=НОВЫЙ\r\nТИП_ПАРАМ=Число\r\nЗНАЧЕН_ПАРАМ=кривое'значение\r\n"_w);
  ASSERT_TRUE(ReloadAutoParams());
  const TAutoList& params = Settings().AutoParams;
  ASSERT_EQ(params.Count(), 2);
  const TAPar* store = params.GetItem(params.IndexOfName("СКЛАД"_w));
  EXPECT_EQ(std::tie(store->Local, store->ValueText, store->Kind), std::tuple(true, std::string("2"), 'N'));
  EXPECT_EQ(params.GetValueText("НОВЫЙ"_w), "кривое'значение"_w);
  EXPECT_EQ(GetSysVarText(kSysVarNoOperat, 0, 0), "16");

  // Each parameter goes to exactly one file.
  ASSERT_TRUE(SaveAutoParams());
  ASSERT_TRUE(SaveLocalSettings());
  const std::string manager = ReadBytes(home_ / "manager.ini");
  const std::string local = ReadBytes(home_ / "local.ini");
  auto holds = [](const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; };
  EXPECT_EQ((std::array{holds(manager, "СКЛАД"_w), holds(local, "ИМЯ_ПАРАМ=СКЛАД"_w), holds(manager, "НОВЫЙ"_w),
                        holds(local, "НОВЫЙ"_w)}),
            (std::array{false, true, true, false}));

  // Another window on the program directory commits the local parameter
  // twice: a reload reads the first, and a save after the second keeps it.
  const auto commitThere = [this](const std::string& from, const std::string& to) {
    std::string file = ReadBytes(home_ / "local.ini");
    file.replace(file.find(from), from.size(), to);
    WriteBytes(home_ / "local.ini", file);
  };
  commitThere("ЗНАЧЕН_ПАРАМ='2'"_w, "ЗНАЧЕН_ПАРАМ='7'"_w);
  ASSERT_TRUE(ReloadAutoParams());
  const TAPar* reread = params.FindByName("СКЛАД"_w);
  ASSERT_NE(reread, nullptr);
  EXPECT_EQ(std::tuple(reread->Local, reread->ValueText), std::tuple(true, std::string("7")));
  commitThere("ЗНАЧЕН_ПАРАМ='7'"_w, "ЗНАЧЕН_ПАРАМ='8'"_w);
  ASSERT_TRUE(SaveLocalSettings());
  EXPECT_TRUE(holds(ReadBytes(home_ / "local.ini"), "ЗНАЧЕН_ПАРАМ='8'"_w));

  // A "manager.ini" that cannot be read keeps the parameters and the
  // counter as they were.
  std::filesystem::remove(home_ / "manager.ini");
  EXPECT_FALSE(ReloadAutoParams());
  EXPECT_EQ(std::tuple(params.Count(), params.GetValueText("НОВЫЙ"_w), GetSysVarText(kSysVarNoOperat, 0, 0)),
            std::tuple(2, "кривое'значение"_w, std::string("16")));
}

TEST_F(SettingsTest, AccessLevelsSurviveASaveOrTheSaveIsRefused) {
  ASSERT_TRUE(LoadAllSettings());
  // As an editor may leave it: blanks at line ends, bare line feeds, no
  // break after the last line. The level is bound to the text read back.
  Settings().DocTree.FindID(6)->Description = "VARS  \n  A N(10,2)\t\r\nWORK\n  A = 1 + 2";
  ASSERT_TRUE(SaveConfiguration());
  ASSERT_TRUE(LoadAllSettings());
  const TDocData* invoice = Settings().DocTree.FindID(6);
  EXPECT_EQ(std::tie(invoice->Description, invoice->PasswordNumber),
            std::tuple(std::string("VARS\r\n  A N(10,2)\r\nWORK\r\n  A = 1 + 2\r\n"), 3));

  WriteBytes(home_ / "program.ini", Original("program.ini"));
  std::filesystem::remove(home_ / "program.in1");
  ASSERT_TRUE(LoadAllSettings());
  Settings().DocTree.FindID(7)->Description.assign(70000, 'x');
  EXPECT_FALSE(SaveConfiguration());
  EXPECT_EQ(ReadBytes(home_ / "program.ini"), Original("program.ini"));
  EXPECT_FALSE(std::filesystem::exists(home_ / "program.in1"));
  EXPECT_NE(ReadBytes(home_ / "Errors.log").find("Счёт"_w), std::string::npos);
}

// Sizes beyond the designer's ranges (1..10000, frame 0..99, zones
// 0..10000) are bounded and named in "Errors.log"; sizes within them are
// taken as they stand.
TEST_F(SettingsTest, PriceTagSizesAreBoundedByTheDesignersRanges) {
  WriteBytes(home_ / "program.ini",
             "[ЦЕННИКИ]\r\n"
             "НОМ_ЦЕН=0\r\nТОЛЩ_ЛИН=2147483647\r\nШИРИНА_ЦЕН=2147483647\r\nВЫСОТА_ЦЕН=0\r\n"
             "НОМ_ЗОНЫ=0\r\nКООРДИНАТЫ=-5,2147483647,10000,40\r\n"
             "НОМ_ЦЕН=1\r\nТОЛЩ_ЛИН=99\r\nШИРИНА_ЦЕН=10000\r\nВЫСОТА_ЦЕН=1\r\n"
             "НОМ_ЗОНЫ=0\r\nКООРДИНАТЫ=0,10,10000,10000\r\n"_w);
  ASSERT_TRUE(LoadAllSettings());
  ASSERT_EQ(Settings().PriceTags.Count(), 2);
  const TCennik& wild = *Settings().PriceTags.GetItem(0);
  EXPECT_EQ(std::tuple(wild.LineWidth, wild.Width, wild.Height), std::tuple(99, 10000, 1));
  EXPECT_EQ(wild.GetZone(0)->Rect, (std::array<int32_t, 4>{0, 10000, 10000, 40}));
  const TCennik& edge = *Settings().PriceTags.GetItem(1);
  EXPECT_EQ(std::tuple(edge.LineWidth, edge.Width, edge.Height), std::tuple(99, 10000, 1));
  EXPECT_EQ(edge.GetZone(0)->Rect, (std::array<int32_t, 4>{0, 10, 10000, 10000}));
  const std::string log = ReadBytes(home_ / "Errors.log");
  for (const char* key : {"ТОЛЩ_ЛИН=2147483647", "ШИРИНА_ЦЕН=2147483647", "ВЫСОТА_ЦЕН=0", "КООРДИНАТЫ=-5"})
    EXPECT_NE(log.find(Utf8ToCp1251(key)), std::string::npos) << key;
  // Four lines of the first tag, none of the second.
  int lines = 0;
  for (auto at = log.find("Ценник 0"_w); at != std::string::npos; at = log.find("Ценник 0"_w, at + 1)) ++lines;
  EXPECT_EQ(lines, 4);
  EXPECT_EQ(log.find("Ценник 1"_w), std::string::npos);
}

// An empty program folder, or one whose file cannot be read or is a link
// (never read through, wherever it points): the box and "Errors.log" name
// each file, so the administrator knows what to bring.
TEST_F(SettingsTest, AFailedLoadNamesEveryFileItCouldNotRead) {
  for (const char* name : kFiles) std::filesystem::remove(home_ / name);
  std::filesystem::create_directory(home_ / "manager.ini");
  test::TempDir outside;
  WriteBytes(outside / "local.ini", Original("local.ini"));
  std::filesystem::create_symlink(outside / "local.ini", home_ / "local.ini");
  EXPECT_EQ(OpenDataAtStartUp(), 1);
  ASSERT_FALSE(ui_.Boxes.empty());
  EXPECT_EQ(ui_.Boxes[0].Text, "Ошибка при чтении файлов настроек\rНет файла "_w + ProgramIniName() +
                                   "\rНе читается файл "_w + ManagerIniName() + "\rСсылка вместо файла "_w +
                                   LocalIniName());
  const std::string log = ReadBytes(home_ / "Errors.log");
  for (const std::string& line : {"нет файла "_w + ProgramIniName(), "не читается файл "_w + ManagerIniName(),
                                  "ссылка вместо файла "_w + LocalIniName()})
    EXPECT_NE(log.find("Ошибка при чтении файлов настроек: "_w + line), std::string::npos) << Cp1251ToUtf8(line);
}

// Graphic objects keep to their dialog's ranges (place 0..100000, size
// 0..10000, line 0..99) as tags and zones keep to theirs; the other words
// stay as stored.
TEST_F(SettingsTest, GraphicObjectsAreBoundedByTheirDialogsRanges) {
  WriteBytes(home_ / "program.ini",
             "[ЦЕННИКИ]\r\nНОМ_ЦЕН=0\r\n"
             "НОМ_ГРАФ=0\r\nТОЛЩ_ГРАФ=2147483647\r\n"
             "ГРАФ_ДАННЫЕ=5,2147483647,-2147483648,2147483647,-7,1,2,3,9,9,9,9,9,9,9,9\r\n"
             "НОМ_ГРАФ=1\r\nТОЛЩ_ГРАФ=99\r\nГРАФ_ДАННЫЕ=5,100000,0,10000,0,1,2,3,9,9,9,9,9,9,9,9\r\n"
             "НОМ_ГРАФ=2\r\nТОЛЩ_ГРАФ=-1\r\n"_w);
  ASSERT_TRUE(LoadAllSettings());
  const TCennik& tag = *Settings().PriceTags.GetItem(0);
  ASSERT_EQ(tag.Graphics.size(), 3u);
  const auto box = [&](std::size_t i) {
    const TGraphObject& g = *tag.Graphics[i];
    return std::tuple(g.LineWidth, g.X, g.Y, g.Width, g.Height);
  };
  EXPECT_EQ(box(0), std::tuple(99, 100000, 0, 10000, 0));
  EXPECT_EQ(box(1), std::tuple(99, 100000, 0, 10000, 0));
  EXPECT_EQ(tag.Graphics[0]->Words(), tag.Graphics[1]->Words());
  EXPECT_EQ(tag.Graphics[2]->LineWidth, 0);
  const std::string log = ReadBytes(home_ / "Errors.log");
  for (const char* line : {"Ценник 0, графический объект 0: ТОЛЩ_ГРАФ=2147483647 вне пределов 0..99",
                           "Ценник 0, графический объект 0: ГРАФ_ДАННЫЕ=5,2147483647,-2147483648,2147483647,-7,",
                           "Ценник 0, графический объект 2: ТОЛЩ_ГРАФ=-1 вне пределов 0..99"})
    EXPECT_NE(log.find(Utf8ToCp1251(line)), std::string::npos) << line;
  EXPECT_EQ(log.find("графический объект 1"_w), std::string::npos);
}

TEST_F(SettingsTest, StartUpRefusesASecondProcessAndAFailedLoad) {
  ASSERT_EQ(OpenDataAtStartUp(), 0);
  EXPECT_TRUE(BasesLocked());
  const pid_t pid = ::fork();
  if (pid == 0) {
    test::ScriptedUi ui;
    const int code = OpenDataAtStartUp();
    _exit(code == 1 && ui.Boxes.size() == 1 &&
          ui.Boxes[0].Text == "Базы заблокированы! Повторите попытку позже!"_w);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  UnlockBases();

  std::filesystem::remove(home_ / "program.ini");
  EXPECT_EQ(OpenDataAtStartUp(), 1);
  EXPECT_FALSE(BasesLocked());
  ASSERT_FALSE(ui_.Boxes.empty());
  EXPECT_EQ(ui_.Boxes[0].Text, "Ошибка при чтении файлов настроек\rНет файла "_w + ProgramIniName());

  // The date is questioned even after a failed load; refusing it ends the
  // start as well.
  WriteBytes(home_ / "program.ini", Original("program.ini"));
  clock_.SetLocal({2007, 3, 4, 9, 0, 0, 0});
  ui_.Boxes.clear();
  ui_.Answers = {kIdNo};
  EXPECT_EQ(OpenDataAtStartUp(), 1);
  ASSERT_EQ(ui_.Boxes.size(), 1u);
  EXPECT_EQ(ui_.Boxes[0].Caption, "Внимание"_w);
}

}  // namespace
}  // namespace vm
