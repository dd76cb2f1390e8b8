// Archive configurations: the databases archived together for a period and,
// for each, how its records are chosen and what is kept. The check against
// the databases and the preparation for an archive command compile the
// exclusion condition, so they live with the document language; the menu
// items come with the windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/tables/dbf.h"

namespace vm {

// What a checked or prepared entry holds of the document language: its
// database bound under its alias and the compiled condition.
class IArchiveBinding {
 public:
  virtual ~IArchiveBinding() = default;
};


class TArchiveConfig;

class TBaseArchive {
 public:
  struct TLink {
    int32_t Field = 0;
    TBaseArchive* Target = nullptr;
  };

  explicit TBaseArchive(TArchiveConfig* config) : Config(config) {}

  TArchiveConfig* Config;
  std::vector<TLink> Links;       // the parsed linked fields
  std::vector<int32_t> FieldMap;  // one per archive-table field but one
  bool IsLinkTarget = false;
  std::string Alias;
  std::string DateField;
  std::string Condition;
  std::string GroupField;  // "нет" for none
  bool KeepLast = false;
  std::string LinkedFields;
  std::string FileName;
  std::string PackName;
  int32_t DateIndex = 0;
  int32_t GroupIndex = -1;
  // While checked or prepared: the database's table and its binding.
  TDBF* Dbf = nullptr;
  std::unique_ptr<IArchiveBinding> Binding;

  // Drops the binding, the compiled condition and the links.
  void Release();

  int32_t LinkCount() const { return static_cast<int32_t>(Links.size()); }
  int32_t MapCount() const { return static_cast<int32_t>(FieldMap.size()); }

  // The designer's grid: alias, date field, condition, group field, the
  // action word of KeepLast, linked fields.
  void GetColumnText(int32_t col, std::string& s) const;
  const TLink* GetLink(int32_t index) const;
  const int32_t* GetFieldMapEntry(int32_t index) const;
  // One entry per field of ArchiveTable but one; none without the table.
  void AllocFieldMap();
  void FreeFieldMap() { FieldMap.clear(); }
  // The archive table of the archive commands; owned.
  std::unique_ptr<TDBF> ArchiveTable;
};

class TArchiveConfig {
 public:
  int32_t ID = 0;
  int32_t ArchiveNo = 0;
  std::string Name;
  std::string Extra;

  int32_t Count() const { return static_cast<int32_t>(bases_.size()); }
  TBaseArchive* AddBase();
  TBaseArchive* GetBase(int32_t index) const { return bases_[static_cast<std::size_t>(index)].get(); }
  void DeleteBase(int32_t index);
  // The entry whose alias equals Alias trimmed and upper-cased.
  TBaseArchive* FindBase(const std::string& alias) const;
  void Clear() { bases_.clear(); }

 private:
  std::vector<std::unique_ptr<TBaseArchive>> bases_;
};

void CopyConfig(const TArchiveConfig& src, TArchiveConfig& dest);

// The linked-fields text "base: field, base: field" of an entry whose table
// is bound (Dbf): each field of this entry's table refers to another entry
// of the same configuration. False with the message on a bad text; an empty
// text links nothing.
bool ParseArchiveConfig(TBaseArchive& entry, const std::string& text, std::string& msg);

// The number the next archive of this run is given at least: 1 from each
// start on, past those the archive list and folder hold.
int32_t& NextArchiveNumber();

class TArchiveConfigList {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TArchiveConfig* AddConfig();
  TArchiveConfig* GetConfig(int32_t index) const { return items_[static_cast<std::size_t>(index)].get(); }
  void DeleteConfig(int32_t index);
  TArchiveConfig* FindByID(int32_t id) const;
  void CopyTo(TArchiveConfigList& dest) const;
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TArchiveConfig>> items_;
};

}  // namespace vm
