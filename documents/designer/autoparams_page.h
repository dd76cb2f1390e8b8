// The "Автопараметры" page of the designer.
#pragma once

#include <string>
#include <vector>

#include "documents/designer/designer_page.h"

namespace vm {

class TAutoParamsPage : public TDesignerPage {
 public:
  using TDesignerPage::TDesignerPage;

  std::vector<std::string> AutoParamNames() const;
  int32_t AutoParamRow = 0;
  bool AddAutoParam(const std::string& name, const std::string& value, const std::string& typeName);
  bool DeleteAutoParam();
  void ChangeAutoParam(const std::string& value, bool local);
  void Enable(TDesignerEnabling& e) const;
};

}  // namespace vm
