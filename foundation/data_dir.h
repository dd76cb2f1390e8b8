// The data directory: where the databases and the shared settings files
// lie, with its trailing separator. Start-up decides it.
#pragma once

#include <string>

namespace vm {

const std::string& DataDir();
void SetDataDir(std::string dir);

}  // namespace vm
