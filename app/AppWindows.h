#pragma once
// Every window of the program, created once at start in a fixed order, the main window
// first (its creation reads the folders and settings the others need). Each subsystem's
// windows are created and connected by one function of their own; adding a window is one
// line there.
#include <QString>

#include <memory>

namespace lobrix {
class Clock;
}

namespace lobrix::registration {
class TBesucher;
class TKalender;
class TStammBrowse;
class TVoranmeldung;
}

namespace lobrix::layouts {
class TBadgeDesign;
class TQuittungDesign;
}

namespace lobrix::records {
class TBerichtErstellen;
class TBerichte;
class TEditieren;
class TLoeschen;
}

namespace lobrix::shell {
class TBesuchsziele;
class TEinstellungen;
class TInfo;
class Startup;
class TMain;
class TStart;
}

namespace lobrix::app {

class AppWindows {
public:
    AppWindows(const QString &startFolder, const Clock &clock);
    ~AppWindows();
    AppWindows(const AppWindows &) = delete;
    AppWindows &operator=(const AppWindows &) = delete;

    shell::TMain *main = nullptr;
    registration::TBesucher *besucher = nullptr;
    shell::TStart *start = nullptr;
    registration::TKalender *kalender = nullptr;
    registration::TStammBrowse *stammBrowse = nullptr;
    registration::TVoranmeldung *voranmeldung = nullptr;
    shell::TInfo *info = nullptr;
    shell::TBesuchsziele *besuchsziele = nullptr;
    shell::TEinstellungen *einstellungen = nullptr;
    layouts::TBadgeDesign *badgeDesign = nullptr;
    layouts::TQuittungDesign *sheetDesign = nullptr;
    records::TBerichtErstellen *berichtErstellen = nullptr;
    records::TBerichte *berichte = nullptr;
    records::TEditieren *editieren = nullptr;
    records::TLoeschen *loeschen = nullptr;

private:
    void addShellWindows();
    void addRegistrationWindows(const Clock &clock);
    void connectLayouts();
    void addRecordsWindows(const Clock &clock);

    // The other windows are children of the main window, which owns them.
    template <typename W, typename... Args> W *add(Args &&...args);
    std::unique_ptr<shell::Startup> m_startup; // before the main window, which uses it
    std::unique_ptr<shell::TMain> m_main;
};

} // namespace lobrix::app
