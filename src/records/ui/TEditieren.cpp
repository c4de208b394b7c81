#include "records/ui/TEditieren.h"

#include "common/Clock.h"
#include "common/Error.h"
#include "common/TimeText.h"
#include "common/ui/Controls.h"
#include "common/ui/MessageBoxes.h"
#include "data/ui/QueryList.h"
#include "data/SqlResultModel.h"
#include "data/Tables.h"
#include "records/VisitCorrection.h"
#include "records/VisitEndDate.h"
#include "registration/ui/TKalender.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace lobrix::records {
namespace {

namespace columns = data::columns;

struct PersonField {
    QLineEdit *TEditieren::*edit;
    const char *name;
    const char *caption;
    QLatin1String column;
    int limit;
};

const QString kCaption = QStringLiteral("Besucherdaten editieren");
const QString kCalendarHint = QStringLiteral("Datum aus Kalender auswählen");

} // namespace

// The twelve visitor fields: edit, caption, column, the most a clerk may type.
struct TEditierenFields {
    static const std::array<PersonField, 12> &all()
    {
        static const std::array<PersonField, 12> fields{{
            {&TEditieren::edName, "edName", "Name:", columns::Name, 30},
            {&TEditieren::edVorname, "edVorname", "Vorname:", columns::Vorname, 30},
            {&TEditieren::edFirma, "edFirma", "Firma:", columns::Firma, 40},
            {&TEditieren::edStrasse, "edStrasse", "Straße:", columns::Strasse, 40},
            {&TEditieren::edPLZ, "edPLZ", "PLZ:", columns::Plz, 10},
            {&TEditieren::edOrt, "edOrt", "Ort:", columns::Ort, 30},
            {&TEditieren::edTel, "edTel", "Telefon:", columns::Telefon, 20},
            {&TEditieren::edPANr, "edPANr", "Personalausweis-Nr.:", columns::Panr, 20},
            {&TEditieren::edKFZ, "edKFZ", "KFZ-Kennzeichen:", columns::Kfz, 10},
            {&TEditieren::edBemerk, "edBemerk", "Bemerkungen:", columns::Bemerkung, 40},
            {&TEditieren::edZiel, "edZiel", "Ziel:", columns::Ziel, 40},
            {&TEditieren::edLand, "edLand", "Land:", columns::Land, 40},
        }};
        return fields;
    }
};

