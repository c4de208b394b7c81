// Master data without the window: identity, save, new record, deletion for good.
#include "DeskFixture.h"
#include "TestRegistry.h"

#include "common/Error.h"
#include "data/DbfTable.h"
#include "registration/MasterDataService.h"

#include <QFile>
#include <QTest>

using namespace lobrix;
using namespace lobrix::registration;
using test::DeskFixture;

namespace {

VisitData person(const QString &name, const QString &firma = QStringLiteral("Acme"))
{
    VisitData v;
    v.name = name;
    v.vorname = QStringLiteral("Jürgen");
    v.firma = firma;
    v.land = QStringLiteral("Deutschland");
    return v;
}

test::Row stammRow(const VisitData &v)
{
    return {{QStringLiteral("Name"), v.name},
            {QStringLiteral("Vorname"), v.vorname},
            {QStringLiteral("Firma"), v.firma},
            {QStringLiteral("Land"), v.land}};
}

QStringList names(const DeskFixture &f)
{
    QStringList out;
    for (const auto &row : f.rows(QStringLiteral("Stamm.dbf")))
        out << row.value(QStringLiteral("NAME"));
    return out;
}

} // namespace

class MasterDataServiceTest : public QObject {
    Q_OBJECT

private slots:
    // The picker's sort choice reaches the statement only as a plain field name.
    void listStatementTakesOnlyAFieldName_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("ordered");
        QTest::newRow("a field") << "Vorname" << "Vorname";
        QTest::newRow("more than a name") << "Name; Delete From Stamm.dbf" << "Name";
        QTest::newRow("a quote") << "Firma'" << "Name";
        QTest::newRow("nothing") << "" << "Name";
    }
    void listStatementTakesOnlyAFieldName()
    {
        QFETCH(QString, sort);
        QFETCH(QString, ordered);
        QCOMPARE(MasterDataService::listStatement(sort), QStringLiteral("Select *\nFrom Stamm.dbf\nOrder by ") + ordered);
    }
    // Names with the characters that broke a pasted filter are found, saved and deleted.
    void boundIdentity_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("apostrophe") << "O'Brien";
        QTest::newRow("quotes") << "\"Kalle\" Blomquist";
        QTest::newRow("backslash and semicolon") << "Back\\slash; Drop";
        QTest::newRow("percent and underscore") << "100%_Müller";
    }
    void boundIdentity()
    {
        QFETCH(QString, name);
        DeskFixture f;
        f.append(QStringLiteral("Stamm.dbf"), stammRow(person(QStringLiteral("Anders"))));
        f.append(QStringLiteral("Stamm.dbf"), stammRow(person(name)));
        MasterDataService s(*f.session);
        s.open();
        const auto id = MasterDataService::Identity::of(person(name));
        QCOMPARE(s.countMatches(id), 1);
        VisitData changed = person(name);
        changed.telefon = QStringLiteral("0421 123");
        const auto r = s.save({changed, id, std::nullopt}, false);
        QCOMPARE(r.status, MasterDataService::Result::Status::Saved);
        QVERIFY(!r.appended);
        QCOMPARE(f.rows(QStringLiteral("Stamm.dbf")).at(1).value(QStringLiteral("TELEFON")),
                 QStringLiteral("0421 123"));
        const auto removal = s.remove(MasterDataService::Identity::of(changed));
        QVERIFY(removal.removed);
        QVERIFY(removal.packed);
        QCOMPARE(names(f), QStringList{QStringLiteral("Anders")});
        s.close();
    }

    // Two records alike: both match, a save changes the first; a second save after the
    // fields changed no longer matches and appends.
    void identicalRecordsAndSavingTwice()
    {
        DeskFixture f;
        f.append(QStringLiteral("Stamm.dbf"), stammRow(person(QStringLiteral("Meier"))));
        f.append(QStringLiteral("Stamm.dbf"), stammRow(person(QStringLiteral("Meier"))));
        MasterDataService s(*f.session);
        s.open();
        const auto id = MasterDataService::Identity::of(person(QStringLiteral("Meier")));
        QCOMPARE(s.countMatches(id), 2);
        VisitData v = person(QStringLiteral("Meyer"));
        QVERIFY(!s.save({v, id, std::nullopt}, false).appended);
        QCOMPARE(names(f), (QStringList{QStringLiteral("Meyer"), QStringLiteral("Meier")}));
        QVERIFY(!s.save({v, id, std::nullopt}, false).appended); // the second Meier
        v.name = QStringLiteral("Mayer");
        QVERIFY(s.save({v, id, std::nullopt}, false).appended);
        QCOMPARE(names(f), (QStringList{QStringLiteral("Meyer"), QStringLiteral("Meyer"),
                                        QStringLiteral("Mayer")}));
        s.close();
    }

    void newRecordWithPersonalNumber()
    {
        DeskFixture f;
        MasterDataService s(*f.session);
        s.open();
        VisitData v = person(MasterDataService::newRecordName());
        v.info = {true, false, true, false};
        v.photo = QStringLiteral("gesicht.bmp");
        const auto r = s.save({v, std::nullopt, 17}, true);
        QVERIFY(r.appended);
        const auto rows = f.rows(QStringLiteral("Stamm.dbf"));
        QCOMPARE(rows.size(), 1);
        // The placeholder is one character longer than the column: cut, as typed text is.
        QCOMPARE(rows[0].value(QStringLiteral("NAME")), MasterDataService::newRecordName().left(30));
        QCOMPARE(rows[0].value(QStringLiteral("AUSWEIS")).toInt(), 17);
        QCOMPARE(rows[0].value(QStringLiteral("INFO1")), QStringLiteral("ja"));
        QCOMPARE(rows[0].value(QStringLiteral("INFO2")), QStringLiteral("nein"));
        QCOMPARE(rows[0].value(QStringLiteral("FOTO")), QStringLiteral("gesicht.bmp"));
        QCOMPARE(s.findByPersonalNumber(17)->name, MasterDataService::newRecordName().left(30));
        QVERIFY(!s.findByPersonalNumber(18));
        // Without a selection and without a new record there is nothing to save.
        QCOMPARE(s.save({v, std::nullopt, std::nullopt}, false).status,
                 MasterDataService::Result::Status::Nothing);
        // A photo kept when the form names none.
        v.photo.clear();
        s.save({v, MasterDataService::Identity::of(v), std::nullopt}, false);
        QCOMPARE(f.rows(QStringLiteral("Stamm.dbf"))[0].value(QStringLiteral("FOTO")),
                 QStringLiteral("gesicht.bmp"));
        s.close();
    }

    void unstorableValueWritesNothing()
    {
        DeskFixture f;
        MasterDataService s(*f.session);
        s.open();
        const auto r = s.save({person(QString::fromUtf8("Łukasz")), std::nullopt, std::nullopt}, true);
        QCOMPARE(r.status, MasterDataService::Result::Status::Refused);
        QVERIFY(r.message.contains(QStringLiteral("Ł")));
        QVERIFY(f.rows(QStringLiteral("Stamm.dbf")).isEmpty());
        s.close();
    }

    // The file holds no trace of a deleted record once it is packed; while another
    // workstation has the table open it stays deleted and the next deletion packs it.
    void deletionLeavesNoTrace()
    {
        DeskFixture f;
        f.append(QStringLiteral("Stamm.dbf"), stammRow(person(QStringLiteral("Geheimname"))));
        f.append(QStringLiteral("Stamm.dbf"), stammRow(person(QStringLiteral("Zweiter"))));
        MasterDataService s(*f.session);
        s.open();
        {
            auto other = data::DbfTable::open(f.dbFile(QStringLiteral("Stamm.dbf")));
            const auto busy = s.remove(MasterDataService::Identity::of(person(QStringLiteral("Geheimname"))));
            QVERIFY(busy.removed);
            QVERIFY(!busy.packed);
            QVERIFY(busy.message.contains(QStringLiteral("nicht aufgeräumt")));
            QCOMPARE(names(f), QStringList{QStringLiteral("Zweiter")});
        }
        const auto later = s.remove(MasterDataService::Identity::of(person(QStringLiteral("Zweiter"))));
        QVERIFY(later.packed);
        QFile file(f.dbFile(QStringLiteral("Stamm.dbf")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(!bytes.contains("Geheimname"));
        QVERIFY(!bytes.contains("Zweiter"));
        QVERIFY(!s.remove(MasterDataService::Identity::of(person(QStringLiteral("Zweiter")))).removed);
        s.close();
    }
};

LOBRIX_TEST(MasterDataServiceTest)
#include "MasterDataServiceTest.moc"
