#pragma once
// The rules of the user administration window that need no window: which
// level option shows a stored level, what an administrator may change in a
// member's record, and what a nickname may hold.

#include "UserRecord.h"
#include "app/MemberLevel.h"

#include <QString>
#include <optional>

namespace UserAdmin {

// The four access levels, one option button each.
using Level = MemberLevel::Level;
using MemberLevel::Administrator;
using MemberLevel::FullAccess;
using MemberLevel::LockedOut;
using MemberLevel::ReadOnly;

// The level a stored level byte shows as: 2, 3 and 4 as they are, anything
// else as locked out (start-up refuses such a member too).
Level ShownLevel(unsigned char storedLevel);
// The user list's picture for a stored level: "level1" to "level4".
QString LevelIconKey(unsigned char storedLevel);

// Which controls of the member's information an administrator may use.
struct Enabling
{
    bool userName = true;
    bool password = true;
    bool lockedOut = true;
    bool readOnly = true;
    bool fullAccess = true;
    bool administrator = true;
    bool apply = true;
};

// privileged: the signed-in member is one of the privileged members, who may
// change everything. chosen: the member's record in clear values, or none
// for a member being added. Everybody else keeps every nickname, never grants
// "Administrator", and of another administrator's record may change only
// their own password (nicknames compared ignoring letter case).
Enabling EnablingFor(bool privileged, const std::optional<UserRecord>& chosen,
                     const QString& currentUser);

// The boxes of a member's information as the administrator left them.
struct MemberBoxes
{
    QString name;
    QString password;
    Level level = LockedOut;
};

// The record "Apply Changes to User" writes for the boxes, or, when none,
// the message that says why: a blank nickname would let in anybody who
// leaves the login boxes empty, and the user file holds only Windows-1252.
struct RecordToApply
{
    std::optional<UserRecord> record;
    QString refusal;
};
RecordToApply RecordFor(const MemberBoxes& boxes);

// The user file's record number (from 1) of the list entry at this position
// (from 0): the list is never sorted, so the two orders are one.
int RecordNumber(int entryIndex);

// Whether the boxes hold something the member's stored record does not, as
// the record they would write compares (fields cut to their widths and
// trimmed, levels as shown). A member being added (no record) always does.
bool HasUnappliedChanges(const std::optional<UserRecord>& stored, const MemberBoxes& boxes);

// A nickname box's text with its caret and the length of the selection that
// starts there.
struct NicknameEdit
{
    QString text;
    int caret = 0;
    int selectionLength = 0;
};

// Only "0" to "9", "a" to "z" and "A" to "Z" stay. Walking from the first
// character, each removed character before the caret moves it one to the
// left, and each removed character inside the selection shortens it by one,
// so the caret and selection stay on the characters they were on.
NicknameEdit FilterNickname(const NicknameEdit& typed);
bool IsNicknameCharacter(QChar c);

} // namespace UserAdmin
