#include "shell/WorkstationSettings.h"

#include "common/IniFile.h"
#include "data/DbfTable.h"
#include "data/Tables.h"
#include "shell/Session.h"
#include "shell/SettingsKeys.h"

#include <QDir>
#include <QFileInfo>

namespace lobrix::shell {

namespace s = keys::settings;
namespace v = keys::voranmel;
using keys::write;

WorkstationSettings WorkstationSettings::read(Session &session)
{
    const IniFile &ini = session.settings();
    WorkstationSettings w;
    w.datenbank = keys::read(ini, s::DatenbankPfad);
    w.listen = keys::read(ini, s::ListenPfad);
    w.bilder = keys::read(ini, s::BilderPfad, session.folders().start);
    w.printer1 = keys::read(ini, s::Printer1);
    w.printer2 = keys::read(ini, s::Printer2);
    w.hochQuer = keys::read(ini, s::HochQuer);
    w.ausweisHoehe = keys::read(ini, s::AusweisHoehe);
    w.ausweisBreite = keys::read(ini, s::AusweisBreite);
    w.uhrzeitDatum = keys::read(ini, s::UhrzeitDatum);
    w.noDbCheck = keys::read(ini, s::NoDBCheck);
    w.druckExtern = keys::read(ini, s::DruckExtern) != 0;
    w.besucherscheinExtern = keys::read(ini, s::BesucherscheinExternPfad);
    w.ausweisExtern = keys::read(ini, s::AusweisdruckExternPfad);
    w.besucherschein = keys::read(ini, s::BesucherscheinPfad);
    w.ausweis = keys::read(session.voranmel(), v::AusweisdruckDatei);
    w.autoStamm = keys::read(ini, s::AutoStamm);
    w.autoQuittung = keys::read(ini, s::AutoQuittung);
    w.quittung = keys::read(ini, s::Quittung);
    for (size_t i = 0; i < w.requiredFields.size(); ++i)
        w.requiredFields[i] = keys::read(ini, s::RequiredFields[i]);
    w.showInfoStamm = keys::read(ini, s::ShowInfoStamm);
    for (size_t i = 0; i < w.bezeichnungInfo.size(); ++i)
        w.bezeichnungInfo[i] = keys::read(ini, s::BezeichnungInfo[i]);
    return w;
}

void WorkstationSettings::save(Session &session) const
{
    IniFile &ini = session.settings();
    IniFile &pre = session.voranmel();
    // The folders first: everything below is found through them.
    write(ini, s::DatenbankPfad, datenbank);
    write(ini, s::ListenPfad, listen);
    write(ini, s::BilderPfad, bilder);
    write(pre, v::BilderPfad, bilder);
    // The layout files of the visitor sheet and the badge (Voranmel.ini carries a copy for
    // the pre-registration application).
    write(ini, s::BesucherscheinPfad, besucherschein);
    write(pre, v::BesucherscheinPfad, besucherschein);
    write(ini, s::AusweisdruckDatei, ausweis);
    write(pre, v::AusweisdruckDatei, ausweis);
    // The external documents printed instead of the layouts.
    write(ini, s::BesucherscheinExternPfad, besucherscheinExtern);
    write(ini, s::AusweisdruckExternPfad, ausweisExtern);
    write(pre, v::BesucherscheinExternPfad, besucherscheinExtern);
    write(pre, v::AusweisdruckExternPfad, ausweisExtern);
    // Whether the external documents are printed.
    write(ini, s::DruckExtern, druckExtern ? 1 : 0);
    write(pre, v::DruckExtern, druckExtern ? 1 : 0);
    // The printers and the badge page.
    write(ini, s::Printer1, printer1);
    write(ini, s::Printer2, printer2);
    write(ini, s::HochQuer, hochQuer);
    write(ini, s::AusweisBreite, ausweisBreite);
    write(ini, s::AusweisHoehe, ausweisHoehe);
    write(pre, v::Printer1, printer1);
    write(pre, v::Printer2, printer2);
    write(pre, v::HochQuer, hochQuer);
    write(pre, v::AusweisBreite, ausweisBreite);
    write(pre, v::AusweisHoehe, ausweisHoehe);
    // The visit form's options and its required fields.
    write(ini, s::AutoQuittung, autoQuittung);
    write(ini, s::Quittung, quittung);
    write(ini, s::AutoStamm, autoStamm);
    for (size_t i = 0; i < requiredFields.size(); ++i)
        write(ini, s::RequiredFields[i], requiredFields[i]);
    for (size_t i = 0; i < requiredFields.size(); ++i)
        write(pre, v::RequiredFields[i], requiredFields[i]);
    // The captions of the four information fields.
    for (size_t i = 0; i < bezeichnungInfo.size(); ++i)
        write(ini, s::BezeichnungInfo[i], bezeichnungInfo[i]);
    for (size_t i = 0; i < bezeichnungInfo.size(); ++i)
        write(pre, v::BezeichnungInfo[i], bezeichnungInfo[i]);
    write(ini, s::ShowInfoStamm, showInfoStamm);
    // Last, what only this workstation reads: the clock and the start check.
    write(ini, s::UhrzeitDatum, uhrzeitDatum);
    write(ini, s::NoDBCheck, noDbCheck);
}

QString WorkstationSettings::databaseFolderWarning() const
{
    const QString folder = QDir::fromNativeSeparators(datenbank);
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("Der Datenbankordner '%1' existiert nicht. Die Einstellung ist "
                              "gespeichert und gilt ab dem nächsten Programmstart.")
            .arg(datenbank);
    if (!QFileInfo::exists(data::DbfTable::resolve(folder, QString::fromLatin1(data::tables::Besucher))))
        return QStringLiteral("Im Datenbankordner '%1' gibt es keine Besucher.dbf. Die Einstellung "
                              "ist gespeichert und gilt ab dem nächsten Programmstart.")
            .arg(datenbank);
    return {};
}

} // namespace lobrix::shell
