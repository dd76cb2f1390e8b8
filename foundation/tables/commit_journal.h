// A change to several tables that must land whole: either every table takes
// its new state or none does, even when the process dies half-way.
//
// The caller plans the changes first: a table written anew goes to the file
// NewFileFor gives beside it (written whole and closed by the caller), a
// table that only grows gets its records appended in place. Begin writes a
// small journal file ("$COMMIT$.JNL" in the tables' folder) and makes it
// durable before the first table changes; it holds, for each table, the
// renames to make or the header, size and tail the table had before its
// appends. Then the caller appends, Replace renames the new tables in (each
// old one kept as a backup), and Finish makes the appends and renames
// durable and removes the journal, which decides the commit, then drops the
// backups. Any failure on the way: RollBack.
//
// The syncs are those the guarantee needs and no more: each new file and
// each appended table, the journal, the journal's folder once the journal is
// in it, each folder of a rename once the renames are done, and the
// journal's folder once more after its removal, before the backups go
// (the file system need not keep unlinks in order).
//
// A process that dies leaves the journal behind; RecoverInterruptedCommit,
// run under the database lock at start-up and before each document run,
// then brings every table of that commit back to its state before it, or,
// when the journal was marked done (one that could not be removed), completes
// it. All files of one commit lie in one folder or in its direct subfolders
// (the archive files beside the tables they were cut from). Without a
// journal it clears the new files and backups a dead commit left beside the
// tables, settings files and archive list, or beside the archive files of a
// subfolder, and nothing else: the folder may hold the user's own files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace vm {

inline constexpr const char* kCommitJournalName = "$COMMIT$.JNL";

class TCommitJournal {
 public:
  // dir: the folder of the tables, with its trailing separator.
  explicit TCommitJournal(std::string dir);
  // A commit begun and not finished is rolled back.
  ~TCommitJournal();
  TCommitJournal(const TCommitJournal&) = delete;
  TCommitJournal& operator=(const TCommitJournal&) = delete;

  // Plans a table written anew: the path its new content is to be written
  // to; "" when the table lies in another folder or is planned already.
  std::string NewFileFor(const std::string& target);
  // The file at a path NewFileFor gave, made afresh (whatever a dead commit
  // left at the name goes first, and nothing is written through a link)
  // and written unsynced: Begin makes it durable. nullptr when it cannot be
  // made.
  static std::unique_ptr<File> MakeNewFile(const std::string& path);
  // Plans a file to go: Replace moves it aside, Finish removes it, a roll
  // back puts it back. False when it is not there or lies elsewhere.
  bool PlanRemove(const std::string& target);
  // Plans appends to a table in place: its header, size and tail are read
  // now, so the table must not be open for writing yet. False when it
  // cannot be read or is planned already.
  bool PlanAppend(const std::string& target);

  // Makes the new files durable and writes the journal; the tables may
  // change only after it returned true.
  bool Begin();
  // Renames every new table in, each old one to its backup. On a failure
  // everything is rolled back and the result is false.
  bool Replace();
  // Makes the appends and renames durable, removes the journal (or, when it
  // will not go, marks it done) and then the backups. On a failure before
  // that everything is rolled back. The caller has closed its tables.
  bool Finish();
  // Every table back to its state before Begin; new files removed; the
  // journal removed when all went well (else it stays for the next start).
  // The caller closes its tables first: an open one cannot be restored.
  bool RollBack();

  bool Begun() const { return begun_; }
  // What went wrong last (Windows-1251), for the caller's message.
  const std::string& Failure() const { return failure_; }

  struct Entry {
    bool Append = false;
    bool Remove = false;
    std::string Name;  // the table's file name in the folder, or "SUB/NAME"
    // Appends in place: what the table was before them.
    int64_t OldSize = 0;
    std::string OldHeader;  // the first 32 bytes
    int64_t TailPos = 0;
    std::string OldTail;  // the bytes from the end of the records to OldSize
  };

 private:
  bool WriteJournal(bool done);
  bool Fail(std::string what);
  // The entry's name for a target in the folder or a direct subfolder; ""
  // elsewhere or when it is planned already.
  std::string PlanName(const std::string& target) const;

  std::string dir_;
  std::vector<Entry> entries_;
  bool begun_ = false;
  bool replaced_ = false;
  std::string failure_;
};

enum class TRecoveryResult {
  None,        // no interrupted commit
  RolledBack,  // every table back to its state before the commit
  Completed,   // the commit had finished its changes; it is completed
  Failed,      // the journal could not be read or a table not restored
};

// Recovers the commit a dead process left in dir. Each message (Windows-1251)
// says what was done, for "Errors.log".
TRecoveryResult RecoverInterruptedCommit(const std::string& dir,
                                         std::vector<std::string>& messages);

}  // namespace vm
