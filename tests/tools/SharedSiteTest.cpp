// A site as an administrator sets it up: two accounts of one group, each with its own
// workstation, saving arrivals and departures on one database folder at once. Needs root
// (the test makes the accounts and the group and removes them).
#include "TestRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(600000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Accounts and a group made for the test, removed again whatever happens.
class Accounts {
public:
    Accounts()
    {
        const QString suffix = QString::number(::getpid());
        group = QStringLiteral("lbxg") + suffix;
        users = {QStringLiteral("lbxa") + suffix, QStringLiteral("lbxb") + suffix};
        ok = run(QStringLiteral("groupadd"), {group}).exitCode == 0;
        for (const QString &u : users)
            ok = ok && run(QStringLiteral("useradd"), {QStringLiteral("-M"), QStringLiteral("-N"), QStringLiteral("-g"),
                                                       group, QStringLiteral("-s"), QStringLiteral("/usr/sbin/nologin"), u})
                               .exitCode == 0;
    }
    ~Accounts()
    {
        for (const QString &u : users)
            run(QStringLiteral("userdel"), {u});
        run(QStringLiteral("groupdel"), {group});
    }
    // The command as the account, with the usual umask.
    QStringList as(const QString &user, const QStringList &command) const
    {
        return QStringList{QStringLiteral("--reuid=") + user, QStringLiteral("--regid=") + group,
                           QStringLiteral("--clear-groups"), QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                           QStringLiteral("umask 022; exec \"$@\""), QStringLiteral("sh")} +
               command;
    }

    QString group;
    QStringList users;
    bool ok = false;
};

} // namespace

class SharedSiteTest : public QObject {
    Q_OBJECT
private slots:
    void twoAccountsOfOneGroupShareTheFolder()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to make two accounts and a group");
        for (const char *tool : {"/usr/sbin/groupadd", "/usr/sbin/useradd", "/usr/bin/setpriv"})
            if (!QFileInfo::exists(QString::fromLatin1(tool)))
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));
        const Accounts accounts;
        QVERIFY2(accounts.ok, "groupadd/useradd failed");
        const QString admin = QStringLiteral(LOBRIX_ADMIN_EXE);
        const QString worker = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("desk_worker"));
        const QString setpriv = QStringLiteral("/usr/bin/setpriv");
        if (run(setpriv, accounts.as(accounts.users[0], {QStringLiteral("test"), QStringLiteral("-x"), worker})).exitCode != 0)
            QSKIP("the build folder cannot be reached by other accounts");

        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        // Each account has a folder of its own for its start folder; the first makes the site.
        QStringList homes;
        for (const QString &u : accounts.users) {
            homes << dir.filePath(u);
            QVERIFY(QDir().mkpath(homes.last()));
            QCOMPARE(run(QStringLiteral("chown"), {u + u':' + accounts.group, homes.last()}).exitCode, 0);
        }
        const QString db = QDir(homes[0]).filePath(QStringLiteral("db"));
        QVERIFY(::chmod(QFile::encodeName(homes[0]).constData(), 0755) == 0);
        const QStringList starts{QDir(homes[0]).filePath(QStringLiteral("start")), QDir(homes[1]).filePath(QStringLiteral("start"))};
        Run made = run(setpriv, accounts.as(accounts.users[0], {admin, QStringLiteral("init"), starts[0], db,
                                                                QStringLiteral("--badges"), QStringLiteral("200"),
                                                                QStringLiteral("--group"), accounts.group}));
        QVERIFY2(made.exitCode == 0, qPrintable(made.err));
        made = run(setpriv, accounts.as(accounts.users[1], {admin, QStringLiteral("init"), starts[1], db, QStringLiteral("--join")}));
        QVERIFY2(made.exitCode == 0, qPrintable(made.err));

        // Both at once: arrivals (with photo rows, master records, log lines, countries)
        // and departures, then a purge and a report export by the second account.
        std::vector<std::unique_ptr<QProcess>> desks;
        for (int i = 0; i < 2; ++i) {
            desks.push_back(std::make_unique<QProcess>());
            const QStringList command = accounts.as(accounts.users[i], {worker, QStringLiteral("desk"), starts[i],
                                                                        QString(QChar(u'A' + i)), QStringLiteral("40"),
                                                                        QString::number(7 + i)});
            desks.back()->start(setpriv, command);
        }
        for (auto &p : desks) {
            QVERIFY(p->waitForFinished(600000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }
        for (const QStringList &command :
             {QStringList{admin, QStringLiteral("purge"), starts[1], QStringLiteral("--older-than"), QStringLiteral("90")},
              QStringList{admin, QStringLiteral("report"), starts[1], QStringLiteral("Anwesende Besucher"), QStringLiteral("--csv"),
                          QDir(db).filePath(QStringLiteral("anwesend.csv"))}}) {
            const Run r = run(setpriv, accounts.as(accounts.users[1], command));
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        }
        const Run count = run(admin, {QStringLiteral("sql"), db, QStringLiteral("Select count(*) AS n From Besucher.dbf")});
        QCOMPARE(count.out, QStringLiteral("n\n80\n"));

        // Nothing readable by others, and the folder check passes.
        QDirIterator it(db, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            struct stat st {};
            QVERIFY(::lstat(QFile::encodeName(path).constData(), &st) == 0);
            QVERIFY2(!(st.st_mode & 0007), qPrintable(QStringLiteral("%1: %2").arg(path).arg(st.st_mode & 07777, 0, 8)));
        }
        const Run check = run(setpriv, accounts.as(accounts.users[1], {admin, QStringLiteral("check"), db}));
        QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));
    }
};

LOBRIX_TEST(SharedSiteTest)
#include "SharedSiteTest.moc"
