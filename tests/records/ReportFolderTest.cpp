// The report definitions of a lists folder: the list, the three files, new, rename and
// delete.
#include "TestFiles.h"
#include "TestRegistry.h"

#include "records/ReportFolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace lobrix::records;
using namespace lobrix::test;

class ReportFolderTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString file(const QString &name) const { return m_dir->filePath(name); }
    ReportFolder folder() const { return ReportFolder(m_dir->path()); }
    void touch(const QString &name) { QVERIFY(putFile(file(name), "Select * From Besucher.dbf\r\n")); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void listSortedWithoutRegardToCase()
    {
        for (const char *n : {"zeta.sql", "Alpha.sql", "beta.SQL", "Beta.lst", "gamma.col", ".sql"})
            touch(QString::fromLatin1(n));
        QCOMPARE(folder().names(), (QStringList{"Alpha", "beta", "zeta"}));
        QCOMPARE(ReportFolder::entryText(QStringLiteral("Alpha")), QStringLiteral("-- Alpha"));
        QCOMPARE(ReportFolder::nameOfEntry(QStringLiteral("-- Alpha")), QStringLiteral("Alpha"));
        QCOMPARE(ReportFolder(file(QStringLiteral("fehlt"))).names(), QStringList());
    }

    void uniqueName()
    {
        touch(QStringLiteral("Monatsliste.sql"));
        touch(QStringLiteral("Monatsliste [1].sql"));
        QCOMPARE(folder().uniqueName(QStringLiteral("Monatsliste")), QStringLiteral("Monatsliste [2]"));
        QCOMPARE(folder().uniqueName(QStringLiteral("Tagesliste")), QStringLiteral("Tagesliste"));
        touch(QStringLiteral("Tagesliste [1].sql")); // a gap below is not filled
        QCOMPARE(folder().uniqueName(QStringLiteral("Tagesliste")), QStringLiteral("Tagesliste"));
    }

    // Windows-1252 and CR LF; a missing folder is created by the first report.
    void writtenBytes()
    {
        const ReportFolder f(file(QStringLiteral("Listen")));
        f.write(QStringLiteral("Bestätigte"), {QStringLiteral("Select Vorgang, QUITTUNG AS Bestätigung"),
                                                QStringLiteral("From Besucher.dbf"), QString(), QString()},
                {QStringLiteral("1"), QStringLiteral("heute")});
        QCOMPARE(fileBytes(f.queryPath(QStringLiteral("Bestätigte"))),
                 QByteArray("Select Vorgang, QUITTUNG AS Best\xE4tigung\r\nFrom Besucher.dbf\r\n\r\n\r\n"));
        QCOMPARE(fileBytes(f.statePath(QStringLiteral("Bestätigte"))), QByteArray("1\r\nheute\r\n"));
        QCOMPARE(f.readQuery(QStringLiteral("Bestätigte")).first(),
                 QStringLiteral("Select Vorgang, QUITTUNG AS Bestätigung"));
    }

    void columnFile()
    {
        touch(QStringLiteral("R.sql"));
        folder().writeColumnFile(QStringLiteral("R"), {40, 150}, {QStringLiteral("AUSW"), QStringLiteral("NAME")});
        QCOMPARE(fileBytes(file(QStringLiteral("R.col"))), QByteArray("40\r\n150\r\nAUSW\r\nNAME\r\n"));
        QVERIFY(putFile(file(QStringLiteral("R.col")), "40\r\nbreit\r\n"));
        const auto widths = folder().readColumnWidths(QStringLiteral("R"));
        QCOMPARE(widths.size(), size_t(2));
        QCOMPARE(widths[0], std::optional<int>(40));
        QVERIFY(!widths[1]);
        QVERIFY(folder().readColumnWidths(QStringLiteral("fehlt")).empty());
    }

    // Delete keeps the column file: a new report of that name takes its widths.
    void deleteKeepsColumnFile()
    {
        touch(QStringLiteral("R.sql"));
        touch(QStringLiteral("R.lst"));
        touch(QStringLiteral("R.col"));
        folder().remove(QStringLiteral("R"));
        QCOMPARE(folderEntries(m_dir->path()), QStringList{"R.col"});
        QVERIFY(folder().names().isEmpty());
    }

    void rename()
    {
        touch(QStringLiteral("Alt.sql"));
        touch(QStringLiteral("Alt.lst"));
        touch(QStringLiteral("Alt.col"));
        folder().rename(QStringLiteral("Alt"), QStringLiteral("Neu"));
        QCOMPARE(folderEntries(m_dir->path()), (QStringList{"Alt.col", "Neu.lst", "Neu.sql"}));
        // Onto an existing report: refused, nothing moved.
        touch(QStringLiteral("Andere.sql"));
        const auto error = errorOf([&] { folder().rename(QStringLiteral("Neu"), QStringLiteral("andere")); });
        QVERIFY(error && error->contains(QStringLiteral("bereits")));
        QCOMPARE(folder().names(), (QStringList{"Andere", "Neu"}));
        // Another case of its own name is allowed.
        folder().rename(QStringLiteral("Neu"), QStringLiteral("NEU"));
        QCOMPARE(folder().names(), (QStringList{"Andere", "NEU"}));
    }

    // A name is a file name of this folder and nothing else.
    void refusedNames_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *n : {"../außen", "a/b", "a\\b", "C:x", "a*", "a?", "a\"b", "a<b", "a>b", "a|b", "..", "  "})
            QTest::newRow(n) << QString::fromUtf8(n);
    }
    void refusedNames()
    {
        QFETCH(QString, name);
        QVERIFY(ReportFolder::nameProblem(name));
        QVERIFY(errorOf([&] { folder().write(name, {QStringLiteral("x")}, {}); }));
        touch(QStringLiteral("R.sql"));
        QVERIFY(errorOf([&] { folder().rename(QStringLiteral("R"), name); }));
        QCOMPARE(folderEntries(m_dir->path()), QStringList{"R.sql"});
        QVERIFY(QDir(m_dir->path() + QStringLiteral("/..")).entryList({QStringLiteral("außen*")}).isEmpty());
    }

    void acceptedNames()
    {
        for (const char *n : {"Monatsliste [2]", "Besucher heute", "Größe & Co. (alt)", "a.b"})
            QVERIFY2(!ReportFolder::nameProblem(QString::fromUtf8(n)), n);
    }

    void unreadableFiles()
    {
        QVERIFY(errorOf([&] { folder().readQuery(QStringLiteral("fehlt")); }));
        touch(QStringLiteral("Hand.sql")); // written by hand: no state file
        const auto error = errorOf([&] { folder().readState(QStringLiteral("Hand")); });
        QVERIFY(error && error->contains(QStringLiteral("Hand")));
    }
};

LOBRIX_TEST(ReportFolderTest)
#include "ReportFolderTest.moc"
