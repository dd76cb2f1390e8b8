# Writes a C++ source whose function returns the text of a file, so that a
# program we start (the spreadsheet helper) travels inside the binary and
# nothing has to be installed beside it. Run by the build whenever the file
# changes:
#   cmake -DSOURCE=<file> -DOUTPUT=<source to write> -DHEADER=<header declaring
#         the function> -DFUNCTION=<qualified name> -P embed-text.cmake
foreach(var SOURCE OUTPUT HEADER FUNCTION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed-text.cmake needs -D${var}=")
  endif()
endforeach()

# Byte by byte: the text holds UTF-8, backslashes and quotes that no raw
# string delimiter has to be chosen around.
file(READ "${SOURCE}" hex HEX)
string(REGEX REPLACE "(................................)" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
cmake_path(GET SOURCE FILENAME name)

file(WRITE "${OUTPUT}" "// Made by the build from ${name}: edit that file, not this one.
#include \"${HEADER}\"

namespace {

const char kText[] = {
${bytes}
'\\0'};

}  // namespace

const char* ${FUNCTION}() { return kText; }
")
