#include "records/ui/TLoeschen.h"

#include "common/Error.h"
#include "common/TimeText.h"
#include "common/ui/Controls.h"
#include "common/ui/EnterAsTab.h"
#include "common/ui/MessageBoxes.h"
#include "records/DataDeletion.h"
#include "shell/EventLog.h"
#include "registration/ui/TKalender.h"

#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace lobrix::records {
namespace {

const QString kCalendarHint = QStringLiteral("Datum aus Kalender auswählen");

bool readsAsDate(const QString &text)
{
    return QDate::fromString(text, QStringLiteral("dd.MM.yyyy")).isValid();
}

} // namespace

TLoeschen::TLoeschen(QString databaseFolder, registration::TKalender *calendar, const shell::EventLog *log,
                     QWidget *parent)
    : QDialog(parent), m_folder(std::move(databaseFolder)), m_log(log), m_calendar(calendar)
{
    setObjectName(QStringLiteral("TLoeschen"));
    setModal(true);

    rdZeitdaten = new QRadioButton(QStringLiteral("Bewegungsdaten"), this);
    rdZeitdaten->setObjectName(QStringLiteral("rdZeitdaten"));
    rdZeitdaten->setChecked(true);
    rdVoranmeldungen = new QRadioButton(QStringLiteral("Voranmeldungen"), this);
    rdVoranmeldungen->setObjectName(QStringLiteral("rdVoranmeldungen"));

    gbDatum = new QGroupBox(QStringLiteral("Datumsauswahl"), this);
    gbDatum->setObjectName(QStringLiteral("gbDatum"));
    QLabel *lbVon = ui::label(gbDatum, "lbVon", QStringLiteral("von:"));
    meDatumVon = ui::lineEdit(gbDatum, "meDatumVon", 0);
    QLabel *lbBis = ui::label(gbDatum, "lbBis", QStringLiteral("bis:"));
    meDatumBis = ui::lineEdit(gbDatum, "meDatumBis", 0);
    ui::setCaption(meDatumVon, lbVon);
    ui::setCaption(meDatumBis, lbBis);
    meDatumVon->setAccessibleName(QStringLiteral("Löschen von"));
    meDatumBis->setAccessibleName(QStringLiteral("Löschen bis"));
    for (QLineEdit *e : {meDatumVon, meDatumBis}) {
        e->setInputMask(QString::fromLatin1(DateMask));
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 12);
    }
    btnVon = ui::toolButton(gbDatum, "btnVon", kCalendarHint);
    btnBis = ui::toolButton(gbDatum, "btnBis", kCalendarHint);
    btnVon->setAccessibleName(QStringLiteral("Datum von aus Kalender auswählen"));
    btnBis->setAccessibleName(QStringLiteral("Datum bis aus Kalender auswählen"));
    for (QToolButton *b : {btnVon, btnBis})
        b->setText(QStringLiteral("..."));
    auto *dates = new QGridLayout(gbDatum);
    dates->addWidget(lbVon, 0, 0);
    dates->addWidget(meDatumVon, 0, 1);
    dates->addWidget(btnVon, 0, 2);
    dates->addWidget(lbBis, 1, 0);
    dates->addWidget(meDatumBis, 1, 1);
    dates->addWidget(btnBis, 1, 2);

    lbStatus = ui::label(this, "lbStatus", QString());
    lbStatus->setAccessibleName(QStringLiteral("Fortschritt"));
    btnStart = ui::button(this, "btnStart", QStringLiteral("&Starten"),
                          QStringLiteral("Daten für ausgewählten Bereich löschen"));
    btnStart->setEnabled(false);
    btnSchliessen = ui::button(this, "btnSchliessen", QStringLiteral("S&chließen"), QStringLiteral("Fenster schließen"));

    auto *choice = new QVBoxLayout;
    choice->addWidget(rdZeitdaten);
    choice->addWidget(rdVoranmeldungen);
    choice->addStretch();
    auto *upper = new QHBoxLayout;
    upper->addLayout(choice);
    upper->addWidget(gbDatum);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnStart);
    buttons->addStretch();
    buttons->addWidget(btnSchliessen);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(upper);
    layout->addWidget(lbStatus);
    layout->addLayout(buttons);
    setFixedSize(420, 200);
    choiceChanged();

    new ui::EnterAsTab(this);
    connect(rdZeitdaten, &QRadioButton::toggled, this, &TLoeschen::choiceChanged);
    connect(meDatumVon, &QLineEdit::textChanged, this, [this] { dateChanged(meDatumVon); });
    connect(meDatumBis, &QLineEdit::textChanged, this, [this] { dateChanged(meDatumBis); });
    registration::TKalender::connectButton(btnVon, m_calendar, meDatumVon);
    registration::TKalender::connectButton(btnBis, m_calendar, meDatumBis);
    connect(btnStart, &QPushButton::clicked, this, &TLoeschen::btnStartClick);
    connect(btnSchliessen, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
}

