#include "foundation/data_dir.h"

namespace vm {

namespace {
std::string gDataDir;
}  // namespace

const std::string& DataDir() { return gDataDir; }

void SetDataDir(std::string dir) { gDataDir = std::move(dir); }

}  // namespace vm
