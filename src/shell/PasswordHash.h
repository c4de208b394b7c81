#pragma once
// Passwords as salted, slow hashes (argon2id through libsodium's crypto_pwhash_str): what
// user.dat keeps from the first save on, so that a copy of the file gives no password away.
#include <QString>

namespace lobrix::shell {

class PasswordHash {
public:
    // A new hash of the password (a fresh salt each time). Throws lobrix::Error when the
    // library cannot make one (out of memory).
    static QString make(const QString &password);
    // True when the password is the one the hash was made of.
    static bool verify(const QString &hash, const QString &password);
    // True for a text that is such a hash.
    static bool isHash(const QString &text);
};

} // namespace lobrix::shell
