#include "StoredUsers.h"

QByteArray StoredUserRecord(const QByteArray& name, const QByteArray& password, int level)
{
    QByteArray clear = name.leftJustified(30, ' ', true) + password.leftJustified(29, ' ', true);
    clear += char(level);
    QByteArray stored;
    for (const char byte : clear)
        stored += char(~static_cast<unsigned char>(byte));
    return stored;
}
