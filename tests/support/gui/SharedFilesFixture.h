#pragma once
// Members with the shared files window open against the local site, and the
// fixture of test classes that drive that window.

#include "SiteTestCase.h"

#include "ui/filelist/FileListColumns.h"
#include "ui/filelist/frmFileList.h"
#include "ui/widgets/ListView.h"

#include <QPointer>
#include <QStringList>
#include <list>

// One member: a private world (settings, local folder, global state) and
// that member's shared files window.
class Member
{
public:
    explicit Member(const QString& nickname = QStringLiteral("Ann"), unsigned char level = 3);
    ~Member();

    // Makes this member the one the program runs as.
    void activate();
    // Activates the member, opens the window if needed and rebuilds the list;
    // the result of UpdateFileList.
    bool open();
    frmFileList* window() const { return m_window; }
    ListView* list() const { return m_window->lvwFileList; }
    ListItem* row(const QString& name) const;
    // Selects exactly these rows.
    void select(const QStringList& names) const;
    QString cell(const QString& name, const QString& columnKey) const;

    TestEnv env;

private:
    QPointer<frmFileList> m_window;
};

class SharedFilesTestCase : public SiteTestCase
{
    Q_OBJECT
protected:
    // A member of this level with the shared files window open on the site
    // as it now is. A list that cannot be built fails the test. The member
    // lives until the test ends.
    Member& openAs(const QString& nickname, unsigned char level = 3);

protected slots:
    void initTestCase();
    void cleanup();

private:
    std::list<Member> m_members;
};
