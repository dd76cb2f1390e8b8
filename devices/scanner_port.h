// The document's barcode scanner port, worked through the scanner services
// with the port settings of this workstation.
#pragma once

#include "config/serial_record.h"

namespace vm {

// Makes and opens the port on first use, then lets its lines through.
void OpenScanner(const TSerialRecord& settings);
// Frees the port when there is one.
void CloseScanner();
// At the end of a run and by OPENBARSCANER(0): the port is freed when the
// settings say to close it after use, else only silenced.
void ReleaseScanner(const TSerialRecord& settings);

}  // namespace vm
