#include "DeskFixture.h"
#include "TestRegistry.h"

#include "registration/BadgePool.h"

#include <QTest>

using namespace lobrix;
using namespace lobrix::registration;
using lobrix::test::DeskFixture;

class BadgePoolTest : public QObject {
    Q_OBJECT
private slots:
    void freeMarker_data();
    void freeMarker();
    void freeBadgesInStoredOrder();
    void allBadgesOut();
    void occupyAndRelease();
    void unknownNumberChangesNothing();
    void progressLabels();
    void badgeOfListEntry_data();
    void badgeOfListEntry();
    void manualBadgeNumber_data();
    void manualBadgeNumber();
    void nextPersonalNumber_data();
    void nextPersonalNumber();
};

void BadgePoolTest::freeMarker_data()
{
    QTest::addColumn<QString>("kommt");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("out");
    QTest::newRow("free") << "25:00" << "" << false;
    QTest::newRow("free with a date left in Tag") << "25:00" << "09.12.2026" << false;
    QTest::newRow("arrival time") << "08:15" << "10.12.2026" << true;
    QTest::newRow("empty") << "" << "" << true;
    QTest::newRow("leading space") << " 25:0" << "" << true;
    QTest::newRow("other hour") << "24:00" << "" << true;
}

void BadgePoolTest::freeMarker()
{
    QFETCH(QString, kommt);
    QFETCH(QString, tag);
    QFETCH(bool, out);
    DeskFixture f(5);
    f.update(QStringLiteral("Ausweis.dbf"), 2, {{"Kommt", kommt}, {"Tag", tag}});
    BadgePool pool(f.db(), f.session->eventLog());
    const QList<BadgeRow> rows = pool.rows();
    QCOMPARE(rows.size(), 5);
    QCOMPARE(BadgePool::isBadgeOut(rows.at(2)), out);
    const QList<int> expected = out ? QList<int>{1, 2, 4, 5} : QList<int>{1, 2, 3, 4, 5};
    QCOMPARE(pool.listFreeBadges(), expected);
}

void BadgePoolTest::freeBadgesInStoredOrder()
{
    DeskFixture f(3);
    // Rows appended later come later, whatever their number.
    f.append(QStringLiteral("Ausweis.dbf"), {{"Ausweis", "9"}, {"Kommt", "25:00"}});
    f.append(QStringLiteral("Ausweis.dbf"), {{"Ausweis", "4"}, {"Kommt", "25:00"}});
    f.occupy(1, QStringLiteral("07:00"), QStringLiteral("10.12.2026"));
    BadgePool pool(f.db(), f.session->eventLog());
    QCOMPARE(pool.listFreeBadges(), (QList<int>{2, 3, 9, 4}));
    QCOMPARE(pool.firstFreeBadge(), std::optional<int>(2));
    f.occupy(2, QStringLiteral("07:00"), QStringLiteral("10.12.2026"));
    f.occupy(3, QStringLiteral("07:00"), QStringLiteral("10.12.2026"));
    QCOMPARE(pool.firstFreeBadge(), std::optional<int>(9));
}

void BadgePoolTest::allBadgesOut()
{
    DeskFixture f(3);
    for (int n = 1; n <= 3; ++n)
        f.occupy(n, QStringLiteral("07:00"), QStringLiteral("10.12.2026"));
    BadgePool pool(f.db(), f.session->eventLog());
    QVERIFY(pool.listFreeBadges().isEmpty());
    QVERIFY(!pool.firstFreeBadge());
    QCOMPARE(BadgePool::noFreeBadgeMessage(), QStringLiteral("Es sind keine weiteren Nummern mehr frei."));
}

void BadgePoolTest::occupyAndRelease()
{
    DeskFixture f(20);
    BadgePool pool(f.db(), f.session->eventLog());
    QVERIFY(pool.occupyBadge(12, QStringLiteral("08:15"), QStringLiteral("10.12.2026"), QStringLiteral("77")));
    QCOMPARE(f.badge(12).value("KOMMT"), QStringLiteral("08:15"));
    QCOMPARE(f.badge(12).value("TAG"), QStringLiteral("10.12.2026"));
    QCOMPARE(f.badge(11).value("KOMMT"), QStringLiteral("25:00"));
    QVERIFY(!pool.listFreeBadges().contains(12));

    f.clock.advance(3600);
    QVERIFY(pool.releaseBadge(12, QStringLiteral("77")));
    QCOMPARE(f.badge(12).value("KOMMT"), QStringLiteral("25:00"));
    QCOMPARE(f.badge(12).value("TAG"), QString());
    QCOMPARE(f.logLines(),
             (QStringList{"10.12.2026 08:15:30: Systemanmeldung --> Besucher KOMMT -> Ausweis 12 in "
                          "Ausweistabelle belegt: Kommt 08:15\tVorgang: 77",
                          "10.12.2026 09:15:30: Systemanmeldung --> Besucher GEHT -> Ausweis 12 in "
                          "Ausweistabelle frei gegeben: Kommt 25:00\tVorgang: 77"}));
    // Back in the pool, badge 12 is offered in its stored place again.
    QCOMPARE(pool.listFreeBadges().at(11), 12);
}

