#include "shell/UserScrambler.h"

#include "TestRegistry.h"
#include "common/CodePage.h"

#include <QSet>
#include <QTest>

using lobrix::shell::UserScrambler;

namespace
{
// What names and passwords may hold, as the users page promises it.
const QString kAllowed = QStringLiteral(" 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                        "abcdefghijklmnopqrstuvwxyzÄÖÜäöüß"
                                        "!\"#$%&'()*+,-./:;<=>?@_§€");
} // namespace

class UserScramblerTest : public QObject
{
    Q_OBJECT

private slots:
    void everyAllowedCharacterRoundTrips_data()
    {
        QTest::addColumn<QChar>("plain");
        for (const QChar c : kAllowed)
            QTest::newRow(qPrintable(
                QStringLiteral("U+%1 %2").arg(int(c.unicode()), 4, 16, QChar(u'0')).arg(c)))
                << c;
    }

    void everyAllowedCharacterRoundTrips()
    {
        QFETCH(QChar, plain);
        const QString stored = UserScrambler::scrambleText(QString(plain));
        QCOMPARE(stored.size(), 1);
        QVERIFY(stored != QStringLiteral("~"));
        QVERIFY(stored != QString(plain));
        QVERIFY(lobrix::canEncode(lobrix::CodePage::Cp1252, stored));
        QVERIFY(stored.at(0).isPrint() && !stored.at(0).isSpace());
        QCOMPARE(UserScrambler::unscrambleText(stored), QString(plain));
        QVERIFY(!UserScrambler::firstUnsupported(QString(plain)));
    }

    // 95 pairs, each side without repeats, so that unscrambling is unambiguous.
    void tableIsAOneToOneMapping()
    {
        QCOMPARE(UserScrambler::plainCharacters().size(), UserScrambler::PairCount);
        QCOMPARE(QSet<QChar>(kAllowed.begin(), kAllowed.end()).size(), UserScrambler::PairCount);
        const QString plain = UserScrambler::plainCharacters();
        QCOMPARE(QSet<QChar>(plain.begin(), plain.end()),
                 QSet<QChar>(kAllowed.begin(), kAllowed.end()));
        const QString stored = UserScrambler::scrambleText(kAllowed);
        QCOMPARE(QSet<QChar>(stored.begin(), stored.end()).size(), UserScrambler::PairCount);
        QCOMPARE(UserScrambler::unscrambleText(stored), kAllowed);
        QVERIFY(!UserScrambler::storedCharacters().contains(u'~'));
        for (int i = 0; i < UserScrambler::PairCount; ++i)
            QVERIFY(UserScrambler::fillerCharacter(i) != u'~');
    }

    // The stored form is the file format: files written today must read tomorrow.
    void storedFormIsFixed_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("stored");
        QTest::newRow("demo") << "demo"
                              << "rwv#";
        QTest::newRow("umlauts") << QStringLiteral("Müller") << QStringLiteral("§Yxxw9");
        QTest::newRow("digits of the rights") << "012345678"
                                              << ".\\p=0PH!K";
        QTest::newRow("signs") << QStringLiteral("€ §_") << QStringLiteral("DL1-");
    }

    void storedFormIsFixed()
    {
        QFETCH(QString, plain);
        QFETCH(QString, stored);
        QCOMPARE(UserScrambler::scrambleText(plain), stored);
        QCOMPARE(UserScrambler::unscrambleText(stored), plain);
    }

    void charactersOutsideTheTable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("firstBad");
        QTest::addColumn<QString>("scrambledAsIf");
        QTest::newRow("backslash") << "a\\b" << QChar(u'\\') << "ab";
        QTest::newRow("tilde") << "~x" << QChar(u'~') << "x";
        QTest::newRow("brackets") << "[a]{b}" << QChar(u'[') << "ab";
        QTest::newRow("TAB") << "a\tb" << QChar(u'\t') << "ab";
        QTest::newRow("accent") << QStringLiteral("é1") << QChar(u'é') << "1";
    }

    // Scrambling drops what the table lacks; callers that store refuse such text first.
    void charactersOutsideTheTable()
    {
        QFETCH(QString, text);
        QFETCH(QChar, firstBad);
        QFETCH(QString, scrambledAsIf);
        QCOMPARE(UserScrambler::firstUnsupported(text), std::optional<QChar>(firstBad));
        QCOMPARE(UserScrambler::scrambleText(text), UserScrambler::scrambleText(scrambledAsIf));
    }

    void unscramblingDropsUnknownStoredCharacters()
    {
        const QString stored = UserScrambler::scrambleText(QStringLiteral("Anna"));
        QCOMPARE(UserScrambler::unscrambleText(u'~' + stored + QStringLiteral(" \u00E9")),
                 QStringLiteral("Anna"));
    }
};

LOBRIX_TEST(UserScramblerTest)
#include "UserScramblerTest.moc"
