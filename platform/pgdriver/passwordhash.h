#ifndef PASSWORDHASH_H
#define PASSWORDHASH_H

#include <QString>

// Passwords as bcrypt hashes, checked and made in this process by the system's
// crypt library, so that no statement sent to the server ever holds a password.
// Reads the "$2a$" hashes that the server's pgcrypto made as well.
namespace PasswordHash {

bool verify(const QString &password, const QString &hash);
// A new hash with a fresh random salt; empty when the system cannot make one.
QString make(const QString &password);

} // namespace PasswordHash

#endif // PASSWORDHASH_H
