#pragma once
#include <vector>
#include "output/qt/b.h"
#include "ui/qt/designer/c.h"
#include <platform/d.h>
