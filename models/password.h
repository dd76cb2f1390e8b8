// The access passwords: sixteen numbered levels, each either free or asked
// for until the right one is typed or the user gives up.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/scramble.h"

namespace vm {

// Asks the user for a password; nothing when the user cancelled.
using TPasswordPrompt = std::function<std::optional<std::string>()>;

// True when level (1..16) has no password or the right one was entered:
// the configured one in any letter case, or builtIn exactly when given.
// A wrong entry is told and asked again.
bool AskPassword(int32_t level, const TPasswordRecords &records, std::string_view builtIn,
                 const TPasswordPrompt &prompt);

// The program's own start-up password, accepted beside the configured one.
std::string StartUpBuiltInPassword();
// The same for "Служебные настройки" (level 12).
std::string DesignerBuiltInPassword();

}  // namespace vm
