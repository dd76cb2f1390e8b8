// One change to the data folder of the deletion, restore and backup
// commands, landed whole under the commit journal: files moved in from the
// work folder (each replacing its target or new) and files removed. A
// failure, or a crash at any moment, leaves the folder all before or all
// after.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vm {

struct TDataCommit {
  // (finished file in the work folder, its place in the data folder).
  std::vector<std::pair<std::string, std::string>> Moves;
  std::vector<std::string> Removes;
};

// dir: the data folder; every target lies in it or in a direct subfolder.
// False, with nothing changed, on any failure (noted in "Errors.log").
bool CommitDataFiles(const std::string& dir, const TDataCommit& plan);

}  // namespace vm
