#include "modSkiff.h"

#include "Errors.h"
#include "GlobalState.h"
#include "Windows1252.h"
#include "shrmodStrings.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cmath>

namespace modSkiff {
namespace {

constexpr int kMajor = 2;
constexpr int kMinor = 0;
constexpr int kRevision = 3;

constexpr QFileDevice::Permissions kWriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup |
    QFileDevice::WriteOther;

} // namespace

void SetReadOnly(const QString& path, bool readOnly, bool ignorePreference)
{
    QFile file(path);
    if (!file.exists())
        return;
    QFileDevice::Permissions permissions = file.permissions();
    if (readOnly && !(!ignorePreference && NoReadOnly))
        permissions &= ~kWriteBits;
    else
        permissions |= QFileDevice::WriteOwner;
    file.setPermissions(permissions);
}

bool IsReadOnly(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return true; // like the platform's invalid-attributes value
    // The owner bit only: for the superuser the "user" bits say writable
    // whatever the mode is.
    return !(info.permissions() & QFileDevice::WriteOwner);
}

QString AppVersion()
{
    return QStringLiteral("%1.%2.%3").arg(kMajor).arg(kMinor).arg(kRevision);
}

bool IsCurrentVersion(const QString& version)
{
    QString major, rest, minor, revision;
    shrmodStrings::SplitAt(version, QStringLiteral("."), major, rest);
    shrmodStrings::SplitAt(rest, QStringLiteral("."), minor, revision);
    const double givenMajor = Val(major);
    const double givenMinor = Val(minor);
    const double givenRevision = Val(revision);
    if (givenMajor < kMajor)
        return true;
    if (givenMajor > kMajor)
        return false;
    if (givenMinor < kMinor)
        return true;
    if (givenMinor > kMinor)
        return false;
    return givenRevision <= kRevision;
}

QString ScrambleText(const QString& text)
{
    QByteArray bytes = Windows1252::encode(text);
    for (char& b : bytes)
        b = static_cast<char>(static_cast<unsigned char>(b) ^ 0xFF);
    return Windows1252::decode(bytes);
}

bool IsPrivilegedMember()
{
    static const QStringList privileged = {QStringLiteral("orrin"), QStringLiteral("brenn"),
                                           QStringLiteral("tavi"), QStringLiteral("marlowe")};
    return privileged.contains(CurrentUser.toLower());
}

double Val(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    bool digits = false;
    while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        qsizetype j = i + 1;
        while (j < n && text.at(j).isDigit() && text.at(j).unicode() < 128) {
            ++j;
            digits = true;
        }
        i = j;
    }
    if (!digits)
        return 0;
    QString number = text.mid(start, i - start);
    if (number.endsWith(QLatin1Char('.')))
        number.chop(1);
    return number.toDouble();
}

short ToInteger(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        throw SkiffError::overflow();
    return static_cast<short>(rounded);
}

} // namespace modSkiff