void TLoeschen::choiceChanged()
{
    setWindowTitle(rdZeitdaten->isChecked() ? QStringLiteral("Bewegungsdaten löschen")
                                            : QStringLiteral("Voranmeldungen löschen"));
}

void TLoeschen::selectFirstCharacter(QLineEdit *field)
{
    field->setFocus();
    field->setSelection(0, 1);
}

void TLoeschen::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Once the window has the focus; a selection made before is lost when it gets it.
    QTimer::singleShot(0, this, [this] { selectFirstCharacter(meDatumVon); });
}

void TLoeschen::dateChanged(QLineEdit *field)
{
    if (field->hasFocus() && field->cursorPosition() >= 10 && !field->hasSelectedText())
        selectFirstCharacter(field == meDatumVon ? meDatumBis : meDatumVon);
    const QString von = meDatumVon->displayText(), bis = meDatumBis->displayText();
    if (!readsAsDate(von) || !readsAsDate(bis))
        btnStart->setEnabled(false);
    else if (von.size() == 10 && bis.size() == 10 && von.at(9) != u' ' && bis.at(9) != u' ')
        btnStart->setEnabled(true);
}

void TLoeschen::btnStartClick()
{
    btnStart->setEnabled(false);
    btnSchliessen->setEnabled(false);
    const DeletionTarget target = rdZeitdaten->isChecked() ? DeletionTarget::Visits : DeletionTarget::PreRegistrations;
    const QString von = meDatumVon->displayText(), bis = meDatumBis->displayText();
    if (ui::MessageBoxes::askYesNo(this, DataDeletion::question(target, von, bis), QStringLiteral("Daten löschen"),
                                   QMessageBox::Warning)) {
        try {
            const DeletionResult result = DataDeletion(m_folder).deleteRange(
                target, DateFromText(von), DateFromText(bis), [this](const QString &day) {
                    lbStatus->setText(day.isEmpty() ? QStringLiteral("Datenbestand wird reorganisiert ...")
                                                    : QStringLiteral("Lösche ") + day);
                    lbStatus->repaint();
                });
            lbStatus->clear();
            if (m_log && result.deleted > 0)
                m_log->writeEventLog(DataDeletion::logText(target, von, bis, result.deleted));
            if (result.deleted == 0)
                ui::MessageBoxes::show(this, DataDeletion::nothingInRangeMessage(), windowTitle());
            else if (result.packed)
                ui::MessageBoxes::show(this, DataDeletion::doneMessage(result.deleted), windowTitle());
            else
                ui::MessageBoxes::show(this, DataDeletion::doneMessage(result.deleted) + u'\n' + result.packMessage,
                                       windowTitle(), QMessageBox::Warning);
        } catch (const Error &e) {
            lbStatus->clear();
            ui::MessageBoxes::error(this, e.message());
        }
    }
    lbStatus->clear();
    btnStart->setEnabled(true);
    btnSchliessen->setEnabled(true);
}

} // namespace lobrix::records
