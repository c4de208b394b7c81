// Program start: one copy per workstation, German texts and fonts, then the windows.
#include "shell/SingleInstanceLock.h"
#include "shell/ui/LobrixApplication.h"

#include <QMessageBox>

#include <cstdio>

int main(int argc, char **argv)
{
    lobrix::shell::LobrixApplication app(argc, argv);

    lobrix::shell::SingleInstanceLock instance;
    if (!instance.tryLock()) {
        QMessageBox::information(nullptr, QString::fromUtf8(lobrix::shell::LobrixApplication::kTitle),
                                 QStringLiteral("Programm kann nur einmal pro Arbeitsplatz "
                                                "gestartet werden!"));
        return 0;
    }

    std::fprintf(stderr, "Lobrix: das Hauptfenster ist noch nicht gebaut.\n");
    return 0;
}
