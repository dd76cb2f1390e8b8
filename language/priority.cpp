#include "language/priority.h"

#include <sys/resource.h>

namespace vm {

namespace {

constexpr int kHighNice = -10;
constexpr int kNormalNice = 0;

}  // namespace

void SetHighPriority() { setpriority(PRIO_PROCESS, 0, kHighNice); }

void SetNormalPriority() { setpriority(PRIO_PROCESS, 0, kNormalNice); }

}  // namespace vm
