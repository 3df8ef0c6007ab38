// The shared files window against the local site: the rows and their
// pictures, what it does with a control file it cannot use, the preview,
// icon positions, sorting, raw commands and closing.

#include "ModalDriver.h"
#include "SharedFilesFixture.h"

#include "app/GlobalState.h"
#include "app/Settings.h"
#include "store/FileVersions.h"
#include "transport/Inet.h"
#include "ui/filelist/frmCheckedOutFiles.h"
#include "ui/frmSetLocalDir.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace modSkiff;
using namespace FileListColumns;

namespace {

// alpha up to date, Beta out of date and held by Bob ("old", not "locked"),
// gamma held by the member in other letters ("open"), README never fetched.
const QStringList kFourFiles = {
    RecordLine("alpha.txt", 3, "", "Ann", "first", "Ann: one"),
    RecordLine("Beta.GIF", 2, "Bob", "Bob", "second", "Bob: two"),
    RecordLine("gamma.tar.txt", 1, "ann", "Ann", "third", "Ann: three"),
    RecordLine("README", 10, "", "", "fourth", "Cy: four"),
};

} // namespace

class TestFileList : public SharedFilesTestCase
{
    Q_OBJECT

    Member& openFourFiles(unsigned char level = 3)
    {
        PublishControlFile(site(), kFourFiles);
        Member& ann = openAs("Ann", level);
        FileVersions::Set("alpha.txt", 3);
        FileVersions::Set("beta.gif", 1);
        ann.window()->UpdateFileList();
        return ann;
    }

private slots:
    void listsEveryRecordWithItsState()
    {
        Member& ann = openFourFiles();
        QCOMPARE(ann.list()->count(), 4);
        ListItem* beta = ann.row("beta.gif");
        QCOMPARE(beta->text(), QStringLiteral("Beta.GIF"));
        QStringList cells;
        for (const QString& key :
             {CheckedOut, LatestVersion, MyVersion, Owner, Description, LastUpdatedBy})
            cells << beta->subItem(key);
        QCOMPARE(cells, (QStringList{"Bob", "2", "1", "Bob", "second", "Bob: two"}));
        QCOMPARE(ann.window()->LastCountOfCheckedOutFiles, short(1));
        QCOMPARE(ann.window()->LastCountOfOutdatedFiles, short(2));
        QVERIFY(ann.list()->isEnabled());
    }

    // A marking option switched on shows the state picture (with its
    // colour); off, the file-type picture where there is one.
    void picturesFollowTheMarkingOptions_data()
    {
        QTest::addColumn<QString>("option");    // the one switched on, "" = none
        QTest::addColumn<QStringList>("icons"); // alpha, beta, gamma, readme
        QTest::newRow("none") << "" << QStringList{".txt", ".gif", ".txt", "new"};
        QTest::newRow("out of date")
            << "/ShowOutOfDateAsRed" << QStringList{".txt", "old", ".txt", "new"};
        QTest::newRow("checked out")
            << "/ShowCheckedOutAsGreen" << QStringList{".txt", ".gif", "open", "new"};
        QTest::newRow("up to date")
            << "/ShowUpToDateAsBlue" << QStringList{"unlocked", ".gif", ".txt", "new"};
    }
    void picturesFollowTheMarkingOptions()
    {
        QFETCH(QString, option);
        QFETCH(QStringList, icons);
        PublishControlFile(site(), kFourFiles);
        Member& ann = openAs("Ann");
        // Only "Yes" switches an option on.
        for (const char* key : {"/ShowOutOfDateAsRed", "/ShowUpToDateAsBlue",
                                "/ShowCheckedOutAsGreen", "/ShowUnavailableAsYellow"})
            SaveSetting("Icons", key, option == key ? "Yes" : "yes");
        FileVersions::Set("alpha.txt", 3);
        FileVersions::Set("beta.gif", 1);
        QVERIFY(ann.window()->UpdateFileList());
        QStringList shown;
        for (const char* name : {"alpha.txt", "beta.gif", "gamma.tar.txt", "readme"})
            shown << ann.row(name)->smallIcon();
        QCOMPARE(shown, icons);
    }

