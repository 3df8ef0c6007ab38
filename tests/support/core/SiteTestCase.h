#pragma once
// The shared fixture of test classes against the local site, and helpers to
// publish and read the site's control file.
//
// A test class derives from SiteTestCase: the site server starts once for
// the class; before each test its logs are emptied, its group folder is
// empty again and a fresh set of strict scripted services is installed;
// after each test every queued answer must have been used and the member
// signed in for it is gone. A class with an init() or cleanup() of its own
// calls the fixture's first.

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"

#include "store/ControlFile.h"

#include <QObject>
#include <QStringList>
#include <memory>

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
// Version, holder and comment of a file's record on the site: "4,Ann,Ann: done".
QString SiteFields(const SiteServer& site, const QString& name);
// One record of the user file as it is stored: blank-padded Windows-1252
// fields, every byte complemented, built byte by byte so that a codec that
// is wrong both ways cannot hide.
QByteArray StoredUserRecord(const QByteArray& name, const QByteArray& password, int level);
// A user file of four members: Orrin (Lantern, 4), Ann (heron, 3), Pépin
// (café, 2) and Mordo (cinder, 1).
QByteArray SampleUserFile();
// The FTP commands of a server log that an operation chose, in order: the
// session's own traffic (log-in, transfer modes, data connections) left out,
// and a name listing written "ls name" whether NLST or MLST asked for it.
QStringList OperationCommands(const QStringList& log);

class SiteTestCase : public QObject
{
    Q_OBJECT
protected:
    SiteServer& site() { return *m_site; }
    ScriptedServices& services() { return *m_services; }
    // The FTP commands the operations sent since the test began.
    QStringList commands() const { return OperationCommands(m_site->ftpLog()); }
    // Makes this member, in a world of their own, the one the program runs
    // as for the rest of the test.
    TestEnv& signIn(const QString& nickname = QStringLiteral("Ann"), unsigned char level = 3);
    TestEnv& env() const { return *m_env; }
    // A site path's copy in the member's web mirror.
    QString mirror(const QString& sitePath) const { return m_env->localPath("WebPage/" + sitePath); }

protected slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

private:
    std::unique_ptr<SiteServer> m_site;
    std::unique_ptr<ScriptedServices> m_services;
    std::unique_ptr<TestEnv> m_env;
};
