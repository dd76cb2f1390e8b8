#pragma once
#include "foundation/qt/f.h"
