// Another workstation for the arrival tests: registers visitors through the arrival
// service on a shared installation.
//
//   arrival_worker <start folder> <name> <count>
//
// For each arrival it waits for a line on stdin, opens the form and prints
// "opened <visit number> <first badge>", waits for another line, and saves. A badge taken meanwhile is answered like a clerk
// would: with the first badge still free. Prints "taken <badge>" for that and
// "saved <visit number> <badge>" per arrival; exit code 1 on an error.
#include "common/Clock.h"
#include "common/Error.h"
#include "registration/ArrivalService.h"
#include "shell/Session.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

using namespace lobrix;
using namespace lobrix::registration;

namespace {

void say(const QString &line)
{
    const QByteArray bytes = (line + u'\n').toUtf8();
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(1, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}

bool waitForGo()
{
    char c = 0;
    ssize_t n = 0;
    while ((n = ::read(0, &c, 1)) > 0 && c != '\n') {
    }
    return n > 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: arrival_worker START NAME COUNT\n");
        return 2;
    }
    try {
        shell::Session session(args.at(1), systemClock());
        ArrivalService service(session);
        for (int i = 0; i < args.at(3).toInt(); ++i) {
            if (!waitForGo())
                return 1;
            const auto &opening = service.open();
            say(QStringLiteral("opened %1 %2").arg(opening.visitNumber, opening.badgeEntries.value(0)));
            if (!waitForGo())
                return 1;
            ArrivalService::Input input;
            input.visit.name = args.at(2);
            input.visit.vorname = QString::number(i);
            input.badgeEntry = opening.badgeEntries.value(0);
            for (;;) {
                const auto result = service.save(input);
                if (result.status == ArrivalService::Result::Status::Saved) {
                    say(QStringLiteral("saved %1 %2").arg(result.visitNumber).arg(result.badge));
                    break;
                }
                if (result.status != ArrivalService::Result::Status::BadgeTaken ||
                    result.badgeEntries.isEmpty()) {
                    std::fprintf(stderr, "%s\n", qPrintable(result.message));
                    return 1;
                }
                say(QStringLiteral("taken %1").arg(result.badge));
                input.badgeEntry = result.badgeEntries.first();
            }
        }
        return 0;
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
