// The message box every message of the system goes through: text and
// caption (Windows-1251), the icon and buttons of the flags, the default
// button, and the code of the button pressed.
#pragma once

#include <cstdint>
#include <string>

class QWidget;

namespace vm {

// Flags: buttons in the low four bits (0 OK, 1 OK and Cancel, 3 Yes, No and
// Cancel, 4 Yes and No), the icon in 0x70 (0x10 error, 0x20 question, 0x30
// warning, 0x40 information), 0x100 makes the second button the default and
// 0x200 the third. Returns 1 OK, 2 Cancel, 6 Yes or 7 No.
int32_t ShowMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                       uint32_t flags);

}  // namespace vm
