#pragma once
#include "foundation/files/a.h"
