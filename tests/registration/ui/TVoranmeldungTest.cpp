// The pre-registration list through the real window: what it lists, its sorting, search,
// colours, window memory, the take-over into the visit form, and the other application
// writing while the list reads.
#include "TestRegistry.h"
#include "VisitFormFixture.h"

#include "common/IniFile.h"
#include "common/TimeText.h"
#include "registration/ui/TVoranmeldung.h"
#include "shell/SettingsKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QProcess>
#include <QTableView>
#include <QTimer>

using namespace lobrix;
using namespace lobrix::registration;
using namespace lobrix::test;

namespace {

QString dayText(const DeskFixture &desk, int offset)
{
    return DateText(desk.clock.now().date().addDays(offset));
}

void announce(const DeskFixture &desk, const QString &nr, const QString &name, int dayOffset,
              const QString &uhrzeit = QString(), const QString &vorgang = QString(),
              const QString &anwesend = QString())
{
    desk.append(QStringLiteral("Voranmel.dbf"), {{QStringLiteral("NR"), nr},
                                                 {QStringLiteral("Name"), name},
                                                 {QStringLiteral("Tag"), dayText(desk, dayOffset)},
                                                 {QStringLiteral("Uhrzeit"), uhrzeit},
                                                 {QStringLiteral("Vorgang"), vorgang},
                                                 {QStringLiteral("Anwesend"), anwesend}});
}

// The names of the listed rows, in the grid's order.
QStringList listed(TVoranmeldung &list)
{
    auto *grid = list.findChild<QTableView *>(QStringLiteral("Grid"));
    QAbstractItemModel *m = grid->model();
    int nameColumn = -1;
    for (int c = 0; c < m->columnCount(); ++c)
        if (m->headerData(c, Qt::Horizontal, Qt::EditRole).toString().compare(u"Name", Qt::CaseInsensitive) == 0)
            nameColumn = c;
    while (m->canFetchMore({}))
        m->fetchMore({});
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, nameColumn).data().toString();
    return out;
}

} // namespace

class TVoranmeldungTest : public QObject {
    Q_OBJECT

private slots:
    // Unticked: today and later, never the past; ticked: today only. The newest day first.
    void listsTodayAndLater()
    {
        VisitFormFixture f;
        announce(f.desk, "1", "Gestern", -1);
        announce(f.desk, "2", "Heute", 0, "09:00");
        announce(f.desk, "3", "Morgen", 1);
        announce(f.desk, "4", "Heute früh", 0, "07:30");
        TVoranmeldung list(*f.desk.session);
        list.show();
        QCOMPARE(list.windowTitle(), QStringLiteral("vorangemeldete Besucher"));
        QCOMPARE(listed(list), (QStringList{"Morgen", "Heute früh", "Heute"}));
        list.findChild<QCheckBox *>(QStringLiteral("chkHeute"))->click();
        QCOMPARE(listed(list), (QStringList{"Heute früh", "Heute"}));
    }

    void sortingAndSearch()
    {
        VisitFormFixture f;
        announce(f.desk, "1", "Zander", 0, "08:00");
        announce(f.desk, "2", "meier", 0, "10:00");
        announce(f.desk, "3", "Adler", 0, "09:00");
        TVoranmeldung list(*f.desk.session);
        list.show();
        auto *sort = list.findChild<QComboBox *>(QStringLiteral("cbxSortierung"));
        QCOMPARE(sort->count(), 9);
        QCOMPARE(sort->currentText(), QStringLiteral("Datum"));
        const QString byDate = list.statement();
        sort->setCurrentText(QStringLiteral("Uhrzeit")); // not without VoranmeldungExt
        QCOMPARE(list.statement(), byDate);
        sort->setCurrentText(QStringLiteral("Name"));
        QVERIFY(list.statement().endsWith(QStringLiteral("Order by Name")));
        QCOMPARE(listed(list), (QStringList{"Adler", "meier", "Zander"}));
        list.findChild<QLineEdit *>(QStringLiteral("edSuche"))->setText(QStringLiteral("MEI"));
        QCOMPARE(list.currentRow()->visit.name, QStringLiteral("meier"));
        QCOMPARE(list.currentRow()->nr, QStringLiteral("2"));
    }

