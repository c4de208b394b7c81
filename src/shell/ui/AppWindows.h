#pragma once
// Every window of the program, created once at start in a fixed order, the main window
// first (its creation reads the folders and settings the others need). Adding a window
// is one line in the constructor.
#include <QString>

#include <memory>

class QWidget;

namespace lobrix {
class Clock;
}

namespace lobrix::registration {
class TBesucher;
class TKalender;
}

namespace lobrix::shell {

class TInfo;
class TMain;
class TStart;

class AppWindows {
public:
    AppWindows(const QString &startFolder, const Clock &clock);
    ~AppWindows();
    AppWindows(const AppWindows &) = delete;
    AppWindows &operator=(const AppWindows &) = delete;

    TMain *main = nullptr;
    registration::TBesucher *besucher = nullptr;
    TStart *start = nullptr;
    registration::TKalender *kalender = nullptr;
    TInfo *info = nullptr;

private:
    // The other windows are children of the main window, which owns them.
    template <typename W, typename... Args> W *add(Args &&...args);
    std::unique_ptr<TMain> m_main;
};

} // namespace lobrix::shell
