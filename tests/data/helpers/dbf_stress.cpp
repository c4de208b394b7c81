// Another workstation for the table tests: appends, updates or just holds a table open.
//
//   dbf_stress append <table> <worker> <count>  prints "ready", waits for a line on stdin,
//                                               then appends count records; after each one
//                                               sets field U<worker> of record 0 to the
//                                               sequence number (and its first field to the
//                                               worker); prints "<recno> <seq>" per append;
//                                               exit code 3 when an update of its got lost
//   dbf_stress writer <table> <worker>          appends until killed, printing
//                                               "<recno> <seq>" once an append has returned
//   dbf_stress hold <table> shared|exclusive    opens the table, prints "ready", and keeps
//                                               it open until its input is closed
#include "StressRecord.h"

#include "common/Error.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

using lobrix::data::DbfTable;
namespace stress = lobrix::test::stress;

namespace {

void say(const std::string &line)
{
    // Unbuffered: a line on stdout means the operation has returned.
    const std::string out = line + "\n";
    const char *p = out.data();
    size_t left = out.size();
    while (left > 0) {
        const ssize_t n = ::write(1, p, left);
        if (n <= 0)
            return;
        p += n;
        left -= static_cast<size_t>(n);
    }
}

// Reads stdin up to a newline (or its end).
void waitForGo()
{
    char c = 0;
    while (::read(0, &c, 1) > 0 && c != '\n') {
    }
}

int appendRecords(const QString &path, int worker, int count, bool updateShared)
{
    auto table = DbfTable::open(path, DbfTable::Mode::Shared);
    const int sharedField = table->fieldIndex(QStringLiteral("U%1").arg(worker));
    int lost = 0;
    if (updateShared) {
        // All workers start together, so that they really run at the same time.
        say("ready");
        waitForGo();
    }
    for (int seq = 1; count < 0 || seq <= count; ++seq) {
        const int recno = table->append(stress::values(*table, worker, seq));
        say(std::to_string(recno) + " " + std::to_string(seq));
        if (!updateShared)
            continue;
        // Only this worker writes U<worker>: it must still hold what it wrote last.
        const QByteArray shared = table->read(0);
        if (table->text(shared.constData(), sharedField).toInt() != seq - 1)
            ++lost;
        // Two fields far apart: the write of record 0 spans the other workers' fields, so
        // without the record lock their updates would get lost.
        table->update(0, {{sharedField, QString::number(seq)}, {0, QString::number(worker)}});
    }
    if (lost > 0) {
        std::fprintf(stderr, "%d updates of record 0 were lost\n", lost);
        return 3;
    }
    return 0;
}

int hold(const QString &path, bool exclusive)
{
    auto table =
        DbfTable::open(path, exclusive ? DbfTable::Mode::Exclusive : DbfTable::Mode::Shared);
    say("ready");
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
        if (mode == "append" && argc == 5)
            return appendRecords(path, std::atoi(argv[3]), std::atoi(argv[4]), true);
        if (mode == "writer" && argc == 4)
            return appendRecords(path, std::atoi(argv[3]), -1, false);
        if (mode == "hold" && argc == 4)
            return hold(path, std::strcmp(argv[3], "exclusive") == 0);
        std::fprintf(stderr, "usage: dbf_stress append|writer|hold ...\n");
        return 2;
    } catch (const lobrix::Error &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
