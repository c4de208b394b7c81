#pragma once
// Moved to common/TextFile.h; kept until every caller includes that.
#include "common/TextFile.h"
namespace lobrix::shell {
using lobrix::TextFile;
}
