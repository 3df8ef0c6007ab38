#include "SharedFilesFixture.h"

#include "ui/Resources.h"

#include <QFile>

void PublishControlFile(const SiteServer& site, const QStringList& records, int count,
                        const QString& release)
{
    QString text = release + QStringLiteral("\r\n") +
                   QString::number(count < 0 ? records.size() : count) + QStringLiteral("\r\n");
    for (const QString& record : records)
        text += record + QStringLiteral("\r\n");
    site.writeSiteFile(QStringLiteral("qxg/_files.txt"), text.toLatin1());
}

QString RecordLine(const QString& name, int version, const QString& holder, const QString& author,
                   const QString& description, const QString& comment)
{
    auto quoted = [](const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); };
    return quoted(name) + QLatin1Char(',') + QString::number(version) + QLatin1Char(',') +
           quoted(holder) + QLatin1Char(',') + quoted(author) + QLatin1Char(',') +
           quoted(description) + QLatin1Char(',') + quoted(comment);
}

void PublishSharedFile(const SiteServer& site, const QString& name, const QByteArray& bytes)
{
    site.writeSiteFile(QStringLiteral("qxg/") + name, bytes);
}

ControlFile::Contents SiteControlFile(const SiteServer& site)
{
    return ControlFile::Parse(site.readSiteFile(QStringLiteral("qxg/_files.txt")));
}

FileRecord SiteRecord(const SiteServer& site, const QString& name)
{
    for (const FileRecord& record : SiteControlFile(site).records)
        if (ControlFile::SameFileName(record.Name, name))
            return record;
    return FileRecord();
}

namespace {
// The member the program runs as now; switching away keeps what the program
// changed in that member's global state.
Member* g_active = nullptr;
} // namespace

Member::Member(const QString& nickname, unsigned char level) : env(nickname, level)
{
    InitResources();
    g_active = this;
}

Member::~Member()
{
    delete m_window;
    if (g_active == this)
        g_active = nullptr;
}

void Member::activate()
{
    if (g_active && g_active != this)
        g_active->env.capture();
    g_active = this;
    env.activate();
}

bool Member::open()
{
    activate();
    if (!m_window) {
        m_window = new frmFileList;
        m_window->show();
    }
    return m_window->UpdateFileList();
}

ListItem* Member::row(const QString& name) const
{
    return m_window ? m_window->lvwFileList->findItem(name.toLower()) : nullptr;
}

void Member::select(const QStringList& names) const
{
    for (ListItem* item : list()->items())
        item->setSelected(names.contains(item->text(), Qt::CaseInsensitive));
}

QString Member::cell(const QString& name, const QString& columnKey) const
{
    ListItem* item = row(name);
    return item ? item->subItem(columnKey) : QStringLiteral("<no row>");
}