    // The check and recovery run inside the rebuild; the window shows the
    // restored list, also for a record it cannot read, and closes for a
    // newer release.
    void controlFilesTheWindowCannotUseAsTheyAre()
    {
        PublishControlFile(site(), {RecordLine("a.txt", 1)}, 3);
        site().writeSiteFile("qxg/_files.txt.backup",
                             "2.0.3\r\n1\r\n" + RecordLine("saved.txt", 4).toLatin1() + "\r\n");
        services().answer(vbOK);
        Member& ann = openAs("Ann");
        QVERIFY(ann.row("saved.txt"));
        QCOMPARE(ann.list()->count(), 1);

        site().writeSiteFile("qxg/_files.txt", "2.0.3\r\n3\r\n" +
                                                   RecordLine("a.txt", 1).toLatin1() +
                                                   "\r\n\"b.txt\",abc,\"\",\"\",\"\",\"\"\r\n");
        services().answer(vbOK);
        QVERIFY(ann.window()->UpdateFileList());
        QVERIFY(services().last().prompt.contains(
            "(ERR: record 2 (b.txt): the version \"abc\" is not a number)"));
        QVERIFY(ann.row("saved.txt"));
        QCOMPARE(ann.list()->count(), 1);

        PublishControlFile(site(), {RecordLine("a.txt", 1)}, 1, "2.1.0");
        services().answer(vbOK);
        ann.window()->cmdRefresh->click();
        QTRY_VERIFY(!ann.window());
    }

    void previewShowsPicturesTextAndMessages()
    {
        Member& ann = openFourFiles();
        QVERIFY(QFile::copy(SiteServer::DemoSite() + "/qxg/boat.gif", "Beta.GIF"));
        ann.env.writeLocal("gamma.tar.txt", "caf\xE9 au lait\r\n");
        frmFileList* window = ann.window();
        auto click = [&](const char* name) { emit ann.list()->itemClick(ann.row(name)); };

        click("beta.gif");
        QVERIFY(!window->picPreview->pixmap().isNull());
        QVERIFY(window->txtPreview->isHidden());
        click("gamma.tar.txt");
        QVERIFY(window->picPreview->pixmap().isNull());
        QCOMPARE(window->txtPreview->toPlainText(), QString::fromUtf8("café au lait\n"));
        click("alpha.txt");
        QCOMPARE(window->txtPreview->toPlainText(),
                 QStringLiteral("alpha.txt does not exist on the local hard drive!"));
        // A record naming a file outside the local folder is never read.
        const QString outside = ann.env.root() + "/outside.txt";
        WriteFileBytes(outside, "not shared");
        PublishControlFile(site(), kFourFiles + QStringList{RecordLine(outside, 1)});
        QVERIFY(window->UpdateFileList());
        emit ann.list()->itemClick(ann.list()->findItem(outside.toLower()));
        QCOMPARE(window->txtPreview->toPlainText(), outside + " is not a valid local file name.");
        click("readme");
        QCOMPARE(window->txtPreview->toPlainText(), QStringLiteral("No Preview Availble: README"));

        // With the pane switched off nothing is previewed and the list takes the width.
        SaveSetting("Settings", "ShowPreviewPane", "No");
        window->LayoutWindow();
        click("gamma.tar.txt");
        QCOMPARE(window->txtPreview->toPlainText(), QStringLiteral("No Preview Availble: README"));
        QCOMPARE(window->lvwFileList->width(), window->centralWidget()->width());
    }

    void iconPositionsSurviveRefreshesOnlyInSmallIconView()
    {
        Member& ann = openFourFiles();
        ann.list()->setView(1);
        ann.list()->setItemPosition(ann.row("alpha.txt"), QPoint(200, 150));
        QVERIFY(ann.window()->UpdateFileList());
        QCOMPARE(ann.list()->itemPosition(ann.row("alpha.txt")), QPoint(200, 150));
        QCOMPARE(GetSetting("Icons", "alpha.txt", ""), QStringLiteral("200,150"));

        // Details view never saves positions.
        ann.list()->setView(3);
        ann.list()->setItemPosition(ann.row("alpha.txt"), QPoint(300, 10));
        QVERIFY(ann.window()->UpdateFileList());
        services().answer(vbNo); // leave although a file is checked out
        ann.window()->close();
        QCOMPARE(GetSetting("Icons", "/CurrentView", ""), QStringLiteral("3"));
        QCOMPARE(GetSetting("Icons", "alpha.txt", ""), QStringLiteral("200,150"));
    }

