#pragma once
#include "ui/qt/a.h"
#include "output/qt/b.h"
