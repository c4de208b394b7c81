#include "data/DbfHeader.h"

#include "common/Error.h"

#include <QtEndian>

namespace lobrix::data {
namespace {

QString byteText(quint8 value)
{
    return QStringLiteral("0x%1").arg(QString::number(value, 16).toUpper().rightJustified(2, u'0'));
}

QString versionText(quint8 version)
{
    switch (version) {
    case 0x04:
    case 0x8C:
        return byteText(version) + QStringLiteral(" (dBASE 7)");
    case 0x31:
    case 0x32:
        return byteText(version) + QStringLiteral(" (Visual FoxPro)");
    case 0x02:
    case 0xFB:
        return byteText(version) + QStringLiteral(" (FoxBASE)");
    default:
        return byteText(version);
    }
}

QString typeText(char type)
{
    const auto b = static_cast<quint8>(type);
    return b > 0x20 && b < 0x7F ? QString(QLatin1Char(type)) : byteText(b);
}

bool isKnownType(char type)
{
    switch (type) {
    case 'C':
    case 'N':
    case 'F':
    case 'D':
    case 'L':
    case 'M':
    case 'I':
    case 'B':
    case 'Y':
    case 'T':
    case 'G':
    case 'P':
    case '0':
        return true;
    default:
        return false;
    }
}

bool isValidFieldName(const QString &name)
{
    if (name.isEmpty() || name.size() > 10)
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}

} // namespace

bool DbfHeader::isSupportedVersion(quint8 version)
{
    return version == 0x03 || version == 0x83 || version == 0x30 || version == 0x8B ||
           version == 0xF5;
}

int DbfHeader::headerLengthOf(const char *prefix)
{
    return qFromLittleEndian<quint16>(prefix + 8);
}
int DbfHeader::recordSizeOf(const char *prefix)
{
    return qFromLittleEndian<quint16>(prefix + 10);
}
quint32 DbfHeader::recordCountOf(const char *prefix)
{
    return qFromLittleEndian<quint32>(prefix + 4);
}

DbfHeader DbfHeader::parse(const QByteArray &bytes, const QString &fileName)
{
    const auto fail = [&](const QString &what) {
        return Error(QStringLiteral("Die Tabelle '%1' ist beschädigt oder keine dBASE-Tabelle: %2")
                         .arg(fileName, what));
    };
    if (bytes.size() < kPrefixSize)
        throw fail(QStringLiteral("der Dateikopf ist unvollständig."));
    const char *p = bytes.constData();
    DbfHeader h;
    h.version = static_cast<quint8>(p[0]);
    if (!isSupportedVersion(h.version))
        throw Error(QStringLiteral("Die Tabelle '%1' hat das Format %2, das nicht unterstützt "
                                   "wird (lesbar sind dBASE III, dBASE IV, FoxPro und "
                                   "Visual FoxPro).")
                        .arg(fileName, versionText(h.version)));
    h.recordCount = recordCountOf(p);
    h.headerLength = headerLengthOf(p);
    h.recordSize = recordSizeOf(p);
    h.languageByte = static_cast<quint8>(p[29]);
    if (h.headerLength < kPrefixSize + kDescriptorSize + 1)
        throw fail(QStringLiteral("die Kopflänge %1 ist zu klein.").arg(h.headerLength));
    if (bytes.size() < h.headerLength)
        throw fail(QStringLiteral("der Dateikopf ist unvollständig."));

    const bool vfp = isVisualFoxPro(h.version);
    int pos = kPrefixSize;
    int offset = 1; // byte 0 of a record is the deletion flag
    bool terminated = false;
    while (pos < h.headerLength) {
        if (p[pos] == 0x0D) {
            terminated = true;
            break;
        }
        if (pos + kDescriptorSize > h.headerLength)
            break;
        const char *f = p + pos;
        int nameLength = 0;
        while (nameLength < 11 && f[nameLength] != 0)
            ++nameLength;
        DbfField field;
        field.name = QString::fromLatin1(f, nameLength).trimmed();
        field.type = f[11];
        field.length = static_cast<quint8>(f[16]);
        field.decimals = static_cast<quint8>(f[17]);
        field.offset = offset;
        if (!isKnownType(field.type))
            throw Error(QStringLiteral("Die Tabelle '%1' hat im Feld '%2' den unbekannten "
                                       "Feldtyp '%3'.")
                            .arg(fileName, field.name, typeText(field.type)));
        if (field.length == 0)
            throw fail(QStringLiteral("das Feld '%1' hat die Länge 0.").arg(field.name));
        offset += field.length;
        const bool systemField = vfp && (static_cast<quint8>(f[18]) & 0x01);
        if (!systemField)
            h.fields.append(field);
        pos += kDescriptorSize;
    }
    if (!terminated)
        throw fail(QStringLiteral("das Ende der Feldbeschreibungen fehlt."));
    if (h.fields.isEmpty())
        throw fail(QStringLiteral("die Tabelle hat keine Felder."));
    if (offset != h.recordSize)
        throw fail(QStringLiteral("die Satzlänge %1 passt nicht zu den Feldern (%2).")
                       .arg(h.recordSize)
                       .arg(offset));
    h.terminatorOffset = pos;
    return h;
}

void DbfHeader::checkNewField(DbfField &field, const QString &fileName)
{
    const auto fail = [&](const QString &what) {
        return Error(QStringLiteral("Tabelle '%1', Feld '%2': %3").arg(fileName, field.name, what));
    };
    if (!isValidFieldName(field.name))
        throw fail(QStringLiteral("Feldnamen haben 1 bis 10 Zeichen (Buchstaben A-Z, Ziffern, "
                                  "'_') und beginnen mit einem Buchstaben."));
    bool ok = true;
    switch (field.type) {
    case 'C':
        ok = field.length >= 1 && field.length <= 254 && field.decimals == 0;
        break;
    case 'N':
    case 'F':
        ok = field.length >= 1 && field.length <= 20 && field.decimals >= 0 &&
             (field.decimals == 0 || field.decimals <= field.length - 2);
        break;
    case 'D':
        field.length = field.length == 0 ? 8 : field.length;
        ok = field.length == 8 && field.decimals == 0;
        break;
    case 'L':
        field.length = field.length == 0 ? 1 : field.length;
        ok = field.length == 1 && field.decimals == 0;
        break;
    default:
        throw fail(QStringLiteral("der Feldtyp '%1' kann nicht angelegt werden (möglich sind "
                                  "C, N, F, D und L).")
                       .arg(typeText(field.type)));
    }
    if (!ok)
        throw fail(QStringLiteral("Länge %1 mit %2 Nachkommastellen ist für den Feldtyp '%3' "
                                  "nicht zulässig.")
                       .arg(field.length)
                       .arg(field.decimals)
                       .arg(typeText(field.type)));
}

QByteArray DbfHeader::descriptor(const DbfField &field, bool visualFoxPro)
{
    QByteArray d(kDescriptorSize, '\0');
    const QByteArray name = field.name.toUpper().toLatin1().left(10);
    std::copy(name.begin(), name.end(), d.begin());
    d[11] = field.type;
    if (visualFoxPro)
        qToLittleEndian<quint32>(static_cast<quint32>(field.offset), d.data() + 12);
    d[16] = static_cast<char>(field.length);
    d[17] = static_cast<char>(field.decimals);
    return d;
}

QByteArray DbfHeader::build(QVector<DbfField> fields, quint8 languageByte)
{
    QByteArray header(kPrefixSize, '\0');
    int offset = 1;
    for (DbfField &f : fields) {
        f.offset = offset;
        offset += f.length;
        header += descriptor(f, false);
    }
    header += '\x0D';
    char *p = header.data();
    p[0] = 0x03;
    putDate(p, QDate::currentDate());
    putCount(p, 0);
    putHeaderLength(p, static_cast<int>(header.size()));
    putRecordSize(p, offset);
    p[29] = static_cast<char>(languageByte);
    return header;
}

void DbfHeader::putDate(char *header, QDate date)
{
    header[1] = static_cast<char>(qBound(0, date.year() - 1900, 255));
    header[2] = static_cast<char>(date.month());
    header[3] = static_cast<char>(date.day());
}

void DbfHeader::putCount(char *header, quint32 count)
{
    qToLittleEndian<quint32>(count, header + 4);
}
void DbfHeader::putHeaderLength(char *header, int length)
{
    qToLittleEndian<quint16>(static_cast<quint16>(length), header + 8);
}
void DbfHeader::putRecordSize(char *header, int size)
{
    qToLittleEndian<quint16>(static_cast<quint16>(size), header + 10);
}

} // namespace lobrix::data
