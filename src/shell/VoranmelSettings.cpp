#include "shell/VoranmelSettings.h"

#include "common/IniFile.h"
#include "shell/SettingsKeys.h"

namespace lobrix::shell {

void VoranmelSettings::writeTo(IniFile &voranmel) const
{
    namespace k = keys::voranmel;
    keys::write(voranmel, k::BilderPfad, bilderPfad);
    keys::write(voranmel, k::BesucherscheinPfad, besucherscheinPfad);
    keys::write(voranmel, k::AusweisdruckDatei, ausweisdruckDatei);
    keys::write(voranmel, k::BesucherscheinExternPfad, besucherscheinExternPfad);
    keys::write(voranmel, k::AusweisdruckExternPfad, ausweisdruckExternPfad);
    keys::write(voranmel, k::DruckExtern, druckExtern ? 1 : 0);
    keys::write(voranmel, k::Printer1, printer1);
    keys::write(voranmel, k::Printer2, printer2);
    keys::write(voranmel, k::HochQuer, hochQuer);
    keys::write(voranmel, k::AusweisBreite, ausweisBreite);
    keys::write(voranmel, k::AusweisHoehe, ausweisHoehe);
    for (size_t i = 0; i < k::BezeichnungInfo.size(); ++i)
        keys::write(voranmel, k::BezeichnungInfo[i], bezeichnungInfo[i]);
    for (size_t i = 0; i < k::RequiredFields.size(); ++i)
        keys::write(voranmel, k::RequiredFields[i], requiredFields[i]);
}

} // namespace lobrix::shell
