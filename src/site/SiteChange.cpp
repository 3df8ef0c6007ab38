#include "SiteChange.h"

#include "ChangeLock.h"
#include "transport/FtpLink.h"
#include "transport/Inet.h"
#include "transport/SiteAccount.h"
#include "transport/TransferLog.h"
#include "transport/Wait.h"
#include "WebFiles.h"

namespace SiteChange {

bool UnderChangeLock(Inet& inet, const std::function<bool(FtpLink&)>& change, QString* why)
{
    UseSiteAccount(inet);
    inet.Protocol = icFTP;
    Wait::ExecuteAndWait(inet, QStringLiteral("QUIT"));
    InetLink link(inet);
    ChangeLock lock(link, [&inet](const QString& line) {
        TransferLog::Note(inet.Log, ChangeLock::FolderName(), line);
    });
    if (!lock.Acquire()) {
        if (why)
            *why = lock.Why().isEmpty()
                       ? QStringLiteral("another member is changing the group's files")
                       : lock.Why();
        return false;
    }
    return change(link);
}

} // namespace SiteChange
