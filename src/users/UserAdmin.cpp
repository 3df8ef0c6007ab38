#include "UserAdmin.h"

#include "app/Windows1252.h"

namespace UserAdmin {

Level ShownLevel(unsigned char storedLevel)
{
    switch (storedLevel) {
    case Administrator: return Administrator;
    case FullAccess: return FullAccess;
    case ReadOnly: return ReadOnly;
    default: return LockedOut;
    }
}

QString LevelIconKey(unsigned char storedLevel)
{
    return QStringLiteral("level") + QString::number(int(ShownLevel(storedLevel)));
}

Enabling EnablingFor(bool privileged, const std::optional<UserRecord>& chosen,
                     const QString& currentUser)
{
    Enabling enabling;
    if (privileged)
        return enabling;
    enabling.administrator = false;
    if (!chosen)
        return enabling;
    enabling.userName = false;
    if (ShownLevel(chosen->Level) != Administrator)
        return enabling;
    enabling.lockedOut = enabling.readOnly = enabling.fullAccess = false;
    const bool own =
        chosen->TrimmedName().compare(currentUser, Qt::CaseInsensitive) == 0;
    enabling.password = enabling.apply = own;
    return enabling;
}

RecordToApply RecordFor(const MemberBoxes& boxes)
{
    if (TrimSpaces(boxes.name).isEmpty())
        return {std::nullopt, QStringLiteral("Please enter a user name.")};
    if (Windows1252::decode(Windows1252::encode(boxes.password)) != boxes.password)
        return {std::nullopt,
                QStringLiteral("The password can only hold letters, digits and signs of the "
                               "Windows-1252 character set.")};
    return {UserRecord::FromClear(boxes.name, boxes.password, boxes.level), QString()};
}

int RecordNumber(int entryIndex)
{
    return entryIndex + 1;
}

bool HasUnappliedChanges(const std::optional<UserRecord>& stored, const MemberBoxes& boxes)
{
    if (!stored)
        return true;
    const UserRecord typed = UserRecord::FromClear(boxes.name, boxes.password, boxes.level);
    return typed.TrimmedName() != stored->TrimmedName() ||
           typed.TrimmedPassword() != stored->TrimmedPassword() ||
           ShownLevel(typed.Level) != ShownLevel(stored->Level);
}

bool IsNicknameCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

NicknameEdit FilterNickname(const NicknameEdit& typed)
{
    NicknameEdit kept{QString(), typed.caret, typed.selectionLength};
    kept.text.reserve(typed.text.size());
    for (const QChar c : typed.text) {
        if (IsNicknameCharacter(c)) {
            kept.text += c;
            continue;
        }
        // The character's place once the earlier removals are made.
        const int at = int(kept.text.size());
        if (at < kept.caret)
            --kept.caret;
        else if (at < kept.caret + kept.selectionLength)
            --kept.selectionLength;
    }
    return kept;
}

} // namespace UserAdmin
