// Files written under temporary names in a folder outside the data folder
// (a removable medium) that are to take their own names only when a commit
// of the data folder goes through, so that a crash never leaves them named
// while the commit is undone, nor the commit done with nothing named.
//
// A record in the data folder tells the folder and the names: written
// before the first temporary is made, saying that they go, and replaced in
// the commit (as one of its files) by one saying that they take their
// names. Settling the record does what it says and removes it: right after
// the commit, or after a crash once the interrupted commit is settled. A
// temporary that is to take its name is never removed: it may hold the
// only copy of what the commit took out of the data folder; while its
// folder is out of reach the record stays.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vm {

struct TPendingRenames {
  // The temporaries take their names; else they go.
  bool Finish = false;
  // With its trailing '/'.
  std::string Folder;
  // Names in Folder, in the order they are to be taken, each with the
  // temporary that takes it; while they go, every temporary of a name goes
  // and none is named.
  std::vector<std::pair<std::string, std::string>> Names;
};

// The record as its file holds it (Windows-1251 lines), and back; false
// for a text that is no such record or names anything but plain names and
// their own temporaries.
std::string EncodePendingRenames(const TPendingRenames& record);
bool DecodePendingRenames(std::string_view text, TPendingRenames& record);

// Whether the file at path holds a record (read into record).
bool ReadPendingRenames(const std::string& path, TPendingRenames& record);

// Settles the record at path, if there is one, unless a commit of its
// folder is still to be recovered. False while the record stays; each
// message (Windows-1251) says what was done, for "Errors.log".
bool SettlePendingRenames(const std::string& path, std::vector<std::string>& messages);

}  // namespace vm
