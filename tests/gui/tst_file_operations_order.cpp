// Check out, check in, get latest version and the explorer's operations
// make the server do the same file operations in the same order however few
// protocol commands carry them: the server's log, less the commands that
// only serve the session (log-in, folders, transfer modes, data connections,
// listings), is held against the operations recorded before the commands
// were cut down.

#include "ModalDriver.h"
#include "ScriptedServices.h"
#include "SharedFilesFixture.h"

#include "ui/explorer/frmExplorer.h"
#include "ui/filelist/frmCheckIn.h"
#include "ui/widgets/CaptionButton.h"

#include <QPushButton>
#include <QtTest>

namespace {

// What the server does to files: read, write, rename, delete.
QStringList FileOperations(const QStringList& log)
{
    static const QStringList operations = {"RETR", "STOR", "APPE", "DELE",
                                           "RNFR", "RNTO", "MKD",  "RMD"};
    QStringList kept;
    for (const QString& line : log) {
        if (operations.contains(line.section(QLatin1Char(' '), 0, 0).toUpper()))
            kept << line;
    }
    return kept;
}

// A change of the control file: fetched and sent back under the change lock.
const QString kLock = "/users/tarnwardens/qxg/_control.lock";
const QStringList kControlFileChange =
    QStringList{"MKD " + kLock, "STOR " + kLock + "/holder.txt", "RETR _files.txt"} +
    SiteServer::UploadCommands("_files.txt") +
    QStringList{"DELE " + kLock + "/holder.txt", "RMD " + kLock};

// An explorer upload of a site path, keeping the server's previous copy.
QStringList SiteUpload(const QString& sitePath)
{
    return SiteServer::UploadCommands("/users/tarnwardens/" + sitePath);
}

} // namespace

class TestFileOperationsOrder : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteServer> m_site;

