// Two workstations reaching one database folder by two paths (here a bind mount, as a
// share mounted on each machine): the locks of one still exclude the other.
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "common/Error.h"
#include "data/DbfTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace lobrix;
using namespace lobrix::test;

class FolderLockPathTest : public QObject {
    Q_OBJECT

    static bool run(const QString &program, const QStringList &args, QString *error = nullptr)
    {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            if (error)
                *error = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
            return false;
        }
        return true;
    }

private slots:
    void locksExcludeAcrossABindMount()
    {
        TestInstallation inst(5);
        QTemporaryDir second;
        QString why;
        if (!run(QStringLiteral("mount"), {QStringLiteral("--bind"), inst.databaseFolder(), second.path()}, &why))
            QSKIP(qPrintable(QStringLiteral("no bind mount here (needs root in a machine that allows mounts): ") + why));
        const auto unmount = qScopeGuard([&] { run(QStringLiteral("umount"), {second.path()}); });

        // The other workstation holds Besucher.dbf open through the first path.
        QProcess holder;
        holder.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("desk_worker")),
                     {QStringLiteral("hold"), inst.startFolder(), QStringLiteral("Besucher.dbf")});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(30000));
        QVERIFY(holder.readAllStandardOutput().contains("holding"));

        // Through the second path the table cannot be had for itself...
        auto table = data::DbfTable::open(data::DbfTable::resolve(second.path(), QStringLiteral("Besucher.dbf")));
        bool refused = false;
        try {
            table->pack();
        } catch (const Error &e) {
            refused = e.message().contains(QStringLiteral("anderen Arbeitsplatz"));
        }
        QVERIFY(refused);
        table.reset();

        // ...and once the holder is gone, it can.
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(30000));
        data::DbfTable::open(data::DbfTable::resolve(second.path(), QStringLiteral("Besucher.dbf")))->pack();
    }
};

LOBRIX_TEST(FolderLockPathTest)
#include "FolderLockPathTest.moc"
