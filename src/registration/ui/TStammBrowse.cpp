#include "registration/ui/TStammBrowse.h"

#include "registration/MasterDataService.h"

#include "common/Error.h"
#include "common/ui/Controls.h"
#include "common/ui/EnterAsTab.h"
#include "common/ui/MessageBoxes.h"
#include "data/ui/QueryList.h"
#include "data/SqlResultModel.h"
#include "registration/VisitColumns.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace lobrix::registration {

TStammBrowse::TStammBrowse(QString databaseFolder, QWidget *parent)
    : QDialog(parent), m_folder(std::move(databaseFolder))
{
    setObjectName(QStringLiteral("TStammBrowse"));
    setWindowTitle(QStringLiteral("Besucherstamm"));
    setModal(true);
    resize(760, 420);

    QLabel *lbSortierung = ui::label(this, "lbSortierung", QStringLiteral("Sortierung"));
    cbxSortierung = ui::comboBox(this, "cbxSortierung");
    cbxSortierung->addItems({QStringLiteral("Ausweis"), QStringLiteral("Name"),
                             QStringLiteral("Vorname"), QStringLiteral("Firma"),
                             QStringLiteral("Land")});
    cbxSortierung->setCurrentIndex(1); // "Name"
    ui::setCaption(cbxSortierung, lbSortierung);
    QLabel *lbSuche = ui::label(this, "lbSuche", QStringLiteral("Schnellsuche"));
    edSuche = ui::lineEdit(this, "edSuche", 0);
    ui::setCaption(edSuche, lbSuche);

    grdStamm = ui::rowGrid(this, "grdStamm", QStringLiteral("Besucherstamm"), 20);
    m_list = std::make_unique<data::QueryList>(grdStamm, m_folder);

    btnSpeichern = ui::button(this, "btnSpeichern", QStringLiteral("Ü&bernehmen"),
                              QStringLiteral("aus Auswahl übernehmen"));
    btnAbbrechen = ui::button(this, "btnAbbrechen", QStringLiteral("&Abbrechen"),
                              QStringLiteral("Abbrechen ohne Übernehmen"));

    auto *top = new QHBoxLayout;
    top->addWidget(lbSortierung);
    top->addWidget(cbxSortierung);
    top->addSpacing(20);
    top->addWidget(lbSuche);
    top->addWidget(edSuche, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSpeichern);
    buttons->addWidget(btnAbbrechen);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grdStamm, 1);
    layout->addLayout(buttons);

    connect(cbxSortierung, &QComboBox::currentIndexChanged, this, &TStammBrowse::cbxSortierungChange);
    connect(edSuche, &QLineEdit::textChanged, this, &TStammBrowse::edSucheChange);
    connect(grdStamm, &QTableView::doubleClicked, this, &TStammBrowse::btnSpeichernClick);
    connect(btnSpeichern, &QPushButton::clicked, this, &TStammBrowse::btnSpeichernClick);
    connect(btnAbbrechen, &QPushButton::clicked, this, &TStammBrowse::btnAbbrechenClick);
    new ui::EnterAsTab(this);
}

TStammBrowse::~TStammBrowse() = default;

QString TStammBrowse::sortColumn() const
{
    return cbxSortierung->currentText();
}

QString TStammBrowse::statement() const
{
    return MasterDataService::listStatement(sortColumn());
}

void TStammBrowse::presetSearch(const VisitData &current, const QString &manualBadge)
{
    const QString sort = sortColumn();
    const QSignalBlocker quiet(edSuche); // applied when the picker shows
    if (sort == QLatin1String("Ausweis"))
        edSuche->setText(manualBadge);
    else if (const auto text = searchTextFor(current, sort))
        edSuche->setText(*text);
}

std::optional<VisitData> TStammBrowse::pick(const VisitData &current, const QString &manualBadge)
{
    presetSearch(current, manualBadge);
    exec();
    return m_taken;
}

void TStammBrowse::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TStammBrowse::FormShow()
{
    m_takenOver = false;
    edSuche->setFocus();
    reopen();
    edSucheChange();
}

void TStammBrowse::reopen()
{
    // The master data are read whole (tens of thousands of rows at most): a keystroke in
    // the quick search then never waits for the engine to sort the table once more.
    if (const auto problem = m_list->open(statement(), {}, EagerRows, data::QueryList::Current::First))
        ui::MessageBoxes::error(this, *problem);
}

void TStammBrowse::cbxSortierungChange()
{
    if (!isVisible())
        return; // applied when the picker shows
    reopen();
    edSuche->setFocus();
    edSucheChange();
}

void TStammBrowse::edSucheChange()
{
    m_list->find(sortColumn(), edSuche->text());
}

std::optional<VisitData> TStammBrowse::currentRecord() const
{
    const int row = m_list->currentRow();
    if (row < 0)
        return std::nullopt;
    return VisitColumns::read([&](const QString &column) { return m_list->text(row, column); });
}

void TStammBrowse::btnSpeichernClick()
{
    m_takenOver = true;
    accept();
}

void TStammBrowse::btnAbbrechenClick()
{
    m_takenOver = false;
    reject();
}

void TStammBrowse::done(int result)
{
    // The record is read before the table is let go of.
    m_taken = m_takenOver ? currentRecord() : std::nullopt;
    m_list->release();
    QDialog::done(result);
}

} // namespace lobrix::registration
