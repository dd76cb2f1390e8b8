// What the "Автопараметры" tab does to the working auto-parameters.
#include "documents/designer/autoparams_page.h"

#include <algorithm>

#include "documents/designer/designer.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"

namespace vm {

std::vector<std::string> TAutoParamsPage::AutoParamNames() const {
  std::vector<std::string> out;
  for (int32_t i = 0; i < d_.AutoParams.Count(); ++i) out.push_back(d_.AutoParams.GetItem(i)->Name);
  return out;
}

bool TAutoParamsPage::AddAutoParam(const std::string& name, const std::string& value,
                                   const std::string& typeName) {
  if (!AutoParamAcceptable(name, typeName, value, AutoParamNames(), -1)) return false;
  TAPar* p = d_.AutoParams.AddNew();
  p->Name = UpperStr(name);
  p->ValueText = value;
  p->Kind = KindOfTypeName(typeName);
  p->Local = true;
  AutoParamRow = d_.AutoParams.Count() - 1;
  return true;
}

bool TAutoParamsPage::DeleteAutoParam() {
  TAPar* p = d_.AutoParams.GetItem(AutoParamRow);
  if (!p) return false;
  if (!AskYesNo("Вы действительно хотите удалить автопараметр "_w + p->Name + "?",
                "Удаление автопараметра"_w))
    return false;
  d_.AutoParams.DeleteItem(AutoParamRow);
  AutoParamRow = std::max(0, std::min(AutoParamRow, d_.AutoParams.Count() - 1));
  return true;
}

void TAutoParamsPage::ChangeAutoParam(const std::string& value, bool local) {
  if (TAPar* p = d_.AutoParams.GetItem(AutoParamRow)) {
    p->ValueText = value;
    p->Local = local;
  }
}

void TAutoParamsPage::Enable(TDesignerEnabling& e) const {
  e.AutoParamDelete = e.AutoParamChange = d_.AutoParams.GetItem(AutoParamRow) != nullptr;
}

}  // namespace vm
