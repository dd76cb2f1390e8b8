// The process priority that HIGHPRIOR switches. Raised, every thread of the
// program runs at nice -10 and the calling thread, which runs the
// documents, at -14; where the system allows less (an ordinary user's
// RLIMIT_NICE, no CAP_SYS_NICE) each goes as far as it allows, which may
// be nowhere. Failures are not reported.
#pragma once

namespace vm {

void SetHighPriority();
// Every thread back to the nice value it had when first raised; threads
// started since go to the one the process had.
void SetNormalPriority();

}  // namespace vm
