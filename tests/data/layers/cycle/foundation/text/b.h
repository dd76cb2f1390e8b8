#pragma once
#include "foundation/values/c.h"
