// "local.ini" put together from three versions of it, for programs that
// share one program directory (window programs on several displays): each
// keeps the workstation's settings in memory and writes them back at every
// commit and at its end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vm {

// What a save writes over a "local.ini" that holds theirs: this program's
// own text wherever it differs from seen (its own text when it last read or
// wrote the file), theirs everywhere else, so that what another program
// saved since, and this one left alone, stays. The file is taken piece by
// piece: each key of ОБЩИЕ and of ПРИНТЕР, each local auto-parameter, each
// document's window places, each panel's flag, and the page formats
// together. A piece deleted on one side and left alone on the other is
// deleted; one the other program added is added. The moment (ПОСЛ_ДАТА,
// ПОСЛ_ВРЕМЯ) is always the own text's, which the caller makes the later.
std::string MergeLocalSettings(std::string_view own, std::string_view seen, std::string_view theirs);

// The lines of the pieces own holds otherwise than seen or adds, and the
// first line of each it deleted (after "удалено "), trimmed, in the
// writer's order: what a save of own would change.
std::vector<std::string> ChangedLocalSettings(std::string_view own, std::string_view seen);

}  // namespace vm