TEditieren::TEditieren(const QString &databaseFolder, const shell::EventLog &log, registration::TKalender *calendar,
                       const Clock &clock, QWidget *parent)
    : QDialog(parent),
      m_folder(databaseFolder),
      m_correction(std::make_unique<VisitCorrection>(databaseFolder, log)),
      m_calendar(calendar)
{
    setObjectName(QStringLiteral("TEditieren"));
    setWindowTitle(kCaption);
    setModal(true);

    // The range and the search.
    QLabel *lbSuche = ui::label(this, "lbSuche", QStringLiteral("Schnellsuche"));
    edSuche = ui::lineEdit(this, "edSuche", 0);
    ui::setCaption(edSuche, lbSuche);
    QLabel *lbNach = ui::label(this, "lbNach", QStringLiteral("nach"));
    cbxSuche = ui::comboBox(this, "cbxSuche");
    ui::setCaption(cbxSuche, lbNach);
    cbxSuche->setAccessibleName(QStringLiteral("Schnellsuche nach Spalte"));
    QLabel *lbVon = ui::label(this, "lbDatumVon", QStringLiteral("von:"));
    edDatumVon = ui::lineEdit(this, "edDatumVon", 10);
    ui::setCaption(edDatumVon, lbVon);
    edDatumVon->setAccessibleName(QStringLiteral("Besuche von"));
    QLabel *lbBis = ui::label(this, "lbDatumBis", QStringLiteral("bis:"));
    edDatumBis = ui::lineEdit(this, "edDatumBis", 10);
    ui::setCaption(edDatumBis, lbBis);
    edDatumBis->setAccessibleName(QStringLiteral("Besuche bis"));
    const QDate today = clock.now().date();
    edDatumVon->setText(DateText(today.addDays(-1)));
    edDatumBis->setText(DateText(today));

    const auto calendarButton = [this](const char *name, const QString &spoken) {
        QToolButton *b = ui::toolButton(this, name, kCalendarHint);
        b->setText(QStringLiteral("..."));
        b->setAccessibleName(spoken);
        return b;
    };
    btnKalender1 = calendarButton("btnKalender1", QStringLiteral("Datum von aus Kalender auswählen"));
    btnKalender2 = calendarButton("btnKalender2", QStringLiteral("Datum bis aus Kalender auswählen"));
    btnKalender3 = calendarButton("btnKalender3", QStringLiteral("Besuchstag aus Kalender auswählen"));
    btnKalender4 = calendarButton("btnKalender4", QStringLiteral("Tag des Besuchsendes aus Kalender auswählen"));

    DBGrid = ui::rowGrid(this, "DBGrid", QStringLiteral("Besuche"), 18);
    m_query = std::make_unique<data::QueryList>(DBGrid, m_folder);
    DBGrid->setMinimumHeight(240);

    // The current visit.
    auto *pnDaten = new QWidget(this);
    pnDaten->setObjectName(QStringLiteral("pnDaten"));
    auto *fields = new QGridLayout(pnDaten);
    fields->setContentsMargins(0, 0, 0, 0);
    int i = 0;
    for (const PersonField &f : TEditierenFields::all()) {
        QLineEdit *edit = ui::lineEdit(pnDaten, f.name, f.limit);
        this->*f.edit = edit;
        QLabel *caption = ui::label(pnDaten, (QByteArray("lb") + (f.name + 2)).constData(), QString::fromUtf8(f.caption));
        ui::setCaption(edit, caption);
        const int row = i % 6, col = (i / 6) * 2;
        fields->addWidget(caption, row, col);
        fields->addWidget(edit, row, col + 1);
        ++i;
    }

    auto *visit = new QGroupBox(QStringLiteral("Besuch"), pnDaten);
    visit->setObjectName(QStringLiteral("gbBesuch"));
    auto *visitLayout = new QGridLayout(visit);
    chkQuittung = ui::checkBox(visit, "chkQuittung", QStringLiteral("Bestätigung erforderlich"));
    chkQuittungErbracht = ui::checkBox(visit, "chkQuittungErbracht", QStringLiteral("Besuch bestätigt"));
    QLabel *lbDatum = ui::label(visit, "lbDatum", QStringLiteral("Datum:"));
    edDatum = ui::lineEdit(visit, "edDatum", 10);
    ui::setCaption(edDatum, lbDatum);
    edDatum->setAccessibleName(QStringLiteral("Besuchstag"));
    btnKalender3->setParent(visit);
    QLabel *lbBeginn = ui::label(visit, "lbBeginn", QStringLiteral("Besuchsbeginn:"));
    edBeginn = ui::lineEdit(visit, "edBeginn", 5);
    ui::setCaption(edBeginn, lbBeginn);
    QLabel *lbEndeTitel = ui::label(visit, "lbEndeTitel", QStringLiteral("Besuchsende"));
    QLabel *lbDauer = ui::label(visit, "lbDauer", QStringLiteral("Datum:"));
    edDauer = ui::lineEdit(visit, "edDauer", 10);
    ui::setCaption(edDauer, lbDauer);
    edDauer->setAccessibleName(QStringLiteral("Tag des Besuchsendes"));
    btnKalender4->setParent(visit);
    QLabel *lbEnde = ui::label(visit, "lbEnde", QStringLiteral("Besuchsende:"));
    edEnde = ui::lineEdit(visit, "edEnde", 5);
    ui::setCaption(edEnde, lbEnde);
    for (QLineEdit *readOnly : {edDatumVon, edDatumBis, edDatum, edDauer})
        readOnly->setReadOnly(true); // set by the calendar only
    visitLayout->addWidget(chkQuittung, 0, 0, 1, 3);
    visitLayout->addWidget(chkQuittungErbracht, 1, 0, 1, 3);
    visitLayout->addWidget(lbDatum, 2, 0);
    visitLayout->addWidget(edDatum, 2, 1);
    visitLayout->addWidget(btnKalender3, 2, 2);
    visitLayout->addWidget(lbBeginn, 3, 0);
    visitLayout->addWidget(edBeginn, 3, 1);
    visitLayout->addWidget(lbEndeTitel, 4, 0, 1, 3);
    visitLayout->addWidget(lbDauer, 5, 0);
    visitLayout->addWidget(edDauer, 5, 1);
    visitLayout->addWidget(btnKalender4, 5, 2);
    visitLayout->addWidget(lbEnde, 6, 0);
    visitLayout->addWidget(edEnde, 6, 1);
    fields->addWidget(visit, 0, 4, 7, 1);

    pnHinweis = ui::label(this, "pnHinweis",
                          QStringLiteral("Achtung! Manuelle Änderungen nur, wenn kein anderer Nutzer auf die Datenbank "
                                         "zugreift!"));
    QFont warning(QStringLiteral("Arial"));
    warning.setPixelSize(16);
    warning.setBold(true);
    pnHinweis->setFont(warning);
    pnHinweis->setAlignment(Qt::AlignCenter);
    pnHinweis->setWordWrap(true);
    ui::setGround(pnHinweis, palette().color(QPalette::Window));

    btnSpeichern = ui::button(this, "btnSpeichern", QStringLiteral("&Speichern"), QStringLiteral("Einträge speichern"));
    btnLoeschen = ui::button(this, "btnLoeschen", QStringLiteral("&Löschen"), QStringLiteral("Datensatz löschen"));
    btnRepair = ui::button(this, "btnRepair", QStringLiteral("&Reparieren"), QStringLiteral("Daten reparieren"));
    NummernFreigeben = ui::button(this, "NummernFreigeben", QStringLiteral("&Ausweise freigeben"),
                                  QStringLiteral("abwesende Ausweisnumern freigeben"));
    btnSchliessen = ui::button(this, "btnSchliessen", QStringLiteral("S&chließen"), QStringLiteral("Fenster schließen"));

    auto *top = new QHBoxLayout;
    top->addWidget(lbSuche);
    top->addWidget(edSuche, 1);
    top->addWidget(lbNach);
    top->addWidget(cbxSuche, 1);
    top->addSpacing(24);
    top->addWidget(lbVon);
    top->addWidget(edDatumVon);
    top->addWidget(btnKalender1);
    top->addWidget(lbBis);
    top->addWidget(edDatumBis);
    top->addWidget(btnKalender2);
    // The warning lies over the visitor data while it is shown.
    auto *visitor = new QGridLayout;
    visitor->addWidget(pnDaten, 0, 0);
    visitor->addWidget(pnHinweis, 0, 0);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btnSpeichern, btnLoeschen, btnRepair, NummernFreigeben})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btnSchliessen);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(DBGrid, 1);
    layout->addLayout(visitor);
    layout->addLayout(buttons);
    setFixedSize(980, 640);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(TimerIntervalMs);
    connect(Timer, &QTimer::timeout, this, &TEditieren::TimerTimer);
    connect(edSuche, &QLineEdit::textChanged, this, &TEditieren::Search);
    connect(cbxSuche, &QComboBox::activated, this, [this] {
        edSuche->setFocus();
        Search();
    });
    connect(btnKalender1, &QToolButton::clicked, this, &TEditieren::btnKalender1Click);
    connect(btnKalender2, &QToolButton::clicked, this, &TEditieren::btnKalender2Click);
    registration::TKalender::connectButton(btnKalender3, m_calendar, edDatum);
    registration::TKalender::connectButton(btnKalender4, m_calendar, edDauer);
    connect(btnSpeichern, &QPushButton::clicked, this, &TEditieren::btnSpeichernClick);
    connect(btnLoeschen, &QPushButton::clicked, this, &TEditieren::btnLoeschenClick);
    connect(btnRepair, &QPushButton::clicked, this, &TEditieren::btnRepairClick);
    connect(NummernFreigeben, &QPushButton::clicked, this, &TEditieren::NummernFreigebenClick);
    connect(btnSchliessen, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
}

