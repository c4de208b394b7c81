#include "app/AppWindows.h"

#include "shell/Startup.h"

#include "layouts/LayoutFile.h"
#include "layouts/ui/TBadgeDesign.h"
#include "layouts/ui/TQuittungDesign.h"
#include "layouts/ui/VisitFormPrinting.h"
#include "layouts/ui/VisitPrinter.h"
#include "records/ui/TBerichtErstellen.h"
#include "records/ui/TBerichte.h"
#include "records/ui/TEditieren.h"
#include "records/ui/TLoeschen.h"
#include "registration/ui/TBesucher.h"
#include "registration/ui/TKalender.h"
#include "registration/ui/TStammBrowse.h"
#include "registration/ui/TVoranmeldung.h"

#include <QAction>
#include "shell/LoginUser.h"
#include "shell/Session.h"
#include "shell/ui/TBesuchsziele.h"
#include "shell/ui/TEinstellungen.h"
#include "shell/ui/TInfo.h"
#include "shell/ui/TMain.h"
#include "shell/ui/TStart.h"

namespace lobrix::app {

template <typename W, typename... Args> W *AppWindows::add(Args &&...args)
{
    return new W(std::forward<Args>(args)..., main);
}

AppWindows::AppWindows(const QString &startFolder, const Clock &clock)
{
    m_startup = std::make_unique<shell::Startup>(startFolder, clock);
    m_main = std::make_unique<shell::TMain>(*m_startup, clock);
    main = m_main.get();
    addRegistrationWindows(clock);
    addShellWindows();
    connectLayouts();
    addRecordsWindows(clock);
}

AppWindows::~AppWindows() = default;

void AppWindows::addShellWindows()
{
    start = add<shell::TStart>();
    info = add<shell::TInfo>();
    besuchsziele = add<shell::TBesuchsziele>(main->session().folders().database);
    main->setWindows({start, info});
    // "Besuchs&ziele", for every user.
    if (QAction *menu = main->destinationsAction())
        QObject::connect(menu, &QAction::triggered, besuchsziele, &QDialog::exec);
    // The printers in the order in which printing counts Printer1 and Printer2.
    einstellungen = add<shell::TEinstellungen>(main->session(), main->users(),
                                               layouts::VisitPrinter::systemPrinters().names());
    einstellungen->setOpening([main = main](QWidget &dialog) {
        main->applyRights();
        dialog.move(main->settingsDialogPosition(dialog.size()));
    });
    if (QAction *menu = main->settingsAction())
        QObject::connect(menu, &QAction::triggered, einstellungen,
                         [dialog = einstellungen] { dialog->Einstellung1Click(); });
    if (QAction *menu = main->usersAction())
        QObject::connect(menu, &QAction::triggered, einstellungen,
                         [dialog = einstellungen] { dialog->Nutzer1Click(); });
}

void AppWindows::addRegistrationWindows(const Clock &clock)
{
    besucher = add<registration::TBesucher>(main->session(), main->progressBar(),
                                            main->progressLabel());
    kalender = add<registration::TKalender>(clock);
    stammBrowse = add<registration::TStammBrowse>(main->session().folders().database);
    voranmeldung = add<registration::TVoranmeldung>(main->session());
    besucher->setCalendar(kalender);
    besucher->setPreRegistrationPicker([list = voranmeldung](const registration::VisitData &current) {
        return list->pick(current);
    });
    besucher->setMasterPicker([picker = stammBrowse](const registration::VisitData &current,
                                                     const QString &manualBadge) {
        return picker->pick(current, manualBadge);
    });
    main->setVisitForm([form = besucher] { form->btnBeginnClick(); },
                       [form = besucher] { form->btnEndeClick(); });
    main->setMasterDataForm([form = besucher] { form->Besucherstammbearbeiten1Click(); });
}

void AppWindows::connectLayouts()
{
    const shell::Session &session = main->session();
    // The settings' last step publishes the standard badge; the clock follows at once.
    einstellungen->setSaved([main = main, start = session.folders().start,
                             db = session.folders().database](const shell::WorkstationSettings &w) {
        main->setShowClock(w.uhrzeitDatum);
        layouts::LayoutFile::publishStandardBadge(start, db);
    });
    besucher->setPrintAction(layouts::VisitFormPrinting::action(
        session.folders().start, session.folders().database, besucher));
    badgeDesign = add<layouts::TBadgeDesign>(session.folders().start, session.folders().database);
    if (QAction *menu = main->badgeDesignerAction())
        QObject::connect(menu, &QAction::triggered, badgeDesign, [w = badgeDesign] { w->Besucherausweis1Click(); });
    sheetDesign = add<layouts::TQuittungDesign>(session.folders().start, session.folders().database);
    if (QAction *menu = main->sheetDesignerAction())
        QObject::connect(menu, &QAction::triggered, sheetDesign, [w = sheetDesign] { w->Besucherschein1Click(); });
}

void AppWindows::addRecordsWindows(const Clock &clock)
{
    shell::Session &session = main->session();
    berichtErstellen = add<records::TBerichtErstellen>(kalender);
    berichte = add<records::TBerichte>(
        records::TBerichte::Options{session.folders().lists, session.folders().database,
                                    session.options().seitenBreitePruefen, session.options().immerDauerAusgeben,
                                    &session.eventLog()},
        berichtErstellen);
    if (QAction *menu = main->reportsAction())
        QObject::connect(menu, &QAction::triggered, berichte, [w = berichte] { w->open(); });
    main->setTickListener([w = berichte](const QString &date, const QString &time) {
        w->setCurrentDateTime(date, time);
    });
    editieren = add<records::TEditieren>(session.folders().database, session.eventLog(), kalender, clock);
    loeschen = add<records::TLoeschen>(session.folders().database, kalender, &session.eventLog());
    // Both menus only for the right "Daten löschen / editieren".
    if (QAction *menu = main->editRecordsAction())
        QObject::connect(menu, &QAction::triggered, editieren, &QDialog::exec);
    if (QAction *menu = main->deleteRecordsAction())
        QObject::connect(menu, &QAction::triggered, loeschen, &QDialog::exec);
    main->setRightsListener([w = berichte](const shell::LoginUser &user) {
        if (user.has(shell::Right::BerichteErstellen))
            w->showMaintenance();
    });
}

} // namespace lobrix::app