    void extendedSortsByTime()
    {
        VisitFormFixture f;
        f.desk.setOption(shell::keys::settings::VoranmeldungExt, true);
        f.restartSession();
        announce(f.desk, "1", "Spaet", 1, "11:00");
        announce(f.desk, "2", "Frueh", 0, "07:00");
        TVoranmeldung list(*f.desk.session);
        list.show();
        list.findChild<QComboBox *>(QStringLiteral("cbxSortierung"))->setCurrentText(QStringLiteral("Uhrzeit"));
        QVERIFY(list.statement().endsWith(QStringLiteral("Order by Uhrzeit")));
        QCOMPARE(listed(list), (QStringList{"Frueh", "Spaet"}));
    }

    void rowStatesAndColours_data()
    {
        QTest::addColumn<QString>("vorgang");
        QTest::addColumn<QString>("anwesend");
        QTest::addColumn<int>("state");
        QTest::newRow("open") << "" << "" << int(TVoranmeldung::State::Open);
        QTest::newRow("number 0 is open") << "0" << "1" << int(TVoranmeldung::State::Open);
        QTest::newRow("present") << "17" << "1" << int(TVoranmeldung::State::Present);
        QTest::newRow("present as T") << "17" << "T" << int(TVoranmeldung::State::Present);
        QTest::newRow("finished") << "17" << "0" << int(TVoranmeldung::State::Finished);
        QTest::newRow("finished, blank") << "17" << "" << int(TVoranmeldung::State::Finished);
    }
    void rowStatesAndColours()
    {
        QFETCH(QString, vorgang);
        QFETCH(QString, anwesend);
        QFETCH(int, state);
        QCOMPARE(int(TVoranmeldung::stateOf(vorgang, anwesend)), state);
        const QPalette palette;
        const auto s = TVoranmeldung::State(state);
        const TVoranmeldung::Look today = TVoranmeldung::lookOf(s, true, false, false, palette);
        const TVoranmeldung::Look marked = TVoranmeldung::lookOf(s, true, true, true, palette);
        switch (s) {
        case TVoranmeldung::State::Open:
            QCOMPARE(today.ink, QColor(0, 0, 255));
            QCOMPARE(marked.ink, QColor(255, 255, 0));
            QCOMPARE(today.ground, palette.color(QPalette::Base));
            break;
        case TVoranmeldung::State::Present: // blue on light orange
            QCOMPARE(today.ink, QColor(0, 0, 255));
            QCOMPARE(today.ground, QColor(255, 219, 183));
            QCOMPARE(marked.ink, QColor(Qt::white));
            QCOMPARE(marked.ground, palette.color(QPalette::Highlight));
            break;
        case TVoranmeldung::State::Finished:
            QCOMPARE(today.ink, QColor(128, 128, 128));
            QCOMPARE(marked.ink, QColor(192, 192, 192));
            break;
        }
    }

    // The window opens where and as large as it was closed, maximised if it was.
    void windowMemory()
    {
        VisitFormFixture f;
        const QString fenster = QDir(f.desk.startFolder()).filePath(QStringLiteral("Fenster.ini"));
        {
            TVoranmeldung list(*f.desk.session);
            list.show();
            list.setGeometry(40, 50, 700, 300);
            list.findChild<QCheckBox *>(QStringLiteral("chkHeute"))->click();
            list.btnAbbrechenClick();
        }
        const IniFile ini(fenster);
        QCOMPARE(ini.readInt("Voranmeldung", "Left", -1), 40);
        QCOMPARE(ini.readInt("Voranmeldung", "Top", -1), 50);
        QCOMPARE(ini.readInt("Voranmeldung", "Width", -1), 700);
        QCOMPARE(ini.readInt("Voranmeldung", "Height", -1), 300);
        QCOMPARE(ini.readBool("Voranmeldung", "Maximiert", true), false);
        QCOMPARE(ini.readBool("Voranmeldung", "NurHeutigeBesucher", false), true);
        {
            TVoranmeldung list(*f.desk.session);
            list.show();
            QCOMPARE(list.geometry(), QRect(40, 50, 700, 300));
            QVERIFY(list.findChild<QCheckBox *>(QStringLiteral("chkHeute"))->isChecked());
            list.showMaximized();
            list.btnAbbrechenClick();
        }
        QCOMPARE(IniFile(fenster).readBool("Voranmeldung", "Maximiert", false), true);
        QCOMPARE(IniFile(fenster).readInt("Voranmeldung", "Width", -1), 700); // the normal size
        TVoranmeldung again(*f.desk.session);
        again.show();
        QVERIFY(again.isMaximized());
        QCOMPARE(again.width() >= TVoranmeldung::MinWidth, true);
    }

