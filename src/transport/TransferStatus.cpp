#include "TransferStatus.h"

#include <QStringList>

namespace TransferStatus {

QString Caption(int state)
{
    static const QStringList captions = {
        QStringLiteral("Skiff - Finding Host"),
        QStringLiteral("Skiff - Host found"),
        QStringLiteral("Skiff - Connecting to Host"),
        QStringLiteral("Skiff - CONNECTED!"),
        QStringLiteral("Skiff - Sending Request to Host"),
        QStringLiteral("Skiff - Request Sent to Host"),
        QStringLiteral("Skiff - Host is Responding"),
        QStringLiteral("Skiff - Host has Responded"),
        QStringLiteral("Skiff - Disconnecting"),
        QStringLiteral("Skiff - Disconnected"),
        QStringLiteral("Skiff - ** Communications Error **"),
        QStringLiteral("Skiff - Transfer Complete"),
    };
    if (state < 1 || state > captions.size())
        return QString();
    return captions.at(state - 1);
}

} // namespace TransferStatus
