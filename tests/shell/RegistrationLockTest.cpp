#include "shell/RegistrationLock.h"

#include "TestFiles.h"
#include "TestRegistry.h"
#include "common/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using lobrix::IniFile;
using lobrix::shell::RegistrationLock;
using namespace lobrix::test;

class RegistrationLockTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_db;
    QString globalIni() const { return m_db->filePath(QStringLiteral("Global.ini")); }

private slots:
    void init()
    {
        m_db.emplace();
        QVERIFY(m_db->isValid());
    }

    void missingFileReadsFreeAndFirstLockCreatesIt()
    {
        RegistrationLock lock(m_db->path());
        QCOMPARE(lock.registrationLocked(), false);
        QCOMPARE(lock.lastSatz(), 0);
        QCOMPARE(folderEntries(m_db->path()), QStringList{}); // reading creates nothing

        lock.setRegistrationLock();
        QCOMPARE(fileBytes(globalIni()), QByteArray("[Global]\r\nLocked=1\r\n"));
        QCOMPARE(folderEntries(m_db->path()), (QStringList{"Global.ini", "Lobrix.lck"}));
        lock.clearRegistrationLock();
        QCOMPARE(fileBytes(globalIni()), QByteArray("[Global]\r\nLocked=0\r\n"));
    }

    // Another workstation is another IniFile on the same file: each side sees the other's
    // writes at the next read.
    void lockIsSharedBetweenWorkstations()
    {
        RegistrationLock here(m_db->path());
        IniFile there(globalIni());

        here.setRegistrationLock();
        QCOMPARE(there.readBool("Global", "Locked", false), true);
        there.writeString("Global", "Locked", "0");
        QCOMPARE(here.registrationLocked(), false);
        // Another workstation's form is open: its flag counts, whatever case it is in.
        RegistrationLock thereForm(m_db->path());
        thereForm.setRegistrationLock();
        there.writeString("global", "LOCKED", "1");
        QCOMPARE(here.registrationLocked(), true);
        // The last one out clears the flag: while the other form is open it stays.
        here.setRegistrationLock();
        here.clearRegistrationLock();
        QCOMPARE(there.readInt("Global", "Locked", -1), 1);
        QCOMPARE(here.registrationLocked(), true);
        thereForm.clearRegistrationLock();
        QCOMPARE(there.readInt("Global", "Locked", -1), 0);

        here.raiseLastSatz(1241);
        QCOMPARE(there.readInt("Global", "LastSatz", 0), 1241);
        there.writeInt("Global", "LastSatz", 1300);
        QCOMPARE(here.lastSatz(), 1300);
    }

    void legacyFileKeepsItsCounter()
    {
        QVERIFY(QFile::copy(LOBRIX_SHARED_DIR "/fixtures/legacy/db/Global.ini",
                            m_db->filePath(QStringLiteral("GLOBAL.INI"))));
        QFile::setPermissions(m_db->filePath(QStringLiteral("GLOBAL.INI")),
                              QFile::ReadOwner | QFile::WriteOwner);
        RegistrationLock lock(m_db->path());
        QCOMPARE(lock.lastSatz(), 1240);
        QCOMPARE(lock.registrationLocked(), false);

        lock.setRegistrationLock();
        QCOMPARE(fileBytes(m_db->filePath(QStringLiteral("GLOBAL.INI"))),
                 QByteArray("[Global]\r\nLocked=1\r\nLastSatz=1240\r\n"));
        QCOMPARE(folderEntries(m_db->path()), (QStringList{"GLOBAL.INI", "Lobrix.lck"}));
    }

    void unwritableFileRaisesErrorNamingIt()
    {
        RegistrationLock lock(m_db->filePath(QStringLiteral("fehlt")));
        const auto error = errorOf([&] { lock.setRegistrationLock(); });
        QVERIFY(error);
        QVERIFY2(error->contains(QStringLiteral("Global.ini")), qPrintable(*error));
    }
};

LOBRIX_TEST(RegistrationLockTest)
#include "RegistrationLockTest.moc"
