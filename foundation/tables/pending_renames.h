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

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

struct TPendingName {
  // A volume's name ("Delarch." and its number).
  std::string Name;
  // The temporary that takes it ("" while they go).
  std::string Temp;
  // The size and CRC-32 of what the temporary holds, by which a file at the
  // name is known to be that one and not another set's; Size is -1 in a
  // record written before they were kept, where any file at the name counts.
  int64_t Size = -1;
  uint32_t Sum = 0;
};

struct TPendingRenames {
  // The temporaries take their names; else they go.
  bool Finish = false;
  // An absolute path with its trailing '/'.
  std::string Folder;
  // Names in Folder, in the order they are to be taken; while they go,
  // every temporary of a name goes and none is named.
  std::vector<TPendingName> Names;
};

// The record as its file holds it (Windows-1251 lines), and back; false
// for a text that is no such record: a folder that is no absolute path, a
// name that is no volume's, or a temporary that is not exactly its name's.
std::string EncodePendingRenames(const TPendingRenames& record);
bool DecodePendingRenames(std::string_view text, TPendingRenames& record);

// Takes the size and sum of what the temporary of `name` in folder holds;
// false when it cannot be read.
bool MarkPendingName(const std::string& folder, TPendingName& name);

// Whether the file at path holds a record (read into record). When
// something stands there that is none, `fault` (if given) says so, naming
// the path, for "Errors.log" and for the refusal of a new record.
bool ReadPendingRenames(const std::string& path, TPendingRenames& record, std::string* fault = nullptr);

// Settles the record at path, if there is one, unless a commit of its
// folder is still to be recovered. False while the record stays; each
// message (Windows-1251) says what was done, for "Errors.log". Something
// at path that holds no record stays as it is, and so does every file:
// it may be the only pointer to a deleted period's volumes.
bool SettlePendingRenames(const std::string& path, std::vector<std::string>& messages);

// Whether a temporary of that name is one the record at path may still
// have to name, so that no sweep of leftovers takes it: one a record names,
// or any volume's while something unreadable stands at path.
std::function<bool(std::string_view name)> PendingTemporaries(const std::string& path);

}  // namespace vm
