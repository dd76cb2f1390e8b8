// The process priority that HIGHPRIOR switches. Failures (a user may not
// raise the priority) change nothing and are not reported.
#pragma once

namespace vm {

void SetHighPriority();
void SetNormalPriority();

}  // namespace vm
