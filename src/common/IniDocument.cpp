#include "common/IniDocument.h"

#include "common/CodePage.h"
#include "common/Error.h"
#include "common/TextFile.h"

#include <QDir>
#include <algorithm>
#include <limits>
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


QString folded(const QString &name)
{
    return name.toCaseFolded();
}

// The value of a key line, by the profile functions' rules.
QString valueOf(const QByteArray &raw)
{
    const Line l = classify(raw);
    qsizetype end = raw.indexOf('\0', l.valueBegin);
    if (end < 0)
        end = raw.size();
    auto [b, e] = trimmedRange(raw, l.valueBegin, end);
    if (e - b >= 2 && (raw.at(b) == '"' || raw.at(b) == '\'') && raw.at(e - 1) == raw.at(b)) {
        ++b;
        --e;
    }
    e = std::min(e, b + IniDocument::MaxValueLength);
    return decodeRange(raw, {b, e});
}

bool isBlankLine(const QByteArray &raw)
{
    const auto [b, e] = trimmedRange(raw, 0, raw.size());
    return b == e;
}

} // namespace

IniDocument::IniDocument(QString path) : m_path(std::move(path))
{
    m_sections.emplace_back(); // the preamble
}

IniDocument IniDocument::load(const QString &path)
{
    TextFile::ReadStatus status = TextFile::ReadStatus::Failed;
    const QByteArray bytes = TextFile::readBytes(path, &status);
    if (status == TextFile::ReadStatus::Failed)
        throw Error(QStringLiteral("Die Datei '%1' konnte nicht gelesen werden.")
                        .arg(QDir::toNativeSeparators(path)));
    return parse(bytes, path);
}

IniDocument IniDocument::parse(const QByteArray &bytes, QString path)
{
    IniDocument doc(std::move(path));
    Section *current = &doc.m_sections.front();
    for (QByteArray &raw : TextFile::splitLines(bytes)) {
        const Line l = classify(raw);
        if (l.kind == Line::Kind::Section) {
            Section next;
            next.folded = folded(l.name);
            doc.append(std::move(next));
            current = &doc.m_sections.back();
        } else if (l.kind == Line::Kind::Key && current != &doc.m_sections.front()) {
            const int line = int(current->lines.size());
            const QString name = folded(l.name);
            if (!current->keys.contains(name)) // the first one counts
                current->keys.insert(name, line);
            current->lastKey = line;
        }
        current->lines.append(std::move(raw));
    }
    return doc;
}

void IniDocument::append(Section section)
{
    if (!m_first.contains(section.folded))
        m_first.insert(section.folded, int(m_sections.size()));
    m_sections.push_back(std::move(section));
}

QByteArray IniDocument::bytes() const
{
    QByteArray out;
    qsizetype size = 0;
    for (const Section &s : m_sections)
        for (const QByteArray &line : s.lines)
            size += line.size() + 2;
    out.reserve(size);
    for (const Section &s : m_sections) {
        if (s.erased)
            continue;
        for (const QByteArray &line : s.lines) {
            out += line;
            out += "\r\n";
        }
    }
    return out;
}

void IniDocument::save() const
{
    TextFile::writeBytes(m_path, bytes());
}

const IniDocument::Section *IniDocument::find(const QString &section) const
{
    const auto it = m_first.constFind(folded(section));
    return it == m_first.cend() ? nullptr : &m_sections[size_t(*it)];
}

IniDocument::Section *IniDocument::find(const QString &section)
{
    return const_cast<Section *>(std::as_const(*this).find(section));
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const Section *s = find(section);
    if (!s)
        return std::nullopt;
    const auto it = s->keys.constFind(folded(key));
    if (it == s->keys.cend())
        return std::nullopt;
    return valueOf(s->lines.at(*it));
}

QString IniDocument::readString(const QString &section, const QString &key,
                                const QString &defaultValue) const
{
    return value(section, key).value_or(defaultValue);
}

int IniDocument::toWholeNumber(const std::optional<QString> &value, int defaultValue)
{
    return value ? wholeNumberOf(*value, defaultValue) : defaultValue;
}

int IniDocument::readInt(const QString &section, const QString &key, int defaultValue) const
{
    return toWholeNumber(value(section, key), defaultValue);
}

bool IniDocument::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInt(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniDocument::hasSection(const QString &section) const
{
    return find(section) != nullptr;
}

void IniDocument::checkNames(const QString &path, const QString &section, const QString &key)
{
    if (section.isEmpty() || !isTrimmed(section) || hasLineBreakOrNul(section) ||
        section.contains(u']'))
        throwUnstorable(path, QStringLiteral("Der Abschnittsname '%1'").arg(section));
    if (key.isEmpty() || !isTrimmed(key) || hasLineBreakOrNul(key) || key.contains(u'=') ||
        key.startsWith(u';') || key.startsWith(u'['))
        throwUnstorable(path, QStringLiteral("Der Schlüsselname '%1'").arg(key));
    TextFile::encodeFor(path, section);
    TextFile::encodeFor(path, key);
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    checkNames(m_path, section, key);
    if (hasLineBreakOrNul(value))
        throwUnstorable(m_path, QStringLiteral("Ein Wert mit Zeilenumbruch für '%1'").arg(key));
    const QByteArray valueBytes = TextFile::encodeFor(m_path, value);

    Section *s = find(section);
    if (!s) {
        const QByteArray header = '[' + TextFile::encodeFor(m_path, section) + ']';
        const QByteArray line = TextFile::encodeFor(m_path, key) + '=' + valueBytes;
        // A blank line between the sections, unless the file ends with one already.
        const auto last = std::find_if(m_sections.rbegin(), m_sections.rend(),
                                       [](const Section &x) { return !x.erased && !x.lines.isEmpty(); });
        if (last != m_sections.rend() && !isBlankLine(last->lines.last()))
            last->lines.append(QByteArray());
        Section added;
        added.folded = folded(section);
        added.lines = {header, line};
        added.keys.insert(folded(key), 1);
        added.lastKey = 1;
        append(std::move(added));
        return;
    }
    const auto it = s->keys.constFind(folded(key));
    if (it != s->keys.cend()) {
        // Keep the key as it is spelled in the file; only the value changes.
        QByteArray &raw = s->lines[*it];
        const Line l = classify(raw);
        const auto [b, e] = trimmedRange(raw, 0, l.keyEnd);
        raw = raw.mid(b, e - b) + '=' + valueBytes;
        return;
    }
    const int at = s->lastKey + 1;
    s->lines.insert(at, TextFile::encodeFor(m_path, key) + '=' + valueBytes);
    s->keys.insert(folded(key), at); // no key comes after the last one, none moves
    s->lastKey = at;
}

void IniDocument::setInt(const QString &section, const QString &key, int value)
{
    setValue(section, key, QString::number(value));
}

void IniDocument::setBool(const QString &section, const QString &key, bool value)
{
    setValue(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniDocument::eraseSection(const QString &section)
{
    const QString name = folded(section);
    if (!m_first.remove(name))
        return false;
    for (Section &s : m_sections)
        if (!s.erased && s.folded == name && &s != &m_sections.front())
            s.erased = true;
    return true;
}

} // namespace lobrix
