#include "DeskFixture.h"
#include "TestRegistry.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSet>
#include <QTest>

using lobrix::test::DeskFixture;
using lobrix::test::Row;

namespace {

// The next line a worker prints; empty when none comes within the time.
QString readLine(QProcess &process, int timeoutMs = 30000)
{
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine()) {
        if (timer.elapsed() > timeoutMs || !process.waitForReadyRead(1000)) {
            if (timer.elapsed() > timeoutMs || process.state() != QProcess::Running)
                return process.canReadLine() ? QString::fromUtf8(process.readLine()).trimmed() : QString();
        }
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

} // namespace

// Two workstations whose arrival forms open at the same moment, round after round.
class ArrivalProcessTest : public QObject {
    Q_OBJECT
private slots:
    void arrivalsSavedTogether();
};

void ArrivalProcessTest::arrivalsSavedTogether()
{
    constexpr int Rounds = 12;
    DeskFixture f(30);
    const QString worker = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("arrival_worker"));
    QVERIFY2(QFile::exists(worker), "build the target arrival_worker");

    QProcess a, b;
    a.start(worker, {f.startFolder(), QStringLiteral("A"), QString::number(Rounds)});
    b.start(worker, {f.startFolder(), QStringLiteral("B"), QString::number(Rounds)});
    QVERIFY(a.waitForStarted() && b.waitForStarted());

    int taken = 0;
    QStringList saved;
    for (int round = 0; round < Rounds; ++round) {
        a.write("open\n");
        b.write("open\n");
        const QString openedA = readLine(a), openedB = readLine(b);
        // Both forms show the same visit number and first badge.
        QVERIFY2(openedA.startsWith(QStringLiteral("opened ")), qPrintable(openedA + a.readAllStandardError()));
        QCOMPARE(openedA, openedB);
        a.write("go\n");
        b.write("go\n");
        for (QProcess *p : {&a, &b}) {
            for (;;) {
                const QString line = readLine(*p);
                QVERIFY2(!line.isEmpty(), qPrintable(p->readAllStandardError()));
                if (line.startsWith(QStringLiteral("taken "))) {
                    ++taken;
                    continue;
                }
                QVERIFY2(line.startsWith(QStringLiteral("saved ")), qPrintable(line));
                saved << line.mid(6);
                break;
            }
        }
    }
    QVERIFY(a.waitForFinished() && b.waitForFinished());
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);
    // In every round one of the two found its badge taken and chose another.
    QCOMPARE(taken, Rounds);

    const QList<Row> visits = f.rows(QStringLiteral("Besucher.dbf"));
    QCOMPARE(visits.size(), 2 * Rounds);
    QSet<QString> numbers, badges;
    for (const Row &visit : visits) {
        numbers << visit.value("VORGANG");
        badges << visit.value("AUSWEIS");
        QVERIFY(saved.contains(visit.value("VORGANG") + u' ' + visit.value("AUSWEIS")));
    }
    QCOMPARE(numbers.size(), 2 * Rounds); // no visit number twice
    QCOMPARE(badges.size(), 2 * Rounds);  // no badge held by two present visitors
    for (int n = 1; n <= 2 * Rounds; ++n)
        QVERIFY(numbers.contains(QString::number(n)));
    QCOMPARE(f.global("LastSatz"), QString::number(2 * Rounds));
    QCOMPARE(f.global("Locked"), QStringLiteral("0"));
    QSet<QString> out;
    for (const Row &row : f.rows(QStringLiteral("Ausweis.dbf"))) {
        if (row.value("KOMMT") != u"25:00")
            out << row.value("AUSWEIS");
    }
    QCOMPARE(out, badges);
    QCOMPARE(f.logLines().size(), 4 * Rounds);
}

LOBRIX_TEST(ArrivalProcessTest)
#include "ArrivalProcessTest.moc"
