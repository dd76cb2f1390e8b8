// The numbered messages of the archive components (their library's string
// table), reported through OnError. Only the entries the components use are
// held; an unknown number gives an empty text.
#pragma once

#include <string_view>

namespace vm {

enum ArcMessage : int {
  kErrWriting = 25136,          // "Error writing to file"
  kErrClosing = 25138,          // "Error closing file"
  kErrCrc = 25151,              // "File fails CRC check"
  kErrInvalidDir = 25158,       // "Invalid directory"
  kErrDiskFull = 25160,         // "Disk full"
  kErrNotAccessible = 25170,    // "is not accessible"
  kErrWriteProtected = 25171,   // "disk is write protected"
  kErrFileNotFound = 25192,     // "File not found"
  kErrOpening = 25235,          // "Error opening file"
  kErrArcType = 25244,          // "Invalid or unsupported archive type for this operation"
  kErrNothingToDo = 25268,      // "Nothing to do"
  kErrNoEvent = 25270,          // "Required event not assigned"
  kErrNoProperty = 25271,       // "Required property not assigned"
  kErrMethod = 25326,           // "Unsupported compression method"
  kErrUnsafePath = 25327,       // "Unsafe file name": a member that would land outside ExtractDir
  kErrCanceled = 25443,         // "User canceled"
  kErrPassword = 26517,         // "Invalid password"
  kErrNothingToDelete = 26859,  // "Nothing to do"
  kErrCreateDir = 26899,        // "Directory does not exist... Create?"
};

std::string_view ArcMessageText(int code);

}  // namespace vm
