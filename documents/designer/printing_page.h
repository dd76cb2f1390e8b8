// The "Печать" page of the designer: the page formats and the default one.
#pragma once

#include <string>
#include <vector>

#include "documents/designer/designer_page.h"

namespace vm {

// How "Формат" ended: without a printer there are no page settings to
// edit, which the user is told.
enum class TFormatEdit { Edited, Cancelled, NoPrinter };

class TPrintingPage : public TDesignerPage {
 public:
  using TDesignerPage::TDesignerPage;

  std::vector<std::string> PageFormatNames() const;
  int32_t FormatIndex = -1;
  // A "Новый формат" with the settings of the chosen printer; it becomes
  // the selected one.
  void AddPageFormat();
  void DeletePageFormat();
  // The driver's page settings of the chosen printer for the selected
  // format, taken when the user confirms them.
  TFormatEdit EditPageFormat();
  // A comma would split the stored "name,data" form, so it becomes a point.
  void RenamePageFormat(const std::string& text);
  void MakeDefaultFormat();
  // The default format as documents are compiled against it: the working
  // format its name finds, or word that none is found, so that a name
  // left behind by a deleted or renamed format is not taken for one.
  std::string DefaultFormatText() const;
  void Enable(TDesignerEnabling& e) const;
};

}  // namespace vm
