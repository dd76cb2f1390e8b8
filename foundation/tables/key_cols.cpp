#include "foundation/tables/key_cols.h"

namespace vm {

TKeyCol* FindKeyCol(TKeyCol* list, int32_t n) {
  for (TKeyCol* k = list; k; k = k->Next.get())
    if (k->Number == n) return k;
  return nullptr;
}

TKeyCol* AddKeyCol(std::unique_ptr<TKeyCol>& list, int32_t& count) {
  if (!list) count = 0;
  std::unique_ptr<TKeyCol>* slot = &list;
  while (*slot) slot = &(*slot)->Next;
  *slot = std::make_unique<TKeyCol>();
  ++count;
  return slot->get();
}

void FreeKeyCols(std::unique_ptr<TKeyCol>& list, int32_t& count) {
  while (list) list = std::move(list->Next);
  count = 0;
}

void CopyKeyCols(const TKeyCol* src, std::unique_ptr<TKeyCol>& dst, int32_t& count) {
  FreeKeyCols(dst, count);
  for (const TKeyCol* k = src; k; k = k->Next.get()) {
    TKeyCol* copy = AddKeyCol(dst, count);
    copy->Number = k->Number;
    copy->Kind = k->Kind;
  }
}

}  // namespace vm
