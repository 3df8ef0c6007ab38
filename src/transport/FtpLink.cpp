#include "FtpLink.h"

#include "Inet.h"
#include "Wait.h"

void InetLink::Run(const QString& command) { Wait::ExecuteAndWait(m_inet, command); }

QString InetLink::Response() const
{
    return m_inet.LastCommandFailed() ? QString() : m_inet.LastResponse();
}

bool InetLink::Failed() const { return m_inet.LastCommandFailed(); }

bool InetLink::ConnectionLost() const { return m_inet.LastCommandLostTheServer(); }

QString InetLink::FailureText() const { return m_inet.ResponseInfo(); }
