#pragma once
// A settings file in the classic INI form, read and written one key at a time the way
// the Windows profile functions do it (the rules are IniDocument's).
//
// - Nothing is cached: every read reads the file (other workstations write the shared
//   files), every write re-reads it, changes the one line and replaces the whole file
//   through a temporary file, so a crash never leaves half a file.
// - A file in the database folder is given its folder lock: then every write re-reads,
//   changes and writes the file while holding it, so two workstations writing different
//   keys at once both keep their change. Reads take no lock.
// - A missing file reads as empty; the first write creates it (its folder must exist).
//
// Many keys of one file at once (layouts) go through IniDocument: one read, one write.
#include "common/WriteLock.h"

#include <QString>

#include <functional>
#include <optional>

namespace lobrix {

class IniFile
{
public:
    static constexpr int MaxValueLength = 1023; // as IniDocument's

    explicit IniFile(QString path) : m_path(std::move(path)) {}
    // A shared file: writes hold `writeLock`.
    IniFile(QString path, WriteLock writeLock)
        : m_path(std::move(path)), m_writeLock(std::move(writeLock))
    {
    }

    const QString &path() const { return m_path; }

    // The value, or `defaultValue` when the file, section or key is missing. A key that
    // is there with nothing after "=" gives the empty text.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = {}) const;
    // The value as a whole number (decimal with optional "-", or "0x"/"0X" hexadecimal);
    // anything else, or a value outside the int range, gives `defaultValue`.
    int readInt(const QString &section, const QString &key, int defaultValue) const;
    // Read as a whole number with the default 1 or 0; anything but 0 is true.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    // Each write goes to disk at once. Throws lobrix::Error naming the file when the file
    // cannot be written, when a name or value has characters Windows-1252 cannot store,
    // or when it would break the file's structure (line breaks, NUL, "=" in a key, "]"
    // in a section name, empty names).
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInt(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);

    // A read-change-write of one key in one step: `change` gets the value in the file now
    // (none when the key is missing) and returns the value to write, or none to leave the
    // file as it is. Returns what the key holds afterwards.
    using Change = std::function<std::optional<QString>(const std::optional<QString> &current)>;
    std::optional<QString> update(const QString &section, const QString &key, const Change &change);

    // The whole number a value stands for, by the rules of readInt.
    static int toWholeNumber(const std::optional<QString> &value, int defaultValue);

private:
    QString m_path;
    WriteLock m_writeLock;
};

} // namespace lobrix
