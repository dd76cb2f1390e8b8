// The configuration in memory: the databases, the reference books, the
// blanks, the auto-parameters and the data of the documents, plus the key
// column lists that sorts, searches and links share. The settings loaders
// fill the registries; the designer edits copies made with CopyTo and copies
// them back.
//
// Look-ups are either exact (byte for byte) or upper-cased: the argument is
// upper-cased and compared with the stored value as it stands, so whoever
// stores such a value keeps it in upper case.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/blanks.h"
#include "foundation/tables/dbf.h"
#include "foundation/tables/key_cols.h"
#include "foundation/values/values.h"

namespace vm {

// --- Databases ---------------------------------------------------------------

class TDbaseStructure {
 public:
  // FileName, and the table's file in the data directory.
  void SetFileName(std::string name);
  // Becomes a copy of Src's description (names, flag and fields).
  void Assign(const TDbaseStructure& src);
  void AddField(const TFieldRecord& field);
  // Removes the first field so named (exact); nothing when there is none.
  void DeleteField(std::string_view name);
  // 0-based; -1 if none (exact).
  int32_t IndexOfField(std::string_view name) const;
  // False, and nothing copied, outside 0..FieldCount()-1.
  bool GetField(int32_t index, TFieldRecord& field) const;
  bool SetField(int32_t index, const TFieldRecord& field);
  void ClearFields() { Fields.clear(); }
  int32_t FieldCount() const { return static_cast<int32_t>(Fields.size()); }

  std::string FileName;    // ИМЯ_БАЗЫ, without directory
  std::string Alias;       // ПСЕВДОНИМ
  std::string Department;  // ПОДРАЗДЕЛЕНИЕ
  TDBF Table;
  // Added by the program itself (the date index): never saved nor copied.
  bool System = false;
  // Registered in the designer and not yet saved, so without a file: Table
  // is an empty stand-in for a check or a run there, and nothing of it may
  // be put in place as the base's file.
  bool Unsaved = false;
  // The configured fields in order; the record-number field is not among them.
  std::vector<TFieldRecord> Fields;
};

class TUsedBaseList {
 public:
  TDbaseStructure* AddNew();
  // Unlinks and frees Base; nothing when it is not in the list.
  void Remove(TDbaseStructure* base);
  TDbaseStructure* FindByFileName(std::string_view name) const;
  TDbaseStructure* FindByAlias(std::string_view alias) const;
  // 0-based; nullptr outside the list.
  TDbaseStructure* GetItem(int32_t index) const;
  void Clear() { items_.clear(); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Dest becomes a copy of every database but the system ones.
  void CopyTo(TUsedBaseList& dest) const;
  // Removes the system databases (the date index adds its own again).
  void RemoveSystemBases();
  // The databases that are not system ones.
  int32_t CountActive() const;

 private:
  std::vector<std::unique_ptr<TDbaseStructure>> items_;
};

// --- Reference books -----------------------------------------------------------

struct TSDef {
  std::string FieldName;  // ИМЯ_ПОЛЯ_СПРАВ
  int32_t Number = -1;
  std::unique_ptr<TSDef> Next;
};

class TSpravDef {
 public:
  TSDef* AddSDef();
  // 0-based; nothing past the end.
  void DeleteSDef(int32_t index);
  // 0-based; nullptr past the end.
  TSDef* GetSDef(int32_t index) const;
  void SetSDefCount(int32_t n);

