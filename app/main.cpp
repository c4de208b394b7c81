// Program start: one copy per workstation, German texts and fonts, then the windows.
#include "common/Clock.h"
#include "common/Error.h"
#include "shell/SingleInstanceLock.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/LobrixApplication.h"
#include "shell/ui/MessageBoxes.h"
#include "shell/ui/TMain.h"

#include <QDir>

#include <memory>

using namespace lobrix;

int main(int argc, char **argv)
{
    shell::LobrixApplication app(argc, argv);

    shell::SingleInstanceLock instance;
    if (!instance.tryLock()) {
        shell::MessageBoxes::show(nullptr, QStringLiteral("Programm kann nur einmal pro "
                                                          "Arbeitsplatz gestartet werden!"));
        return 0;
    }

    std::unique_ptr<shell::AppWindows> windows;
    try {
        windows = std::make_unique<shell::AppWindows>(QDir::currentPath(), systemClock());
    } catch (const Error &e) {
        shell::MessageBoxes::error(nullptr, e.message());
        return 1;
    } catch (const std::exception &e) {
        shell::MessageBoxes::error(nullptr, QString::fromLocal8Bit(e.what()));
        return 1;
    }
    if (windows->main->creationFailed())
        return 1;
    windows->main->showMaximized();
    return app.exec();
}
