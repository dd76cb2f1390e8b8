// The "Архивация" page of the designer: archive configurations and the
// databases each one archives.
#pragma once

#include <string>
#include <vector>

#include "config/archive_config.h"
#include "documents/designer/designer_page.h"
#include "documents/designer/designer_rules.h"

namespace vm {

class TArchivePage : public TDesignerPage {
 public:
  using TDesignerPage::TDesignerPage;

  std::vector<std::string> ArchiveConfigNames() const;
  TArchiveConfig* CurrentArchive() const;
  int32_t CurrentArchiveIndex() const { return currentArchive_; }
  // An index outside the list shows none.
  void ShowArchiveConfig(int32_t index);
  // The grid's rows of the current configuration (six cells each).
  std::vector<std::vector<std::string>> ArchiveRows() const;
  // The grid's current row, 1-based (0: the header, nothing chosen).
  int32_t ArchiveRow = 0;
  bool AddArchiveConfig(const std::string& name);
  // Asks first; shows the one now at the deleted index (or the one before
  // when the last went).
  bool DeleteArchiveConfig();
  // Refused when another configuration has that name.
  bool RenameArchiveConfig(const std::string& name);
  // "Проверить": false with the failing row chosen and the message shown.
  bool CheckArchiveConfig();
  // What the entry dialog offers: for a new entry (editing false) or the
  // entry of the current row.
  TArchiveEntryDialog ArchiveEntryDialog(bool editing) const;
  bool AddArchiveEntry(const TArchiveEntryTexts& t);
  bool EditArchiveEntry(const TArchiveEntryTexts& t);
  // Asks first.
  bool DeleteArchiveEntry();
  void Enable(TDesignerEnabling& e) const;

 private:
  int32_t currentArchive_ = -1;
};

}  // namespace vm
