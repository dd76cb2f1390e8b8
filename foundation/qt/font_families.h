// Blanks and settings name Windows font families. Each is drawn with its
// metric-compatible free font, so text widths, and every layout computed
// from them, match what the blank's author saw.
#pragma once

#include <QFont>
#include <QString>
#include <string_view>

namespace vm {

// "Times New Roman" -> "Liberation Serif"; "Arial", "MS Sans Serif" and the
// other sans families -> "Liberation Sans"; "Courier New" -> "Liberation
// Mono"; any other name as it stands. Compared without regard to case.
QString MapFontFamily(std::string_view family);

// A font of that family whose character height (the em, without internal
// leading) is pixels.
QFont FontForFamily(std::string_view family, int pixels, bool bold = false);

// Makes the family the forms were designed in ("MS Sans Serif", 11 pixels)
// the application's font, so that the fixed sizes of the dialogs fit their
// texts. Call once the application object exists.
void UseFormFont();

}  // namespace vm
