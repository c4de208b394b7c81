#include "shell/SettingsKeys.h"

#include "common/IniFile.h"

namespace lobrix::shell::keys {
namespace {
QString text(const char *ascii)
{
    return QString::fromLatin1(ascii);
}
} // namespace

QString read(const IniFile &file, TextKey key)
{
    return file.readString(text(key.section), text(key.key), text(key.defaultValue));
}

int read(const IniFile &file, IntKey key)
{
    return file.readInt(text(key.section), text(key.key), key.defaultValue);
}

bool read(const IniFile &file, BoolKey key)
{
    return file.readBool(text(key.section), text(key.key), key.defaultValue);
}

QString read(const IniFile &file, FolderKey key, const QString &runtimeDefault)
{
    const QString value = file.readString(text(key.section), text(key.key));
    return value.isEmpty() ? runtimeDefault : value;
}

void write(IniFile &file, TextKey key, const QString &value)
{
    file.writeString(text(key.section), text(key.key), value);
}

void write(IniFile &file, IntKey key, int value)
{
    file.writeInt(text(key.section), text(key.key), value);
}

void write(IniFile &file, BoolKey key, bool value)
{
    file.writeBool(text(key.section), text(key.key), value);
}

void write(IniFile &file, FolderKey key, const QString &value)
{
    file.writeString(text(key.section), text(key.key), value);
}

} // namespace lobrix::shell::keys