    // Taken over into the visit form: fields, destination, resources; a cancelled form
    // leaves the pre-registration open, a saved one marks it.
    void takeOverAndCancel()
    {
        VisitFormFixture f;
        f.desk.append(QStringLiteral("Voranmel.dbf"), {{QStringLiteral("NR"), QStringLiteral("9")},
                                                       {QStringLiteral("Name"), QStringLiteral("O'Brien")},
                                                       {QStringLiteral("Firma"), QStringLiteral("Acme")},
                                                       {QStringLiteral("Ziel"), QStringLiteral("Werkstatt")},
                                                       {QStringLiteral("Ressourcen"), QStringLiteral("Beamer")},
                                                       {QStringLiteral("Info3"), QStringLiteral("ja")},
                                                       {QStringLiteral("Tag"), dayText(f.desk, 0)}});
        TVoranmeldung list(*f.desk.session);
        f.create().setPreRegistrationPicker([&](const VisitData &current) {
            QTimer::singleShot(0, &list, [&] { list.btnSpeichernClick(); });
            return list.pick(current);
        });
        f.openArrival();
        f.click("btnVoranmeldung");
        QCOMPARE(f.text("edName"), QStringLiteral("O'Brien"));
        QCOMPARE(f.text("edZiel"), QStringLiteral("Werkstatt"));
        QCOMPARE(f.text("edRessourcen"), QStringLiteral("Beamer"));
        QVERIFY(f.shown("lbInfo3"));
        f.click("btnAbbrechen");
        QCOMPARE(f.desk.rows(QStringLiteral("Voranmel.dbf"))[0].value(QStringLiteral("VORGANG")), QString());

        f.openArrival();
        f.click("btnVoranmeldung");
        f.click("btnSpeichern");
        const auto row = f.desk.rows(QStringLiteral("Voranmel.dbf"))[0];
        QVERIFY(!row.value(QStringLiteral("VORGANG")).isEmpty());
        QCOMPARE(row.value(QStringLiteral("ANWESEND")), QStringLiteral("T"));
    }

    // The other application appends while the list reads: every row read is whole.
    void otherApplicationWritesMeanwhile()
    {
        VisitFormFixture f;
        const QString worker = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("desk_worker"));
        QVERIFY2(QFile::exists(worker), "build the target desk_worker");
        QProcess other;
        other.start(worker, {QStringLiteral("announce"), f.desk.startFolder(), QStringLiteral("400")});
        QVERIFY(other.waitForStarted());
        TVoranmeldung list(*f.desk.session);
        int reads = 0;
        do {
            list.show();
            const QStringList names = listed(list);
            for (const QString &name : names)
                QVERIFY2(QRegularExpression(QStringLiteral("^Gast \\d+$")).match(name).hasMatch(), qPrintable(name));
            list.btnAbbrechenClick();
            ++reads;
        } while (other.state() != QProcess::NotRunning && reads < 500);
        QVERIFY(other.waitForFinished(30000));
        QCOMPARE(other.exitCode(), 0);
        list.show();
        QCOMPARE(listed(list).size(), 400);
    }
};

LOBRIX_TEST(TVoranmeldungTest)
#include "TVoranmeldungTest.moc"
