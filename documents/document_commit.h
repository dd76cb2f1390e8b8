// The commit of a document run: the results written into the databases,
// all of them or none. The tables the run ordered for saving are worked out
// in memory, written whole beside their files and renamed in together under
// the commit journal, so a failure or a crash on the way leaves every table
// as it was before the commit (or, once all are in, as it is after it).
#pragma once

#include <cstdint>
#include <string>

#include "documents/compiled_document.h"

namespace vm {

// The bases SAVEBASE named, each once, in the order of its last SAVEBASE,
// as one change. False, with what went wrong, when any could not be
// written; every table is then as it was.
bool CommitBases(TBaseList& bases, std::string& failure);

// "При выполнении операции были ошибки! Результаты не будут сохранены!"
// under "Внимание!" with the given flags.
void ReportResultsNotSaved(uint32_t flags);

// After a run without errors: the auto-parameters copied back, the bases
// committed, NO_OPERAT moved on, "manager.ini" and "local.ini" saved. After
// a run error (or a break) nothing is written and the user is told. False
// when nothing was committed or a save failed (the user has been told).
bool CommitDocument(TCompiledDocument& doc);

}  // namespace vm
