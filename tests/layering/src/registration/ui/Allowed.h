#pragma once
// Fixture of the layer check: includes that run down, never reported.
#include "common/ui/MessageBoxes.h"
#include "registration/VisitData.h"
#include "shell/ui/TMain.h"
