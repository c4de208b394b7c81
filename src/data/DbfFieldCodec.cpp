#include "data/DbfFieldCodec.h"

#include "common/Error.h"

#include <QDate>
#include <QTime>
#include <QtEndian>

#include <cstring>

namespace lobrix::data {
namespace {

bool isPad(char c)
{
    return c == ' ' || c == '\0';
}

// Trimmed bytes of a field: right always, left too for numbers.
QByteArray trimmed(const char *p, int length, bool left)
{
    int end = length;
    while (end > 0 && isPad(p[end - 1]))
        --end;
    int begin = 0;
    while (left && begin < end && isPad(p[begin]))
        ++begin;
    return QByteArray(p + begin, end - begin);
}

QString codePageName(CodePage cp)
{
    switch (cp) {
    case CodePage::Cp850:
        return QStringLiteral("DOS 850");
    case CodePage::Cp437:
        return QStringLiteral("DOS 437");
    case CodePage::Cp1250:
        return QStringLiteral("Windows-1250");
    case CodePage::Latin1:
        return QStringLiteral("ISO-8859-1");
    case CodePage::Cp1252:
        break;
    }
    return QStringLiteral("Windows-1252");
}

bool allDigits(QStringView s)
{
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return !s.isEmpty();
}

// "12345678" style decimal of a 64-bit integer scaled by 10^scale.
QString scaledInteger(qint64 value, int scale)
{
    const bool negative = value < 0;
    QString digits =
        QString::number(negative ? -static_cast<quint64>(value) : static_cast<quint64>(value));
    digits = digits.rightJustified(scale + 1, u'0');
    QString s = digits.left(digits.size() - scale);
    if (scale > 0)
        s += u'.' + digits.right(scale);
    return negative ? u'-' + s : s;
}

} // namespace

QString DbfFieldCodec::text(const DbfField &field, quint8 version, CodePage cp, const char *record)
{
    const char *p = record + field.offset;
    switch (field.type) {
    case 'C': {
        const QByteArray t = trimmed(p, field.length, false);
        return decode(cp, t);
    }
    case 'N':
    case 'F': {
        // A number field full of '*' is shapelib's null (and dBASE's overflow).
        const QByteArray t = trimmed(p, field.length, true);
        return t.count('*') == t.size() ? QString() : QString::fromLatin1(t);
    }
    case 'D':
        return field.length == 8 ? dateText(p) : QString();
    case 'L': {
        const int v = logical(field, record);
        return v < 0 ? QString() : QString(v ? u'T' : u'F');
    }
    case 'I':
        return field.length == 4 ? QString::number(qFromLittleEndian<qint32>(p)) : QString();
    case 'Y':
        return field.length == 8 ? scaledInteger(qFromLittleEndian<qint64>(p), 4) : QString();
    case 'B':
        if (isBinary(field, version) && field.length == 8) {
            double d = 0;
            std::memcpy(&d, p, sizeof d);
            return QString::number(d, 'g', 15);
        }
        return QString();
    case 'T': {
        if (field.length != 8)
            return QString();
        const qint64 day = qFromLittleEndian<quint32>(p);
        if (day == 0)
            return QString();
        const QDate date = QDate::fromJulianDay(day);
        const QTime time =
            QTime::fromMSecsSinceStartOfDay(static_cast<int>(qFromLittleEndian<quint32>(p + 4)));
        return date.toString(QStringLiteral("dd.MM.yyyy")) + u' ' +
               time.toString(QStringLiteral("HH:mm:ss"));
    }
    default: // M G P and the VFP null flags
        return QString();
    }
}

int DbfFieldCodec::logical(const DbfField &field, const char *record)
{
    const char *p = record + field.offset;
    if (field.type == 'L') {
        switch (p[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return 1;
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return 0;
        default:
            return -1;
        }
    }
    if (field.type != 'C' && field.type != 'N')
        return -1;
    int v = -1;
    const QString t = QString::fromLatin1(trimmed(p, field.length, true));
    return parseLogical(t, v) ? v : -1;
}

bool DbfFieldCodec::isBinary(const DbfField &field, quint8 version)
{
    switch (field.type) {
    case 'I':
    case 'Y':
    case 'T':
    case '0':
        return true;
    case 'B':
        return version == 0x30;
    case 'M':
    case 'G':
    case 'P':
        return field.length == 4;
    default:
        return false;
    }
}

void DbfFieldCodec::blank(const DbfField &field, quint8 version, char *record)
{
    std::memset(record + field.offset, isBinary(field, version) ? 0 : ' ',
                static_cast<size_t>(field.length));
}

QByteArray DbfFieldCodec::encode(const DbfField &field, quint8 version, CodePage cp,
                                 const QString &text, const QString &fileName)
{
    const auto fail = [&](const QString &what) {
        return Error(QStringLiteral("Tabelle '%1', Feld '%2': %3").arg(fileName, field.name, what));
    };
    QByteArray out(field.length, ' ');
    const QStringView trimmedText = QStringView(text).trimmed();
    if (trimmedText.isEmpty() && field.type != 'C') {
        out.fill(isBinary(field, version) ? '\0' : ' ');
        return out;
    }
    switch (field.type) {
    case 'C': {
        QStringView t(text);
        while (!t.isEmpty() && t.back() == u' ')
            t.chop(1);
        QByteArray bytes;
        if (!lobrix::encode(cp, t.toString(), bytes)) {
            QString bad;
            for (QChar c : t) {
                if (!canEncode(cp, QString(c))) {
                    bad = c;
                    break;
                }
            }
            throw fail(QStringLiteral("Das Zeichen '%1' kann in dieser Tabelle nicht gespeichert "
                                      "werden (Zeichensatz %2).")
                           .arg(bad, codePageName(cp)));
        }
        if (bytes.size() > field.length)
            throw fail(QStringLiteral("Der Text ist %1 Zeichen lang, das Feld fasst %2.")
                           .arg(bytes.size())
                           .arg(field.length));
        std::memcpy(out.data(), bytes.constData(), static_cast<size_t>(bytes.size()));
        return out;
    }
    case 'N':
    case 'F': {
        QByteArray number;
        if (!formatNumber(trimmedText, field.decimals, number))
            throw fail(QStringLiteral("'%1' ist keine Zahl.").arg(text));
        if (number.size() > field.length)
            throw fail(QStringLiteral("Die Zahl %1 ist zu breit für das Feld (%2 Stellen).")
                           .arg(QString::fromLatin1(number))
                           .arg(field.length));
        return number.rightJustified(field.length, ' ');
    }
    case 'D': {
        QByteArray stored;
        if (field.length != 8 || !storedDate(trimmedText, stored))
            throw fail(QStringLiteral("'%1' ist kein gültiges Datum (TT.MM.JJJJ).").arg(text));
        return stored;
    }
    case 'L': {
        int v = -1;
        if (!parseLogical(trimmedText, v))
            throw fail(QStringLiteral("'%1' ist kein Wahrheitswert (T oder F).").arg(text));
        out[0] = v < 0 ? ' ' : (v ? 'T' : 'F');
        return out;
    }
    case 'I': {
        bool ok = false;
        const int v = trimmedText.toInt(&ok);
        if (!ok || field.length != 4)
            throw fail(QStringLiteral("'%1' ist keine ganze Zahl.").arg(text));
        qToLittleEndian<qint32>(v, out.data());
        return out;
    }
    case 'M':
        throw fail(QStringLiteral("Memofelder können nicht geschrieben werden."));
    default:
        throw fail(QStringLiteral("Felder vom Typ '%1' können nicht geschrieben werden.")
                       .arg(QLatin1Char(field.type)));
    }
}

bool DbfFieldCodec::storedDate(QStringView text, QByteArray &out)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty()) {
        out = QByteArray(8, ' ');
        return true;
    }
    int day = 0, month = 0, year = 0;
    const auto number = [](QStringView s, int &v) {
        if (!allDigits(s))
            return false;
        v = s.toInt();
        return true;
    };
    bool ok = false;
    if (t.size() == 8 && allDigits(t)) {
        ok = number(t.mid(0, 4), year) && number(t.mid(4, 2), month) && number(t.mid(6, 2), day);
    } else if (t.size() == 10 && t.at(4) == u'-' && t.at(7) == u'-') {
        ok = number(t.mid(0, 4), year) && number(t.mid(5, 2), month) && number(t.mid(8, 2), day);
    } else {
        const qsizetype dot1 = t.indexOf(u'.');
        const qsizetype dot2 = dot1 < 0 ? -1 : t.indexOf(u'.', dot1 + 1);
        if (dot1 >= 1 && dot1 <= 2 && dot2 - dot1 >= 2 && dot2 - dot1 <= 3 &&
            t.size() - dot2 - 1 == 4)
            ok = number(t.mid(0, dot1), day) && number(t.mid(dot1 + 1, dot2 - dot1 - 1), month) &&
                 number(t.mid(dot2 + 1), year);
    }
    if (!ok || year < 1 || !QDate(year, month, day).isValid())
        return false;
    out = QStringLiteral("%1%2%3")
              .arg(year, 4, 10, QLatin1Char('0'))
              .arg(month, 2, 10, QLatin1Char('0'))
              .arg(day, 2, 10, QLatin1Char('0'))
              .toLatin1();
    return true;
}

