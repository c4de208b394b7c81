#include "shell/ui/TBesuchsziele.h"

#include "common/Error.h"
#include "common/ui/Controls.h"
#include "common/ui/MessageBoxes.h"
#include "data/Tables.h"
#include "data/ui/QueryList.h"
#include "shell/Destinations.h"
#include "shell/ui/TZielBearbeiten.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include <limits>

namespace lobrix::shell {

TBesuchsziele::TBesuchsziele(QString databaseFolder, QWidget *parent)
    : QDialog(parent), m_folder(std::move(databaseFolder)),
      m_destinations(std::make_unique<Destinations>(m_folder))
{
    setObjectName(QStringLiteral("TBesuchsziele"));
    setWindowTitle(QStringLiteral("Besuchsziele"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    resize(460, 420);

    Grid = ui::rowGrid(this, "Grid", QStringLiteral("Besuchsziele"), 16);
    m_list = std::make_unique<data::QueryList>(Grid, m_folder);
    Grid->horizontalHeader()->hide();
    Grid->horizontalHeader()->setStretchLastSection(true);

    btnLoeschen = ui::button(this, "btnLoeschen", QStringLiteral("&Löschen"), QStringLiteral("Eintrag löschen"));
    btnBearbeiten = ui::button(this, "btnBearbeiten", QStringLiteral("&Bearbeiten"), QStringLiteral("Eintrag bearbeiten"));
    btnNeu = ui::button(this, "btnNeu", QStringLiteral("&Neu"), QStringLiteral("Eintrag hinzufügen"));
    btnImport = ui::button(this, "btnImport", QStringLiteral("&Import"), QStringLiteral("Besuchsziele importieren"));
    btnSchliessen = ui::button(this, "btnSchliessen", QStringLiteral("S&chließen"), QStringLiteral("Fenster schließen"));
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {btnNeu, btnBearbeiten, btnLoeschen, btnImport})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btnSchliessen);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(Grid, 1);
    layout->addLayout(buttons);

    m_editor = new TZielBearbeiten(this);
    connect(btnNeu, &QPushButton::clicked, this, &TBesuchsziele::btnNeuClick);
    connect(btnBearbeiten, &QPushButton::clicked, this, &TBesuchsziele::btnBearbeitenClick);
    connect(Grid, &QTableView::doubleClicked, this, &TBesuchsziele::btnBearbeitenClick);
    connect(btnLoeschen, &QPushButton::clicked, this, &TBesuchsziele::btnLoeschenClick);
    connect(btnImport, &QPushButton::clicked, this, &TBesuchsziele::btnImportClick);
    connect(btnSchliessen, &QPushButton::clicked, this, &QDialog::accept);
}

TBesuchsziele::~TBesuchsziele() = default;

void TBesuchsziele::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        BringToGrid();
        Grid->setFocus();
    }
}

void TBesuchsziele::BringToGrid()
{
    // A few hundred destinations at most: read whole.
    if (const auto problem = m_list->open(Destinations::listStatement(), {}, std::numeric_limits<int>::max()))
        ui::MessageBoxes::error(this, *problem);
}

int TBesuchsziele::rowCount() const
{
    return m_list->rowCount();
}

QString TBesuchsziele::selectedText() const
{
    return m_list->text(Grid->currentIndex().row(), QString::fromLatin1(data::columns::Name));
}

void TBesuchsziele::btnNeuClick()
{
    const std::optional<QString> name = m_editor->edit(QStringLiteral("Besuchsziel hinzufügen"), QString());
    if (!name)
        return;
    try {
        if (!m_destinations->add(*name))
            ui::MessageBoxes::show(this, Destinations::existsMessage());
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
    BringToGrid();
}

void TBesuchsziele::btnBearbeitenClick()
{
    if (rowCount() == 0)
        return;
    const QString current = selectedText();
    const std::optional<QString> renamed = m_editor->edit(QStringLiteral("Besuchsziel bearbeiten"), current);
    if (!renamed)
        return;
    try {
        if (!m_destinations->rename(current, *renamed))
            ui::MessageBoxes::show(this, Destinations::changedMessage(current));
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
    BringToGrid();
}

void TBesuchsziele::btnLoeschenClick()
{
    if (rowCount() == 0)
        return;
    const QString current = selectedText();
    if (!ui::MessageBoxes::askYesNo(this,
                                    QStringLiteral("Wollen Sie den Eintrag '%1' wirklich löschen?").arg(current),
                                    QStringLiteral("Achtung"), QMessageBox::Warning))
        return;
    try {
        if (!m_destinations->remove(current))
            ui::MessageBoxes::show(this, Destinations::changedMessage(current));
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
    BringToGrid();
}

void TBesuchsziele::btnImportClick()
{
    const QString file = m_chooseFile ? m_chooseFile(this)
                                      : QFileDialog::getOpenFileName(this, QString(), QString(),
                                                                     QStringLiteral("Textdateien (*.txt)"));
    if (file.isEmpty())
        return;
    try {
        const Destinations::Import r = m_destinations->importFile(file);
        if (!r.message.isEmpty())
            ui::MessageBoxes::error(this, r.message);
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
    BringToGrid();
}

void TBesuchsziele::done(int result)
{
    // Nothing holds Ziele.dbf while the window is closed.
    m_list->release();
    QDialog::done(result);
}

} // namespace lobrix::shell
