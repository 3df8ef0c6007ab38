#include "NewsInserts.h"

#include "NewsItem.h"
#include "transport/SiteConfig.h"

namespace NewsInserts {
namespace {
const QString kQuote = QStringLiteral("\"");
}

QString WelcomeLine(const QString& member)
{
    return QStringLiteral("\r\n<b>QX Welcomes ") + member + QStringLiteral(" to the QX Team!</b>");
}

QString ImageTag(const QString& location)
{
    return QStringLiteral("<img src=") + kQuote + location + kQuote + QStringLiteral(" border=") +
           kQuote + QStringLiteral("0") + kQuote + QStringLiteral(">");
}

QString ProposedImage(const QString& nickname)
{
    return SiteConfig::HttpBase() + QStringLiteral("images/") + nickname.toLower() +
           QStringLiteral(".gif");
}

QString ProposedAddress() { return SiteConfig::HttpBase() + QStringLiteral("somepage.html"); }

QString NewWindowAttribute()
{
    return QStringLiteral(" target=") + kQuote + QStringLiteral("_TOP") + kQuote;
}

QString ProposedLinkText(const QString& selection)
{
    return NewsItem::IsBlank(selection) ? QStringLiteral("click here") : selection;
}

QString Hyperlink(const QString& address, const QString& attribute, const QString& linkText)
{
    return QStringLiteral("<a href=") + kQuote + address + kQuote + attribute +
           QStringLiteral(">") + linkText + QStringLiteral("</a>");
}

} // namespace NewsInserts
