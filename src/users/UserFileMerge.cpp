#include "UserFileMerge.h"

#include "UserFile.h"
#include "UserRecord.h"
#include "app/Errors.h"

namespace UserFileMerge {
namespace {

QByteArray RecordAt(const QByteArray& file, qsizetype number)
{
    return file.mid(number * UserRecord::Size, UserRecord::Size);
}

UserRecord Clear(const QByteArray& stored)
{
    UserRecord record = UserRecord::FromBytes(stored.constData());
    modSkiff::ScrambleUserRecord(record);
    return record;
}

bool Same(const QByteArray& a, const QByteArray& b)
{
    if (a == b)
        return true;
    const UserRecord x = Clear(a);
    const UserRecord y = Clear(b);
    return x.TrimmedName() == y.TrimmedName() && x.TrimmedPassword() == y.TrimmedPassword() &&
           x.Level == y.Level;
}

} // namespace

std::optional<QByteArray> Merge(const QByteArray& base, const QByteArray& mine,
                                const QByteArray& fresh, const Decide& decide)
{
    const qsizetype baseCount = base.size() / UserRecord::Size;
    const qsizetype mineCount = mine.size() / UserRecord::Size;
    const qsizetype freshCount = fresh.size() / UserRecord::Size;
    QByteArray merged = fresh.left(freshCount * UserRecord::Size);
    for (qsizetype i = 0; i < qMin(baseCount, mineCount); ++i) {
        const QByteArray was = RecordAt(base, i);
        const QByteArray now = RecordAt(mine, i);
        if (Same(was, now))
            continue;
        if (i >= freshCount)
            throw SkiffError(QStringLiteral("The site's %1 now holds %2 members, fewer than when "
                                            "this window opened, so %3 cannot be changed in it.")
                                 .arg(UserFile::kFileName)
                                 .arg(freshCount)
                                 .arg(Clear(was).TrimmedName()));
        const QByteArray theirs = RecordAt(fresh, i);
        if (!Same(theirs, was) && !Same(theirs, now)) {
            const std::optional<bool> keepMine = decide(Clear(now).TrimmedName());
            if (!keepMine)
                return std::nullopt;
            if (!*keepMine)
                continue;
        }
        merged.replace(i * UserRecord::Size, UserRecord::Size, now);
    }
    for (qsizetype i = baseCount; i < mineCount; ++i)
        merged += RecordAt(mine, i);
    return merged;
}

} // namespace UserFileMerge
