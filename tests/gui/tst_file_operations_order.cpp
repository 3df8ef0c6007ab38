// Check out, check in and get latest version make the server do the same
// file operations in the same order however few protocol commands carry
// them: the server's log, less the commands that only serve the session
// (log-in, folders, transfer modes, data connections, listings), is held
// against the operations recorded before the commands were cut down.

#include "ModalDriver.h"
#include "ScriptedServices.h"
#include "SharedFilesFixture.h"

#include "ui/filelist/frmCheckIn.h"

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

const QStringList kControlFileUpload = {"DELE _files.txt.backup", "RNFR _files.txt",
                                        "RNTO _files.txt.backup", "STOR _files.txt"};

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
        QStringList expected = {"RETR one.txt", "RETR two.txt", "RETR _files.txt"};
        for (int file = 0; file < 2; ++file)
            expected += QStringList{"RETR _files.txt"} + kControlFileUpload;
        expected += {"RETR _files.txt", "RETR _files.txt"};
        QCOMPARE(FileOperations(m_site->ftpLog()), expected);

        for (const QString& name : names)
            ann.env.writeLocal(name, "edited " + name.toUtf8());
        ann.select(names);
        m_site->clearLog();
        WhenShown<frmCheckIn>([](frmCheckIn* dialog) { dialog->cmdCheckInAll->click(); });
        ann.window()->CheckIn();
        expected = QStringList{"RETR _files.txt"};
        for (const QString& name : names)
            expected += {"DELE " + name + ".backup", "RNFR " + name, "RNTO " + name + ".backup",
                         "STOR " + name, "DELE " + name + ".backup"};
        expected +=
            QStringList{"RETR _files.txt"} + kControlFileUpload + QStringList{"RETR _files.txt"};
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
};

QTEST_MAIN(TestFileOperationsOrder)
#include "tst_file_operations_order.moc"
