// One copy of the program per workstation.
#include "TestRegistry.h"

#include "shell/SingleInstanceLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using lobrix::shell::SingleInstanceLock;

namespace {
QString holder()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("hold_instance_lock"));
}
} // namespace

class SingleInstanceLockTest : public QObject {
    Q_OBJECT
private slots:
    void secondCopyIsRefusedAndStaleLockTakenOver()
    {
        QTemporaryDir dir;
        QProcess first;
        first.start(holder(), {dir.path()});
        QVERIFY(first.waitForReadyRead(10000));
        QCOMPARE(first.readLine().trimmed(), QByteArray("locked"));

        SingleInstanceLock second(dir.path());
        QVERIFY(!second.tryLock());
        QVERIFY(QFile::exists(second.lockFilePath()));

        // The first copy crashes: its lock is stale and the next start takes it over.
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(second.tryLock());

        QProcess third;
        third.start(holder(), {dir.path()});
        QVERIFY(third.waitForReadyRead(10000));
        QCOMPARE(third.readLine().trimmed(), QByteArray("busy"));
        third.kill();
        third.waitForFinished(10000);
    }

    void lockFileIsNamedLobrixLock()
    {
        QTemporaryDir dir;
        SingleInstanceLock lock(dir.path());
        QCOMPARE(lock.lockFilePath(), QDir(dir.path()).filePath(QStringLiteral("Lobrix.lock")));
        QVERIFY(lock.tryLock());
        QVERIFY(lock.tryLock()); // asking again in the same copy keeps it
    }
};

LOBRIX_TEST(SingleInstanceLockTest)
#include "SingleInstanceLockTest.moc"
