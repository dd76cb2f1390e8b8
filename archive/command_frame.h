// What the archive commands share around their steps: the exception frame
// that turns anything raised into a failure, and the work folder emptied.
#pragma once

#include <exception>
#include <string>

namespace vm {

// Writes the fault raised in a command to "Errors.log" under the command's
// caption and returns its text in Russian where the fault itself has none.
std::string NoteFault(const std::string& caption, const std::exception& e);

// The frame of a command's working steps: anything raised ends them as a
// failure. The general failure message alone leaves the user and the
// administrator guessing, so the fault's own text is logged and kept in
// fault for the final message.
template <typename Body>
bool Guarded(const std::string& caption, std::string& fault, Body body) {
  try {
    return body();
  } catch (const std::exception& e) {
    fault = NoteFault(caption, e);
    return false;
  }
}

// A command's final message: the outcome, and under it the fault that made
// the command fail, when one was raised.
std::string WithFault(const std::string& outcome, const std::string& fault);

// A fault raised outside a command's own frame ends the command all the
// same, but is logged and shown under the command's caption, not lost.
void SayFault(const std::string& caption, const std::exception& e);

// Every file in workDir and its "FILES/" folder of unpacked files.
void ClearWorkFolder(const std::string& workDir);

}  // namespace vm