TEditieren::~TEditieren()
{
    DBGrid->setModel(nullptr);
}

void TEditieren::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Relist();
    m_counter = 0;
    pnHinweis->show();
    pnHinweis->raise();
    setButtonsEnabled(false);
    Timer->start();
}

void TEditieren::TimerTimer()
{
    setButtonsEnabled(false);
    ++m_counter;
    ui::setInk(pnHinweis, m_counter % 2 == 1 ? QColor(Qt::red) : QColor(Qt::black));
    if (m_counter > WarningTicks) {
        pnHinweis->hide();
        Timer->stop();
        setButtonsEnabled(true);
    }
}

void TEditieren::setButtonsEnabled(bool enabled)
{
    for (QPushButton *b : {btnSpeichern, btnSchliessen, btnLoeschen, btnRepair, NummernFreigeben})
        b->setEnabled(enabled);
}

data::SqlResultModel *TEditieren::listModel() const
{
    return m_query->model();
}

void TEditieren::closeList()
{
    m_query->release(); // no table of the folder stays open here: packing needs them all closed
}

void TEditieren::Relist()
{
    closeList();
    if (const auto problem = m_query->open(VisitCorrection::listStatement(),
                                           QVariantList{edDatumVon->text(), edDatumBis->text()}, 0,
                                           data::QueryList::Current::First)) {
        if (!m_query->model())
            closeList();
        ui::MessageBoxes::error(this, *problem);
    }
    cbxSuche->clear();
    if (m_query->model()) {
        connect(DBGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { showCurrent(); });
        // The record number rides along unseen.
        DBGrid->setColumnHidden(0, true);
        for (int c = 1; c < m_query->model()->columnCount(); ++c)
            cbxSuche->addItem(m_query->model()->headerData(c, Qt::Horizontal).toString());
        cbxSuche->setCurrentIndex(0);
    }
    selectRow(0);
    showCurrent();
    DBGrid->setFocus();
}

