// The line syntax of the settings files, their section and key tables, the
// value forms and the low level of reading and writing them.
//
// A file is Windows-1251 text of CR LF lines: "[name]" opens a section, a
// line with "=" is a key line (key before the first "=", blanks and tabs
// removed; the value is everything after it), any other line is ignored.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings_copies.h"
#include "platform/encoding.h"

namespace vm {

// Section indices 1..13 and key indices 1..88 of the settings files.
enum TSettingsSection : int32_t {
  kSecNone = 0,
  kSecForms = 1,
  kSecBases = 2,
  kSecBooks = 3,
  kSecDocuments = 4,
  kSecPanels = 5,
  kSecAutoParams = 6,
  kSecPrinter = 7,
  kSecAutoStart = 8,
  kSecCommon = 9,
  kSecPasswords = 10,
  kSecArchive = 11,
  kSecPriceTags = 12,
  kSecFormats = 13,
};

enum TSettingsKey : int32_t {
  kKeyNone = 0,
  kKeyForm = 1,
  kKeyDescription = 2,
  kKeyBaseName = 3,
  kKeyAlias = 4,
  kKeyDepartment = 5,
  kKeyDocPassword = 6,
  kKeyFieldName = 7,
  kKeyFieldType = 8,
  kKeyFieldSize = 9,
  kKeyFieldDecimals = 10,
  kKeyLevel = 11,
  kKeyDocName = 12,
  kKeyDocId = 13,
  kKeyPanelName = 14,
  kKeyPicture = 15,
  kKeyButton = 16,
  kKeyShow = 17,
  kKeyParamName = 18,
  kKeyParamType = 19,
  kKeyParamValue = 20,
  kKeyBookTitle = 21,
  kKeyBookBlank = 22,
  kKeyColumnNo = 23,
  kKeyColumnField = 24,
  kKeyColumnCount = 25,
  kKeySort = 26,
  kKeyPrinterName = 27,
  kKeyBookRect = 28,
  kKeyInfoRect = 29,
  kKeyWorkRect = 30,
  kKeyInsert = 31,
  kKeyDelete = 32,
  kKeyEdit = 33,
  kKeyEditColumns = 34,
  kKeyOperationNo = 35,
  kKeyFilter = 36,
  kKeyAutoSort = 37,
  kKeyMainRect = 38,
  kKeyPassword = 39,
  kKeyConfigName = 40,
  kKeyDateField = 41,
  kKeyExclusion = 42,
  kKeyGroupField = 43,
  kKeyKeepLast = 44,
  kKeyNextConfigId = 45,
  kKeyArchiveFileNo = 46,
  kKeyConfigId = 47,
  kKeyLinkedFields = 48,
  kKeyArchiveNo = 49,
  kKeyTitle = 50,
  kKeyTagNo = 51,
  kKeyTagLineWidth = 52,
  kKeyTagWidth = 53,
  kKeyTagHeight = 54,
  kKeyZoneNo = 55,
  kKeyZoneRect = 56,
  kKeyZoneText = 57,
  kKeyFontName = 58,
  kKeyFontStyle = 59,
  kKeyFontColor = 60,
  kKeyNonPrintChars = 61,
  kKeyGraphNo = 62,
  kKeyGraphColor = 63,
  kKeyGraphKind = 64,
  kKeyGraphFile = 65,
  kKeyGraphData = 66,
  kKeyGraphLineWidth = 67,
  kKeyFontSize = 68,
  kKeyLetterCase = 69,
  kKeyLastDate = 70,
  kKeyLastTime = 71,
  kKeySystemClock = 72,
  kKeyOnlyFirst = 73,
  kKeyDefaultFont = 74,
  kKeyFormWidth = 75,
  kKeyFormHeight = 76,
  kKeyFixedWidth = 77,
  kKeyFixedHeight = 78,
  kKeyMouseScale = 79,
  kKeyPageFormat = 80,
  kKeyDefaultFormat = 81,
  kKeyCompressed = 82,
  kKeyBookName = 83,
  kKeySortOnStart = 84,
  kKeyBarcode = 85,
  kKeyBarWidth = 86,
  kKeyAlignment = 87,
  kKeySerialPort = 88,
};

namespace settings_detail {
inline constexpr std::array<std::string_view, 14> kSectionNames = {
    ""_wv,
    "ФОРМЫ"_wv,
    "БАЗЫ"_wv,
    "СПРАВОЧНИКИ"_wv,
    "ДОКУМЕНТЫ"_wv,
    "ПАНЕЛИ"_wv,
    "АВТОПАРАМЕТРЫ"_wv,
    "ПРИНТЕР"_wv,
    "АВТОЗАПУСК"_wv,
    "ОБЩИЕ"_wv,
    "ПАРОЛИ"_wv,
    "АРХИВАЦИЯ"_wv,
    "ЦЕННИКИ"_wv,
    "ФОРМАТЫ"_wv,
};

inline constexpr std::array<std::string_view, 89> kKeyNames = {
    ""_wv,
    "ФОРМА"_wv,
    "ОПИСАНИЕ"_wv,
    "ИМЯ_БАЗЫ"_wv,
    "ПСЕВДОНИМ"_wv,
    "ПОДРАЗДЕЛЕНИЕ"_wv,
    "НОМ_ПАРОЛЬ"_wv,
    "ИМЯ_ПОЛЯ"_wv,
    "ТИП_ПОЛЯ"_wv,
    "РАЗМ_ПОЛЯ"_wv,
    "ДЕС_ПОЛЕ"_wv,
    "УРОВЕНЬ"_wv,
    "ИМЯ_ДОК"_wv,
    "ИД_ФОРМЫ"_wv,
    "ИМЯ_ПАНЕЛИ"_wv,
    "РИСУНОК"_wv,
    "КНОПКА"_wv,
    "ПОКАЗЫВАТЬ"_wv,
    "ИМЯ_ПАРАМ"_wv,
    "ТИП_ПАРАМ"_wv,
    "ЗНАЧЕН_ПАРАМ"_wv,
    "ИМЯ_СПРАВ"_wv,
    "ИМЯ_БЛАНК"_wv,
    "НОМ_КОЛ"_wv,
    "ИМЯ_ПОЛЯ_СПРАВ"_wv,
    "КОЛОНОК"_wv,
    "СОРТИРОВКА"_wv,
    "ИМЯ_ПРИНТ"_wv,
    "ПОЗ_СПРАВ"_wv,
    "ПОЗ_ИНФ"_wv,
    "ПОЗ_РАБ"_wv,
    "ВСТАВКА"_wv,
    "УДАЛЕНИЕ"_wv,
    "РЕДАКТИР"_wv,
    "РЕД_КОЛ"_wv,
    "НОМЕР_ОПЕРАЦИИ"_wv,
    "ФИЛЬТР"_wv,
    "АВТОСОРТ"_wv,
    "ПОЗИЦИЯ_ГЛ"_wv,
    "КОД_БЕЗОП"_wv,
    "КОНФИГУРАЦИЯ"_wv,
    "ПОЛЕ_ДАТЫ"_wv,
    "ИСКЛЮЧЕНИЕ"_wv,
    "ПОЛЕ_ГРУППЫ"_wv,
    "ПОСЛ_ЗАП"_wv,
    "НОМ_КОНФИГ"_wv,
    "НОМ_ФАЙЛ_АРХ"_wv,
    "ИД_КОНФИГ"_wv,
    "СВЯЗ_ПОЛЯ"_wv,
    "НОМ_АРХИВА"_wv,
    "ЗАГОЛОВОК"_wv,
    "НОМ_ЦЕН"_wv,
    "ТОЛЩ_ЛИН"_wv,
    "ШИРИНА_ЦЕН"_wv,
    "ВЫСОТА_ЦЕН"_wv,
    "НОМ_ЗОНЫ"_wv,
    "КООРДИНАТЫ"_wv,
    "ТЕКСТ"_wv,
    "ИМЯ_ШРИФТА"_wv,
    "СТИЛЬ_ШРИФТА"_wv,
    "ЦВЕТ_ШРИФТА"_wv,
    "НЕПЕЧ_СИМВОЛЫ"_wv,
    "НОМ_ГРАФ"_wv,
    "ЦВЕТ_ГРАФ"_wv,
    "ТИП_ГРАФ"_wv,
    "ГРАФ_ФАЙЛ"_wv,
    "ГРАФ_ДАННЫЕ"_wv,
    "ТОЛЩ_ГРАФ"_wv,
    "РАЗМ_ШРИФТА"_wv,
    "РЕГ_ШРИФТА"_wv,
    "ПОСЛ_ДАТА"_wv,
    "ПОСЛ_ВРЕМЯ"_wv,
    "СИСТ_ВРЕМЯ"_wv,
    "ТОЛЬКО_ПЕРВЫЙ"_wv,
    "ШРИФТ"_wv,
    "РАЗМЕР_ФОРМЫ_X"_wv,
    "РАЗМЕР_ФОРМЫ_Y"_wv,
    "ЗАПРЕТ_X"_wv,
    "ЗАПРЕТ_Y"_wv,
    "MOUSE_SCALE"_wv,
    "ФОРМАТ"_wv,
    "ФОРМАТ_ПО_УМОЛ"_wv,
    "СЖАТЬ"_wv,
    "ИМЯ_СПР"_wv,
    "ЗАПУСК_СОРТ"_wv,
    "ШТРИХКОД"_wv,
    "ШИР_ШТРИХ"_wv,
    "ВЫР_ТЕКСТ"_wv,
    "ПРОЧЕЕ"_wv,
};
}  // namespace settings_detail

// The name of section 1..13, of key 1..88.
std::string_view SectionName(int32_t index);
std::string_view KeyName(int32_t index);

// Position in the tables by exact, case-sensitive compare; 0 when absent.
int32_t SectionIndex(std::string_view name);
int32_t KeyIndex(std::string_view name);

// 1 for a section line (name without blanks and tabs, empty value), 2 for a
// key line, 0 for any other line.
int32_t ClassifySettingsLine(std::string_view line, std::string& name, std::string& value);

// "ДА" (trimmed, any case) is true; anything else false.
bool SettingTextToBool(std::string_view s);
std::string BoolToSettingText(bool b);

// "Строка", "Число", "Дата" and back ('C' for anything unknown).
std::string FieldTypeName(char typeChar);
char FieldTypeFromName(std::string_view s);

// Exactly four integers joined by ","; a missing or malformed item reads 0.
std::string IntListToStr(const std::array<int32_t, 4>& ints);
std::array<int32_t, 4> StrToIntList(std::string_view s);

// Font-style ordinals (0 bold .. 3 strike-out) joined by ",".
std::string FontStyleToStr(uint8_t style);
uint8_t StrToFontStyle(std::string_view s);

// Every character as "#" and its decimal code.
std::string NonPrintCharsToStr(std::string_view s);

// A font size as stored: scaled by 0.226, rounded half to even; and back.
int32_t ScaleFontSize(int32_t size);
int32_t UnscaleFontSize(int32_t stored);

// Integers as the settings files hold them: leading blanks, an optional
// sign, decimal digits or hexadecimal ones after "$", "x" or "0x". Valid is
// false for any other character or a number out of range; the result is
// then the value of the digits read before it (0 when none).
int32_t SettingsNumber(std::string_view s, bool& valid);

// Splits a text at its line breaks (CR LF, CR or LF); a break at the end
// does not start another line.
std::vector<std::string> SplitTextLines(std::string_view text);

// Reads the lines of a settings file; false when it cannot be read or a
// link stands at its name: a file the program writes is its own only as a
// plain file there, and nothing is ever read through a link.
bool ReadSettingsLines(const std::string& path, std::vector<std::string>& lines);

// Keeps n numbered copies of a file, the newest with the extension ending in
// 1 (program.in1 .. program.in5; name.1 .. name.5 for a short extension).
// A missing copy leaves a gap that moves up. Only a plain file of at most
// 16 MB at a copy's name is the program's own: a link there goes (the link
// itself, never what it points at), and it, anything else but a plain file
// and a larger file (named once in "Errors.log") are never read and count
// as missing. A copy that cannot be made is named in "Errors.log", ends the
// rotation with every older copy kept, and makes the result false. A first
// copy that holds the file's bytes already was made by a save that died
// before it replaced the file: the copies stay as they are, rather than
// take the same bytes twice.
bool RotateBackups(const std::string& fileName, int32_t n);

// What RotateBackups does, as new bytes for each copy, for a change that
// puts the copies in place together with the file; false when a copy or the
// file cannot be read (named in "Errors.log"). The plan itself changes
// nothing and notes nothing else: what RotateBackups does besides the
// copies is done by SettingsCopiesPlaced once the change stands, so that a
// change refused leaves everything as it was.
bool PlanBackups(const std::string& fileName, int32_t n, std::vector<TSettingsCopy>& copies);
void SettingsCopiesPlaced(const std::vector<TSettingsCopy>& copies);

// Builds a settings file in memory and puts it in place whole: written
// beside the target, the numbered copies rotated, then renamed over it, so
// that a failed or interrupted save leaves the old file and its copies as
// they were, and two processes saving at once each put a whole file in
// place, one after the other.
class TSettingsWriter {
 public:
  TSettingsWriter() = default;

  // An empty line, then "  [name]".
  void Section(int32_t index);
  // Indent, key, "=", value. A line break in a value would start another
  // line of the file, so here and in Line it is written as a blank.
  void Key(int32_t indent, int32_t key, std::string_view value);
  void Key(int32_t indent, int32_t key, int64_t value);
  void Line(std::string_view text);

  const std::string& Text() const { return text_; }

  // Writes the text to path; with backups > 0 the numbered copies of the
  // previous file are kept first. False when the file could not be written
  // or a copy could not be made: the old file then stays as it was.
  bool Commit(const std::string& path, int32_t backups) const;

 private:
  std::string text_;
};

// What TSettingsWriter::Commit does, for a text made before.
bool CommitSettingsText(const std::string& path, std::string_view text, int32_t backups);

}  // namespace vm
