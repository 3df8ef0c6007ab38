// The shared files window against the local site: fetching and checking the
// control file, its recovery from the server's backup, the rows and their
// pictures, the preview, icon positions, sorting, raw commands and closing.

#include "ScriptedServices.h"
#include "SharedFilesFixture.h"

#include "app/GlobalState.h"
#include "app/Settings.h"
#include "store/FileVersions.h"
#include "transport/Inet.h"
#include "ui/frmSetLocalDir.h"
#include "ModalDriver.h"

#include "ui/filelist/SplitterBar.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QtTest>

using namespace modSkiff;

namespace {

// The FTP commands of the log, without the connection's own chatter.
QStringList commandsOf(const QStringList& log)
{
    static const QStringList noise = {"USER", "PASS", "PWD", "TYPE", "PASV", "EPSV", "SYST",
                                      "FEAT", "OPTS", "SIZE", "MDTM", "REST"};
    QStringList commands;
    for (const QString& line : log)
        if (!noise.contains(line.section(' ', 0, 0).toUpper()))
            commands << line;
    return commands;
}

const QStringList kFourFiles = {
    RecordLine("alpha.txt", 3, "", "Ann", "first", "Ann: one"),
    RecordLine("Beta.GIF", 2, "Bob", "Bob", "second", "Bob: two"),
    RecordLine("gamma.tar.txt", 1, "ann", "Ann", "third", "Ann: three"),
    RecordLine("README", 10, "", "", "fourth", "Cy: four"),
};

} // namespace

class TestFileList : public QObject
{
    Q_OBJECT

