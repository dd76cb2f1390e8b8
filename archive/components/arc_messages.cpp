#include "archive/components/arc_messages.h"

#include "archive/components/arc_types.h"

namespace vm {

std::string_view ArcMessageText(int code) {
  switch (code) {
    case kErrWriting: return "Error writing to file";
    case kErrClosing: return "Error closing file";
    case kErrCrc: return "File fails CRC check";
    case kErrInvalidDir: return "Invalid directory";
    case kErrDiskFull: return "Disk full";
    case kErrNotAccessible: return "is not accessible";
    case kErrWriteProtected: return "disk is write protected";
    case kErrFileNotFound: return "File not found";
    case kErrOpening: return "Error opening file";
    case kErrArcType: return "Invalid or unsupported archive type for this operation";
    case kErrNothingToDo: return "Nothing to do";
    case kErrNoEvent: return "Required event not assigned";
    case kErrNoProperty: return "Required property not assigned";
    case kErrMethod: return "Unsupported compression method";
    case kErrUnsafePath: return "Unsafe file name";
    case kErrCanceled: return "User canceled";
    case kErrPassword: return "Invalid password";
    case kErrNothingToDelete: return "Nothing to do";
    case kErrCreateDir: return "Directory does not exist... Create?";
    default: return {};
  }
}

bool IsPkwareGroup(TArcType t) {
  switch (t) {
    case atBh: case atBhExe: case atJar: case atJarExe: case atZip: case atZipExe: case atZipDS:
    case atZipMV:
      return true;
    default:
      return false;
  }
}

bool IsGarbleGroup(TArcType t) { return t == atArj || t == atArjExe; }

}  // namespace vm
