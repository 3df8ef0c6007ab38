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
