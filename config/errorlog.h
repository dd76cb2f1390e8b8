// "Errors.log" in the program directory: problems found by the database
// checks and run-time errors of documents, appended. Each run that logs
// anything heads its lines with the date and time once.
#pragma once

#include <string>

namespace vm {

// Appends "  " + msg as one line. A log that cannot be written is ignored.
void LogError(const std::string& msg);

// Closes the log; the next message of the run opens it again without a new
// heading.
void CloseErrorLog();

// Forgets that the heading was written, as if a new run began (tests).
void ResetErrorLogRun();

}  // namespace vm
