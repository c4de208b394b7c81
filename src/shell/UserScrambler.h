#pragma once
// The character substitution of the users file (user.dat). It defines the file format:
// every stored name and password character and every right goes through this table, so
// the table must never change once files have been written with it. It is obfuscation
// that the file format dictates, not protection.
#include <QChar>
#include <QString>
#include <optional>

namespace lobrix::shell
{

class UserScrambler
{
public:
    static constexpr int PairCount = 95;

    // Each character replaced by its stored form; a character outside the table is
    // dropped. Callers that store text check it with firstUnsupported() first.
    static QString scrambleText(const QString &text);
    // The reverse; a stored character outside the table is dropped.
    static QString unscrambleText(const QString &text);

    // The first character of `text` that the table cannot store, if any.
    static std::optional<QChar> firstUnsupported(const QString &text);
    // Every character a name or password may hold, in table order.
    static QString plainCharacters();
    // Every stored character, in table order; also the filler alphabet.
    static QString storedCharacters();
    // Filler character number `index` (0 to 94).
    static QChar fillerCharacter(int index);
};

} // namespace lobrix::shell
