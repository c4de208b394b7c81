#pragma once
#include "shell/TextFile.h"
namespace lobrix {
using shell::TextFile;
}
