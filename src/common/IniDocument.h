#pragma once
// One INI file in memory: parsed once, read and changed key by key, written back whole.
// The rules are those of the Windows profile functions, the same as IniFile's:
//
// - Section and key names are compared without regard to case; where a section or a
//   key appears twice, the first one counts.
// - Values are trimmed; one pair of surrounding quotes ("..." or '...') is removed; a
//   text value is cut at 1023 characters (and at a NUL byte).
// - Windows-1252 with CR LF. LF and lone CR are read as line ends too. Lines that are
//   not sections or keys (comments, junk, keys before the first section) are kept byte
//   for byte; a changed key keeps its spelling, only its value changes.
//
// Changing the document touches no file; `save` writes all of it in one atomic write.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace lobrix {

class IniDocument
{
public:
    static constexpr int MaxValueLength = 1023;

    // An empty document; `path` names the file in messages and is where save() writes.
    explicit IniDocument(QString path = {});
    // The file's content; a missing file gives an empty document. Throws lobrix::Error
    // naming the file when it is there but cannot be read, so that it is never replaced
    // by what little a caller changed.
    static IniDocument load(const QString &path);
    static IniDocument parse(const QByteArray &bytes, QString path = {});

    const QString &path() const { return m_path; }
    QByteArray bytes() const;
    // Replaces the file with bytes() through a temporary file (see TextFile::writeBytes).
    void save() const;

    // The value, or none when the section or key is missing. A key with nothing after
    // "=" gives the empty text.
    std::optional<QString> value(const QString &section, const QString &key) const;
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = {}) const;
    // A whole number: decimal with optional "-", or "0x"/"0X" hexadecimal; anything else,
    // or a value outside the int range, gives `defaultValue`.
    int readInt(const QString &section, const QString &key, int defaultValue) const;
    // Read as a whole number with the default 1 or 0; anything but 0 is true.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    bool hasSection(const QString &section) const;

    // Sets the key in the first section of that name; a missing key is added after the
    // section's last key, a missing section at the end (after a blank line). Throws
    // lobrix::Error naming the file, and changes nothing, for a value or name that
    // Windows-1252 cannot store or that would break the structure (line breaks, NUL, "="
    // in a key, "]" in a section name, empty names, blanks around a name).
    void setValue(const QString &section, const QString &key, const QString &value);
    void setInt(const QString &section, const QString &key, int value);
    void setBool(const QString &section, const QString &key, bool value);
    // Removes every section of that name with all its lines, so that a second one cannot
    // come to life. False when there was none.
    bool eraseSection(const QString &section);

    static int toWholeNumber(const std::optional<QString> &value, int defaultValue);
    // Throws, as setValue does, for a section or key name that cannot be stored.
    static void checkNames(const QString &path, const QString &section, const QString &key);

private:
    struct Section {
        QString folded;             // the name as compared; empty for the preamble
        QList<QByteArray> lines;    // the header first (none in the preamble), then the body
        QHash<QString, int> keys;   // folded key name -> its first line
        int lastKey = 0;            // the line after which a new key goes
        bool erased = false;
    };

    void append(Section section);
    Section *find(const QString &section);
    const Section *find(const QString &section) const;

    QString m_path;
    std::vector<Section> m_sections; // in file order; the first one is the preamble
    QHash<QString, int> m_first;     // folded section name -> first section of that name
};

} // namespace lobrix
