// The databases a document works on, each under the document's alias:
// bound by USEDBASES to a configured database, with the key fields and the
// load filter the description gives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "config/registries.h"
#include "documents/runtime_objects.h"
#include "language/registry_context.h"

namespace vm {

class TUBL : public IProgramBase {
 public:
  TUBL(std::string alias, TDbaseStructure& structure);

  int FieldIndex(std::string_view name) const override { return fields_.FieldIndex(name); }
  char FieldType(int index) const override { return fields_.FieldType(index); }
  TCommonVar FieldValue(int index) const override { return fields_.FieldValue(index); }
  void SetFieldValue(int index, const TCommonVar& value) override { fields_.SetFieldValue(index, value); }

  const std::string Name;  // the document's alias, upper case
  TDbaseStructure& Structure;
  std::unique_ptr<TKeyCol> Keys;
  int32_t KeyCount = 0;
  std::string FilterText;
  // The ADDBASE block: runs for each record the document adds.
  TInstruction* AddProgram = nullptr;

 private:
  TRegistryBase fields_;
};

class TBaseList : public TOwningList<TUBL> {
 public:
  // Upper-cased alias, exact.
  TUBL* FindByAlias(std::string_view alias) const;
};

}  // namespace vm
