#include "shell/RegistrationLock.h"

#include "data/DbfTable.h"
#include "shell/IniFile.h"
#include "shell/SettingsKeys.h"

namespace lobrix::shell
{

RegistrationLock::RegistrationLock(QString databaseFolder) : m_folder(std::move(databaseFolder))
{
}

QString RegistrationLock::path() const
{
    // Looked up on every use: a folder copied from Windows may spell it GLOBAL.INI.
    return data::DbfTable::resolve(m_folder, QString::fromLatin1(keys::GlobalFile));
}

void RegistrationLock::SetRegistrationLock()
{
    IniFile global(path());
    keys::write(global, keys::global::Locked, true);
}

void RegistrationLock::ClearRegistrationLock()
{
    IniFile global(path());
    keys::write(global, keys::global::Locked, false);
}

bool RegistrationLock::RegistrationLocked() const
{
    return keys::read(IniFile(path()), keys::global::Locked);
}

int RegistrationLock::lastSatz() const
{
    return keys::read(IniFile(path()), keys::global::LastSatz);
}

void RegistrationLock::writeLastSatz(int visitNumber)
{
    IniFile global(path());
    keys::write(global, keys::global::LastSatz, visitNumber);
}

} // namespace lobrix::shell
