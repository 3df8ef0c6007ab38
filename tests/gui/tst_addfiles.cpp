// Adding local files to the store: what the add window offers, hiding and
// deleting local files, and the add itself against the local site server.

#include "ModalDriver.h"
#include "ScriptedServices.h"
#include "SharedFilesFixture.h"

#include "app/modSkiff.h"
#include "store/FileVersions.h"
#include "ui/filelist/frmAddFile.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>
#include <memory>

using namespace modSkiff;

namespace {

QStringList Candidates(const frmAddFile& window)
{
    QStringList names;
    for (ListItem* item : window.lvwAddFileList->items())
        names << item->text();
    return names;
}

void SelectCandidates(const frmAddFile& window, const QStringList& names)
{
    for (ListItem* item : window.lvwAddFileList->items())
        item->setSelected(names.contains(item->text()));
}

// Uploads of files whose name ends so ("" = every upload) in the FTP log.
int Uploads(const SiteServer& site, const QString& name = QString())
{
    int count = 0;
    for (const QString& line : site.ftpLog())
        count += line.startsWith(QLatin1String("STOR ")) && line.endsWith(name) ? 1 : 0;
    return count;
}

} // namespace

class TestAddFiles : public QObject
{
    Q_OBJECT

    SiteServer* m_site = nullptr;

    // The member's shared files window on a store holding "shared.txt",
    // and an add window over it.
    std::unique_ptr<frmAddFile> openAddWindow(Member& member)
    {
        PublishControlFile(*m_site, {RecordLine("shared.txt", 2, "", "Bob", "Shared", "Bob: x")});
        PublishSharedFile(*m_site, "shared.txt", "shared");
        if (!member.open())
            return nullptr;
        auto window = std::make_unique<frmAddFile>(member.window());
        window->show();
        return window;
    }

private slots:
    void initTestCase()
    {
        m_site = new SiteServer;
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void cleanupTestCase() { delete m_site; }

    void offersOnlyLocalFilesNotSharedOrReserved()
    {
        ScriptedServices services;
        Member ann;
        for (const char* name :
             {"_files.txt.backup", "_hidden.TXT.old", "_control.dat", "_Control2", "notes.backup",
              "a.txt.BACKUP", "mybackup", "plan.txt", "Shared.TXT", "_other.txt", ".profile"})
            ann.env.writeLocal(name, "x");
        QDir(ann.env.localFolder()).mkdir("folder.txt");
        auto window = openAddWindow(ann);
        QVERIFY(window);
        QCOMPARE(Candidates(*window), (QStringList{"_other.txt", "plan.txt"}));
        QVERIFY(QFile::exists(ann.env.localPath("_hidden.txt")));
        QVERIFY(services.shown.isEmpty());
    }

    void hiddenFilesStayHiddenAfterARestartWhateverTheirCase()
    {
        ScriptedServices services;
        Member ann;
        // A list begun by a Windows client: Windows-1252, no final line end.
        ann.env.writeLocal("_hidden.txt", "old.txt\r\ncaf\xe9.txt");
        for (const char* name : {"Draft.TXT", "keep.txt", "OLD.TXT", "keep2.txt"})
            ann.env.writeLocal(name, "x");
        ann.env.writeLocal(QString::fromUtf8("Caf\xc3\xa9.txt"), "x");
        auto window = openAddWindow(ann);
        QVERIFY(window);
        QCOMPARE(Candidates(*window), (QStringList{"Draft.TXT", "keep.txt", "keep2.txt"}));

        SelectCandidates(*window, {"Draft.TXT", "keep2.txt"});
        window->cmdHideFiles->click();
        QCOMPARE(window->lblHidden->text(), QStringLiteral("files added to _hidden.txt"));
        QVERIFY(window->lblHidden->isVisible());
        QCOMPARE(Candidates(*window), QStringList{"keep.txt"});
        QCOMPARE(ann.env.readLocal("_hidden.txt"),
                 QByteArray("old.txt\r\ncaf\xe9.txt\r\nDraft.TXT\r\nkeep2.txt\r\n"));
        auto* view = window->lvwAddFileList->findChild<QTreeView*>();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(0, 0)).center());
        QTRY_VERIFY(!window->lblHidden->isVisible());

