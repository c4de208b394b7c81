#include "common/IniFile.h"

#include "common/CodePage.h"
#include "common/Error.h"
#include "common/TextFile.h"

#include <QDir>
#include <QList>
#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace lobrix {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Byte positions of the line without leading and trailing blanks: [begin, end).
std::pair<qsizetype, qsizetype> trimmedRange(const QByteArray &line, qsizetype begin, qsizetype end)
{
    while (begin < end && isBlank(line.at(begin)))
        ++begin;
    while (end > begin && isBlank(line.at(end - 1)))
        --end;
    return {begin, end};
}

QString decodeRange(const QByteArray &line, std::pair<qsizetype, qsizetype> range)
{
    return decode(CodePage::Cp1252, line.constData() + range.first,
                  static_cast<int>(range.second - range.first));
}

// What one line of the file is. Windows-1252 is one byte per character, so byte
// positions and character positions agree.
struct Line {
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    QString name;             // section or key name, trimmed
    qsizetype keyEnd = 0;     // for keys: end of the trimmed key name in the raw bytes
    qsizetype valueBegin = 0; // for keys: first byte after "="
};

Line classify(const QByteArray &raw)
{
    Line line;
    const auto [b, e] = trimmedRange(raw, 0, raw.size());
    if (b == e || raw.at(b) == ';')
        return line;
    if (raw.at(b) == '[') {
        const qsizetype close = raw.indexOf(']', b + 1);
        if (close < 0)
            return line;
        line.kind = Line::Kind::Section;
        line.name = decodeRange(raw, trimmedRange(raw, b + 1, close));
        return line;
    }
    const qsizetype eq = raw.indexOf('=', b);
    if (eq < 0 || eq >= e)
        return line;
    const auto keyRange = trimmedRange(raw, b, eq);
    if (keyRange.first == keyRange.second)
        return line;
    line.kind = Line::Kind::Key;
    line.name = decodeRange(raw, keyRange);
    line.keyEnd = keyRange.second;
    line.valueBegin = eq + 1;
    return line;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a section's lines are: the header, and the lines up to the next header.
struct SectionRange {
    qsizetype header = -1;
    qsizetype end = -1; // one past the last line of the section
};

SectionRange findSection(const QList<QByteArray> &lines, const QString &section)
{
    SectionRange r;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line l = classify(lines.at(i));
        if (l.kind != Line::Kind::Section)
            continue;
        if (r.header >= 0) {
            r.end = i;
            return r;
        }
        if (sameName(l.name, section))
            r.header = i;
    }
    if (r.header >= 0)
        r.end = lines.size();
    return r;
}

std::optional<QString> findValueIn(const QList<QByteArray> &lines, const QString &section,
                                   const QString &key)
{
    const SectionRange sec = findSection(lines, section);
    for (qsizetype i = sec.header + 1; sec.header >= 0 && i < sec.end; ++i) {
        const QByteArray &raw = lines.at(i);
        const Line l = classify(raw);
        if (l.kind != Line::Kind::Key || !sameName(l.name, key))
            continue;
        qsizetype end = raw.indexOf('\0', l.valueBegin);
        if (end < 0)
            end = raw.size();
        auto [b, e] = trimmedRange(raw, l.valueBegin, end);
        if (e - b >= 2 && (raw.at(b) == '"' || raw.at(b) == '\'') && raw.at(e - 1) == raw.at(b)) {
            ++b;
            --e;
        }
        e = std::min(e, b + IniFile::MaxValueLength);
        return decodeRange(raw, {b, e});
    }
    return std::nullopt;
}

std::optional<QString> findValue(const QString &path, const QString &section, const QString &key)
{
    return findValueIn(TextFile::splitLines(TextFile::readBytes(path)), section, key);
}

[[noreturn]] void throwUnstorable(const QString &path, const QString &what)
{
    throw Error(QStringLiteral("%1 kann nicht in der Datei '%2' gespeichert werden.")
                    .arg(what, QDir::toNativeSeparators(path)));
}

