#pragma once
#include "ui/qt/a.h"