  std::string BaseAlias;  // ПСЕВДОНИМ, upper case
  std::string Title;      // ИМЯ_СПРАВ
  std::string Name;       // ИМЯ_СПР
  std::string BlankName;  // ИМЯ_БЛАНК
  int32_t SortKeyCount = 0;
  std::unique_ptr<TKeyCol> SortKeys;  // СОРТИРОВКА
  std::unique_ptr<TSDef> Columns;
  int32_t ColumnCount = 0;           // КОЛОНОК
  bool SortOnStart = false;          // ЗАПУСК_СОРТ
  bool AutoSort = false;             // АВТОСОРТ
  std::string Filter;                // ФИЛЬТР
  std::bitset<256> EditableColumns;  // РЕД_КОЛ, 0-based column numbers
  bool CanInsert = false;            // ВСТАВКА
  bool CanEdit = false;              // РЕДАКТИР
  bool CanDelete = false;            // УДАЛЕНИЕ
  // Set by the check of the descriptions, never saved nor copied: Valid when
  // every shown column has a usable field; Hidden when its database or its
  // form is unusable. A hidden book stays in the configuration, so that a
  // later save keeps it, but is offered to nobody.
  bool Valid = false;
  bool Hidden = false;
};

class TMyList {
 public:
  TSpravDef* AddNew();
  TSpravDef* GetItem(int32_t index) const;
  void DeleteItem(int32_t index);
  // Upper-cased look-ups.
  TSpravDef* FindByBase(std::string_view alias) const;
  TSpravDef* FindByForm(std::string_view blankName) const;
  int32_t IndexOfForm(std::string_view blankName) const;
  void Clear() { items_.clear(); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  void CopyTo(TMyList& dest) const;

 private:
  std::vector<std::unique_ptr<TSpravDef>> items_;
};

// --- Blanks --------------------------------------------------------------------

class TBlanks {
 public:
  // A new blank with that name and no description.
  TCurBlank* Add(std::string name);
  TCurBlank* FindByName(std::string_view name) const;  // exact
  void Delete(std::string_view name);
  TCurBlank* GetItem(int32_t index) const;
  void Clear() { items_.clear(); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Dest gets every name and description; nothing compiled is copied.
  void CopyTo(TBlanks& dest) const;
  // Drops the compiled data of every blank; a document run does it before it
  // compiles.
  void UnloadAll();
  void SortByName();

 private:
  std::vector<std::unique_ptr<TCurBlank>> items_;
};

// --- Auto-parameters -------------------------------------------------------------

class TAPar {
 public:
  void GetValue(TCommonVar& value) const;
  // Writes ValueText from a value of kind 'C', 'D' or 'N'; Kind stays. A
  // number keeps four decimals and any more its value holds, a whole one
  // none; false, with ValueText as it was, for a value GetValue would not
  // read back: a date whose parts do not fit a date field, a whole part
  // with digits past those the value holds.
  bool SetValue(const TCommonVar& value);

  std::string Name;       // ИМЯ_ПАРАМ, upper case
  char Kind = 0;          // ТИП_ПАРАМ: 'C', 'N' or 'D'
  std::string ValueText;  // ЗНАЧЕН_ПАРАМ
  bool Local = false;     // kept in this workstation's settings
};

class TAutoList {
 public:
  TAPar* AddNew();
  TAPar* GetItem(int32_t index) const;
  void DeleteItem(int32_t index);
  // Upper-cased look-ups.
  int32_t IndexOfName(std::string_view name) const;
  std::string GetValueText(std::string_view name) const;  // "" if none
  char GetKind(std::string_view name) const;              // 0 if none
  void Clear() { items_.clear(); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  void CopyTo(TAutoList& dest) const;
  // Upper-cased look-up; nullptr if none.
  TAPar* FindByName(std::string_view name) const { return GetItem(IndexOfName(name)); }
  // Before "local.ini" is read again: the local parameters go.
  void RemoveLocal() { RemoveWhere(true); }
  // Before "manager.ini" is read again: the shared parameters go.
  void RemoveShared() { RemoveWhere(false); }

 private:
  void RemoveWhere(bool local);

  std::vector<std::unique_ptr<TAPar>> items_;
};

// --- Documents -------------------------------------------------------------------

struct TWindowRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  friend bool operator==(const TWindowRect&, const TWindowRect&) = default;
};

// The data of one node of the document tree: a document or a folder.
struct TDocData {
  TWindowRect BookWindowRect;  // ПОЗ_СПРАВ
  TWindowRect InfoWindowRect;  // ПОЗ_ИНФ
  TWindowRect WorkWindowRect;  // ПОЗ_РАБ
  int32_t ID = 0;              // ИД_ФОРМЫ; given when the menus are built
  std::string MenuCaption;
  bool IsDocument = false;
  std::string Description;       // ОПИСАНИЕ
  bool Found = false;            // the designer's search mark; not saved
  int32_t FormWidth = 0;         // РАЗМЕР_ФОРМЫ_X
  int32_t FormHeight = 0;        // РАЗМЕР_ФОРМЫ_Y
  bool FixedWidth = false;       // ЗАПРЕТ_X
  bool FixedHeight = false;      // ЗАПРЕТ_Y
  int32_t PasswordNumber = 255;  // access level, 0..10 runs
};

}  // namespace vm
