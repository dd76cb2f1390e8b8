#include "platform/scanner.h"

namespace vm {

namespace {
ScannerServices gHeadless;
ScannerServices* gInstalled = nullptr;
}  // namespace

ScannerServices& Scanner() { return gInstalled ? *gInstalled : gHeadless; }

void InstallScannerServices(ScannerServices* services) { gInstalled = services; }

}  // namespace vm
