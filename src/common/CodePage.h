#pragma once
// Single-byte code pages of dBASE files and of the Windows text files we share.
#include <QByteArray>
#include <QString>

namespace lobrix {

enum class CodePage { Cp1252, Cp850, Cp437, Cp1250, Latin1 };

// Byte 29 of a dBASE header (language driver) to a code page; unknown gives Windows-1252.
CodePage codePageForLanguageByte(quint8 languageByte);
// A .cpg file's text ("1252", "CP1252", "UTF-8" not supported -> Windows-1252).
CodePage codePageForCpgText(const QByteArray &text);

QString decode(CodePage cp, const char *data, int size);
inline QString decode(CodePage cp, const QByteArray &bytes)
{
    return decode(cp, bytes.constData(), static_cast<int>(bytes.size()));
}
// Decodes straight into UTF-8 (for SQL results): `out` must hold 3 * size bytes.
// Returns the bytes written.
int decodeToUtf8(CodePage cp, const char *data, int size, char *out);

// Encodes text; returns false (and leaves out) if a character cannot be stored.
bool encode(CodePage cp, const QString &text, QByteArray &out);
bool canEncode(CodePage cp, const QString &text);

} // namespace lobrix
