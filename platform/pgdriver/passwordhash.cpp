#include "passwordhash.h"

#include <QByteArray>

#include <crypt.h>

#include <memory>

namespace PasswordHash {

namespace {

// The cost pgcrypto's gen_salt('bf', 10) uses for the hashes the schema makes.
constexpr int bcryptCost = 10;

bool equalInConstantTime(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (int i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return difference == 0;
}

} // namespace

bool verify(const QString &password, const QString &hash)
{
    const QByteArray setting = hash.toLatin1();
    if (setting.isEmpty())
        return false;
    // crypt_data is large; keep it off the stack.
    auto data = std::make_unique<crypt_data>();
    const char *result = crypt_rn(password.toUtf8().constData(), setting.constData(), data.get(), sizeof(crypt_data));
    // A failure is null or a string starting with '*', never equal to a stored hash.
    if (!result || result[0] == '*')
        return false;
    return equalInConstantTime(QByteArray(result), setting);
}

QString make(const QString &password)
{
    char salt[CRYPT_GENSALT_OUTPUT_SIZE];
    // No random bytes given: the library takes them from the system.
    if (!crypt_gensalt_rn("$2b$", bcryptCost, nullptr, 0, salt, sizeof salt))
        return QString();
    auto data = std::make_unique<crypt_data>();
    const char *result = crypt_rn(password.toUtf8().constData(), salt, data.get(), sizeof(crypt_data));
    if (!result || result[0] == '*')
        return QString();
    return QString::fromLatin1(result);
}

} // namespace PasswordHash
