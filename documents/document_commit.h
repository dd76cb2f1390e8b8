// The commit of a document run: the auto-parameters, the databases (all of
// them or none, TBaseList::WriteSavedBases), the operation number and the
// settings files.
#pragma once

#include <cstdint>
#include <string>

#include "documents/compiled_document.h"

namespace vm {

// "При выполнении операции были ошибки! Результаты не будут сохранены!"
// under "Внимание!" with the given flags.
void ReportResultsNotSaved(uint32_t flags);

// After a run without errors: the auto-parameters copied back, the bases
// committed, NO_OPERAT moved on, "manager.ini" and "local.ini" saved. After
// a run error (or a break) nothing is written and the user is told. False
// when nothing was committed or a save failed (the user has been told).
bool CommitDocument(TCompiledDocument& doc);

}  // namespace vm
