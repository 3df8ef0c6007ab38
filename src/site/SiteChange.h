#pragma once
// A change of a site file that is fetched, changed and sent back, made on a
// fresh connection ("QUIT" first) under the server's change lock
// (ChangeLock), so that no other member's change of the same moment is
// lost between the fetch and the send.

#include <QString>
#include <functional>

class FtpLink;
class Inet;

namespace SiteChange {

// Runs change on the component's FTP link while the lock is held and
// returns its result; the lock is given back whatever the way out. False,
// with why set, when the lock was not taken (the member cancelled, or the
// lock could not be made; nothing has been changed then).
bool UnderChangeLock(Inet& inet, const std::function<bool(FtpLink&)>& change, QString* why);

} // namespace SiteChange
