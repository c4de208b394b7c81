#include "shell/Session.h"

#include "data/DbfTable.h"
#include "shell/SettingsKeys.h"

#include <QDir>

namespace lobrix::shell {
namespace {

QString folderOf(const QString &startFolder, const QString &configured)
{
    if (configured.isEmpty())
        return configured;
    return QDir::cleanPath(QDir(startFolder).absoluteFilePath(configured));
}

QString startSettingsPath(const QString &start)
{
    return data::DbfTable::resolve(start, QString::fromLatin1(keys::SettingsFile));
}

QString databaseFolder(const QString &start)
{
    return folderOf(start, keys::read(IniFile(startSettingsPath(start)), keys::settings::DatenbankPfad));
}

} // namespace

Session::Session(const QString &startFolder, const Clock &clock)
    : Session(startFolder, databaseFolder(startFolder), clock)
{
}

Session::Session(const QString &startFolder, const QString &database, const Clock &clock)
    : m_clock(clock),
      m_settings(startSettingsPath(startFolder)),
      m_global(data::DbfTable::resolve(database, QString::fromLatin1(keys::GlobalFile)),
               data::FolderLock(database, data::FolderLock::Resource::GlobalIni).writeLock()),
      m_voranmel(data::DbfTable::resolve(database, QString::fromLatin1(keys::VoranmelFile)),
                 data::FolderLock(database, data::FolderLock::Resource::VoranmelIni).writeLock()),
      m_eventLog(database, [this] { return currentUserName(); }, clock),
      m_lock(database, &m_eventLog)
{
    m_folders.start = QDir::cleanPath(QDir(startFolder).absolutePath());
    m_folders.database = database;
    m_folders.lists = folderOf(m_folders.start, keys::read(m_settings, keys::settings::ListenPfad));
    m_folders.images =
        folderOf(m_folders.start, keys::read(m_settings, keys::settings::BilderPfad, m_folders.start));

    m_options.voranmeldungExt = keys::read(m_settings, keys::settings::VoranmeldungExt);
    m_options.zielBearbeiten = keys::read(m_settings, keys::settings::ZielBearbeiten);
    m_options.awnManuell = keys::read(m_settings, keys::settings::AWNManuell);
    m_options.seitenBreitePruefen = keys::read(m_settings, keys::settings::SeitenBreitePruefen);
    m_options.immerDauerAusgeben = keys::read(m_settings, keys::settings::ImmerDauerAusgeben);
}

QString Session::startFile(const QString &name) const
{
    return data::DbfTable::resolve(m_folders.start, name);
}

QString Session::databaseFile(const QString &name) const
{
    return data::DbfTable::resolve(m_folders.database, name);
}

QString Session::currentUserName() const
{
    return m_user ? m_user->name() : QString::fromUtf8(LoginUser::ServiceUserName);
}

} // namespace lobrix::shell
