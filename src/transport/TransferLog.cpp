#include "TransferLog.h"

#include "SiteConfig.h"
#include "app/Clock.h"

#include <QRegularExpression>

namespace {

constexpr int kKeptLines = 2000;
const QString kMask = QStringLiteral("****");

} // namespace

TransferLog::TransferLog(QObject* parent) : QObject(parent) {}

void TransferLog::Add(const QString& line)
{
    const QString stamped = Clock::Now().toString(QStringLiteral("HH:mm:ss")) +
                            QStringLiteral("  ") + WithoutPasswords(line.trimmed());
    m_lines.append(stamped);
    if (m_lines.size() > kKeptLines)
        m_lines.removeFirst();
    emit Added(stamped);
}

void TransferLog::Note(TransferLog* log, const QString& name, const QString& what)
{
    if (log)
        log->Add(name + QStringLiteral(": ") + what);
}

QString TransferLog::WithoutPasswords(const QString& text)
{
    static const QRegularExpression passCommand(QStringLiteral("\\b(PASS)[ \\t]+\\S[^\\r\\n]*"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression userInfo(QStringLiteral("([^\\s:/@]+):[^\\s/@]+@"));
    QString masked = text;
    const QString password = SiteConfig::FtpPassword();
    if (!password.isEmpty())
        masked.replace(password, kMask);
    masked.replace(passCommand, QStringLiteral("\\1 ") + kMask);
    masked.replace(userInfo, QStringLiteral("\\1:") + kMask + QLatin1Char('@'));
    return masked;
}
