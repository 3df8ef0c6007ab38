#pragma once
// One record of the user file "_files.dat": 60 bytes, no separators.
//   0..29  nickname, Windows-1252, space-padded, every byte complemented
//  30..58  password, the same with 29 bytes
//  59      level, complemented
// Records are read as stored and turned into clear values with
// ScrambleUserRecord; clear records are scrambled before they are written.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

struct UserRecord
{
    static constexpr int NameLength = 30;
    static constexpr int PasswordLength = 29;
    static constexpr int Size = 60;

    QString Name = QString(NameLength, QLatin1Char(' '));
    QString Password = QString(PasswordLength, QLatin1Char(' '));
    unsigned char Level = 0;

    // A record with clear values, fields cut or padded to their widths.
    static UserRecord FromClear(const QString& name, const QString& password,
                                unsigned char level);
    // The record exactly as its 60 bytes say (still scrambled when read from a file).
    static UserRecord FromBytes(const char* bytes);
    QByteArray ToBytes() const;

    QString TrimmedName() const;
    QString TrimmedPassword() const;
};

// Every complete record of a user file as stored, in file order; a trailing
// partial record is ignored.
QList<UserRecord> ReadStoredUserRecords(const QByteArray& file);

// Helpers for the fixed-length text fields.
QString PadField(const QString& text, int width);
QString TrimSpaces(const QString& text);

namespace modSkiff {
// Turns a record as stored into clear values and back: each text field
// trimmed, complemented byte by byte in Windows-1252 and padded again, the
// level complemented.
void ScrambleUserRecord(UserRecord& record);
} // namespace modSkiff

// The member a login names: the last record whose nickname and password
// match the typed ones, both trimmed and compared in lower case. The
// nickname is spelled as stored.
struct SignedInMember
{
    QString Nickname;
    unsigned char Level = 0;
};
std::optional<SignedInMember> FindMember(const QByteArray& userFile, const QString& typedName,
                                         const QString& typedPassword);
