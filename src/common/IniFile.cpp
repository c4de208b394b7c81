#include "common/IniFile.h"

#include "common/Error.h"
#include "common/IniDocument.h"
#include "common/TextFile.h"

#include <QDir>

namespace lobrix {

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    return IniDocument::parse(TextFile::readBytes(m_path)).readString(section, key, defaultValue);
}

int IniFile::toWholeNumber(const std::optional<QString> &value, int defaultValue)
{
    return IniDocument::toWholeNumber(value, defaultValue);
}

int IniFile::readInt(const QString &section, const QString &key, int defaultValue) const
{
    return IniDocument::parse(TextFile::readBytes(m_path)).readInt(section, key, defaultValue);
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInt(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    update(section, key, [&](const std::optional<QString> &) { return value; });
}

std::optional<QString> IniFile::update(const QString &section, const QString &key,
                                       const Change &change)
{
    // Names are checked before the lock is taken: an unstorable name changes nothing.
    IniDocument::checkNames(m_path, section, key);

    std::shared_ptr<void> held;
    if (m_writeLock) {
        try {
            held = m_writeLock();
        } catch (const Error &e) {
            throw Error(QStringLiteral("Die Datei '%1' konnte nicht geschrieben werden: %2")
                            .arg(QDir::toNativeSeparators(m_path), e.message()));
        }
    }

    // A file that is there but cannot be read must not be replaced by one key; nor may a
    // file whose folder is gone for a moment be made anew.
    TextFile::ReadStatus status = TextFile::ReadStatus::Failed;
    const QByteArray old = TextFile::readBytes(m_path, &status);
    if (status == TextFile::ReadStatus::Failed)
        throw Error(QStringLiteral("Die Datei '%1' konnte nicht geschrieben werden.")
                        .arg(QDir::toNativeSeparators(m_path)));
    IniDocument doc = IniDocument::parse(old, m_path);
    const std::optional<QString> current = doc.value(section, key);
    const std::optional<QString> value = change(current);
    if (!value)
        return current;
    doc.setValue(section, key, *value);
    doc.save();
    return value;
}

void IniFile::writeInt(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace lobrix
