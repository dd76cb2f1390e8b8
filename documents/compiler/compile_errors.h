// Compile errors of document descriptions: the numbered texts, the message
// the user sees ("Ошибка в строке N: " + text), and the error that a step of
// the document compiler raises to stop the compilation. The raised error
// never leaves the compiler: CompileDocument catches it and returns codes.
#pragma once

#include <string>
#include <string_view>

namespace vm {

// Codes with a message of another component, and the two parameter errors.
inline constexpr int kCeMessage = -1;        // message text as prepared
inline constexpr int kCeProgramMessage = -2;  // the same, without a line prefix
inline constexpr int kCeUnknownParam = 256;
inline constexpr int kCeParamNotAllowed = 257;
inline constexpr int kCeUnknown = 65535;

struct TCompileError {
  int Code = 0;
  // The keyword of 256 and 257, or the whole text of -1 and -2.
  std::string Message;
};

[[noreturn]] void RaiseCompileError(int code, std::string message = {});

// The fixed text of codes 1..137; empty for any other code.
std::string_view CompileErrorFixedText(int code);

// The message of an error found at line (1-based; -1 after the last line).
std::string CompileErrorMessage(int code, int line, std::string_view message);

}  // namespace vm
