#include "models/password.h"

#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

// Kept scrambled so that it cannot be read from the program's bytes.
constexpr uint8_t kStartUpScrambled[] = {0x2c, 0x3f, 0x36, 0x35, 0x37, 0x3b, 0x28, 0x68, 0x6a};
constexpr uint8_t kDesignerScrambled[] = {0x3e, 0x3f, 0x29, 0x33, 0x3d, 0x34, 0x3f, 0x28, 0x6b, 0x68};
constexpr uint8_t kScrambleKey = 0x5a;

}  // namespace

template <std::size_t N>
std::string Unscramble(const uint8_t (&bytes)[N]) {
  std::string s;
  for (uint8_t b : bytes) s += static_cast<char>(b ^ kScrambleKey);
  return s;
}

std::string StartUpBuiltInPassword() { return Unscramble(kStartUpScrambled); }

std::string DesignerBuiltInPassword() { return Unscramble(kDesignerScrambled); }

bool AskPassword(int32_t level, const TPasswordRecords &records, std::string_view builtIn,
                 const TPasswordPrompt &prompt) {
  if (level < 1 || level > 16) return false;
  while (true) {
    std::string stored;
    UnpackPassword(records[static_cast<std::size_t>(level - 1)], level, stored);
    if (stored.empty()) return true;
    const std::optional<std::string> entry = prompt();
    if (!entry) return false;
    if (!builtIn.empty() && *entry == builtIn) return true;
    // Stored passwords are kept trimmed, so blanks typed around one must
    // not refuse it.
    std::string upper = TrimBlanks(*entry);
    MakeUpperCase(upper);
    if (upper == stored) return true;
    Ui().MsgBox("Неверный пароль !"_w, "Ошибка ввода пароля"_w, kMbError);
  }
}

}  // namespace vm