int TEditieren::currentRow() const
{
    return m_query->model() && DBGrid->currentIndex().isValid() ? DBGrid->currentIndex().row() : -1;
}

void TEditieren::selectRow(int row)
{
    if (!m_query->model() || row < 0 || row >= m_query->model()->rowCount())
        return;
    DBGrid->setCurrentIndex(m_query->model()->index(row, 1)); // column 0 is hidden
    DBGrid->selectRow(row);
    DBGrid->scrollTo(m_query->model()->index(row, 1));
}

QString TEditieren::column(int row, QLatin1String name) const
{
    const int c = m_query->model() ? m_query->model()->columnIndex(name) : -1;
    return c < 0 ? QString() : m_query->model()->text(row, c).trimmed();
}

void TEditieren::showCurrent()
{
    const int row = currentRow();
    for (const PersonField &f : TEditierenFields::all()) {
        QLineEdit *edit = this->*f.edit;
        const QString text = row < 0 ? QString() : column(row, f.column);
        // A longer stored text is shown whole, so a save never cuts it.
        edit->setMaxLength(std::max<int>(f.limit, int(text.size())));
        edit->setText(text);
    }
    if (row < 0) {
        for (QLineEdit *e : {edBeginn, edEnde, edDatum, edDauer})
            e->clear();
        chkQuittung->setChecked(false);
        chkQuittungErbracht->setChecked(false);
        return;
    }
    chkQuittung->setChecked(column(row, columns::Quittung) == u"ja");
    chkQuittungErbracht->setChecked(column(row, columns::Quittiert) == u"ja");
    edBeginn->setText(column(row, columns::Kommt));
    edEnde->setText(column(row, columns::Geht));
    edDatum->setText(column(row, columns::Tag));
    const QString geht = column(row, columns::Geht), anwesend = column(row, columns::Anwesend);
    edDauer->setText(!geht.isEmpty() && !anwesend.isEmpty()
                         ? VisitEndDate(column(row, columns::Tag), anwesend, column(row, columns::Kommt), geht).value_or(QString())
                         : QString());
}

std::unique_ptr<ListedVisit> TEditieren::listedAt(int row) const
{
    auto listed = std::make_unique<ListedVisit>();
    listed->key = {column(row, columns::Vorgang), column(row, columns::Ausweis), column(row, columns::Tag), column(row, columns::Kommt)};
    bool ok = false;
    const int recno = m_query->model()->text(row, 0).toInt(&ok);
    listed->recno = ok ? recno : -1;
    for (const QString &name : VisitCorrection::checkedColumns()) {
        const QByteArray latin1 = name.toLatin1();
        listed->values.insert(name, column(row, QLatin1String(latin1)));
    }
    return listed;
}

void TEditieren::Search()
{
    const QString text = edSuche->text();
    if (text.isEmpty() || !m_query->model())
        return;
    const int c = cbxSuche->currentIndex() + 1; // the hidden record number first
    if (c < 1)
        return;
    const int row = m_query->model()->findPrefix(c, text);
    if (row >= 0)
        selectRow(row);
}

