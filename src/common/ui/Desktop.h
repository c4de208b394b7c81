#pragma once
// Opening files and links with the desktop's programs (manual, external print documents,
// e-mail and web links). Tests replace the opener to see what would be opened.
#include <QUrl>

#include <functional>

namespace lobrix::ui {

class Desktop {
public:
    // False when the desktop could not open it.
    static bool open(const QUrl &url);
    static void setOpener(std::function<bool(const QUrl &)> opener);
};

} // namespace lobrix::ui
