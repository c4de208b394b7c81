#include "common/TextFile.h"

#include "common/CodePage.h"
#include "common/Error.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace lobrix {
namespace {
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void throwWriteFailed(const QString &path)
{
    throw Error(QStringLiteral("Die Datei '%1' konnte nicht geschrieben werden.").arg(shown(path)));
}
} // namespace

QStringList TextFile::readLines(const QString &path, bool *ok)
{
    QStringList lines;
    for (const QByteArray &line : splitLines(readBytes(path, ok)))
        lines.append(decode(CodePage::Cp1252, line));
    return lines;
}

void TextFile::writeLines(const QString &path, const QStringList &lines)
{
    QList<QByteArray> encoded;
    encoded.reserve(lines.size());
    for (const QString &line : lines)
        encoded.append(encodeFor(path, line));
    writeBytes(path, joinLines(encoded));
}

QByteArray TextFile::readBytes(const QString &path, bool *ok)
{
    if (ok)
        *ok = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {};
    if (ok)
        *ok = true;
    return bytes;
}

void TextFile::writeBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throwWriteFailed(path);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        throwWriteFailed(path);
    }
    if (!file.commit())
        throwWriteFailed(path);
}

QList<QByteArray> TextFile::splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c != '\n' && c != '\r')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

QByteArray TextFile::joinLines(const QList<QByteArray> &lines)
{
    QByteArray out;
    qsizetype size = 0;
    for (const QByteArray &line : lines)
        size += line.size() + 2;
    out.reserve(size);
    for (const QByteArray &line : lines) {
        out.append(line);
        out.append("\r\n", 2);
    }
    return out;
}

QByteArray TextFile::encodeFor(const QString &path, const QString &text)
{
    QByteArray bytes;
    if (!encode(CodePage::Cp1252, text, bytes))
        throw Error(
            QStringLiteral("Der Text '%1' kann nicht in der Datei '%2' gespeichert werden: "
                           "er enthält Zeichen, die der Zeichensatz Windows-1252 nicht kennt.")
                .arg(text.left(80), shown(path)));
    return bytes;
}

} // namespace lobrix