    // A typed command goes to the server as it stands; a blank one is none.
    void rawCommandsShowTheirReply()
    {
        Member& ann = openFourFiles();
        PublishSharedFile(site(), "alpha.txt", "a");
        frmFileList* window = ann.window();
        for (const char* blank : {"", "   "}) {
            window->txtCommands->setText(blank);
            QTest::keyClick(window->txtCommands, Qt::Key_Return);
        }
        site().clearLog();
        window->txtCommands->setText("ls alpha.txt");
        QTest::keyClick(window->txtCommands, Qt::Key_Return);
        QCOMPARE(window->txtCommands->selectedText(), QStringLiteral("ls alpha.txt"));
        QTRY_VERIFY(window->txtResults->toPlainText().contains("alpha.txt"));
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Skiff - Transfer Complete"));
        QVERIFY(window->GetChunkData.contains("alpha.txt"));
        QCOMPARE(commands(), QStringList{"ls alpha.txt"});
    }

    void closingAsksAboutCheckedOutFiles_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("answer");
        QTest::newRow("one, Cancel") << 1 << int(vbCancel);
        QTest::newRow("two, Yes shows them") << 2 << int(vbYes);
        QTest::newRow("three, No") << 3 << int(vbNo);
    }
    void closingAsksAboutCheckedOutFiles()
    {
        QFETCH(int, held);
        QFETCH(int, answer);
        QStringList records;
        for (int i = 0; i < 3; ++i)
            records << RecordLine(QString("f%1.txt").arg(i), 1, i < held ? "Ann" : "");
        PublishControlFile(site(), records);
        Member& ann = openAs("Ann");
        services().expect(QString("You currently have %1 file%2 checked out.  Would you like to "
                                  "view the list of checked out files?\r\n\r\n<Yes> - View "
                                  "Checked Out Files\r\n<No> - Exit Skiff")
                              .arg(held)
                              .arg(held == 1 ? "" : "s"),
                          vbYesNoCancel | vbQuestion, answer);
        ann.window()->close();
        QVERIFY(!QGuiApplication::overrideCursor());
        if (answer == vbNo) {
            QTRY_VERIFY(!ann.window());
            return;
        }
        QVERIFY(ann.window()->isVisible());
        auto* list = qobject_cast<frmCheckedOutFiles*>(ann.window()->CheckedOutFilesWindow.data());
        QCOMPARE(list != nullptr, answer == vbYes);
        // Not asked when the member turned the question off.
        SaveSetting("Settings", "ShowCheckedOutFilesOnExit", "No");
        ann.window()->close();
        QTRY_VERIFY(!ann.window());
    }

    void closingDuringARefreshWaitsForItsEnd()
    {
        Member& ann = openFourFiles();
        frmFileList* window = ann.window();
        services().answer(vbNo); // gamma.tar.txt is checked out: leave anyway
        bool closeAsked = false;
        connect(window->inet, &Inet::StateChanged, window, [&] {
            if (!std::exchange(closeAsked, true))
                window->close();
        });
        QVERIFY(window->UpdateFileList());
        QVERIFY(closeAsked);
        QCOMPARE(window->lvwFileList->count(), 4);
        QTRY_VERIFY(!ann.window());
    }

    void changingTheLocalFolderNeedsNoFilesCheckedOut()
    {
        PublishControlFile(site(), {RecordLine("a.txt", 1, "Ann")});
        Member& ann = openAs("Ann");
        services().expect("You still have files checked out", vbOKOnly);
        ann.window()->cmdSetLocalFolder->click();

        // The test is exact: "ann" is not "Ann", so the chooser opens.
        PublishControlFile(site(), {RecordLine("a.txt", 1, "ann")});
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

    void administratorsMenusAndTheToolbar()
    {
        Member& kestrel = openFourFiles(4);
        frmFileList* window = kestrel.window();
        QVERIFY(window->mnuFileUsers->isEnabled());
        QVERIFY(window->mnuActionsEditFileDetails->isEnabled());
        window->mnuViewToolbar->trigger();
        QVERIFY(window->picToolBar->isHidden());
        QCOMPARE(GetSetting("Settings", "ViewToolbar", ""), "0");

        Member& pip = openAs("Pip", 2);
        QVERIFY(!pip.window()->mnuFileUsers->isEnabled());
        QVERIFY(!pip.window()->mnuActionsEditFileDetails->isEnabled());
    }
};

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
