#include "layouts/LayoutFields.h"

#include "TestRegistry.h"
#include "layouts/VisitValues.h"

#include <QTest>

using namespace lobrix::layouts;

Q_DECLARE_METATYPE(lobrix::layouts::LayoutFamily)

// The field keys, the two designers' lists and the texts a bound item prints.
class LayoutFieldsTest : public QObject
{
    Q_OBJECT

private slots:
    void indexesOfBothDesigners_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("badgeIndex");
        QTest::addColumn<int>("sheetIndex");
        QTest::addColumn<QString>("badgeEntry");
        QTest::addColumn<QString>("sheetEntry");
        const auto row = [](const char *key, int badge, int sheet, const char *badgeEntry,
                            const char *sheetEntry) {
            QTest::newRow(key) << QString::fromLatin1(key) << badge << sheet
                               << QString::fromUtf8(badgeEntry) << QString::fromUtf8(sheetEntry);
        };
        row("Tag", 0, 0, "Tag des Besuchs", "Tag des Besuchs");
        row("Kommt", 1, 1, "Beginn", "Beginn");
        row("Ausweis", 2, 2, "Ausweis-Nr.", "Ausweis-Nr.");
        row("Name", 3, 3, "Name, Vorname", "Name");
        row("Vorname", -1, 4, "", "Vorname");
        row("PANR", 4, 5, "PA-Nr.", "PA-Nr.");
        row("Firma", 5, 6, "Firma", "Firma");
        row("ORT", 8, 9, "Ort", "Ort");
        row("KFZ", 11, 12, "Kfz-Kz.", "Kfz-Kz.");
        row("ZIEL", 13, 14, "Besuchsziel", "Besuchsziel");
        row("QUITTUNG", 14, 15, "Besuchsbestätigung", "Besuchsbestätigung");
        row("GUELTIGVON", 16, 17, "Gültig von", "Gültig von");
        row("GUELTIGBIS", 17, 18, "Gültig bis", "Gültig bis");
        row("VORGANG", 18, 19, "Vorgangs-Nr.", "Vorgangs-Nr.");
        row("FOTO", 19, 20, "Foto", "Foto");
        row("Info1", 20, 21, "Info1", "Info1");
        row("Info4", 23, 24, "Info4", "Info4");
        row("Ressourcen", -1, 25, "", "Ressourcen");
        row("ort", -1, -1, "", "");
    }
    void indexesOfBothDesigners()
    {
        QFETCH(QString, key);
        QFETCH(int, badgeIndex);
        QFETCH(int, sheetIndex);
        QFETCH(QString, badgeEntry);
        QFETCH(QString, sheetEntry);
        QCOMPARE(LayoutFields::indexOf(LayoutFamily::Badge, key), badgeIndex);
        QCOMPARE(LayoutFields::indexOf(LayoutFamily::VisitorSheet, key), sheetIndex);
        QCOMPARE(LayoutFields::isPrinted(LayoutFamily::Badge, key), badgeIndex >= 0);
        if (badgeIndex >= 0) {
            QCOMPARE(LayoutFields::fieldKey(LayoutFamily::Badge, badgeIndex), key);
            QCOMPARE(LayoutFields::entryNames(LayoutFamily::Badge).at(badgeIndex), badgeEntry);
            QCOMPARE(LayoutFields::boundCaption(LayoutFamily::Badge, badgeIndex),
                     u'[' + badgeEntry + u']');
        }
        if (sheetIndex >= 0) {
            QCOMPARE(LayoutFields::fieldKey(LayoutFamily::VisitorSheet, sheetIndex), key);
            QCOMPARE(LayoutFields::entryNames(LayoutFamily::VisitorSheet).at(sheetIndex),
                     sheetEntry);
        }
    }

    void listLengthsAndBounds()
    {
        QCOMPARE(LayoutFields::entryNames(LayoutFamily::Badge).size(), 24);
        QCOMPARE(LayoutFields::entryNames(LayoutFamily::VisitorSheet).size(), 26);
        for (LayoutFamily family : {LayoutFamily::Badge, LayoutFamily::VisitorSheet}) {
            const int size = static_cast<int>(LayoutFields::entryNames(family).size());
            QCOMPARE(LayoutFields::fieldKey(family, -1), QString());
            QCOMPARE(LayoutFields::fieldKey(family, size), QString());
            QCOMPARE(LayoutFields::boundCaption(family, -1), QString());
        }
    }

    void printedText_data()
    {
        QTest::addColumn<LayoutFamily>("family");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("expected");
        const LayoutFamily badge = LayoutFamily::Badge;
        const LayoutFamily sheet = LayoutFamily::VisitorSheet;
        QTest::newRow("badge name with first name") << badge << "Name"
                                                    << "Anna"
                                                    << "Meier, Anna";
        QTest::newRow("badge name alone") << badge << "Name"
                                          << ""
                                          << "Meier";
        QTest::newRow("sheet name is the surname") << sheet << "Name"
                                                   << "Anna"
                                                   << "Meier";
        QTest::newRow("sheet first name") << sheet << "Vorname"
                                          << "Anna"
                                          << "Anna";
        QTest::newRow("badge prints no first name") << badge << "Vorname"
                                                    << "Anna"
                                                    << "";
        QTest::newRow("badge prints no resources") << badge << "Ressourcen"
                                                   << ""
                                                   << "";
        QTest::newRow("sheet resources") << sheet << "Ressourcen"
                                         << ""
                                         << "Beamer";
        QTest::newRow("badge visit number") << badge << "VORGANG"
                                            << ""
                                            << "4711";
        QTest::newRow("photo prints no text") << sheet << "FOTO"
                                              << ""
                                              << "";
        QTest::newRow("unknown key") << sheet << "Abteilung"
                                     << ""
                                     << "";
        QTest::newRow("key case matters") << sheet << "firma"
                                          << ""
                                          << "";
    }
    void printedText()
    {
        QFETCH(LayoutFamily, family);
        QFETCH(QString, key);
        QFETCH(QString, firstName);
        QFETCH(QString, expected);
        VisitValues visit;
        visit.set(QStringLiteral("Name"), QStringLiteral("Meier"));
        visit.set(QStringLiteral("Vorname"), firstName);
        visit.set(QStringLiteral("Ressourcen"), QStringLiteral("Beamer"));
        visit.set(QStringLiteral("VORGANG"), QStringLiteral("4711"));
        visit.set(QStringLiteral("FOTO"), QStringLiteral("foto.jpg"));
        visit.set(QStringLiteral("Abteilung"), QStringLiteral("Einkauf"));
        visit.set(QStringLiteral("Firma"), QStringLiteral("ACME"));
        QCOMPARE(visit.printedText(family, key), expected);
    }
};

LOBRIX_TEST(LayoutFieldsTest)
#include "LayoutFieldsTest.moc"
