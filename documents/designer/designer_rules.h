// What the designer's dialogs accept, and the small conversions between
// what its edits show and what the configuration stores. Every rule is a
// plain function of the texts typed, so the windows only ask it whether
// their OK may be pressed.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/registries.h"
#include "foundation/tables/dbf.h"

namespace vm {

// Whether some entry other than exceptRow (0-based, -1 for none) equals
// text, both upper-cased: the uniqueness test of every naming dialog.
bool NameTaken(std::string_view text, const std::vector<std::string>& names, int32_t exceptRow);

// A name of a form: upper-cased a valid field name, not taken, no reserved
// word of the document language.
bool BlankNameAcceptable(std::string_view text, const std::vector<std::string>& existing);

// The database dialog: a plain "*.DBF" file name, an alias that is a valid
// field name and no reserved word, a comment, and file name and alias not
// registered to another row.
struct TBaseDialogTexts {
  std::string FileName;
  std::string Alias;
  std::string Comment;
};
bool BaseDialogAcceptable(const TBaseDialogTexts& t, const std::vector<std::string>& fileNames,
                          const std::vector<std::string>& aliases, int32_t exceptRow);

// The field dialog's spins: "Размер:" and "Дес. знаков:".
inline constexpr int kMinFieldLength = 2;
inline constexpr int kMaxFieldLength = 255;
inline constexpr int kMaxFieldDecimals = 15;

// The field dialog as its controls stand.
struct TFieldDialogTexts {
  std::string Name;
  std::string TypeName;  // "Строка", "Число" or "Дата"
  std::string Length;
  std::string Decimals;
};
bool FieldDecimalsEnabled(const TFieldDialogTexts& t);
bool FieldDialogAcceptable(const TFieldDialogTexts& t, const std::vector<std::string>& names,
                           int32_t exceptRow);
TFieldDialogTexts FieldDialogTexts(const TFieldRecord& field);
// The record OK stores: a date is always 8 wide without decimals.
TFieldRecord FieldFromDialog(const TFieldDialogTexts& t);
// What the name box of the field dialog lets through: upper-cased, and
// only digits, Latin and Cyrillic capitals and "_"; 0 for a refused key.
char FieldNameKey(char c);

// A new reference book: a registered alias and a new valid name.
bool BookAcceptable(std::string_view alias, const std::vector<std::string>& aliases,
                    std::string_view name, const std::vector<std::string>& existing);

// A new auto-parameter: a valid name that is no system variable, no
// reserved word and not taken; a number value that fits 16 digits with 4
// decimals for "Число".
bool AutoParamAcceptable(std::string_view name, std::string_view typeName, std::string_view value,
                         const std::vector<std::string>& names, int32_t exceptRow);

// The sort keys of a reference book from the text of its sort edit, and
// back: column numbers 1-based in the text, 0-based in the chain; numbers
// outside 1..columnCount, repeats and what is no number are dropped.
void SetSortKeysFromText(TSpravDef& book, std::string text);
std::string SortKeysText(const TSpravDef& book);
void SetEditColumnsFromText(TSpravDef& book, std::string text);
std::string EditColumnsText(const TSpravDef& book);

// The mouse-scroll coefficient: stored in 480ths, shown in percent.
int32_t ScrollPercentShown(int32_t stored);
int32_t ScrollStoredFromText(std::string_view text);

// The password number a spin text gives (-1 for anything outside -1..9),
// and what the spin shows for a stored number.
int32_t PasswordFromSpinText(std::string_view text);
int32_t PasswordSpinShown(int32_t stored);

// The 0-based memo line a 1-based error line puts the caret on, kept
// within the memo; -1 for no line.
int32_t MemoCaretLine(int32_t errorLine, std::string_view memo);

// Ctrl+F in a description: the 0-based start of the first occurrence of
// what at or after caret, letters in any case; -1 when there is none.
int32_t FindInMemo(std::string_view text, std::string_view what, int32_t caret);

// 'N' for "Число", 'D' for "Дата", 'C' otherwise.
char KindOfTypeName(std::string_view typeName);

// Round half to even, as the stored coefficients are computed.
int32_t RoundHalfEven(double v);

// A question with Yes and No, No the default; true on Yes.
bool AskYesNo(const std::string& text, const std::string& caption);

// The password dialog: both texts compared without regard to case and
// surrounding blanks; what is stored is the first, trimmed, cut to 10
// characters and upper-cased.
bool PasswordConfirmed(std::string_view first, std::string_view second);
std::string PasswordFromDialog(std::string_view first);

// The entry dialog of an archive configuration as its controls stand.
struct TArchiveEntryTexts {
  std::string Base;
  std::string DateField;
  std::string GroupField;
  std::string LastRecord;  // "Удалять" or "Оставлять"
  std::string Exclusion;
  std::string Links;
};

// The choices of the entry dialog: the databases not yet in the
// configuration (the edited entry's own one stays), and for the chosen
// database its date fields and its number fields with "нет".
struct TArchiveEntryDialog {
  const TUsedBaseList* Bases = nullptr;
  std::vector<std::string> BaseChoices;
  std::vector<std::string> DateFields;
  std::vector<std::string> GroupFields;
  TArchiveEntryTexts Values;
  // Refills the field lists for alias; a new entry takes the first date
  // field and "нет".
  void ChooseBase(const std::string& alias, bool keepValues = false);
  // The four lists must show something; exclusion and links may be empty.
  bool CanConfirm() const;
};

// What the zone text dialog edits of a zone. Alignment and letter case come
// in normalised to the choices it offers; the font size is kept in tenths
// of a millimetre and shown in points.
struct TZoneDialogValues {
  std::string Text;
  std::string NonPrintChars;
  bool OnlyFirst = true;
  bool Barcode = false;
  std::string BarWidth;
  int32_t LetterCase = 0;  // 0 upper, 1 lower, 2 as it is
  int32_t Alignment = 1;   // 0 left, 1 centre, 2 right
  std::string FontName;
  uint8_t FontStyle = 0;
  int32_t FontSize = 18;
  int32_t FontColor = 0;
};
int32_t ZoneFontPoints(int32_t size);
int32_t ZoneFontSize(int32_t points);

}  // namespace vm
