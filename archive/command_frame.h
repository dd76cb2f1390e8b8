// What the archive commands share around their steps: the exception frame
// that turns anything raised into a failure, and the work folder emptied.
#pragma once

#include <exception>
#include <string>

namespace vm {

template <typename Body>
bool Guarded(Body body) {
  try {
    return body();
  } catch (const std::exception&) {
    return false;
  }
}

// Every file in workDir and its "FILES/" folder of unpacked files.
void ClearWorkFolder(const std::string& workDir);

}  // namespace vm
