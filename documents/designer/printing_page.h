// The "Печать" page of the designer: the page formats and the default one.
#pragma once

#include <string>
#include <vector>

#include "documents/designer/designer_page.h"

namespace vm {

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
  // format; true when they were taken.
  bool EditPageFormat();
  // A comma would split the stored "name,data" form, so it becomes a point.
  void RenamePageFormat(const std::string& text);
  void MakeDefaultFormat();
  void Enable(TDesignerEnabling& e) const;
};

}  // namespace vm
