#pragma once
// Held while a shared file is re-read, changed and written back: calling it waits for the
// lock and returns what releases it when the last copy is gone. Throws lobrix::Error when
// the lock cannot be had.
#include <functional>
#include <memory>

namespace lobrix {

using WriteLock = std::function<std::shared_ptr<void>()>;

} // namespace lobrix
