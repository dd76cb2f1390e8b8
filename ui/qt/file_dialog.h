// Qt's own file dialog as the program opens it: its columns in Russian
// words and figures, and large enough to show each column whole.
#pragma once

#include <QFileDialog>

namespace vm {

// Readies a dialog before it is shown: Qt's widget dialog in its detail
// view, the type, size and date of each file written in Russian, and a size
// that shows every column whole within the screen.
void PrepareFileDialog(QFileDialog& dialog);

}  // namespace vm
