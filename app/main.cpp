// Program start: one copy per workstation, German texts and fonts, then the windows.
#include "common/Clock.h"
#include "common/Error.h"
#include "shell/SingleInstanceLock.h"
#include "app/AppWindows.h"
#include "shell/ui/LobrixApplication.h"
#include "common/ui/MessageBoxes.h"
#include "shell/ui/TMain.h"

#include <QDir>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace lobrix;

int main(int argc, char **argv)
{
    // Before any window system is needed: a package check runs it without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("lobrix %s\n", LOBRIX_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Aufruf: lobrix [STARTORDNER]\n"
                        "Besucherverwaltung Lobrix: startet im Startordner (Vorgabe: der aktuelle Ordner).\n\n"
                        "  -h, --help   diese Hilfe\n"
                        "  --version    die Version\n\n"
                        "Einrichten und Verwalten ohne Fenster: lobrix-admin --help\n");
            return 0;
        }
    }
    shell::LobrixApplication app(argc, argv);

    shell::SingleInstanceLock instance;
    if (!instance.tryLock()) {
        ui::MessageBoxes::show(nullptr, QStringLiteral("Programm kann nur einmal pro "
                                                          "Arbeitsplatz gestartet werden!"));
        return 0;
    }

    // The start folder: the one named, or the current one.
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (!args.isEmpty() && !args.first().startsWith(u'-') && !QDir::setCurrent(args.first())) {
        ui::MessageBoxes::error(nullptr, QStringLiteral("Der Startordner '%1' existiert nicht.").arg(args.first()));
        return 1;
    }
    std::unique_ptr<app::AppWindows> windows;
    try {
        windows = std::make_unique<app::AppWindows>(QDir::currentPath(), systemClock());
    } catch (const Error &e) {
        ui::MessageBoxes::error(nullptr, e.message());
        return 1;
    } catch (const std::exception &e) {
        ui::MessageBoxes::error(nullptr, QString::fromLocal8Bit(e.what()));
        return 1;
    }
    if (windows->main->creationFailed())
        return 1;
    windows->main->showMaximized();
    return app.exec();
}
