#include "layouts/ui/VisitFormPrinting.h"

#include "../PrintFixtures.h"
#include "PdfProbe.h"
#include "PrintHooks.h"
#include "TestInstallation.h"
#include "TestRegistry.h"
#include "data/DbfCursor.h"
#include "data/DefaultStructure.h"
#include "layouts/LayoutLocations.h"

#include <QFile>
#include <QTest>
#include <QWidget>
#include <optional>

using namespace lobrix;
using namespace lobrix::layouts;
using namespace lobrix::test;
using registration::PrintKind;
using registration::VisitPrintRequest;

// The visit form's print request, printed: what its controls show reaches the layouts,
// and what the visit stores reaches the print table.
class VisitFormPrintingTest : public QObject
{
    Q_OBJECT

    std::optional<TestInstallation> m_install;
    std::optional<PrintHooks> m_hooks;
    QStringList m_status;

    VisitPrintRequest request(PrintKind kind)
    {
        VisitPrintRequest r;
        r.kind = kind;
        r.visit.name = QStringLiteral("Müller");
        r.visit.vorname = QStringLiteral("Jürgen");
        r.visit.firma = QStringLiteral("Straßenbau Öhringen");
        r.visit.ziel = QStringLiteral("Einkauf");
        // Shown labels: stored "ja" whether ticked or not.
        r.visit.info = {true, true, false, false};
        r.infoCaptions = {QStringLiteral("Helm"), QStringLiteral("Brille"),
                          QStringLiteral("Kamera"), QStringLiteral("Laptop")};
        r.infoTicked = {true, false, true, false};
        r.visitNumber = QStringLiteral("4711");
        r.badge = QStringLiteral("17");
        r.kommt = QStringLiteral("08:15");
        r.tag = QStringLiteral("04.03.2026");
        r.formDate = QStringLiteral("05.03.2026");
        r.user = QStringLiteral("Pforte");
        r.quittung = true;
        r.ressourcen = QStringLiteral("Beamer");
        r.showStatus = [this](const QString &text) { m_status << text; };
        return r;
    }

    bool print(const VisitPrintRequest &r)
    {
        QWidget form;
        return VisitFormPrinting::action(m_install->startFolder(), m_install->databaseFolder(),
                                         &form)(r);
    }

private slots:
    void init()
    {
        m_install.emplace(1);
        m_hooks.emplace(m_install->root());
        m_status.clear();
        writePrintSettings(m_install->startFolder(),
                           {{QStringLiteral("Options/Printer1"), QStringLiteral("0")},
                            {QStringLiteral("Options/Printer2"), QStringLiteral("1")}});
    }
    void cleanup()
    {
        m_hooks.reset();
        m_install.reset();
    }

    // Info fields print the caption of a ticked box; the sheet prints what only it has.
    void visitorSheetPrintsTheFormsValues()
    {
        const char *const keys[] = {
            fields::Info1,    fields::Info2,  fields::Info3,  fields::Info4, fields::Ressourcen,
            fields::QUITTUNG, fields::NUTZER, fields::Tag,    fields::Kommt, fields::VORGANG,
            fields::Ausweis,  fields::ZIEL,   fields::Vorname};
        QList<LayoutLabel> labels;
        int slot = 0;
        for (const char *key : keys) {
            ++slot;
            labels << printLabel(slot, 40, 40 * slot, QStringLiteral("%1:").arg(slot));
            labels << printLabel(100 + slot, 200, 40 * slot, QString(), key);
        }
        writePrintLayout(LayoutLocations::visitorSheet(m_install->startFolder()),
                         LayoutFamily::VisitorSheet, true, labels);

        QVERIFY(print(request(PrintKind::VisitorSheet)));

        QVERIFY(m_hooks->messages.isEmpty());
        const QStringList lines = pdfLines(m_hooks->outputOf(1));
        const QStringList expected{
            "1: Helm", "2:",          "3: Kamera",     "4:",       "5: Beamer",
            "6: ja",   "7: Pforte",   "8: 04.03.2026", "9: 08:15", "10: 4711",
            "11: 17",  "12: Einkauf", "13: Jürgen"};
        for (const QString &line : expected)
            QVERIFY2(lines.contains(line),
                     qPrintable(line + QStringLiteral(" in ") + lines.join(u'|')));
        QCOMPARE(m_status,
                 QStringList({QStringLiteral("Drucke Bestätigung auf Empfang"), QString()}));
    }

    void badgeFollowsTheBadgeType()
    {
        writePrintLayout(
            QDir(m_install->databaseFolder()).filePath(QStringLiteral("Ausweis Gast.ini")),
            LayoutFamily::Badge, false,
            {printLabel(1, 10, 10, QStringLiteral("GAST")),
             printLabel(2, 10, 100, QString(), fields::Name)});
        VisitPrintRequest r = request(PrintKind::Badge);
        r.badgeLayout = QStringLiteral("Ausweis Gast");

        QVERIFY(print(r));

        QCOMPARE(m_hooks->attached, QStringList(QStringLiteral("Karten")));
        const QString text = pdfText(m_hooks->outputOf(0));
        QVERIFY2(text.contains(QStringLiteral("GAST")) &&
                     text.contains(QStringLiteral("Müller, Jürgen")),
                 qPrintable(text));
    }

    // Nothing printed is false for the form: a cancelled dialog, a refused printer.
    void reportsWhetherSomethingWasPrinted()
    {
        m_hooks->accept = false;
        QVERIFY(!print(request(PrintKind::Badge)));
        m_hooks->accept = true;
        m_hooks->printers.clear();
        QVERIFY(!print(request(PrintKind::VisitorSheet)));
        QCOMPARE(m_hooks->messages.size(), 1);
        QVERIFY(m_hooks->printedFiles().isEmpty());
    }

    // The print table carries the stored information fields and the form's date.
    void externalPrintFillsThePrintTable()
    {
        writePrintSettings(
            m_install->startFolder(),
            {{QStringLiteral("Druck/Extern"), QStringLiteral("1")},
             {QStringLiteral("BesucherscheinExtern/Pfad"), QStringLiteral("Schein.odt")}});
        QFile document(QDir(m_install->startFolder()).filePath(QStringLiteral("Schein.odt")));
        QVERIFY(document.open(QIODevice::WriteOnly));

        QVERIFY(print(request(PrintKind::VisitorSheet)));

        QCOMPARE(m_hooks->opened.size(), 1);
        data::DbfCursor table(m_install->startFolder(),
                              QString::fromLatin1(data::DefaultStructure::kPrintTable));
        QVERIFY(table.first());
        const auto value = [&](const char *column) {
            return table.value(QString::fromLatin1(column));
        };
        QCOMPARE(value("Info1"), QStringLiteral("ja"));
        QCOMPARE(value("Info2"), QStringLiteral("ja"));
        QCOMPARE(value("Info3"), QStringLiteral("nein"));
        QCOMPARE(value("Info4"), QStringLiteral("nein"));
        QCOMPARE(value("Tag"), QStringLiteral("05.03.2026"));
        QCOMPARE(value("Kommt"), QStringLiteral("08:15"));
        QCOMPARE(value("Ausweis"), QStringLiteral("17"));
        QCOMPARE(value("Vorgang"), QStringLiteral("4711"));
        QCOMPARE(value("Quittung"), QStringLiteral("ja"));
        QCOMPARE(value("Nutzer"), QStringLiteral("Pforte"));
        QCOMPARE(value("Firma"), QStringLiteral("Straßenbau Öhringen"));
    }
};

LOBRIX_TEST(VisitFormPrintingTest)
#include "VisitFormPrintingTest.moc"
