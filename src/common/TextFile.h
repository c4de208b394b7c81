#pragma once
// Whole Windows text files: Windows-1252, CR LF line ends.
//
// Writes go to a temporary file in the same folder that is then renamed over the
// original, so a crash or a full disk never leaves half a file behind.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace lobrix {

class TextFile
{
public:
    // The lines of the file in their order, without line ends. A file that cannot be
    // read (missing, a folder, no permission) gives an empty list and *ok = false.
    static QStringList readLines(const QString &path, bool *ok = nullptr);
    // Replaces the file with the lines, each followed by CR LF. Throws lobrix::Error
    // naming the file when a line cannot be stored in Windows-1252 or the write fails.
    static void writeLines(const QString &path, const QStringList &lines);

    // The raw bytes; a file that cannot be read gives an empty array and *ok = false.
    static QByteArray readBytes(const QString &path, bool *ok = nullptr);
    // Replaces the file with the bytes through a temporary file; throws lobrix::Error
    // naming the file on failure (e.g. its folder does not exist).
    static void writeBytes(const QString &path, const QByteArray &bytes);

    // Splits at CR LF, LF or a lone CR; a line end at the very end opens no extra line.
    static QList<QByteArray> splitLines(const QByteArray &bytes);
    // Each line followed by CR LF.
    static QByteArray joinLines(const QList<QByteArray> &lines);

    // Windows-1252 bytes of a text; throws lobrix::Error naming the file when a
    // character has no place in that code page.
    static QByteArray encodeFor(const QString &path, const QString &text);
};

} // namespace lobrix
