#include "archive/data_commit.h"

#include "foundation/files/fileutils.h"
#include "foundation/tables/commit_journal.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

bool CommitDataFiles(const std::string& dir, const TDataCommit& plan) {
  TCommitJournal journal(dir);
  bool ok = true;
  for (const auto& [from, to] : plan.Moves) {
    const std::string path = journal.NewFileFor(to);
    ok = ok && !path.empty() && (Files().Rename(from, path) || CopyFileOver(from, path));
  }
  for (const std::string& target : plan.Removes) ok = ok && journal.PlanRemove(target);
  ok = ok && journal.Begin() && journal.Replace() && journal.Finish();
  if (!ok) {
    journal.RollBack();
    if (!journal.Failure().empty()) Ui().LogError(journal.Failure());
  }
  return ok;
}

}  // namespace vm