void TEditieren::btnKalender1Click()
{
    if (m_calendar)
        m_calendar->PickDateInto(btnKalender1, edDatumVon);
    Relist();
}

void TEditieren::btnKalender2Click()
{
    if (m_calendar)
        m_calendar->PickDateInto(btnKalender2, edDatumBis);
    Relist();
}

void TEditieren::relistAt(const QString &ausweis, const QString &tag, const QString &kommt)
{
    Relist();
    if (!m_query->model())
        return;
    for (int row = 0;; ++row) {
        if (row >= m_query->model()->rowCount() && !m_query->model()->fetch(data::SqlResultModel::FetchBatch))
            break;
        if (row >= m_query->model()->rowCount())
            break;
        if (column(row, columns::Ausweis) == ausweis && column(row, columns::Tag) == tag && column(row, columns::Kommt) == kommt) {
            selectRow(row);
            return;
        }
    }
    selectRow(0);
}

void TEditieren::btnSpeichernClick()
{
    const int row = currentRow();
    if (row < 0)
        return;
    const std::unique_ptr<ListedVisit> listed = listedAt(row);
    CorrectedVisit visit;
    for (const PersonField &f : TEditierenFields::all())
        visit.person << registration::ColumnValue{f.column, (this->*f.edit)->text(),
                                                  ui::spokenCaption(QString::fromUtf8(f.caption))};
    visit.quittung = chkQuittung->isChecked();
    visit.quittiert = chkQuittungErbracht->isChecked();
    visit.kommt = edBeginn->text().trimmed();
    visit.geht = edEnde->text().trimmed();
    visit.tag = edDatum->text();
    visit.endDate = edDauer->text();
    VisitCorrection::Result result;
    try {
        result = m_correction->save(*listed, visit);
    } catch (const Error &e) {
        result = {VisitCorrection::Outcome::Refused, e.message(), 0};
    }
    switch (result.outcome) {
    case VisitCorrection::Outcome::Refused: // nothing written; the clerk's typing stays
        ui::MessageBoxes::error(this, result.message);
        return;
    case VisitCorrection::Outcome::Gone:
        relistAt(listed->key.ausweis, listed->key.tag, listed->key.kommt);
        ui::MessageBoxes::show(this, result.message, kCaption, QMessageBox::Warning);
        return;
    case VisitCorrection::Outcome::Done:
        relistAt(listed->key.ausweis, listed->key.tag, listed->key.kommt);
        return;
    }
}

void TEditieren::btnLoeschenClick()
{
    const int row = currentRow();
    if (row < 0)
        return;
    if (!ui::MessageBoxes::askYesNo(this, VisitCorrection::deleteQuestion(), QStringLiteral("Achtung"),
                                    QMessageBox::Critical))
        return;
    const std::unique_ptr<ListedVisit> listed = listedAt(row);
    closeList();
    VisitCorrection::Result result;
    try {
        result = m_correction->deleteVisit(*listed);
    } catch (const Error &e) {
        result = {VisitCorrection::Outcome::Refused, e.message(), 0};
    }
    Relist();
    if (result.outcome == VisitCorrection::Outcome::Refused)
        ui::MessageBoxes::error(this, result.message);
    else if (!result.message.isEmpty())
        ui::MessageBoxes::show(this, result.message, kCaption, QMessageBox::Warning);
}

void TEditieren::btnRepairClick()
{
    if (!ui::MessageBoxes::askYesNo(this, VisitCorrection::repairQuestion(), QStringLiteral("Achtung"),
                                    QMessageBox::Critical))
        return;
    closeList();
    try {
        const VisitCorrection::Result result = m_correction->repair();
        Relist();
        ui::MessageBoxes::show(this, result.message, kCaption);
    } catch (const Error &e) {
        Relist();
        ui::MessageBoxes::error(this, e.message());
    }
}

void TEditieren::NummernFreigebenClick()
{
    if (!ui::MessageBoxes::askYesNo(this, VisitCorrection::releaseQuestion(), QStringLiteral("Achtung"),
                                    QMessageBox::Critical))
        return;
    const int row = currentRow();
    try {
        const VisitCorrection::Result result = m_correction->releaseBadges();
        Relist();
        selectRow(row);
        ui::MessageBoxes::show(this, result.message, kCaption);
    } catch (const Error &e) {
        Relist();
        ui::MessageBoxes::error(this, e.message());
    }
}

} // namespace lobrix::records
