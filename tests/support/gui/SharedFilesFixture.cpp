#include "SharedFilesFixture.h"

#include "ui/Resources.h"

#include <QtTest>

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

Member& SharedFilesTestCase::openAs(const QString& nickname, unsigned char level)
{
    Member& member = m_members.emplace_back(nickname, level);
    if (!member.open())
        QTest::qFail(qPrintable(nickname + QStringLiteral("'s list was not built")), __FILE__,
                     __LINE__);
    return member;
}

void SharedFilesTestCase::initTestCase()
{
    InitResources();
    SiteTestCase::initTestCase();
}

void SharedFilesTestCase::cleanup()
{
    m_members.clear();
    SiteTestCase::cleanup();
}
