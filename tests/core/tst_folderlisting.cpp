// Folder listings as the explorer reads them, from the recorded listings of
// common FTP servers (tests/data/listings) and from hostile ones.

#include "transport/FolderListing.h"

#include <QFile>
#include <QtTest>

class TestFolderListing : public QObject
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
    void everyServerGivesTheSameEntries_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("mlsd");
        QTest::newRow("vsftpd LIST") << "vsftpd.txt" << false;
        QTest::newRow("ProFTPD LIST") << "proftpd.txt" << false;
        QTest::newRow("Pure-FTPd LIST") << "pure-ftpd.txt" << false;
        QTest::newRow("IIS DOS LIST") << "iis-dos.txt" << false;
        QTest::newRow("ls long-iso LIST") << "gnu-ls-long-iso.txt" << false;
        QTest::newRow("ProFTPD MLSD") << "proftpd-mlsd.txt" << true;
        QTest::newRow("Pure-FTPd MLSD") << "pure-ftpd-mlsd.txt" << true;
    }
    void everyServerGivesTheSameEntries()
    {
        QFETCH(QString, file);
        QFETCH(bool, mlsd);
        const QByteArray listing = Recorded(file);
        const QByteArray folder = "/users/tarnwardens/";
        const QByteArray entries =
            mlsd ? FolderListing::FromMlsd(listing, folder) : FolderListing::FromList(listing, folder);
        QCOMPARE(entries, QByteArray("news/\r\nimages/\r\nold stuff/\r\nindex.html\r\n"
                                     "about us.html\r\n.htaccess\r\nlatest.html\r\n"
                                     "caf\xc3\xa9.html\r\n"));
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
        QTest::newRow("month as name") << QByteArray("-rw-r--r-- 1 o g 12 Mar 4 09:12 Jan 5 10:00 x") << QByteArray("Jan 5 10:00 x");
        QTest::newRow("leading blank kept") << QByteArray("-rw-r--r-- 1 o g 12 Mar  4 09:12  lead.txt") << QByteArray(" lead.txt");
        QTest::newRow("arrow in a file name") << QByteArray("-rw-r--r-- 1 o g 12 Mar 4 09:12 a -> b") << QByteArray("a -> b");
        QTest::newRow("link to a folder") << QByteArray("lrwxrwxrwx 1 o g 4 Mar 4 09:12 up -> ../x") << QByteArray("up");
        QTest::newRow("not a permission word") << QByteArray("-rw-r--r--x 1 o g 12 Mar 4 09:12 a") << QByteArray();
        QTest::newRow("no date") << QByteArray("-rw-r--r-- 1 o g 12 yesterday a.html") << QByteArray();
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

        const QByteArray mlsd = "type=file;size=1; ../secret\r\n"
                                "type=dir;size=1; ..\r\n"
                                "type=file;size=1; /users/tarnwardens/news/a.html\r\n"
                                "size=1; no type\r\n"
                                "type=file;size=1; b.html\r\n";
        QCOMPARE(FolderListing::FromMlsd(mlsd, folder + "/"), QByteArray("a.html\r\nb.html\r\n"));
    }

    // "LS" of one file's path: servers list it by name or by the path asked.
    // The listing text is read line by line, names as they stand.
    void aListedFileComesBackByNameAndListingTextIsReadAsItStands()
    {
        const QByteArray path = "/users/tarnwardens/news/today.html";
        QCOMPARE(FolderListing::FromList(FileLine(path), path), "today.html\r\n");
        QCOMPARE(FolderListing::FromList(FileLine("today.html"), path), "today.html\r\n");

        const FolderListing::Entries entries = FolderListing::ReadListingText(
            QStringLiteral("news/\r\n   \r\n\r\n ./\r\n.htaccess\r\n two words \r\nlast"));
        QCOMPARE(entries.folders, (QStringList{"news", " ."}));
        QCOMPARE(entries.files, (QStringList{".htaccess", " two words ", "last"}));
    }
};

QTEST_GUILESS_MAIN(TestFolderListing)
#include "tst_folderlisting.moc"