    SiteServer* m_site = nullptr;

private slots:
    void initTestCase()
    {
        m_site = new SiteServer;
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void cleanupTestCase() { delete m_site; }
    void init()
    {
        QFile::remove(m_site->sitePath("qxg/_files.txt.backup"));
        m_site->clearLog();
    }

    void listsEveryRecordWithItsColumns()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, kFourFiles);
        FileVersions::Set("alpha.txt", 3);
        FileVersions::Set("beta.gif", 1);
        QVERIFY(ann.open());
        QVERIFY(services.shown.isEmpty());
        QCOMPARE(ann.list()->count(), 4);
        QCOMPARE(ann.list()->columnCount(), 7);
        const QStringList keys = {"filename", "owner", "comment", "desc", "author", "ver", "myver"};
        const QStringList captions = {"File Name",        "Checked Out", "Last Updated By",
                                      "File Description", "Owner",       "Latest Version",
                                      "My Version"};
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(ann.list()->column(i).key, keys.at(i));
            QCOMPARE(ann.list()->column(i).text, captions.at(i));
        }
        ListItem* beta = ann.row("beta.gif");
        QVERIFY(beta);
        QCOMPARE(beta->key(), QStringLiteral("beta.gif"));
        QCOMPARE(beta->text(), QStringLiteral("Beta.GIF"));
        QCOMPARE(beta->subItem("owner"), QStringLiteral("Bob"));
        QCOMPARE(beta->subItem("ver"), QStringLiteral("2"));
        QCOMPARE(beta->subItem("myver"), QStringLiteral("1"));
        QCOMPARE(beta->subItem("author"), QStringLiteral("Bob"));
        QCOMPARE(beta->subItem("desc"), QStringLiteral("second"));
        QCOMPARE(beta->subItem("comment"), QStringLiteral("Bob: two"));
        QVERIFY(!beta->selected());
        // alpha up to date, Beta out of date (held by Bob: "old", not "locked"),
        // gamma held by "ann" in another case: open; README never fetched: new.
        QCOMPARE(ann.window()->LastCountOfCheckedOutFiles, short(1));
        QCOMPARE(ann.window()->LastCountOfOutdatedFiles, short(2));
        QVERIFY(ann.list()->isEnabled());
    }

    void picturesFollowTheMarkingOptions()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, kFourFiles);
        FileVersions::Set("alpha.txt", 3);
        FileVersions::Set("beta.gif", 1);
        for (const char* key : {"/ShowOutOfDateAsRed", "/ShowUpToDateAsBlue",
                                "/ShowCheckedOutAsGreen", "/ShowUnavailableAsYellow"})
            SaveSetting("Icons", key, "No");
        QVERIFY(ann.open());
        // Off: the file-type picture wherever the image list has one, else the state.
        QCOMPARE(ann.row("alpha.txt")->smallIcon(), QStringLiteral(".txt"));
        QCOMPARE(ann.row("beta.gif")->smallIcon(), QStringLiteral(".gif"));
        QCOMPARE(ann.row("gamma.tar.txt")->smallIcon(), QStringLiteral(".txt"));
        QCOMPARE(ann.row("readme")->smallIcon(), QStringLiteral("new"));

        // Green on: only the row held by the member switches to its state.
        SaveSetting("Icons", "/ShowCheckedOutAsGreen", "Yes");
        QVERIFY(ann.window()->UpdateFileList());
        QCOMPARE(ann.row("gamma.tar.txt")->smallIcon(), QStringLiteral("open"));
        QCOMPARE(ann.row("alpha.txt")->smallIcon(), QStringLiteral(".txt"));
        QCOMPARE(ann.row("beta.gif")->smallIcon(), QStringLiteral(".gif"));

        // The defaults: out of date in red, nothing else marked; "yes" is not "Yes".
        SaveSetting("Icons", "/ShowCheckedOutAsGreen", "yes");
        SaveSetting("Icons", "/ShowOutOfDateAsRed", "Yes");
        QVERIFY(ann.window()->UpdateFileList());
        QCOMPARE(ann.row("beta.gif")->smallIcon(), QStringLiteral("old"));
        QCOMPARE(ann.row("gamma.tar.txt")->smallIcon(), QStringLiteral(".txt"));

        SaveSetting("Icons", "/ShowUnavailableAsYellow", "Yes");
        SaveSetting("Icons", "/ShowUpToDateAsBlue", "Yes");
        FileVersions::Set("beta.gif", 2);
        QVERIFY(ann.window()->UpdateFileList());
        QCOMPARE(ann.row("beta.gif")->smallIcon(), QStringLiteral("locked"));
        QCOMPARE(ann.row("alpha.txt")->smallIcon(), QStringLiteral("unlocked"));
    }

    void incompleteFileIsFetchedTwiceThenRestoredFromTheBackup()
    {
        ScriptedServices services;
        Member ann("Ann");
        QStringList eleven;
        for (int i = 1; i <= 11; ++i)
            eleven << RecordLine(QString("file%1.txt").arg(i), 1);
        PublishControlFile(*m_site, eleven, 12);
        m_site->writeSiteFile("qxg/_files.txt.backup",
                              "2.0.3\r\n2\r\n" + RecordLine("saved.txt", 4).toLatin1() + "\r\n" +
                                  RecordLine("kept.doc", 2).toLatin1() + "\r\n");
        services.answer(vbOK);
        QVERIFY(ann.open());

        QCOMPARE(services.shown.size(), 1);
        const ShownMessage message = services.last();
        QCOMPARE(message.style, int(vbOKCancel | vbCritical));
        QVERIFY(message.prompt.startsWith(
            "Skiff detected a corrupt or missing _files.txt on the server. This is probably the "
            "result of Skiff crashing the last time that you or another user was checking in, "
            "checking out, or adding files.\r\n\r\nSkiff will now try to restore _files.txt from "
            "a backup on the server.: If this fails, please email a copy of the _files.txt.backup "
            "file from your computer to Orrin.  This file should be found at " +
            ann.env.localFolder() + ".\r\n\r\n"));
        QVERIFY(message.prompt.endsWith(
            "(ERR: 12 files expected, 11 files found))\r\n\r\nPress <OK> to attempt to restore "
            "_files.txt from the server backup."));

        // Fetched twice, the second time on a fresh connection, before asking.
        // (The very first "QUIT" has no connection to close, so the server never sees it.)
        const QStringList commands = commandsOf(m_site->ftpLog());
        const QString cwd = QStringLiteral("CWD /users/tarnwardens/qxg");
        QCOMPARE(commands.mid(0, 2), (QStringList{cwd, "RETR _files.txt"}));
        QCOMPARE(commands.mid(2, 2), (QStringList{"QUIT", cwd}));
        QCOMPARE(commands.mid(4, 3), (QStringList{"QUIT", cwd, "RETR _files.txt"}));
        // Then the server's backup became the list: this member kept no copy of
        // their own, so the one fetched from the server went back up.
        QVERIFY(commands.contains("RETR _files.txt.backup"));
        QVERIFY(commands.contains("STOR _files.txt"));
        QCOMPARE(ann.list()->count(), 2);
        QVERIFY(ann.row("saved.txt") && ann.row("kept.doc"));
        QCOMPARE(services.endProgramCalls, 0);
        QCOMPARE(SiteControlFile(*m_site).listedCount(), 2);
    }

    void recoveryUploadsTheMembersOwnBackupWhenThereIsOne()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, {}, 5);
        m_site->writeSiteFile("qxg/_files.txt.backup",
                              "2.0.3\r\n1\r\n" + RecordLine("server.txt", 1).toLatin1() + "\r\n");
        ann.env.writeLocal("_files.txt.backup",
                           "2.0.3\r\n1\r\n" + RecordLine("mine.txt", 7).toLatin1() + "\r\n");
        services.answer(vbOK);
        QVERIFY(ann.open());
        QCOMPARE(services.shown.size(), 1);
        QVERIFY(services.last().prompt.contains("(ERR: 5 files expected, 0 files found))"));
        QCOMPARE(ann.list()->count(), 1);
        QVERIFY(ann.row("mine.txt"));
    }

    void failedRecoveryAsksAgainAtOnce()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, {}, 5);
        m_site->writeSiteFile("qxg/_files.txt.backup", "2.0.3\r\n");
        services.answer(vbOK);
        services.answer(vbCancel);
        QVERIFY(!ann.open());
        QCOMPARE(services.shown.size(), 2);
        QVERIFY(services.shown.at(1).prompt.contains("(ERR: file is incomplete)"));
        QCOMPARE(services.endProgramCalls, 1);
    }

    void cancellingRecoveryEndsTheProgramAndLeavesTheServerAlone()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, {RecordLine("a.txt", 1)}, 3);
        const QByteArray before = m_site->readSiteFile("qxg/_files.txt");
        services.answer(vbCancel);
        QVERIFY(!ann.open());
        QCOMPARE(services.endProgramCalls, 1);
        QCOMPARE(m_site->readSiteFile("qxg/_files.txt"), before);
        for (const QString& line : m_site->ftpLog())
            QVERIFY2(!line.startsWith("STOR") && !line.startsWith("DELE") &&
                         !line.startsWith("RNFR"),
                     qPrintable(line));
    }

    void statusesOfUnusableControlFiles_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("status");
        QTest::newRow("missing") << QByteArray() << false << "file not found";
        QTest::newRow("empty") << QByteArray() << true << "file is empty";
        QTest::newRow("release line only") << QByteArray("2.0.3\r\n") << true
                                           << "file is incomplete";
        QTest::newRow("empty names are not listed")
            << QByteArray("2.0.3\r\n2\r\n\"a.txt\",1,\"\",\"\",\"\",\"\"\r\n\"\",1,\"\",\"\",\"\",\"\"\r\n")
            << true << "2 files expected, 1 files found)";
    }
    void statusesOfUnusableControlFiles()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, present);
        QFETCH(QString, status);
        ScriptedServices services;
        Member ann("Ann");
        QFile::remove(m_site->sitePath("qxg/_files.txt"));
        if (present)
            m_site->writeSiteFile("qxg/_files.txt", contents);
        services.answer(vbCancel);
        QVERIFY(!ann.open());
        QCOMPARE(services.shown.size(), 1);
        QVERIFY2(services.last().prompt.contains("(ERR: " + status + ")"),
                 qPrintable(services.last().prompt));
    }

    void unreachableServerIsAFailedFetchNotACorruptFile()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, kFourFiles);
        QVERIFY(ann.open());
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        ann.window()->inet->RemotePort = probe.serverPort();
        probe.close(); // nothing listens there any more
        QVERIFY(!ann.window()->UpdateFileList());
        QCOMPARE(services.shown.size(), 1);
        QCOMPARE(services.last().icon(), int(vbCritical));
        QVERIFY2(services.last().prompt.contains("Connection refused"),
                 qPrintable(services.last().prompt));
        QCOMPARE(services.endProgramCalls, 0);
        QVERIFY(ann.window()->isVisible());
        // Once the server is back, a refresh lists the files again.
        ann.window()->inet->RemotePort = 0;
        QVERIFY(ann.window()->UpdateFileList());
        QCOMPARE(ann.list()->count(), 4);
        QVERIFY(ann.list()->isEnabled());
    }

    void newerReleaseClosesTheWindow()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, {RecordLine("a.txt", 1)}, 1, "2.1.0");
        const QByteArray before = m_site->readSiteFile("qxg/_files.txt");
        QVERIFY(!ann.open());
        QCOMPARE(services.prompts(),
                 QStringList{"Skiff has been updated to version 2.1.0\r\nYou are currently using "
                             "version 2.0.3\r\n\r\nPlease get version 2.1.0 from Orrin."});
        QCOMPARE(services.last().style, int(vbCritical));
        QTRY_VERIFY(!ann.window());
        QCOMPARE(m_site->readSiteFile("qxg/_files.txt"), before);
    }

    void unreadableVersionShowsTheErrorAndKeepsTheRowsReadSoFar()
    {
        ScriptedServices services;
        Member ann("Ann");
        m_site->writeSiteFile("qxg/_files.txt",
                              "2.0.3\r\n3\r\n" + RecordLine("a.txt", 1).toLatin1() +
                                  "\r\n\"b.txt\",abc,\"\",\"\",\"\",\"\"\r\n" +
                                  RecordLine("c.txt", 1).toLatin1() + "\r\n");
        QVERIFY(!ann.open());
        QCOMPARE(services.prompts(), QStringList{"Type mismatch"});
        QCOMPARE(services.last().icon(), int(vbCritical));
        QVERIFY(ann.row("a.txt"));
        QVERIFY(!ann.row("c.txt"));
    }

    void previewShowsPicturesTextAndMessages()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, kFourFiles);
        QVERIFY(QFile::copy(SiteServer::DemoSite() + "/qxg/boat.gif", ann.env.localPath("Beta.GIF")));
        ann.env.writeLocal("gamma.tar.txt", "caf\xE9 au lait\r\n");
        QVERIFY(ann.open());
        frmFileList* window = ann.window();

        emit window->lvwFileList->itemClick(ann.row("beta.gif"));
        QVERIFY(!window->picPreview->pixmap().isNull());
        QVERIFY(window->txtPreview->isHidden());

        emit window->lvwFileList->itemClick(ann.row("gamma.tar.txt"));
        QVERIFY(window->picPreview->pixmap().isNull());
        QVERIFY(!window->txtPreview->isHidden());
        QCOMPARE(window->txtPreview->toPlainText(), QString::fromUtf8("café au lait\n"));

        emit window->lvwFileList->itemClick(ann.row("alpha.txt"));
        QCOMPARE(window->txtPreview->toPlainText(),
                 QStringLiteral("alpha.txt does not exist on the local hard drive!"));
        emit window->lvwFileList->itemClick(ann.row("readme"));
        QCOMPARE(window->txtPreview->toPlainText(), QStringLiteral("No Preview Availble: README"));
        QFile::remove(ann.env.localPath("Beta.GIF"));
        emit window->lvwFileList->itemClick(ann.row("beta.gif"));
        QVERIFY(window->picPreview->pixmap().isNull());
        QCOMPARE(window->txtPreview->toPlainText(),
                 QStringLiteral("Beta.GIF does not exist on the local hard drive!"));

        // With the pane switched off nothing is previewed and the list takes the width.
        SaveSetting("Settings", "ShowPreviewPane", "No");
        window->LayoutWindow();
        emit window->lvwFileList->itemClick(ann.row("gamma.tar.txt"));
        QCOMPARE(window->txtPreview->toPlainText(),
                 QStringLiteral("Beta.GIF does not exist on the local hard drive!"));
        QVERIFY(window->picPreview->isHidden());
        QCOMPARE(window->lvwFileList->width(), window->centralWidget()->width());
    }

    void iconPositionsSurviveRefreshesOnlyInSmallIconView()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, kFourFiles);
        SaveSetting("Icons", "/CurrentView", "1");
        QVERIFY(ann.open());
        QCOMPARE(ann.list()->view(), 1);
        ann.list()->setItemPosition(ann.row("alpha.txt"), QPoint(200, 150));
        QVERIFY(ann.window()->UpdateFileList());
        QCOMPARE(ann.list()->itemPosition(ann.row("alpha.txt")), QPoint(200, 150));
        QCOMPARE(GetSetting("Icons", "alpha.txt", ""), QStringLiteral("200,150"));

        // Details view never saves positions.
        const QString saved = GetSetting("Icons", "beta.gif", "none");
        QVERIFY(saved != QLatin1String("300,10"));
        ann.list()->setView(3);
        ann.list()->setItemPosition(ann.row("beta.gif"), QPoint(300, 10));
        QVERIFY(ann.window()->UpdateFileList());
        QCOMPARE(GetSetting("Icons", "beta.gif", "none"), saved);
        services.answer(vbNo); // leave although a file is checked out
        ann.window()->close();
        QCOMPARE(GetSetting("Icons", "/CurrentView", ""), QStringLiteral("3"));
        QCOMPARE(GetSetting("Icons", "beta.gif", "none"), saved);
    }

    void sortingByAColumnTwiceReversesIt()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, kFourFiles);
        QVERIFY(ann.open());
        auto order = [&] {
            QStringList names;
            for (ListItem* item : ann.list()->items())
                names << item->text();
            return names;
        };
        const int latest = ann.list()->columnIndex("ver");
        emit ann.list()->columnClick(latest);
        QCOMPARE(order(), (QStringList{"gamma.tar.txt", "Beta.GIF", "alpha.txt", "README"}));
        emit ann.list()->columnClick(latest);
        QCOMPARE(order(), (QStringList{"README", "alpha.txt", "Beta.GIF", "gamma.tar.txt"}));
    }

    void rawCommandShowsTheReply()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, kFourFiles);
        PublishSharedFile(*m_site, "alpha.txt", "a");
        QVERIFY(ann.open());
        frmFileList* window = ann.window();
        window->txtCommands->setText("ls alpha.txt");
        QTest::keyClick(window->txtCommands, Qt::Key_Return);
        QCOMPARE(window->txtCommands->selectedText(), QStringLiteral("ls alpha.txt"));
        QTRY_VERIFY(window->txtResults->toPlainText().contains("alpha.txt"));
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Skiff - Transfer Complete"));
        QVERIFY(window->GetChunkData.contains("alpha.txt"));
        QVERIFY(!m_site->ftpLog().filter("alpha.txt").isEmpty());
    }

    void closingAsksAboutCheckedOutFiles_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("one, Cancel") << 1 << int(vbCancel) << false;
        QTest::newRow("three, Yes") << 3 << int(vbYes) << false;
        QTest::newRow("three, No") << 3 << int(vbNo) << true;
    }
    void closingAsksAboutCheckedOutFiles()
    {
        QFETCH(int, held);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        ScriptedServices services;
        Member ann("Ann");
        QStringList records;
        for (int i = 0; i < 3; ++i)
            records << RecordLine(QString("f%1.txt").arg(i), 1, i < held ? "Ann" : "");
        PublishControlFile(*m_site, records);
        QVERIFY(ann.open());
        services.answer(answer);
        ann.window()->close();
        QCOMPARE(services.shown.size(), 1);
        QCOMPARE(services.last().prompt,
                 QString("You currently have %1 file%2 checked out.  Would you like to view the "
                         "list of checked out files?\r\n\r\n<Yes> - View Checked Out Files\r\n"
                         "<No> - Exit Skiff")
                     .arg(held)
                     .arg(held == 1 ? "" : "s"));
        QCOMPARE(services.last().style, int(vbYesNoCancel | vbQuestion));
        if (closes)
            QTRY_VERIFY(!ann.window());
        else
            QVERIFY(ann.window() && ann.window()->isVisible());
        QVERIFY(!QGuiApplication::overrideCursor());

        // Not asked when the member turned the question off.
        if (!closes) {
            SaveSetting("Settings", "ShowCheckedOutFilesOnExit", "No");
            ann.window()->close();
            QCOMPARE(services.shown.size(), 1);
            QTRY_VERIFY(!ann.window());
        }
    }

    void closingWaitsAtMostFiveSecondsForAHangingServer()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, {RecordLine("a.txt", 1)});
        QVERIFY(ann.open());
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const QByteArray timeout = qgetenv("SKIFF_NET_TIMEOUT");
        qputenv("SKIFF_NET_TIMEOUT", "60");
        frmFileList* window = ann.window();
        window->inet->Execute("QUIT");
        window->inet->RemotePort = silent.serverPort();
        window->inet->Execute("ls a.txt"); // never answered
        QElapsedTimer clock;
        clock.start();
        window->close();
        const qint64 elapsed = clock.elapsed();
        qputenv("SKIFF_NET_TIMEOUT", timeout);
        QVERIFY2(elapsed >= 4500 && elapsed < 8000, qPrintable(QString::number(elapsed)));
        QTRY_VERIFY(!ann.window());
    }

    void closingDuringARefreshWaitsForItsEnd()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, kFourFiles);
        QVERIFY(ann.open());
        frmFileList* window = ann.window();
        services.answer(vbNo); // gamma.tar.txt is checked out: leave anyway
        bool closeAsked = false;
        // The member closes the window while the refresh waits for the server.
        connect(window->inet, &Inet::StateChanged, window, [&] {
            if (!closeAsked) {
                closeAsked = true;
                window->close();
            }
        });
        QVERIFY(window->UpdateFileList());
        QVERIFY(closeAsked);
        QCOMPARE(window->lvwFileList->count(), 4);
        QTRY_VERIFY(!ann.window());
        QCOMPARE(services.shown.size(), 1);
    }

    void changingTheLocalFolderNeedsNoFilesCheckedOut()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, {RecordLine("a.txt", 1, "Ann")});
        QVERIFY(ann.open());
        ann.window()->cmdSetLocalFolder->click();
        QCOMPARE(services.prompts(), QStringList{"You still have files checked out"});
        QCOMPARE(services.last().style, int(vbOKOnly));

        // The test is exact: "ann" is not "Ann", so the chooser opens.
        PublishControlFile(*m_site, {RecordLine("a.txt", 1, "ann")});
        QVERIFY(ann.window()->UpdateFileList());
        bool opened = false;
        WhenShown<frmSetLocalDir>([&](frmSetLocalDir* chooser) {
            opened = true;
            chooser->cmdCancel->click();
        });
        ann.window()->mnuFileSetLocalFolder->trigger();
        QVERIFY(opened);
        QCOMPARE(LocalFolder, ann.env.localFolder());
    }

    void windowLooksAsDesigned()
    {
        ScriptedServices services;
        Member kestrel("Kestrel", 4);
        PublishControlFile(*m_site, kFourFiles);
        QVERIFY(kestrel.open());
        frmFileList* window = kestrel.window();
        QCOMPARE(window->objectName(), QStringLiteral("frmFileList"));
        QVERIFY(window->mnuFileUsers->isEnabled());
        QVERIFY(window->mnuActionsEditFileDetails->isEnabled());
        QCOMPARE(window->mnuActions->defaultAction(), window->mnuActionsOpenFile);
        QCOMPARE(window->mnuActionsReadOnly->text(),
                 QStringLiteral("R&ead Only (Local File Attributes)"));
        for (const char* name : {"mnuFileBreak1", "mnuFileBreak2", "mnuFileBreak3",
                                 "mnuActionsBreak2", "mnuActionsOwnerOptionsBreak",
                                 "mnuActionsAdminOptionsBreak"})
            QVERIFY2(window->findChild<QAction*>(name), name);

        // The toolbar toggle is remembered.
        QVERIFY(!window->picToolBar->isHidden());
        window->mnuViewToolbar->trigger();
        QVERIFY(window->picToolBar->isHidden());
        QVERIFY(!window->mnuViewToolbar->isChecked());
        QCOMPARE(GetSetting("Settings", "ViewToolbar", ""), QStringLiteral("0"));
        QCOMPARE(window->lvwFileList->y(), 0);

        Member pip("Pip", 2);
        QVERIFY(pip.open());
        QVERIFY(!pip.window()->mnuFileUsers->isEnabled());
        QVERIFY(!pip.window()->mnuActionsEditFileDetails->isEnabled());
        QVERIFY(pip.window()->picToolBar->isHidden() == false);
    }

    void splitterDropMovesThePaneBorder()
    {
        ScriptedServices services;
        Member ann("Ann");
        PublishControlFile(*m_site, kFourFiles);
        QVERIFY(ann.open());
        frmFileList* window = ann.window();
        window->resize(1000, 600);
        window->LayoutWindow();
        const int drop = 400; // in the list's coordinates
        QTest::mousePress(window->picResize1, Qt::LeftButton, {}, QPoint(2, 20));
        const QPoint target = window->picResize1->mapFromGlobal(
            window->lvwFileList->mapToGlobal(QPoint(drop, 20)));
        QTest::mouseRelease(window->picResize1, Qt::LeftButton, {}, target);
        // The bar's centre rests where it was dropped.
        QCOMPARE(window->picResize1->x() + window->picResize1->width() / 2,
                 window->lvwFileList->x() + drop);
    }
};

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
