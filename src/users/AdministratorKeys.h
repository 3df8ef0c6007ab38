#pragma once
// Lets an administrator confirm a changed certificate of the site before
// signing in, when the sign-in itself needs that connection (the user file
// comes over the web side). Whoever signs in here as an administrator
// leaves a key behind: a salted, deliberately slow hash of nickname and
// password, never the password itself. A later sign-in whose typed
// nickname and password match a key may confirm; the check runs on this
// computer, before anything is sent over the changed connection.

#include <QString>

namespace AdministratorKeys {

// After a successful sign-in: keeps the member's key when the level is an
// administrator's, drops it otherwise (no longer an administrator).
void Keep(const QString& nickname, const QString& password, unsigned char level);
// Whether the typed nickname and password are those of an administrator
// who signed in here before, compared as the sign-in compares them
// (trimmed, in lower case). A damaged key matches nothing.
bool Matches(const QString& typedName, const QString& typedPassword);

} // namespace AdministratorKeys