        // Restart: a new shared files window over the same local folder.
        window.reset();
        ann.window()->close();
        QTRY_VERIFY(!ann.window());
        QFile::rename(ann.env.localPath("Draft.TXT"), ann.env.localPath("dRAFT.txt"));
        window = openAddWindow(ann);
        QVERIFY(window);
        QCOMPARE(Candidates(*window), QStringList{"keep.txt"});
        QVERIFY(services.shown.isEmpty());
    }

    void deletesLocalFilesOnlyWhenConfirmed()
    {
        ScriptedServices services;
        Member ann;
        for (const char* name : {"junk1.txt", "junk2.txt", "keep.txt"})
            ann.env.writeLocal(name, "x");
        auto window = openAddWindow(ann);
        QVERIFY(window);
        SelectCandidates(*window, {"junk1.txt", "junk2.txt"});
        services.answer(vbNo);
        window->cmdDeleteFiles->click();
        QCOMPARE(services.last().style, int(vbYesNo | vbCritical));
        QVERIFY(QFile::exists(ann.env.localPath("junk1.txt")));

        // One of them went away meanwhile: reported, the other still goes.
        QFile::remove(ann.env.localPath("junk1.txt"));
        services.answer(vbYes);
        window->cmdDeleteFiles->click();
        QVERIFY(!QFile::exists(ann.env.localPath("junk2.txt")));
        QVERIFY(QFile::exists(ann.env.localPath("keep.txt")));
        QCOMPARE(services.shown.size(), 3);
        QVERIFY(services.last().prompt.contains("junk1.txt"));
        QVERIFY(!services.last().prompt.contains("junk2.txt"));
        QCOMPARE(window->lblHidden->text(), QStringLiteral("files deleted from local drive"));
        QCOMPARE(Candidates(*window), QStringList{"keep.txt"});
    }

    void addsFilesWithVersionOneAndOneControlFileUpload()
    {
        ScriptedServices services;
        Member ann;
        ann.env.writeLocal("alpha.txt", "alpha bytes");
        ann.env.writeLocal("beta.gif", "GIF89a");
        ann.env.writeLocal("later.txt", "not now");
        auto window = openAddWindow(ann);
        QVERIFY(window);
        SelectCandidates(*window, {"alpha.txt", "beta.gif"});
        services.answerInput("The \"first\" one");
        services.answerInput("Second");
        m_site->clearLog();
        window->cmdAdd->click();

        QCOMPARE(services.shown.size(), 2);
        QCOMPARE(services.shown[0].prompt,
                 QStringLiteral("Please enter a file description for alpha.txt\r\n\r\nYou must "
                                "enter a description, or the file cannot be added."));
        QCOMPARE(m_site->readSiteFile("qxg/alpha.txt"), QByteArray("alpha bytes"));
        QCOMPARE(m_site->readSiteFile("qxg/beta.gif"), QByteArray("GIF89a"));
        const ControlFile::Contents site = SiteControlFile(*m_site);
        QCOMPARE(int(site.expectedCount), 3);
        QCOMPARE(site.listedCount(), 3);
        const FileRecord alpha = SiteRecord(*m_site, "alpha.txt");
        QCOMPARE(int(alpha.CurrentVersion), 1);
        QCOMPARE(alpha.Controller, QString());
        QCOMPARE(alpha.Author, QStringLiteral("Ann"));
        QCOMPARE(alpha.Description, QStringLiteral("The 'first' one"));
        QCOMPARE(alpha.Comment, QStringLiteral("Ann: *new file*"));
        // The files go up first, then the control file once.
        QCOMPARE(Uploads(*m_site, "_files.txt"), 1);
        const QStringList log = m_site->ftpLog();
        QVERIFY(log.indexOf(QRegularExpression("STOR .*beta.gif")) <
                log.indexOf(QRegularExpression("STOR .*_files.txt")));

        QCOMPARE(ann.cell("beta.gif", "ver"), QStringLiteral("1"));
        QCOMPARE(ann.cell("beta.gif", "myver"), QStringLiteral("1"));
        QCOMPARE(ann.cell("beta.gif", "author"), QStringLiteral("Ann"));
        QCOMPARE(ann.cell("beta.gif", "comment"), QStringLiteral("Ann: *new file*"));
        QCOMPARE(int(FileVersions::Get("BETA.GIF")), 1);
        QVERIFY(!IsReadOnly(ann.env.localPath("alpha.txt")));
        QCOMPARE(Candidates(*window), QStringList{"later.txt"});
    }

    void noDescriptionAddsNoneOfTheFiles()
    {
        ScriptedServices services;
        Member ann;
        for (const char* name : {"one.txt", "two.txt", "three.txt"})
            ann.env.writeLocal(name, "x");
        auto window = openAddWindow(ann);
        QVERIFY(window);
        const QByteArray before = m_site->readSiteFile("qxg/_files.txt");
        SelectCandidates(*window, {"one.txt", "two.txt", "three.txt"});
        services.answerInput("First");
        services.answerInput(""); // Cancel gives "" too
        m_site->clearLog();
        window->cmdAdd->click();

        QCOMPARE(services.shown.size(), 3);
        QCOMPARE(services.last().prompt,
                 QStringLiteral("No Description Was Entered - three.txt Was Not Added\r\n\r\n"
                                "Operation Canceled"));
        QCOMPARE(Uploads(*m_site), 0);
        QCOMPARE(m_site->readSiteFile("qxg/_files.txt"), before);
        QCOMPARE(Candidates(*window), (QStringList{"one.txt", "three.txt", "two.txt"}));
    }

    void aStaleCandidateIsRefusedAsDuplicate()
    {
        ScriptedServices services;
        Member ann;
        ann.env.writeLocal("late.txt", "mine");
        ann.env.writeLocal("fresh.txt", "fresh");
        auto window = openAddWindow(ann);
        QVERIFY(window);
        QCOMPARE(Candidates(*window), (QStringList{"fresh.txt", "late.txt"}));
        // Somebody shares "LATE.txt" while the window is open.
        PublishControlFile(*m_site, {RecordLine("shared.txt", 2, "", "Bob", "Shared", "Bob: x"),
                                     RecordLine("LATE.txt", 1, "", "Bob", "Late", "Bob: x")});
        PublishSharedFile(*m_site, "LATE.txt", "theirs");
        SelectCandidates(*window, {"fresh.txt", "late.txt"});
        services.answerInput("Fresh");
        m_site->clearLog();
        window->cmdAdd->click();

        QCOMPARE(services.shown.size(), 2);
        QCOMPARE(services.last().prompt,
                 QStringLiteral("late.txt could not be added.\r\nA file with the same name "
                                "already exists."));
        QCOMPARE(Uploads(*m_site, "late.txt"), 0);
        QCOMPARE(SiteRecord(*m_site, "late.txt").Author, QStringLiteral("Bob"));
        QCOMPARE(SiteRecord(*m_site, "fresh.txt").Author, QStringLiteral("Ann"));
        QCOMPARE(int(SiteControlFile(*m_site).expectedCount), 3);
        QVERIFY(Candidates(*window).isEmpty());
    }

    void aSendThatDoesNotArriveWritesNoRecord()
    {
        ScriptedServices services;
        Member ann;
        ann.env.writeLocal("arrives.txt", "a");
        ann.env.writeLocal("refused.txt", "r");
        auto window = openAddWindow(ann);
        QVERIFY(window);
        const QByteArray before = m_site->readSiteFile("qxg/_files.txt");
        m_site->refuse("refused.txt");
        SelectCandidates(*window, {"arrives.txt", "refused.txt"});
        services.answerInput("A");
        services.answerInput("R");
        window->cmdAdd->click();

        QCOMPARE(services.last().prompt,
                 QStringLiteral("Error sending refused.txt, please try again."));
        QCOMPARE(services.last().style, int(vbCritical));
        QCOMPARE(m_site->readSiteFile("qxg/_files.txt"), before);
        QVERIFY(m_site->siteFileExists("qxg/arrives.txt"));
        QVERIFY(!ann.row("arrives.txt"));
    }

    void onlyFullAccessMembersMayAdd()
    {
        ScriptedServices services;
        Member reader("Ann", 2);
        PublishControlFile(*m_site, {});
        QVERIFY(reader.open());
        reader.window()->cmdAddFile->click();
        QCOMPARE(services.prompts(), QStringList{"Sorry, you do not have access to that feature."});
        QCOMPARE(services.last().style, int(vbCritical));

        Member writer("Bob", 3);
        QVERIFY(writer.open());
        bool modalAndTracked = false;
        WhenShown<frmAddFile>([&](frmAddFile* window) {
            modalAndTracked = window->isModal() && writer.window()->AddFileWindow == window;
            window->cmdClose->click();
        });
        writer.window()->mnuFileAddFiles->trigger();
        QVERIFY(modalAndTracked);
        QTRY_VERIFY(!writer.window()->AddFileWindow);
        QCOMPARE(services.shown.size(), 1);
    }
};

QTEST_MAIN(TestAddFiles)
#include "tst_addfiles.moc"
