#include "UserRecord.h"

#include "app/Windows1252.h"
#include "app/modSkiff.h"

QString PadField(const QString& text, int width)
{
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

QString TrimSpaces(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

UserRecord UserRecord::FromClear(const QString& name, const QString& password,
                                 unsigned char level)
{
    UserRecord record;
    record.Name = PadField(name, NameLength);
    record.Password = PadField(password, PasswordLength);
    record.Level = level;
    return record;
}

UserRecord UserRecord::FromBytes(const char* bytes)
{
    UserRecord record;
    record.Name = Windows1252::decode(QByteArray(bytes, NameLength));
    record.Password = Windows1252::decode(QByteArray(bytes + NameLength, PasswordLength));
    record.Level = static_cast<unsigned char>(bytes[NameLength + PasswordLength]);
    return record;
}

QByteArray UserRecord::ToBytes() const
{
    QByteArray bytes = Windows1252::encode(PadField(Name, NameLength));
    bytes += Windows1252::encode(PadField(Password, PasswordLength));
    bytes += static_cast<char>(Level);
    return bytes;
}

QString UserRecord::TrimmedName() const { return TrimSpaces(Name); }

QString UserRecord::TrimmedPassword() const { return TrimSpaces(Password); }

QList<UserRecord> ReadStoredUserRecords(const QByteArray& file)
{
    QList<UserRecord> records;
    records.reserve(file.size() / UserRecord::Size);
    for (qsizetype offset = 0; offset + UserRecord::Size <= file.size(); offset += UserRecord::Size)
        records.append(UserRecord::FromBytes(file.constData() + offset));
    return records;
}

void modSkiff::ScrambleUserRecord(UserRecord& record)
{
    record.Name = PadField(ScrambleText(TrimSpaces(record.Name)), UserRecord::NameLength);
    record.Password =
        PadField(ScrambleText(TrimSpaces(record.Password)), UserRecord::PasswordLength);
    record.Level = static_cast<unsigned char>(255 - record.Level);
}

std::optional<SignedInMember> FindMember(const QByteArray& userFile, const QString& typedName,
                                         const QString& typedPassword)
{
    const QString name = TrimSpaces(typedName).toLower();
    const QString password = TrimSpaces(typedPassword).toLower();
    std::optional<SignedInMember> member;
    for (UserRecord record : ReadStoredUserRecords(userFile)) {
        modSkiff::ScrambleUserRecord(record);
        // Every record is examined: the last match decides.
        if (record.TrimmedName().toLower() == name && record.TrimmedPassword().toLower() == password)
            member = SignedInMember{record.TrimmedName(), record.Level};
    }
    return member;
}
