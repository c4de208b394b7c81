#pragma once
// Fixture of the layer check: an include that runs up.
#include "registration/VisitData.h"
