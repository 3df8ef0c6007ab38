// Reading what servers send, for the cases a live server does not produce:
// command texts with names that have to be told apart, the sizes other
// servers announce, and folder listings as the explorer reads them, from the
// recorded listings of common FTP servers (tests/data/listings) and from
// hostile ones.

#include "transport/FolderListing.h"
#include "transport/FtpCommand.h"
#include "transport/FtpSession.h"

#include <QFile>
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

    static QByteArray Recorded(const QString& name)
    {
        QFile file(qEnvironmentVariable("SKIFF_SOURCE_DIR") + QStringLiteral("/tests/data/listings/") +
                   name);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("missing test data %s", qPrintable(name));
        return file.readAll();
    }

    // A LIST line of a Unix server for a file with this name.
    static QByteArray FileLine(const QByteArray& name)
    {
        return "-rw-r--r--   1 pell     pell           12 Mar  4 09:12 " + name + "\r\n";
    }

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

    // Rows: "command|first name|second name|a local file that exists".
    void namesAreToldApart_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("one name keeps its blanks") << "delete my old file.txt|my old file.txt|";
        QTest::newRow("a folder with a blank")
            << "cd /users/tarnwardens/my folder|/users/tarnwardens/my folder|";
        QTest::newRow("a leading blank") << "ls  lead.txt| lead.txt|";
        // An upload prefers the split naming a local file; without one the
        // first blank separates.
        QTest::newRow("upload of a local file") << "send a b c|a b|c|a b";
        QTest::newRow("upload, no such file") << "send a b c|a|b c";
        QTest::newRow("plain") << "get a.txt b.txt|a.txt|b.txt";
        QTest::newRow("same name twice") << "get my file.txt my file.txt|my file.txt|my file.txt";
        QTest::newRow("to backup")
            << "rename my file.txt my file.txt.backup|my file.txt|my file.txt.backup";
        QTest::newRow("from backup")
            << "get _files.txt.backup _files.txt|_files.txt.backup|_files.txt";
        QTest::newRow("mirror to site") << "send WebPage/news/my page.html /users/tarnwardens/news/"
                                           "my page.html|WebPage/news/my page.html|/users/"
                                           "tarnwardens/news/my page.html";
        QTest::newRow("into place, no extension")
            << "rename ._skiff.0123456789ab.my notes my notes|._skiff.0123456789ab.my notes|my notes";
        QTest::newRow("same type") << "rename old name.doc new name.doc|old name.doc|new name.doc";
        QTest::newRow("backup to other name")
            << "get my notes.txt.backup copy of notes.txt|my notes.txt.backup|copy of notes.txt";
        QTest::newRow("one name") << "get report.txt|report.txt|report.txt";
        QTest::newRow("one path") << "get /users/x/report.txt|/users/x/report.txt|report.txt";
    }
    void namesAreToldApart()
    {
        QFETCH(QString, row);
        const QStringList fields = row.split('|');
        const FtpCommand command = Parse(fields[0], {fields.value(3)});
        QCOMPARE(command.first + "|" + command.second, fields[1] + "|" + fields[2]);
    }

    // The size a download's opening reply names is the progress bar's whole;
    // a reply without one (or with nonsense) gives none rather than a wrong one.
    void theSizeAnOpeningReplyNames_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<qint64>("size");
        QTest::newRow("proftpd") << QByteArray("150 Opening BINARY mode data connection for notes.txt (48213 bytes)") << qint64(48213);
        QTest::newRow("vsftpd, one byte") << QByteArray("150 Opening BINARY mode data connection for a (1 byte).") << qint64(1);
        QTest::newRow("a name holding a size") << QByteArray("150 Opening BINARY mode data connection for x (12 bytes).txt (500 bytes)") << qint64(500);
        QTest::newRow("upper case") << QByteArray("125 Transfer starting (2048 BYTES)") << qint64(2048);
        QTest::newRow("IIS, none") << QByteArray("125 Data connection already open; Transfer starting.") << qint64(-1);
        QTest::newRow("pyftpdlib, none") << QByteArray("150 File status okay. About to open data connection.") << qint64(-1);
        QTest::newRow("Pure-FTPd, not exact") << QByteArray("150 2.4 kbytes to download") << qint64(-1);
        QTest::newRow("past belief") << QByteArray("150 Opening (123456789012345678901234 bytes)") << qint64(-1);
    }
    void theSizeAnOpeningReplyNames()
    {
        QFETCH(QByteArray, reply);
        QFETCH(qint64, size);
        QCOMPARE(AnnouncedTransferSize(reply), size);
    }

    void everyServerGivesTheSameEntries_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("mlsd");
        QTest::addColumn<bool>("showsLinks");
        QTest::newRow("vsftpd LIST") << "vsftpd.txt" << false << true;
        QTest::newRow("ProFTPD LIST") << "proftpd.txt" << false << true;
        QTest::newRow("Pure-FTPd LIST") << "pure-ftpd.txt" << false << true;
        QTest::newRow("IIS DOS LIST") << "iis-dos.txt" << false << false;
        QTest::newRow("ls long-iso LIST") << "gnu-ls-long-iso.txt" << false << true;
        QTest::newRow("ProFTPD MLSD") << "proftpd-mlsd.txt" << true << true;
        QTest::newRow("Pure-FTPd MLSD") << "pure-ftpd-mlsd.txt" << true << true;
    }
    // Links are asked about (whether they lead to folders) in every form a
    // server marks them, once per listing; a link the server does not call a
    // folder stays a file.
    void everyServerGivesTheSameEntries()
    {
        QFETCH(QString, file);
        QFETCH(bool, mlsd);
        QFETCH(bool, showsLinks);
        const QByteArray listing = Recorded(file);
        const QByteArray folder = "/users/tarnwardens/";
        QList<QByteArrayList> asked;
        const auto noFolders = [&](const QByteArrayList& links) {
            asked << links;
            return QSet<QByteArray>();
        };
        const QByteArray entries = mlsd ? FolderListing::FromMlsd(listing, folder, noFolders)
                                        : FolderListing::FromList(listing, folder, noFolders);
        QCOMPARE(entries, QByteArray("news/\r\nimages/\r\nold stuff/\r\nindex.html\r\n"
                                     "about us.html\r\n.htaccess\r\nlatest.html\r\n"
                                     "caf\xc3\xa9.html\r\n"));
        QCOMPARE(asked, showsLinks ? QList<QByteArrayList>{{"latest.html"}} : QList<QByteArrayList>{});
    }

    void unixLinesInEveryDateForm_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("entry");
        QTest::newRow("time") << QByteArray("-rw-r--r-- 1 o g 12 Mar  4 09:12 a.html") << QByteArray("a.html");
        QTest::newRow("year") << QByteArray("-rw-r--r-- 1 o g 12 Mar  4  2019 a.html") << QByteArray("a.html");
        QTest::newRow("seconds") << QByteArray("-rw-r--r-- 1 o g 12 Mar  4 09:12:59 a.html") << QByteArray("a.html");
        QTest::newRow("iso") << QByteArray("-rw-r--r-- 1 o g 12 2024-03-04 09:12 a.html") << QByteArray("a.html");
        QTest::newRow("no group") << QByteArray("-rw-r--r-- 1 o 12 Mar 4 09:12 a.html") << QByteArray("a.html");
        QTest::newRow("device size") << QByteArray("crw-rw-rw- 1 o g 1, 3 Mar 4 09:12 null") << QByteArray("null");
        QTest::newRow("acl mark") << QByteArray("drwxr-xr-x+ 2 o g 4096 Mar 4 09:12 news") << QByteArray("news/");
        QTest::newRow("owner like a month") << QByteArray("-rw-r--r-- 1 jun 1000 2048 Mar 4 09:12 a.html") << QByteArray("a.html");
        QTest::newRow("owner like a month, gid") << QByteArray("-rw-r--r-- 1 may 12 2019 Mar 4 09:12 a") << QByteArray("a");
        QTest::newRow("both like months") << QByteArray("drwxr-xr-x 2 jun dec 4096 Dec 31 2022 old") << QByteArray("old/");
        QTest::newRow("no link count") << QByteArray("-rw-r--r-- o 12 Mar 4 09:12 a.html") << QByteArray("a.html");
        QTest::newRow("month as name") << QByteArray("-rw-r--r-- 1 o g 12 Mar 4 09:12 Jan 5 10:00 x") << QByteArray("Jan 5 10:00 x");
        QTest::newRow("leading blank kept") << QByteArray("-rw-r--r-- 1 o g 12 Mar  4 09:12  lead.txt") << QByteArray(" lead.txt");
        QTest::newRow("arrow in a file name") << QByteArray("-rw-r--r-- 1 o g 12 Mar 4 09:12 a -> b") << QByteArray("a -> b");
        QTest::newRow("link to a folder") << QByteArray("lrwxrwxrwx 1 o g 4 Mar 4 09:12 up -> ../x") << QByteArray("up");
        QTest::newRow("not a permission word") << QByteArray("-rw-r--r--x 1 o g 12 Mar 4 09:12 a") << QByteArray();
        QTest::newRow("no date") << QByteArray("-rw-r--r-- 1 o g 12 yesterday a.html") << QByteArray();
        QTest::newRow("blanks inside") << QByteArray("-rw-r--r-- 1 o g 12 Dec 31 2023 my  file.txt") << QByteArray("my  file.txt");
        QTest::newRow("dot entry") << QByteArray("drwxr-xr-x 2 o g 4096 Jan 5 10:00 ..") << QByteArray();
        QTest::newRow("total line") << QByteArray("total 12") << QByteArray();
        QTest::newRow("DOS 24 hours") << QByteArray("2024-03-04  21:12  <DIR>  new folder") << QByteArray("new folder/");
        QTest::newRow("DOS apart AM") << QByteArray("03/04/2024  09:12 AM  1874 a.html") << QByteArray("a.html");
        QTest::newRow("DOS without size") << QByteArray("03-04-24  09:12AM  a.html") << QByteArray();
    }
    void unixLinesInEveryDateForm()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, entry);
        QCOMPARE(FolderListing::FromList(line + "\r\n"),
                 entry.isEmpty() ? QByteArray() : entry + "\r\n");
    }

    // A hostile or broken server never makes the explorer reach outside
    // the listed folder: whatever is not one plain name of it is dropped.
    void namesThatAreNoPlainNameOfTheFolderAreDropped()
    {
        const QByteArray folder = "/users/tarnwardens/news";
        const QByteArray list = FileLine("../../etc/passwd") + FileLine("/etc/passwd") +
                                FileLine("..") + FileLine("a\\..\\b.html") +
                                FileLine("tab\there.html") + FileLine("/users/tarnwardens/other/x.html") +
                                FileLine("/users/tarnwardens/news/inside.html") +
                                FileLine("kept.html");
        QCOMPARE(FolderListing::FromList(list, folder), QByteArray("inside.html\r\nkept.html\r\n"));
        // Without the listed path no path is understood.
        QCOMPARE(FolderListing::FromList(FileLine("/users/tarnwardens/news/inside.html")),
                 QByteArray());

        // Facts in any letter case, blank lines and bare LF line ends.
        const QByteArray mlsd = "type=file;size=1; ../secret\r\n"
                                "type=dir;size=1; ..\r\n"
                                "Type=DIR;perm=el; Archive 2023\n\r\n"
                                "type=file;size=1; /users/tarnwardens/news/a.html\r\n"
                                "size=1; no type\r\n"
                                "type=file;size=1; b.html\r\n";
        QCOMPARE(FolderListing::FromMlsd(mlsd, folder + "/"),
                 QByteArray("Archive 2023/\r\na.html\r\nb.html\r\n"));
    }

    // "LS" of one file's path: servers list it by name or by the path asked.
    // The listing text is read line by line, names as they stand.
    void aListedFileComesBackByNameAndListingTextIsReadAsItStands()
    {
        const QByteArray path = "/users/tarnwardens/news/today.html";
        QCOMPARE(FolderListing::FromList(FileLine(path), path), "today.html\r\n");
        QCOMPARE(FolderListing::FromList(FileLine("today.html"), path), "today.html\r\n");

        const FolderListing::Entries entries = FolderListing::ReadListingText(
            QStringLiteral("news/\r\n   \r\n\r\n ./\r\n.htaccess\r\n two words \r\n"
                           "._skiff.0123456789ab.a.html\r\nlast"));
        QCOMPARE(entries.folders, (QStringList{"news", " ."}));
        QCOMPARE(entries.files, (QStringList{".htaccess", " two words ", "last"}));
    }
};

QTEST_GUILESS_MAIN(TestFtpText)
#include "tst_ftp_text.moc"
