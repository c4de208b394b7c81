#pragma once
// A fresh installation (start folder + database folder) in a temporary folder, made by
// the same code as `lobrix-admin init`.
#include <QString>
#include <QTemporaryDir>

namespace lobrix::test {

class TestInstallation {
public:
    explicit TestInstallation(int badges = 100, bool demo = false);
    QString startFolder() const;
    QString databaseFolder() const;
    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Copies a folder of read-only fixtures into `target` with write permission.
void copyFixtureFolder(const QString &source, const QString &target);
QString fixturePath(const QString &relative);

} // namespace lobrix::test
