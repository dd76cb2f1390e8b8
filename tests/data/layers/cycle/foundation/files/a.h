#pragma once
#include "foundation/text/b.h"
