#include "layouts/PrintPlan.h"

#include "PrintFixtures.h"
#include "TestRegistry.h"
#include "common/Error.h"
#include "layouts/Layout.h"
#include "layouts/PrinterList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace lobrix;
using namespace lobrix::layouts;

using Settings = lobrix::test::PrintSettings;

// What a print of a visit will do, from settings.ini alone; and which printer a
// position in the printer list names.
class PrintPlanTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;

    QString start() const { return m_dir->filePath(QStringLiteral("start")); }
    QString database() const { return m_dir->filePath(QStringLiteral("db")); }

    void writeSettings(const Settings &settings) { test::writePrintSettings(start(), settings); }

    static Layout layout(LayoutFamily family, bool portrait)
    {
        Layout l;
        l.family = family;
        l.portrait = portrait;
        return l;
    }

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(QDir().mkpath(start()) && QDir().mkpath(database()));
    }
    void cleanup() { m_dir.reset(); }

    // [Druck] Extern switches both documents; each has its own document and printer.
    void externalAndPrinterPerDocument_data()
    {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<bool>("badge");
        QTest::addColumn<bool>("external");
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("printer");
        const Settings both{
            {QStringLiteral("Druck/Extern"), QStringLiteral("1")},
            {QStringLiteral("BesucherscheinExtern/Pfad"), QStringLiteral("schein.odt")},
            {QStringLiteral("AusweisdruckExtern/Pfad"), QStringLiteral("karte.odt")},
            {QStringLiteral("Options/Printer1"), QStringLiteral("2")},
            {QStringLiteral("Options/Printer2"), QStringLiteral("-1")}};
        QTest::newRow("nothing set: sheet") << Settings{} << false << false << QString() << 0;
        QTest::newRow("nothing set: badge") << Settings{} << true << false << QString() << 0;
        QTest::newRow("external sheet")
            << both << false << true << QStringLiteral("schein.odt") << 2;
        QTest::newRow("external badge")
            << both << true << true << QStringLiteral("karte.odt") << -1;
        QTest::newRow("any value but 0 is external")
            << Settings{{QStringLiteral("Druck/Extern"), QStringLiteral("7")}} << true << true
            << QString() << 0;
        QTest::newRow("0 prints from the layout")
            << Settings{{QStringLiteral("Druck/Extern"), QStringLiteral("0")},
                        {QStringLiteral("AusweisdruckExtern/Pfad"), QStringLiteral("karte.odt")}}
            << true << false << QStringLiteral("karte.odt") << 0;
    }
    void externalAndPrinterPerDocument()
    {
        QFETCH(Settings, settings);
        QFETCH(bool, badge);
        writeSettings(settings);
        const PrintPlan plan = badge ? PrintPlan::badge(start(), database(), QString())
                                     : PrintPlan::visitorSheet(start());
        QTEST(plan.external, "external");
        QTEST(plan.externalDocument, "document");
        QTEST(plan.printerPosition, "printer");
        QCOMPARE(plan.family, badge ? LayoutFamily::Badge : LayoutFamily::VisitorSheet);
    }

    void layoutFiles()
    {
        writeSettings({{QStringLiteral("Besucherschein/Pfad"), QStringLiteral("Quittung2.ini")}});
        QCOMPARE(PrintPlan::visitorSheet(start()).layoutPath,
                 QDir(start()).filePath(QStringLiteral("Quittung2.ini")));
        QCOMPARE(PrintPlan::badge(start(), database(), QString()).layoutPath,
                 QDir(start()).filePath(QStringLiteral("Badge.ini")));
        QCOMPARE(PrintPlan::badge(start(), database(), QStringLiteral("Ausweis Gast")).layoutPath,
                 QDir(database()).filePath(QStringLiteral("Ausweis Gast.ini")));
    }

    void titlesAndStatusLines()
    {
        const PrintPlan sheet = PrintPlan::visitorSheet(start());
        const PrintPlan badge = PrintPlan::badge(start(), database(), QString());
        QCOMPARE(sheet.documentTitle(), QStringLiteral("Besucherschein"));
        QCOMPARE(badge.documentTitle(), QStringLiteral("Besucherausweis"));
        QCOMPARE(sheet.statusText(QStringLiteral("Empfang")),
                 QStringLiteral("Drucke Bestätigung auf Empfang"));
        QCOMPARE(badge.statusText(QStringLiteral("Kartendrucker")),
                 QStringLiteral("Drucke Ausweis auf Kartendrucker"));
    }

    // HochQuer turns the badge printer against the layout; the sheet follows its layout.
    void orientation_data()
    {
        QTest::addColumn<bool>("badge");
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<QString>("hochQuer");
        QTest::addColumn<QPageLayout::Orientation>("expected");
        QTest::newRow("badge landscape") << true << false << "0" << QPageLayout::Landscape;
        QTest::newRow("badge portrait") << true << true << "0" << QPageLayout::Portrait;
        QTest::newRow("badge landscape, HochQuer") << true << false << "1" << QPageLayout::Portrait;
        QTest::newRow("badge portrait, HochQuer") << true << true << "1" << QPageLayout::Landscape;
        QTest::newRow("sheet portrait, HochQuer") << false << true << "1" << QPageLayout::Portrait;
        QTest::newRow("sheet landscape, HochQuer")
            << false << false << "1" << QPageLayout::Landscape;
    }
    void orientation()
    {
        QFETCH(bool, badge);
        QFETCH(bool, portrait);
        QFETCH(QString, hochQuer);
        writeSettings({{QStringLiteral("Options/HochQuer"), hochQuer}});
        const PrintPlan plan = badge ? PrintPlan::badge(start(), database(), QString())
                                     : PrintPlan::visitorSheet(start());
        QTEST(plan.orientation(layout(plan.family, portrait)), "expected");
    }

    // The badge card is the paper: AusweisBreite across, AusweisHoehe down, in portrait.
    void badgePage_data()
    {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<bool>("badge");
        QTest::addColumn<QSizeF>("millimetres"); // empty: the printer keeps its paper
        const Settings card{{QStringLiteral("Options/AusweisBreite"), QStringLiteral("54")},
                            {QStringLiteral("Options/AusweisHoehe"), QStringLiteral("86")}};
        QTest::newRow("ID-1 card") << card << true << QSizeF(54, 86);
        QTest::newRow("the sheet prints on the printer's paper") << card << false << QSizeF();
        QTest::newRow("card size not set") << Settings{} << true << QSizeF();
        QTest::newRow("one edge not set")
            << Settings{{QStringLiteral("Options/AusweisHoehe"), QStringLiteral("86")}} << true
            << QSizeF();
    }
    void badgePage()
    {
        QFETCH(Settings, settings);
        QFETCH(bool, badge);
        QFETCH(QSizeF, millimetres);
        writeSettings(settings);
        const PrintPlan plan = badge ? PrintPlan::badge(start(), database(), QString())
                                     : PrintPlan::visitorSheet(start());
        const QPageSize page = plan.pageSize();
        QCOMPARE(page.isValid(), !millimetres.isEmpty());
        if (page.isValid())
            QCOMPARE(page.size(QPageSize::Millimeter), millimetres);
    }

    // The desktop opens the document relative to the start folder.
    void externalDocumentFile_data()
    {
        QTest::addColumn<QString>("pfad");
        QTest::addColumn<QString>("file"); // relative to the start folder, or absolute
        QTest::newRow("name in the start folder") << "Vorlagen/Schein.odt"
                                                  << "Vorlagen/Schein.odt";
        QTest::newRow("absolute path") << "/srv/druck/Karte.odt"
                                       << "/srv/druck/Karte.odt";
        QTest::newRow("not set") << ""
                                 << "";
        QTest::newRow("blank") << "  "
                               << "";
    }
    void externalDocumentFile()
    {
        QFETCH(QString, pfad);
        QFETCH(QString, file);
        PrintPlan plan = PrintPlan::visitorSheet(start());
        plan.externalDocument = pfad;
        QCOMPARE(plan.externalDocumentFile(),
                 file.isEmpty() ? QString() : QDir(start()).absoluteFilePath(file));
    }

    void printerAtPosition_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("defaultName");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("printer"); // empty: refused
        const QStringList three{QStringLiteral("Empfang"), QStringLiteral("Karten"),
                                QStringLiteral("Büro")};
        QTest::newRow("first") << three << "Büro" << 0 << "Empfang";
        QTest::newRow("last") << three << "Büro" << 2 << "Büro";
        QTest::newRow("default") << three << "Karten" << -1 << "Karten";
        QTest::newRow("beyond the list") << three << "Büro" << 3 << "";
        QTest::newRow("below -1") << three << "Büro" << -2 << "";
        QTest::newRow("no default printer") << three << "" << -1 << "";
        QTest::newRow("no printer at all") << QStringList() << "" << 0 << "";
    }
    void printerAtPosition()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, defaultName);
        QFETCH(int, position);
        QFETCH(QString, printer);
        const PrinterList list(names, defaultName);
        if (!printer.isEmpty()) {
            QCOMPARE(list.at(position), printer);
            return;
        }
        try {
            const QString chosen = list.at(position);
            QFAIL(qPrintable(QStringLiteral("printed on ") + chosen));
        } catch (const Error &e) {
            QVERIFY2(e.message().endsWith(QStringLiteral("Es wurde nichts gedruckt.")),
                     qPrintable(e.message()));
            if (!names.isEmpty() && position != -1)
                QVERIFY2(e.message().contains(QString::number(position)), qPrintable(e.message()));
        }
    }
};

LOBRIX_TEST(PrintPlanTest)
#include "PrintPlanTest.moc"