bool hasLineBreakOrNul(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

// Names are compared trimmed, so a name with blanks around it could never be found again.
bool isTrimmed(const QString &name)
{
    const auto blank = [](QChar c) { return c.unicode() < 0x80 && isBlank(char(c.unicode())); };
    return !name.isEmpty() && !blank(name.front()) && !blank(name.back());
}

void checkNames(const QString &path, const QString &section, const QString &key)
{
    if (section.isEmpty() || !isTrimmed(section) || hasLineBreakOrNul(section) ||
        section.contains(u']'))
        throwUnstorable(path, QStringLiteral("Der Abschnittsname '%1'").arg(section));
    if (key.isEmpty() || !isTrimmed(key) || hasLineBreakOrNul(key) || key.contains(u'=') ||
        key.startsWith(u';') || key.startsWith(u'['))
        throwUnstorable(path, QStringLiteral("Der Schlüsselname '%1'").arg(key));
}

// The whole number a value stands for: decimal with an optional "-", or "0x"/"0X"
// hexadecimal. Anything else, or a number outside the int range, gives the default.
int wholeNumberOf(const QString &value, int defaultValue)
{
    const auto isDigitIn = [](QChar c, int base) {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            return true;
        return base == 16 && ((u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F'));
    };
    QStringView digits(value);
    int base = 10;
    bool negative = false;
    if (digits.startsWith(u"0x") || digits.startsWith(u"0X")) {
        base = 16;
        digits = digits.mid(2);
    } else if (digits.startsWith(u'-')) {
        negative = true;
        digits = digits.mid(1);
    }
    for (QChar c : digits)
        if (!isDigitIn(c, base))
            return defaultValue;
    bool ok = false; // also false for no digits and for more than 64 bits
    qint64 number = digits.toLongLong(&ok, base);
    if (!ok)
        return defaultValue;
    if (negative)
        number = -number;
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return defaultValue;
    return static_cast<int>(number);
}

} // namespace

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    return findValue(m_path, section, key).value_or(defaultValue);
}

int IniFile::toWholeNumber(const std::optional<QString> &value, int defaultValue)
{
    return value ? wholeNumberOf(*value, defaultValue) : defaultValue;
}

int IniFile::readInt(const QString &section, const QString &key, int defaultValue) const
{
    return toWholeNumber(findValue(m_path, section, key), defaultValue);
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
    checkNames(m_path, section, key);
    const QByteArray sectionBytes = TextFile::encodeFor(m_path, section);
    const QByteArray keyBytes = TextFile::encodeFor(m_path, key);

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
    QList<QByteArray> lines = TextFile::splitLines(old);
    const std::optional<QString> current = findValueIn(lines, section, key);
    const std::optional<QString> value = change(current);
    if (!value)
        return current;
    if (hasLineBreakOrNul(*value))
        throwUnstorable(m_path, QStringLiteral("Ein Wert mit Zeilenumbruch für '%1'").arg(key));
    const QByteArray valueBytes = TextFile::encodeFor(m_path, *value);

    const SectionRange sec = findSection(lines, section);
    if (sec.header < 0) {
        // A blank line between the sections, unless the file ends with one already.
        if (!lines.isEmpty()) {
            const auto [b, e] = trimmedRange(lines.last(), 0, lines.last().size());
            if (b != e)
                lines.append(QByteArray());
        }
        lines.append('[' + sectionBytes + ']');
        lines.append(keyBytes + '=' + valueBytes);
    } else {
        qsizetype insertAt = sec.header + 1;
        bool replaced = false;
        for (qsizetype i = sec.header + 1; i < sec.end; ++i) {
            const Line l = classify(lines.at(i));
            if (l.kind != Line::Kind::Key)
                continue;
            if (sameName(l.name, key)) {
                // Keep the key as it is spelled in the file; only the value changes.
                const auto [b, e] = trimmedRange(lines.at(i), 0, l.keyEnd);
                lines[i] = lines.at(i).mid(b, e - b) + '=' + valueBytes;
                replaced = true;
                break;
            }
            insertAt = i + 1;
        }
        if (!replaced)
            lines.insert(insertAt, keyBytes + '=' + valueBytes);
    }
    TextFile::writeBytes(m_path, TextFile::joinLines(lines));
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
