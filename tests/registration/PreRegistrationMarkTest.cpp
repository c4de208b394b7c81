// The marks of a pre-registration at the arrival and departure saves: Voranmel.dbf belongs
// to another application, so only the two columns of the one row change, and a mark that
// cannot be made never stops the visit.
#include "DeskFixture.h"
#include "TestRegistry.h"

#include "data/DbfTable.h"
#include "registration/ArrivalService.h"
#include "registration/DepartureService.h"

#include <QTest>

using namespace lobrix;
using namespace lobrix::registration;
using test::DeskFixture;

namespace {

ArrivalService::Input arrivalOf(const QString &name, const QString &nr)
{
    ArrivalService::Input in;
    in.visit.name = name;
    in.visit.land = QStringLiteral("Deutschland");
    in.badgeEntry = QStringLiteral("1");
    in.preRegistration = nr;
    return in;
}

// The bytes of every record, with the two marked columns of one row blanked out.
QList<QByteArray> recordsBesidesMarks(const DeskFixture &f, int markedRow)
{
    auto t = data::DbfTable::open(f.dbFile(QStringLiteral("Voranmel.dbf")), data::DbfTable::Mode::ReadOnly);
    QList<QByteArray> out;
    for (int r = 0; r < t->recordCount(); ++r) {
        QByteArray record = t->read(r);
        if (r == markedRow) {
            for (const char *column : {"Vorgang", "Anwesend"}) {
                const data::DbfField &field = t->fields().at(t->fieldIndexOrThrow(QString::fromLatin1(column)));
                record.replace(field.offset, field.length, QByteArray(field.length, '#'));
            }
        }
        out << record;
    }
    return out;
}

} // namespace

class PreRegistrationMarkTest : public QObject {
    Q_OBJECT

private slots:
    // Another application's column and the other rows stay byte for byte; of two rows with
    // the same NR only the first is marked, and the departure clears only that mark.
    void onlyTheTwoColumnsOfTheFirstRow()
    {
        DeskFixture f(5);
        {
            auto t = data::DbfTable::open(f.dbFile(QStringLiteral("Voranmel.dbf")), data::DbfTable::Mode::Exclusive);
            t->addField({QStringLiteral("FREMD"), 'C', 12, 0, 0});
        }
        f.append(QStringLiteral("Voranmel.dbf"), {{"NR", "7"}, {"Name", "Erste"}, {"FREMD", "nicht unser"}});
        f.append(QStringLiteral("Voranmel.dbf"), {{"NR", "7"}, {"Name", "Zweite"}, {"FREMD", "auch nicht"}});
        f.append(QStringLiteral("Voranmel.dbf"), {{"NR", "8"}, {"Name", "Dritte"}});
        const QList<QByteArray> before = recordsBesidesMarks(f, 0);

        ArrivalService arrival(*f.session);
        arrival.open();
        const auto saved = arrival.save(arrivalOf(QStringLiteral("Erste"), QStringLiteral("7")));
        QCOMPARE(saved.status, ArrivalService::Result::Status::Saved);
        QVERIFY(saved.message.isEmpty());
        const auto rows = f.rows(QStringLiteral("Voranmel.dbf"));
        QCOMPARE(rows[0].value(QStringLiteral("VORGANG")), saved.visitNumber);
        QCOMPARE(rows[0].value(QStringLiteral("ANWESEND")), QStringLiteral("T"));
        QCOMPARE(rows[1].value(QStringLiteral("VORGANG")), QString());
        QCOMPARE(recordsBesidesMarks(f, 0), before);

        DepartureService departure(*f.session);
        departure.open();
        const auto loaded = departure.load(0);
        QCOMPARE(departure.save(loaded, loaded.visit, false, {}).status,
                 DepartureService::Result::Status::Saved);
        QCOMPARE(f.rows(QStringLiteral("Voranmel.dbf"))[0].value(QStringLiteral("ANWESEND")), QStringLiteral("F"));
        QCOMPARE(recordsBesidesMarks(f, 0), before);
    }

    // A remembered NR that is gone changes nothing; a Voranmel.dbf the other application
    // holds for itself leaves the mark undone, says so, and the visit is stored.
    void aMarkThatCannotBeMadeNeverStopsTheVisit()
    {
        DeskFixture f(5);
        f.append(QStringLiteral("Voranmel.dbf"), {{"NR", "3"}, {"Name", "Da"}});
        ArrivalService arrival(*f.session);
        arrival.open();
        const auto missing = arrival.save(arrivalOf(QStringLiteral("Weg"), QStringLiteral("99")));
        QCOMPARE(missing.status, ArrivalService::Result::Status::Saved);
        QCOMPARE(f.rows(QStringLiteral("Voranmel.dbf"))[0].value(QStringLiteral("VORGANG")), QString());

        arrival.open();
        {
            auto held = data::DbfTable::open(f.dbFile(QStringLiteral("Voranmel.dbf")), data::DbfTable::Mode::Exclusive);
            ArrivalService::Input in = arrivalOf(QStringLiteral("Da"), QStringLiteral("3"));
            in.badgeEntry = QStringLiteral("2"); // badge 1 went to the first visitor
            const auto r = arrival.save(in);
            QCOMPARE(r.status, ArrivalService::Result::Status::Saved);
            QVERIFY2(r.message.contains(QStringLiteral("Voranmeldung")), qPrintable(r.message));
        }
        QCOMPARE(f.rows(QStringLiteral("Besucher.dbf")).size(), 2);
        QCOMPARE(f.rows(QStringLiteral("Voranmel.dbf"))[0].value(QStringLiteral("VORGANG")), QString());
    }
};

LOBRIX_TEST(PreRegistrationMarkTest)
#include "PreRegistrationMarkTest.moc"
