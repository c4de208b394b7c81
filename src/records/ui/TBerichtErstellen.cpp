#include "records/ui/TBerichtErstellen.h"

#include "common/ui/Controls.h"
#include "registration/ui/TKalender.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QToolButton>
#include <QVBoxLayout>

namespace lobrix::records {
namespace {

// The value field's input formats; a blank shows as a space, so an untouched time
// reads "  :  " as the state files have it.
const QString kDateMask = QStringLiteral("99.99.9999; ");
const QString kTimeMask = QStringLiteral("99:99; ");
constexpr int kDateWidth = 105;
constexpr int kTextWidth = 123;

bool isTimeCode(int code) { return code == 1 || code == 2 || code == 16; }

bool isDate(const QString &text) { return QDate::fromString(text, QStringLiteral("dd.MM.yyyy")).isValid(); }
bool isTime(const QString &text) { return QTime::fromString(text, QStringLiteral("HH:mm")).isValid(); }

bool isPresenceWord(const QString &text) { return text == u"vorhanden" || text == u"nicht vorhanden"; }

// A masked field gives its text with the blanks; setText applies the mask.
QString valueOf(const QLineEdit *e) { return e->inputMask().isEmpty() ? e->text() : e->displayText(); }

void applyMask(QLineEdit *e, const QString &mask)
{
    const QString keep = valueOf(e);
    e->setInputMask(mask);
    e->setText(keep);
}

} // namespace

TBerichtErstellen::TBerichtErstellen(registration::TKalender *calendar, QWidget *parent)
    : QDialog(parent), m_calendar(calendar)
{
    setObjectName(QStringLiteral("TBerichtErstellen"));
    setWindowTitle(QStringLiteral("neuen Bericht erstellen"));
    setModal(true);

    QLabel *lbName = ui::label(this, "lbName", QStringLiteral("Name des Berichtes"));
    edName = ui::lineEdit(this, "edName", 0);
    ui::setCaption(edName, lbName);

    QStringList fieldTexts;
    for (const ReportField &f : reportFields())
        fieldTexts << QString::fromUtf8(f.listText);
    QStringList operators;
    for (const char *o : operatorTexts())
        operators << QString::fromUtf8(o);

    auto *conditions = new QVBoxLayout;
    for (int n = 0; n < ConditionCount; ++n) {
        const QByteArray k = QByteArray::number(n + 1);
        auto *box = new QGroupBox(QStringLiteral("%1. Bedingung").arg(n + 1), this);
        box->setObjectName(QString::fromLatin1("gbBedingung" + k));
        Row &r = m_rows[size_t(n)];
        r.field = ui::comboBox(box, ("cbxFeld" + k).constData());
        r.op = ui::comboBox(box, ("cbxOperator" + k).constData());
        r.value = ui::lineEdit(box, ("edWert" + k).constData(), 0);
        r.date = ui::comboBox(box, ("cbxDatum" + k).constData());
        r.calendar = ui::toolButton(box, ("btnKalender" + k).constData(),
                                    QStringLiteral("Datum aus Kalender auswählen"));
        r.calendar->setText(QStringLiteral("..."));
        r.field->addItems(fieldTexts);
        r.op->addItems(operators);
        r.date->addItems({QStringLiteral("heute"), QStringLiteral("gestern"), QStringLiteral("anderes Datum")});
        const QString number = QStringLiteral("%1. Bedingung, ").arg(n + 1);
        QLabel *lf = ui::label(box, ("lbFeld" + k).constData(), QStringLiteral("Feld"));
        QLabel *lo = ui::label(box, ("lbBedingung" + k).constData(), QStringLiteral("Bedingung"));
        QLabel *lw = ui::label(box, ("lbWert" + k).constData(), QStringLiteral("Wert"));
        lf->setBuddy(r.field);
        lo->setBuddy(r.op);
        lw->setBuddy(r.value);
        // Four rows of the same fields: the reader says which row.
        ui::setAccessibleCaption(r.field, number + QStringLiteral("Feld"));
        ui::setAccessibleCaption(r.op, number + QStringLiteral("Bedingung"));
        ui::setAccessibleCaption(r.value, number + QStringLiteral("Wert"));
        ui::setAccessibleCaption(r.date, number + QStringLiteral("Datum"));
        auto *grid = new QGridLayout(box);
        grid->addWidget(lf, 0, 0);
        grid->addWidget(lo, 0, 1);
        grid->addWidget(lw, 0, 2);
        grid->addWidget(r.field, 1, 0);
        grid->addWidget(r.op, 1, 1);
        auto *valueRow = new QHBoxLayout;
        valueRow->addWidget(r.value);
        valueRow->addWidget(r.date);
        valueRow->addWidget(r.calendar);
        valueRow->addStretch();
        grid->addLayout(valueRow, 1, 2);
        grid->setColumnMinimumWidth(2, kTextWidth + 140);
        conditions->addWidget(box);

        connect(r.field, &QComboBox::activated, this, [this, n] { fieldChosen(n); });
        connect(r.op, &QComboBox::activated, this, [this, n] { operatorChosen(n); });
        connect(r.date, &QComboBox::activated, this, [this, n] { dateChosen(n); });
        connect(r.calendar, &QToolButton::clicked, this, [this, n] { pickDate(n); });
        r.field->installEventFilter(this);
        r.op->installEventFilter(this);
    }

    auto *sorting = new QGroupBox(QStringLiteral("Sortierung"), this);
    sorting->setObjectName(QStringLiteral("gbSortierung"));
    auto *sortGrid = new QGridLayout(sorting);
    for (int k = 0; k < SortKeyCount; ++k) {
        const QByteArray i = QByteArray::number(k + 1);
        Sort &s = m_sorts[size_t(k)];
        s.key = ui::comboBox(sorting, ("cbxSort" + i).constData());
        s.key->addItems(fieldTexts);
        ui::setAccessibleCaption(s.key, QStringLiteral("%1. Sortierung").arg(k + 1));
        s.up = new QRadioButton(QStringLiteral("aufsteigend"), sorting);
        s.up->setObjectName(QString::fromLatin1("rdSort" + i + "Auf"));
        s.down = new QRadioButton(QStringLiteral("absteigend"), sorting);
        s.down->setObjectName(QString::fromLatin1("rdSort" + i + "Ab"));
        s.group = new QButtonGroup(this);
        s.group->addButton(s.up);
        s.group->addButton(s.down);
        sortGrid->addWidget(s.key, k, 0);
        sortGrid->addWidget(s.up, k, 1);
        sortGrid->addWidget(s.down, k, 2);
        connect(s.key, &QComboBox::activated, this, [this, k] { sortChosen(k); });
        s.key->installEventFilter(this);
    }

    auto *shown = new QGroupBox(QStringLiteral("angezeigte Felder"), this);
    shown->setObjectName(QStringLiteral("gbAngezeigt"));
    auto *checks = new QVBoxLayout(shown);
    for (int i = 0; i < DisplayCheckCount; ++i) {
        const ReportField &f = reportFields()[size_t(displayOrder()[size_t(i)])];
        m_checks[size_t(i)] = ui::checkBox(shown, f.checkName, QString::fromUtf8(f.checkCaption));
    }
    // On screen in the order of the field codes ("Land" after "Ort").
    for (int code = 0; code < FieldCount; ++code)
        if (const int i = displayIndexOf(code); i >= 0)
            checks->addWidget(m_checks[size_t(i)]);

    btnSpeichern = ui::button(this, "btnSpeichern", QStringLiteral("&Speichern"), QStringLiteral("Bericht speichern"));
    btnAbbrechen = ui::button(this, "btnAbbrechen", QStringLiteral("&Abbrechen"), QStringLiteral("abbrechen"));
    connect(btnSpeichern, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
    connect(edName, &QLineEdit::textChanged, this,
            [this](const QString &t) { btnSpeichern->setEnabled(!t.isEmpty()); });

    auto *left = new QVBoxLayout;
    left->addWidget(lbName);
    left->addWidget(edName);
    left->addLayout(conditions);
    left->addWidget(sorting);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(shown);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSpeichern);
    buttons->addWidget(btnAbbrechen);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    prepareNew();
    setFixedSize(sizeHint());
}

void TBerichtErstellen::prepareNew()
{
    m_edit = false;
    edName->setText(QStringLiteral("neuer Bericht"));
    edName->setEnabled(true);
    for (int n = 0; n < ConditionCount; ++n)
        clearRow(n);
    for (int k = 0; k < SortKeyCount; ++k)
        clearSortKey(k);
    for (QCheckBox *c : m_checks) {
        c->setEnabled(true);
        c->setChecked(false);
    }
    edName->setFocus();
}

void TBerichtErstellen::prepareEdit(const QString &name, const QStringList &stateLines)
{
    const ReportDefinition d = ReportDefinition::fromStateLines(stateLines); // before any change
    m_edit = true;
    for (int n = 0; n < ConditionCount; ++n) {
        Row &r = m_rows[size_t(n)];
        r.date->setCurrentIndex(-1);
        showDateChoice(n, false);
        r.value->setEnabled(true);
    }
    edName->setText(name);
    edName->setEnabled(false);
    for (int i = 0; i < DisplayCheckCount; ++i)
        m_checks[size_t(i)]->setChecked(d.shown[size_t(i)]);
    for (int n = 0; n < ConditionCount; ++n) {
        const ReportCondition &c = d.conditions[size_t(n)];
        Row &r = m_rows[size_t(n)];
        r.field->setCurrentIndex(c.field);
        fieldChosen(n);
        r.op->setCurrentIndex(c.op);
        operatorChosen(n);
        const QString v = c.value;
        if (v == u"heute" || v == u"Heute" || v == u"HEUTE") {
            r.date->setCurrentIndex(0);
            dateChosen(n);
        } else if (v == u"gestern" || v == u"Gestern" || v == u"GESTERN") {
            r.date->setCurrentIndex(1);
            dateChosen(n);
        }
        r.value->setText(v);
    }
    for (int k = 0; k < SortKeyCount; ++k) {
        const ReportSortKey &s = d.sortKeys[size_t(k)];
        m_sorts[size_t(k)].key->setCurrentIndex(s.field);
        setRadio(k, s.ascending, s.descending);
    }
}

QString TBerichtErstellen::reportName() const { return edName->text(); }

ReportDefinition TBerichtErstellen::definition() const
{
    ReportDefinition d;
    for (int i = 0; i < DisplayCheckCount; ++i)
        d.shown[size_t(i)] = m_checks[size_t(i)]->isChecked();
    for (int n = 0; n < ConditionCount; ++n) {
        const Row &r = m_rows[size_t(n)];
        d.conditions[size_t(n)] = {r.field->currentIndex(), r.op->currentIndex(), valueOf(r.value)};
    }
    for (int k = 0; k < SortKeyCount; ++k) {
        const Sort &s = m_sorts[size_t(k)];
        d.sortKeys[size_t(k)] = {s.key->currentIndex(), s.up->isChecked(), s.down->isChecked()};
    }
    return d;
}

void TBerichtErstellen::refreshChecks()
{
    for (QCheckBox *c : m_checks)
        c->setEnabled(true);
    const auto lock = [this](int code) {
        if (const int i = displayIndexOf(code); i >= 0) {
            m_checks[size_t(i)]->setChecked(true);
            m_checks[size_t(i)]->setEnabled(false);
        }
    };
    for (const Row &r : m_rows)
        if (r.field->currentIndex() >= 0)
            lock(r.field->currentIndex());
    for (const Sort &s : m_sorts)
        if (s.key->currentIndex() >= 0)
            lock(s.key->currentIndex());
    showDateChoice(0, m_rows[0].field->currentIndex() == 0);
}

void TBerichtErstellen::showDateChoice(int row, bool shown)
{
    Row &r = m_rows[size_t(row)];
    r.date->setVisible(shown);
    r.calendar->setVisible(shown);
    r.value->setFixedWidth(shown ? kDateWidth : kTextWidth);
}

void TBerichtErstellen::setInputFor(int row)
{
    Row &r = m_rows[size_t(row)];
    const int code = r.field->currentIndex();
    if (code == 0)
        applyMask(r.value, kDateMask);
    else if (isTimeCode(code))
        applyMask(r.value, kTimeMask);
}

void TBerichtErstellen::fieldChosen(int row)
{
    Row &r = m_rows[size_t(row)];
    refreshChecks();
    if (row > 0)
        showDateChoice(row, r.field->currentIndex() == 0);
    applyMask(r.value, QString());
    r.value->setEnabled(true);
    const int code = r.field->currentIndex();
    const QString current = valueOf(r.value);
    if (code == 0) {
        applyMask(r.value, kDateMask);
        if (!isDate(current))
            r.value->clear();
    } else if (isTimeCode(code)) {
        applyMask(r.value, kTimeMask);
        if (!isTime(current))
            r.value->clear();
    }
    if (r.op->currentIndex() < 0 && code >= 0)
        r.op->setCurrentIndex(0);
    operatorChosen(row);
}

void TBerichtErstellen::operatorChosen(int row)
{
    Row &r = m_rows[size_t(row)];
    const int op = r.op->currentIndex();
    if (op == OperatorPresent || op == OperatorAbsent) {
        applyMask(r.value, QString());
        r.value->setText(QString::fromUtf8(operatorTexts()[size_t(op)]));
        r.value->setEnabled(false);
        return;
    }
    setInputFor(row);
    if (isPresenceWord(valueOf(r.value)))
        r.value->clear();
    r.value->setEnabled(true);
    r.value->setFocus();
    if (!r.value->inputMask().isEmpty() && !r.value->hasAcceptableInput())
        r.value->setCursorPosition(0); // typing fills the format from its start
}

void TBerichtErstellen::dateChosen(int row)
{
    Row &r = m_rows[size_t(row)];
    const int choice = r.date->currentIndex();
    if (choice == 0 || choice == 1) {
        applyMask(r.value, QString());
        r.value->setText(r.date->currentText());
        r.value->setEnabled(false);
        return;
    }
    if (row == 0) {
        refreshChecks();
        applyMask(r.value, kDateMask);
        r.value->clear();
    } else {
        fieldChosen(row);
    }
    r.value->setEnabled(true);
    r.value->setFocus();
}

void TBerichtErstellen::sortChosen(int key)
{
    if (m_sorts[size_t(key)].key->currentIndex() >= 0)
        setRadio(key, true, false);
    refreshChecks();
}

void TBerichtErstellen::clearRow(int row)
{
    Row &r = m_rows[size_t(row)];
    r.field->setCurrentIndex(-1);
    r.op->setCurrentIndex(-1);
    r.date->setCurrentIndex(-1);
    showDateChoice(row, false);
    r.value->setInputMask(QString());
    r.value->clear();
    r.value->setEnabled(true);
}

void TBerichtErstellen::clearSortKey(int key)
{
    m_sorts[size_t(key)].key->setCurrentIndex(-1);
    setRadio(key, false, false);
}

void TBerichtErstellen::setRadio(int key, bool up, bool down)
{
    Sort &s = m_sorts[size_t(key)];
    // Exclusive only while a choice is made: both may be clear.
    s.group->setExclusive(false);
    s.up->setChecked(up);
    s.down->setChecked(down && !up);
    s.group->setExclusive(true);
}

void TBerichtErstellen::pickDate(int row)
{
    if (m_calendar)
        m_calendar->PickDateInto(m_rows[size_t(row)].calendar, m_rows[size_t(row)].value);
}

bool TBerichtErstellen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        for (int n = 0; n < ConditionCount; ++n)
            if (watched == m_rows[size_t(n)].field || watched == m_rows[size_t(n)].op)
                clearRow(n);
        for (int k = 0; k < SortKeyCount; ++k)
            if (watched == m_sorts[size_t(k)].key)
                clearSortKey(k);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace lobrix::records
