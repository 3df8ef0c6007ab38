#pragma once
// Helpers for tests of the shared files: a member with the shared files
// window open against the local site, and control files written as text.

#include "SiteServer.h"
#include "TestEnv.h"

#include "store/ControlFile.h"
#include "ui/filelist/frmFileList.h"
#include "ui/widgets/ListView.h"

#include <QPointer>
#include <QStringList>

// Writes "qxg/_files.txt" on the site: release, count (the number of
// records unless given) and the record lines as they stand, CR LF each.
void PublishControlFile(const SiteServer& site, const QStringList& records, int count = -1,
                        const QString& release = QStringLiteral("2.0.3"));
// A record line in the control file's format.
QString RecordLine(const QString& name, int version, const QString& holder = QString(),
                   const QString& author = QString(), const QString& description = QString(),
                   const QString& comment = QString());
// Writes a shared file into the site's group folder.
void PublishSharedFile(const SiteServer& site, const QString& name, const QByteArray& bytes);
// The site's control file as the program reads it.
ControlFile::Contents SiteControlFile(const SiteServer& site);
// The record of a file in the site's control file (letter case ignored).
FileRecord SiteRecord(const SiteServer& site, const QString& name);

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