private slots:
    void init()
    {
        m_site = std::make_unique<SiteServer>();
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
        PublishControlFile(*m_site, {RecordLine("one.txt", 3, {}, "Orrin", "first", "Orrin: x"),
                                     RecordLine("two.txt", 5, {}, "Orrin", "second", "Orrin: y")});
        PublishSharedFile(*m_site, "one.txt", "one");
        PublishSharedFile(*m_site, "two.txt", "two");
    }

    void cleanup() { m_site.reset(); }

    void checkOutCheckInAndGetLatestKeepTheirFileOperations()
    {
        ScriptedServices services;
        Member ann("Ann");
        Member bob("Bob");
        QVERIFY(ann.open());
        QVERIFY(bob.open());
        const QStringList names = {"one.txt", "two.txt"};

        ann.activate();
        ann.select(names);
        m_site->clearLog();
        ann.window()->CheckOut();
        // One change of the control file takes both records; the files come after.
        QStringList expected =
            kControlFileChange + QStringList{"RETR one.txt", "RETR two.txt", "RETR _files.txt"};
        QCOMPARE(FileOperations(m_site->ftpLog()), expected);

        for (const QString& name : names)
            ann.env.writeLocal(name, "edited " + name.toUtf8());
        ann.select(names);
        m_site->clearLog();
        WhenShown<frmCheckIn>([](frmCheckIn* dialog) { dialog->cmdCheckInAll->click(); });
        ann.window()->CheckIn();
        expected = QStringList{"RETR _files.txt"};
        for (const QString& name : names)
            expected += SiteServer::UploadCommands(name);
        expected += kControlFileChange;
        // The server's previous copies go once the records are changed.
        for (const QString& name : names)
            expected += "DELE " + name + ".backup";
        expected += "RETR _files.txt";
        QCOMPARE(FileOperations(m_site->ftpLog()), expected);
        QCOMPARE(m_site->readSiteFile("qxg/two.txt"), QByteArray("edited two.txt"));

        bob.activate();
        bob.select(names);
        m_site->clearLog();
        bob.window()->GetLatestVersion();
        QCOMPARE(FileOperations(m_site->ftpLog()),
                 (QStringList{"RETR one.txt", "RETR two.txt", "RETR _files.txt"}));
        QCOMPARE(bob.env.readLocal("one.txt"), QByteArray("edited one.txt"));
        QVERIFY(services.shown.isEmpty());
    }

    // A file lost on the server while its ".backup" remains is put back
    // before it is fetched, as before.
    void aLostFileIsRestoredBeforeItIsFetched()
    {
        ScriptedServices services;
        Member bob("Bob");
        QVERIFY(bob.open());
        QVERIFY(
            QFile::rename(m_site->sitePath("qxg/two.txt"), m_site->sitePath("qxg/two.txt.backup")));
        bob.select({"two.txt"});
        m_site->clearLog();
        bob.window()->GetLatestVersion();
        QCOMPARE(FileOperations(m_site->ftpLog()),
                 (QStringList{"RNFR two.txt.backup", "RNTO two.txt", "RETR two.txt",
                              "RETR _files.txt"}));
        QCOMPARE(bob.env.readLocal("two.txt"), QByteArray("two"));
    }

    // A member with an access list sends, deletes, registers, adds and
    // replaces files in the explorer; each change to the list goes up after
    // the file's own operation.
    void theExplorersOperationsKeepTheirFileOperations()
    {
        ScriptedServices services;
        TestEnv ann("Ann", 3);
        m_site->writeSiteFile("qxg/Ann.dat", "a.html\r\nb.html\r\n*add files*\r\n*delete files*");
        m_site->writeSiteFile("a.html", "a");
        m_site->writeSiteFile("b.html", "b");
        ann.writeLocal("WebPage/a.html", "new a");
        ann.writeLocal("c.html", "c");
        ann.writeLocal("d.html", "d");
        QPointer<frmExplorer> window = new frmExplorer;
        window->Do_ShowWebPage();
        const auto select = [&](const QString& name) {
            for (ListItem* item : window->lvwExplorer->items())
                item->setSelected(item->text() == name);
        };

        m_site->clearLog();
        select("a.html");
        services.answer(vbOK);
        window->cmdUploadFile->click();
        select("b.html");
        services.answer(vbOK);
        window->cmdDeleteFile->click();
        services.answerInput("new.html");
        window->cmdNewFile->click();
        services.answerFiles({ann.localPath("c.html")});
        window->cmdAddFilesToServer->click();
        select("a.html");
        services.answerFiles({ann.localPath("d.html")});
        window->cmdReplaceWith->click();
        services.answer(vbOK);
        window->cmdDownload->click();

        // Under the change lock, onto the list the server holds (written in
        // lower case, read as the user file spells the nickname).
        const QString group = "/users/tarnwardens/qxg/";
        const QStringList laterAccessList =
            QStringList{"MKD " + kLock, "STOR " + kLock + "/holder.txt", "RETR " + group + "ann.dat"} +
            SiteUpload("qxg/ann.dat") + QStringList{"DELE " + kLock + "/holder.txt", "RMD " + kLock};
        // Until the lower-case list exists, the spelled one is read.
        QStringList accessList = laterAccessList;
        accessList.insert(3, "RETR " + group + "Ann.dat");
        QCOMPARE(FileOperations(m_site->ftpLog()),
                 SiteUpload("a.html") + QStringList{"DELE /users/tarnwardens/b.html"} + accessList +
                     laterAccessList + SiteUpload("c.html") + laterAccessList + SiteUpload("a.html"));
        QCOMPARE(m_site->readSiteFile("a.html"), QByteArray("d"));
        QVERIFY(m_site->httpLog().endsWith("GET /tarnwardens/a.html"));
        QCOMPARE(services.pendingAnswers(), 0);
        delete window;
    }
};

QTEST_MAIN(TestFileOperationsOrder)
#include "tst_file_operations_order.moc"