QString DbfFieldCodec::dateText(const char *stored)
{
    for (int i = 0; i < 8; ++i)
        if (stored[i] < '0' || stored[i] > '9')
            return QString();
    if (std::memcmp(stored, "00000000", 8) == 0)
        return QString();
    QString s(10, u'.');
    const int map[8] = {6, 7, 8, 9, 3, 4, 0, 1}; // YYYYMMDD -> DD.MM.YYYY
    for (int i = 0; i < 8; ++i)
        s[map[i]] = QLatin1Char(stored[i]);
    return s;
}

bool DbfFieldCodec::parseLogical(QStringView text, int &value)
{
    const QStringView t = text.trimmed();
    const auto is = [&](const char *word) {
        return t.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    };
    if (t.isEmpty() || t == u"?")
        value = -1;
    else if (is("T") || is("J") || is("Y") || is("1") || is("ja") || is("true") || is("yes"))
        value = 1;
    else if (is("F") || is("N") || is("0") || is("nein") || is("false") || is("no"))
        value = 0;
    else
        return false;
    return true;
}

bool DbfFieldCodec::formatNumber(QStringView text, int decimals, QByteArray &out)
{
    QStringView t = text.trimmed();
    bool negative = false;
    if (!t.isEmpty() && (t.front() == u'-' || t.front() == u'+')) {
        negative = t.front() == u'-';
        t = t.mid(1);
    }
    const qsizetype dot = t.indexOf(u'.');
    const QStringView whole = dot < 0 ? t : t.left(dot);
    const QStringView fraction = dot < 0 ? QStringView() : t.mid(dot + 1);
    if ((whole.isEmpty() && fraction.isEmpty()) || (!whole.isEmpty() && !allDigits(whole)) ||
        (!fraction.isEmpty() && !allDigits(fraction)))
        return false;

    // All digits of the result, rounded at `decimals` places by decimal arithmetic so that
    // no binary floating point rounding creeps into stored amounts.
    QByteArray digits = whole.toLatin1();
    QByteArray frac = fraction.toLatin1();
    const bool roundUp = frac.size() > decimals && frac.at(decimals) >= '5';
    frac = frac.left(decimals).leftJustified(decimals, '0');
    digits = '0' + digits + frac;
    if (roundUp) {
        qsizetype i = digits.size() - 1;
        while (digits[i] == '9')
            digits[i--] = '0';
        digits[i] = static_cast<char>(digits[i] + 1);
    }
    QByteArray intPart = digits.left(digits.size() - decimals);
    qsizetype firstNonZero = 0;
    while (firstNonZero < intPart.size() - 1 && intPart[firstNonZero] == '0')
        ++firstNonZero;
    intPart = intPart.mid(firstNonZero);
    const QByteArray fracPart = digits.right(decimals);
    const bool zero = intPart == "0" && fracPart.count('0') == fracPart.size();
    out = (negative && !zero ? "-" : "") + intPart;
    if (decimals > 0)
        out += '.' + fracPart;
    return true;
}

} // namespace lobrix::data
