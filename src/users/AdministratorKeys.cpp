#include "AdministratorKeys.h"

#include "UserRecord.h"
#include "app/MemberLevel.h"
#include "app/Settings.h"

#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>

namespace {

const QString kSection = QStringLiteral("Administrator Keys");
const QString kScheme = QStringLiteral("pbkdf2-sha256");
// Slow enough that a copied settings file does not give the password away
// cheaply, quick enough for one sign-in (about a tenth of a second).
constexpr int kIterations = 60000;
constexpr int kSaltBytes = 16;

QString normalised(const QString& text)
{
    return TrimSpaces(text).toLower();
}

// PBKDF2 with HMAC-SHA-256, one block: as long as the hash itself.
QByteArray derive(const QByteArray& secret, const QByteArray& salt, int iterations)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, secret);
    mac.addData(salt + QByteArray("\0\0\0\1", 4));
    QByteArray block = mac.result();
    QByteArray key = block;
    for (int round = 1; round < iterations; ++round) {
        mac.reset();
        mac.addData(block);
        block = mac.result();
        for (int i = 0; i < key.size(); ++i)
            key[i] = char(key.at(i) ^ block.at(i));
    }
    return key;
}

QByteArray secretOf(const QString& name, const QString& password)
{
    // The nickname salts too: one member's key says nothing of another's.
    return normalised(name).toUtf8() + '\0' + normalised(password).toUtf8();
}

QString settingKey(const QString& name)
{
    return modSkiff::EscapeSettingKey(normalised(name));
}

} // namespace

namespace AdministratorKeys {

void Keep(const QString& nickname, const QString& password, unsigned char level)
{
    QString value;
    if (level == MemberLevel::Administrator) {
        if (Matches(nickname, password))
            return;
        QByteArray salt(kSaltBytes, '\0');
        for (char& byte : salt)
            byte = char(QRandomGenerator::system()->bounded(256));
        value = QStringList{kScheme, QString::number(kIterations),
                            QString::fromLatin1(salt.toBase64()),
                            QString::fromLatin1(
                                derive(secretOf(nickname, password), salt, kIterations)
                                    .toBase64())}
                    .join(QLatin1Char('$'));
    }
    if (!value.isEmpty() || !modSkiff::GetSetting(kSection, settingKey(nickname), QString()).isEmpty())
        modSkiff::SaveSetting(kSection, settingKey(nickname), value);
}

bool Matches(const QString& typedName, const QString& typedPassword)
{
    const QStringList parts =
        modSkiff::GetSetting(kSection, settingKey(typedName), QString()).split(QLatin1Char('$'));
    if (parts.size() != 4 || parts.at(0) != kScheme)
        return false;
    bool numeric = false;
    const int iterations = parts.at(1).toInt(&numeric);
    const QByteArray salt = QByteArray::fromBase64(parts.at(2).toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts.at(3).toLatin1());
    // A hand-edited count of millions would freeze the sign-in.
    if (!numeric || iterations < 1 || iterations > 10 * kIterations || salt.isEmpty() ||
        expected.size() != 32)
        return false;
    return derive(secretOf(typedName, typedPassword), salt, iterations) == expected;
}

} // namespace AdministratorKeys
