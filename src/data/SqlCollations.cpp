#include "data/SqlCollations.h"

#include <sqlite3.h>

#include <cstring>
#include <string>

namespace lobrix::data {
namespace {

// Folds one Unicode code point to its primary German sort key (lower-case base letters).
// Returns the number of key characters written to out (1 or 2).
int foldCodePoint(char32_t c, char32_t out[2])
{
    if (c < 0x80) {
        out[0] = (c >= 'A' && c <= 'Z') ? c + 32 : c;
        return 1;
    }
    switch (c) {
    case U'ß':
        out[0] = 's';
        out[1] = 's';
        return 2;
    case U'ä': case U'Ä': case U'à': case U'À': case U'á': case U'Á': case U'â': case U'Â':
    case U'ã': case U'Ã': case U'å': case U'Å':
        out[0] = 'a';
        return 1;
    case U'ö': case U'Ö': case U'ò': case U'Ò': case U'ó': case U'Ó': case U'ô': case U'Ô':
    case U'õ': case U'Õ': case U'ø': case U'Ø':
        out[0] = 'o';
        return 1;
    case U'ü': case U'Ü': case U'ù': case U'Ù': case U'ú': case U'Ú': case U'û': case U'Û':
        out[0] = 'u';
        return 1;
    case U'è': case U'È': case U'é': case U'É': case U'ê': case U'Ê': case U'ë': case U'Ë':
        out[0] = 'e';
        return 1;
    case U'ì': case U'Ì': case U'í': case U'Í': case U'î': case U'Î': case U'ï': case U'Ï':
        out[0] = 'i';
        return 1;
    case U'ç': case U'Ç':
        out[0] = 'c';
        return 1;
    case U'ñ': case U'Ñ':
        out[0] = 'n';
        return 1;
    case U'ý': case U'Ý': case U'ÿ':
        out[0] = 'y';
        return 1;
    default:
        out[0] = c;
        return 1;
    }
}

// Decodes one UTF-8 sequence; malformed bytes are taken as they stand.
char32_t nextCodePoint(const unsigned char *&p, const unsigned char *end)
{
    const unsigned char b = *p++;
    if (b < 0x80)
        return b;
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t c = b & (0x3F >> extra);
    while (extra-- > 0 && p < end && (*p & 0xC0) == 0x80)
        c = (c << 6) | (*p++ & 0x3F);
    return c;
}

// A lazy stream of folded key characters over a UTF-8 text.
struct FoldedStream {
    const unsigned char *p;
    const unsigned char *end;
    char32_t pending[2];
    int pendingCount = 0;
    int pendingPos = 0;

    FoldedStream(const char *s, int len)
        : p(reinterpret_cast<const unsigned char *>(s)),
          end(reinterpret_cast<const unsigned char *>(s) + len)
    {
    }
    // Returns false at the end.
    bool next(char32_t &c)
    {
        if (pendingPos < pendingCount) {
            c = pending[pendingPos++];
            return true;
        }
        if (p >= end)
            return false;
        pendingCount = foldCodePoint(nextCodePoint(p, end), pending);
        pendingPos = 1;
        c = pending[0];
        return true;
    }
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }


int exactCompare(const char *a, int aLen, const char *b, int bLen)
{
    const int n = std::min(aLen, bLen);
    const int r = std::memcmp(a, b, static_cast<size_t>(n));
    if (r != 0)
        return r < 0 ? -1 : 1;
    return aLen == bLen ? 0 : (aLen < bLen ? -1 : 1);
}

int germanCallback(void *, int aLen, const void *a, int bLen, const void *b)
{
    return compareGerman(static_cast<const char *>(a), aLen, static_cast<const char *>(b), bLen);
}

int dateCallback(void *, int aLen, const void *a, int bLen, const void *b)
{
    return compareDateTexts(static_cast<const char *>(a), aLen, static_cast<const char *>(b),
                            bLen);
}

} // namespace

int compareGerman(const char *a, int aLen, const char *b, int bLen)
{
    // Fast path for ASCII: fold case byte by byte.
    int i = 0;
    const int n = std::min(aLen, bLen);
    for (; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if ((ca | cb) & 0x80)
            break;
        if (ca >= 'A' && ca <= 'Z')
            ca += 32;
        if (cb >= 'A' && cb <= 'Z')
            cb += 32;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i == n) // one text is a folded prefix of the other
        return aLen == bLen ? exactCompare(a, aLen, b, bLen) : (aLen < bLen ? -1 : 1);

    FoldedStream sa(a + i, aLen - i), sb(b + i, bLen - i);
    for (;;) {
        char32_t ca = 0, cb = 0;
        const bool ha = sa.next(ca);
        const bool hb = sb.next(cb);
        if (!ha || !hb) {
            if (ha != hb)
                return ha ? 1 : -1;
            break;
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return exactCompare(a, aLen, b, bLen);
}

static bool dateKey(const char *t, int len, char key[8])
{
    if (len != 10 || t[2] != '.' || t[5] != '.')
        return false;
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (!isDigit(t[i]))
            return false;
    const char k[8] = {t[6], t[7], t[8], t[9], t[3], t[4], t[0], t[1]};
    std::memcpy(key, k, 8);
    return true;
}

QByteArray dateTextToKey(const char *t, int len)
{
    char key[8];
    return dateKey(t, len, key) ? QByteArray(key, 8) : QByteArray();
}

int compareDateTexts(const char *a, int aLen, const char *b, int bLen)
{
    // Rank: 0 empty, 1 date, 2 anything else.
    char ka[8], kb[8];
    const int ra = aLen == 0 ? 0 : (dateKey(a, aLen, ka) ? 1 : 2);
    const int rb = bLen == 0 ? 0 : (dateKey(b, bLen, kb) ? 1 : 2);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (ra == 1) {
        const int r = std::memcmp(ka, kb, 8);
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    return exactCompare(a, aLen, b, bLen);
}

void registerCollations(sqlite3 *db)
{
    sqlite3_create_collation(db, kGermanCollation, SQLITE_UTF8, nullptr, germanCallback);
    sqlite3_create_collation(db, kDateCollation, SQLITE_UTF8, nullptr, dateCallback);
}

} // namespace lobrix::data
