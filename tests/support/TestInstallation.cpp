#include "TestInstallation.h"

#include "setup/Installation.h"

#include <QDir>
#include <QFile>

namespace lobrix::test {

TestInstallation::TestInstallation(int badges, bool demo)
{
    setup::Installation::Options options;
    options.badges = badges;
    options.demo = demo;
    setup::Installation::create(startFolder(), databaseFolder(), options);
}

QString TestInstallation::startFolder() const { return m_dir.filePath(QStringLiteral("start")); }

QString TestInstallation::databaseFolder() const { return m_dir.filePath(QStringLiteral("db")); }

void copyFixtureFolder(const QString &source, const QString &target)
{
    QDir().mkpath(target);
    const QDir from(source);
    for (const QString &name : from.entryList(QDir::Files)) {
        const QString to = QDir(target).filePath(name);
        QFile::remove(to);
        QFile::copy(from.filePath(name), to);
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
    }
}

QString fixturePath(const QString &relative)
{
    return QStringLiteral(LOBRIX_SHARED_DIR "/fixtures/") + relative;
}

} // namespace lobrix::test
