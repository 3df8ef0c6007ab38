#pragma once
// The access levels a member's record stores, and what each level allows
// the signed-in member (CurrentLevel) beyond any one file.

namespace MemberLevel {

enum Level : unsigned char { LockedOut = 1, ReadOnly = 2, FullAccess = 3, Administrator = 4 };

// Read only, full access and administrators sign in; any other byte is
// taken as locked out.
bool MaySignIn(unsigned char storedLevel);
// Checking out, adding files and posting news.
bool MayChangeFiles();
// Member administration and repairing records by hand.
bool IsAdministrator();

} // namespace MemberLevel
