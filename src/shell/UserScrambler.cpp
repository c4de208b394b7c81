#include "shell/UserScrambler.h"

#include <array>

namespace lobrix::shell
{
namespace
{

struct Pair {
    char16_t plain;
    char16_t stored;
};

// The table of the users file: {plain, stored}.
//
// Plain side (what a name or password may hold): the space, the digits 0-9, A-Z, a-z,
// the German letters ÄÖÜäöüß and the signs ! " # $ % & ' ( ) * + , - . / : ; < = > ? @
// _ § €. Left out are ` ^ ~ [ ] { } | \ (dead keys and AltGr signs on a German
// keyboard; € is kept); names and passwords holding them are refused.
//
// Stored side: the printable ASCII characters "!" to "}" plus § and °, shuffled once with
// a fixed seed. No "~" (the terminator of names and passwords), no space (editors strip
// trailing blanks) and no control characters; all of them are Windows-1252 characters,
// the code page of the file. No character is stored as itself.
//
// Fixed forever: changing any pair makes every existing user.dat unreadable.
constexpr std::array<Pair, UserScrambler::PairCount> kTable = {{
    {u' ', u'L'},      {u'0', u'.'},      {u'1', u'\\'},     {u'2', u'p'},      {u'3', u'='},
    {u'4', u'0'},      {u'5', u'P'},      {u'6', u'H'},      {u'7', u'!'},      {u'8', u'K'},
    {u'9', u'h'},      {u'A', u','},      {u'B', u'&'},      {u'C', u'}'},      {u'D', u'g'},
    {u'E', u'>'},      {u'F', u')'},      {u'G', u']'},      {u'H', u'Z'},      {u'I', u'@'},
    {u'J', u'_'},      {u'K', u'T'},      {u'L', u'f'},      {u'M', u'\u00A7'}, {u'N', u'4'},
    {u'O', u'o'},      {u'P', u'A'},      {u'Q', u'M'},      {u'R', u'X'},      {u'S', u'+'},
    {u'T', u't'},      {u'U', u'I'},      {u'V', u'C'},      {u'W', u'2'},      {u'X', u's'},
    {u'Y', u'5'},      {u'Z', u'y'},      {u'a', u'7'},      {u'b', u'z'},      {u'c', u'/'},
    {u'd', u'r'},      {u'e', u'w'},      {u'f', u'E'},      {u'g', u'b'},      {u'h', u'B'},
    {u'i', u'q'},      {u'j', u'^'},      {u'k', u'3'},      {u'l', u'x'},      {u'm', u'v'},
    {u'n', u'\u00B0'}, {u'o', u'#'},      {u'p', u'G'},      {u'q', u'R'},      {u'r', u'9'},
    {u's', u'a'},      {u't', u'|'},      {u'u', u'W'},      {u'v', u'l'},      {u'w', u'Q'},
    {u'x', u';'},      {u'y', u'$'},      {u'z', u'V'},      {u'\u00C4', u'"'}, {u'\u00D6', u'i'},
    {u'\u00DC', u'F'}, {u'\u00E4', u'`'}, {u'\u00F6', u'['}, {u'\u00FC', u'Y'}, {u'\u00DF', u'U'},
    {u'!', u'k'},      {u'"', u'N'},      {u'#', u'%'},      {u'$', u'8'},      {u'%', u'<'},
    {u'&', u':'},      {u'\'', u'd'},     {u'(', u'm'},      {u')', u'\''},     {u'*', u'('},
    {u'+', u'6'},      {u',', u'*'},      {u'-', u'n'},      {u'.', u'O'},      {u'/', u'{'},
    {u':', u'S'},      {u';', u'e'},      {u'<', u'?'},      {u'=', u'c'},      {u'>', u'J'},
    {u'?', u'u'},      {u'@', u'j'},      {u'_', u'-'},      {u'\u00A7', u'1'}, {u'\u20AC', u'D'},
}};

// The first pair whose `from` side holds c, translated to its `to` side.
template <char16_t Pair::*From, char16_t Pair::*To> std::optional<QChar> translate(QChar c)
{
    for (const Pair &pair : kTable)
        if (pair.*From == c.unicode())
            return QChar(pair.*To);
    return std::nullopt;
}

template <char16_t Pair::*From, char16_t Pair::*To> QString translateText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (const auto t = translate<From, To>(c))
            out.append(*t);
    return out;
}

template <char16_t Pair::*Side> QString column()
{
    QString out;
    for (const Pair &pair : kTable)
        out.append(QChar(pair.*Side));
    return out;
}

} // namespace

QString UserScrambler::scrambleText(const QString &text)
{
    return translateText<&Pair::plain, &Pair::stored>(text);
}

QString UserScrambler::unscrambleText(const QString &text)
{
    return translateText<&Pair::stored, &Pair::plain>(text);
}

std::optional<QChar> UserScrambler::firstUnsupported(const QString &text)
{
    for (const QChar c : text)
        if (!translate<&Pair::plain, &Pair::stored>(c))
            return c;
    return std::nullopt;
}

QString UserScrambler::plainCharacters()
{
    return column<&Pair::plain>();
}

QString UserScrambler::storedCharacters()
{
    return column<&Pair::stored>();
}

QChar UserScrambler::fillerCharacter(int index)
{
    return QChar(kTable.at(static_cast<std::size_t>(index)).stored);
}

} // namespace lobrix::shell
