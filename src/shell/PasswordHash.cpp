#include "shell/PasswordHash.h"

#include "common/Error.h"

#include <sodium.h>

namespace lobrix::shell {
namespace {

void initialise()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw Error(QStringLiteral("Die Passwortbibliothek (libsodium) kann nicht gestartet werden."));
}

} // namespace

QString PasswordHash::make(const QString &password)
{
    initialise();
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    // The interactive limits: about a tenth of a second and 64 MiB per login check.
    if (crypto_pwhash_str_alg(out, utf8.constData(), static_cast<unsigned long long>(utf8.size()),
                              crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw Error(QStringLiteral("Das Passwort kann nicht verschlüsselt werden: zu wenig Speicher."));
    return QString::fromLatin1(out);
}

bool PasswordHash::verify(const QString &hash, const QString &password)
{
    if (!isHash(hash))
        return false;
    initialise();
    const QByteArray stored = hash.toLatin1();
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(stored.constData(), utf8.constData(),
                                    static_cast<unsigned long long>(utf8.size())) == 0;
}

bool PasswordHash::isHash(const QString &text)
{
    return text.startsWith(QLatin1String("$argon2id$")) && text.size() < crypto_pwhash_STRBYTES;
}

} // namespace lobrix::shell