void BadgePoolTest::unknownNumberChangesNothing()
{
    DeskFixture f(5);
    BadgePool pool(f.db(), f.session->eventLog());
    const auto before = f.snapshot();
    QVERIFY(!pool.releaseBadge(6, QStringLiteral("1")));
    QVERIFY(!pool.occupyBadge(0, QStringLiteral("08:15"), QStringLiteral("10.12.2026"), QStringLiteral("1")));
    QCOMPARE(f.snapshot(), before);
    QVERIFY(f.logLines().isEmpty());
}

void BadgePoolTest::progressLabels()
{
    DeskFixture f(200);
    BadgePool pool(f.db(), f.session->eventLog());
    QList<int> done;
    QStringList labels;
    pool.listFreeBadges([&](int d, int total) {
        QCOMPARE(total, 200);
        done << d;
        labels << BadgePool::progressText(d, total);
    });
    QCOMPARE(done.first(), 0);
    QCOMPARE(done.last(), 200);
    QVERIFY(std::is_sorted(done.begin(), done.end()));
    // Reported whenever the whole percentage moves on, not for every row.
    QCOMPARE(done.size(), 101);
    QVERIFY(labels.contains(QStringLiteral(" 42%  Moment bitte ...")));
    QCOMPARE(labels.last(), QStringLiteral(" 100%  Moment bitte ..."));
    QCOMPARE(BadgePool::progressText(2, 3), QStringLiteral(" 66%  Moment bitte ..."));
}

void BadgePoolTest::badgeOfListEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("badge");
    QTest::newRow("departure entry") << "12 | Bau-Union KG, O'Brien, Anna" << "12";
    QTest::newRow("out without visit") << "1204 | " << "1204";
    QTest::newRow("arrival entry") << "7" << "7";
    QTest::newRow("first bar counts") << "3 | A | B" << "3";
    QTest::newRow("cut entry") << "15 | Schäfer & Sö..." << "15";
    QTest::newRow("empty") << "" << "";
}

void BadgePoolTest::badgeOfListEntry()
{
    QFETCH(QString, entry);
    QFETCH(QString, badge);
    QCOMPARE(BadgePool::badgeOfListEntry(entry), badge);
}

void BadgePoolTest::manualBadgeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number"); // 0: invalid
    QTest::newRow("0000") << "0000" << 0;
    QTest::newRow("no digits") << "    " << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("0012") << "0012" << 12;
    QTest::newRow("9999") << "9999" << 9999;
    QTest::newRow("digits with blanks") << "12  " << 12;
    QTest::newRow("not a number") << "1a2" << 0;
    QTest::newRow("negative") << "-1" << 0;
}

void BadgePoolTest::manualBadgeNumber()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    const std::optional<int> read = BadgePool::readManualBadgeNumber(text);
    QCOMPARE(read.value_or(0), number);
    if (number > 0)
        QCOMPARE(BadgePool::readManualBadgeNumber(BadgePool::manualBadgeText(number)), read);
}

void BadgePoolTest::nextPersonalNumber_data()
{
    QTest::addColumn<QList<int>>("used");
    QTest::addColumn<QString>("next"); // the manual entry text; empty: none left
    QTest::newRow("none used") << QList<int>{} << "0001";
    QTest::newRow("1 2 4") << QList<int>{4, 1, 2} << "0003";
    QTest::newRow("gap after records without number") << QList<int>{0, 1, 0} << "0002";
    QList<int> all;
    for (int i = 5000; i >= 1; --i)
        all << i;
    QTest::newRow("all 5000 taken") << all << "";
    QTest::newRow("beyond 5000 does not count") << QList<int>{5001} << "0001";
}

void BadgePoolTest::nextPersonalNumber()
{
    QFETCH(QList<int>, used);
    QFETCH(QString, next);
    DeskFixture f(1);
    {
        auto stamm = data::DbfTable::open(f.dbFile(QStringLiteral("Stamm.dbf")));
        const int number = stamm->fieldIndexOrThrow(QStringLiteral("Ausweis"));
        const int name = stamm->fieldIndexOrThrow(QStringLiteral("Name"));
        for (int n : used)
            stamm->append({{number, n > 0 ? QString::number(n) : QString()}, {name, QStringLiteral("X")}});
    }
    BadgePool pool(f.db(), f.session->eventLog());
    const std::optional<int> result = pool.nextPersonalBadgeNumber();
    QCOMPARE(result ? BadgePool::manualBadgeText(*result) : QString(), next);
    if (!used.isEmpty() && used.first() > 0 && used.first() <= 5000) {
        QVERIFY(pool.isPersonalBadgeNumber(used.first()));
    }
    QVERIFY(!pool.isPersonalBadgeNumber(result.value_or(-1)));
}

LOBRIX_TEST(BadgePoolTest)
#include "BadgePoolTest.moc"
