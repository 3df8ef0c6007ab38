// Reading command texts and server listings, for the cases a live server
// does not produce: names with blanks that have to be told apart, and the
// listing formats of other servers.

#include "transport/FolderListing.h"
#include "transport/FtpCommand.h"
#include "transport/FtpSession.h"

#include <QSet>
#include <QtTest>

namespace {

FtpCommand Parse(const QString& text, const QSet<QString>& localFiles = {})
{
    return ParseFtpCommand(text, [&](const QString& name) { return localFiles.contains(name); });
}

} // namespace

class TestFtpText : public QObject
{
    Q_OBJECT
private slots:
    void keywordsAndTheirCase()
    {
        // Only the capitals are the folder listing; any other case is NLST.
        QCOMPARE(Parse("LS /users/tarnwardens/").kind, FtpCommand::FolderEntries);
        for (const char* ls : {"ls a.txt", "Ls a.txt", "NLST a.txt"})
            QCOMPARE(Parse(ls).kind, FtpCommand::NameList);
        QCOMPARE(Parse("GET a b").kind, FtpCommand::Download);
        QCOMPARE(Parse("CD qxg").kind, FtpCommand::ChangeFolder);
        // Anything else goes as it stands; a keyword must be the whole first word.
        QCOMPARE(Parse("SITE CHMOD 644 x").first, "SITE CHMOD 644 x");
        QCOMPARE(Parse("getaway now").kind, FtpCommand::Raw);
    }

    void oneNameKeepsItsBlanks()
    {
        QCOMPARE(Parse("delete my old file.txt").first, "my old file.txt");
        QCOMPARE(Parse("cd /users/tarnwardens/my folder").first, "/users/tarnwardens/my folder");
        QCOMPARE(Parse("ls  lead.txt").first, " lead.txt");
    }

    // Rows: "command|first name|second name".
    void twoNamesAreToldApart_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("plain") << "get a.txt b.txt|a.txt|b.txt";
        QTest::newRow("same name twice") << "get my file.txt my file.txt|my file.txt|my file.txt";
        QTest::newRow("to backup")
            << "rename my file.txt my file.txt.backup|my file.txt|my file.txt.backup";
        QTest::newRow("from backup")
            << "get _files.txt.backup _files.txt|_files.txt.backup|_files.txt";
        QTest::newRow("mirror to site") << "send WebPage/news/my page.html /users/tarnwardens/news/"
                                           "my page.html|WebPage/news/my page.html|/users/"
                                           "tarnwardens/news/my page.html";
        QTest::newRow("same type") << "rename old name.doc new name.doc|old name.doc|new name.doc";
        QTest::newRow("backup to other name")
            << "get my notes.txt.backup copy of notes.txt|my notes.txt.backup|copy of notes.txt";
        QTest::newRow("one name") << "get report.txt|report.txt|report.txt";
        QTest::newRow("one path") << "get /users/x/report.txt|/users/x/report.txt|report.txt";
    }
    void twoNamesAreToldApart()
    {
        QFETCH(QString, row);
        const QStringList fields = row.split('|');
        const FtpCommand command = Parse(fields[0]);
        QCOMPARE(command.first + "|" + command.second, fields[1] + "|" + fields[2]);
    }

    void anUploadPrefersTheSplitNamingALocalFile()
    {
        const FtpCommand command = Parse("send a b c", {"a b"});
        QCOMPARE(command.first, "a b");
        QCOMPARE(command.second, "c");
        // Without such a file the first blank separates.
        QCOMPARE(Parse("send a b c").first, "a");
    }

    // The size a download's opening reply names is the progress bar's whole;
    // a reply without one (or with nonsense) gives none rather than a wrong one.
    void theSizeAnOpeningReplyNames_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<qint64>("size");
        QTest::newRow("proftpd") << QByteArray("150 Opening BINARY mode data connection for "
                                               "notes.txt (48213 bytes)")
                                 << qint64(48213);
        QTest::newRow("vsftpd, one byte") << QByteArray("150 Opening BINARY mode data connection "
                                                        "for a (1 byte).")
                                          << qint64(1);
        QTest::newRow("a name holding a size")
            << QByteArray("150 Opening BINARY mode data connection for x (12 bytes).txt (500 bytes)")
            << qint64(500);
        QTest::newRow("upper case") << QByteArray("125 Transfer starting (2048 BYTES)") << qint64(2048);
        QTest::newRow("IIS, none") << QByteArray("125 Data connection already open; Transfer "
                                                 "starting.")
                                   << qint64(-1);
        QTest::newRow("pyftpdlib, none")
            << QByteArray("150 File status okay. About to open data connection.") << qint64(-1);
        QTest::newRow("Pure-FTPd, not exact") << QByteArray("150 2.4 kbytes to download")
                                              << qint64(-1);
        QTest::newRow("past belief")
            << QByteArray("150 Opening (123456789012345678901234 bytes)") << qint64(-1);
    }
    void theSizeAnOpeningReplyNames()
    {
        QFETCH(QByteArray, reply);
        QFETCH(qint64, size);
        QCOMPARE(AnnouncedTransferSize(reply), size);
    }

    void mlsdEntries()
    {
        const QByteArray mlsd = "type=cdir;perm=el;modify=20240101000000; .\r\n"
                                "type=pdir;perm=el; ..\r\n"
                                "type=dir;size=0; news\r\n"
                                "Type=DIR;perm=el; Archive 2023\r\n"
                                "type=file;size=12; my file.txt\r\n"
                                "type=OS.unix=slink:/x;size=1; link\r\n"
                                "type=file;size=3; .hidden\r\n"
                                "\r\n"
                                "type=file;size=3; caf\xc3\xa9.txt\n";
        QCOMPARE(FolderListing::FromMlsd(mlsd),
                 QByteArray("news/\r\nArchive 2023/\r\nmy file.txt\r\nlink\r\n.hidden\r\n"
                            "caf\xc3\xa9.txt\r\n"));
        QCOMPARE(FolderListing::FromMlsd(QByteArray()), QByteArray());
    }

    void listEntriesInUnixAndDosForm()
    {
        const QByteArray unixStyle =
            "total 12\r\n"
            "drwxr-xr-x   2 pell  group  4096 Jan  5 10:00 .\r\n"
            "drwxr-xr-x   2 pell  group  4096 Jan  5 10:00 ..\r\n"
            "drwxr-xr-x   2 pell  group  4096 Jan  5 10:00 news\r\n"
            "-rw-r--r--   1 pell  group    12 Dec 31  2023 my  file.txt\r\n"
            "-rw-r--r--   1 pell    12 Mar  1 09:15 no group.txt\r\n"
            "lrwxrwxrwx   1 pell  group     7 Feb  2 11:11 latest -> news/a\r\n"
            "-rw-r--r--   1 pell  group    12 Feb  2 11:11 /users/x/path.txt\r\n"
            "garbage line\r\n";
        QCOMPARE(FolderListing::FromList(unixStyle),
                 QByteArray("news/\r\nmy  file.txt\r\nno group.txt\r\nlatest\r\n"));
        const QByteArray dos = "01-05-24  10:00AM       <DIR>          images\r\n"
                               "01-05-24  10:01PM                 1234 index file.html\r\n"
                               "01-05-24  10:01PM                 nonsense\r\n";
        QCOMPARE(FolderListing::FromList(dos), QByteArray("images/\r\nindex file.html\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestFtpText)
#include "tst_ftp_text.moc"
