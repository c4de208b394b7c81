#pragma once
// Fixture of the layer check: a core file using a window helper.
#include "common/ui/MessageBoxes.h"
