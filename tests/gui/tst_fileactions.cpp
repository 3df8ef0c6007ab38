// The shared files window's smaller operations: who may use the owner
// options, describing, removing and giving up files, opening files with
// their programs, and the local read-only mark.

#include "ScriptedServices.h"
#include "SharedFilesFixture.h"

#include "app/GlobalState.h"
#include "app/modSkiff.h"
#include "store/FileVersions.h"

#include <QAction>
#include <QMenu>
#include <QTreeView>
#include <QtTest>

using namespace modSkiff;

namespace {

// mine.txt: Ann's, current. theirs.txt: Bob's, held by Bob, current.
// free.txt: nobody's, current. old.txt: Bob's, out of date for Ann.
// held.txt: Bob's, held by Ann, current.
const QStringList kRecords = {
    RecordLine("mine.txt", 2, "", "Ann", "My notes", "Ann: *new file*"),
    RecordLine("theirs.txt", 3, "Bob", "Bob", "Bob's plan", "Bob: draft"),
    RecordLine("free.txt", 1, "", "", "Orphan", "Cid: *new file*"),
    RecordLine("old.txt", 5, "", "Bob", "Old one", "Bob: fifth"),
    RecordLine("held.txt", 4, "ann", "Bob", "Held", "Bob: fourth"),
};

QStringList Opened(const ScriptedServices& services)
{
    QStringList paths;
    for (const ShellRequest& request : services.shell)
        if (request.kind == ShellRequest::OpenFile)
            paths << request.path;
    return paths;
}

} // namespace

class TestFileActions : public QObject
{
    Q_OBJECT

    SiteServer* m_site = nullptr;

    // Publishes the store and opens Ann's window, with local copies of
    // every file at her versions (old.txt one behind).
    bool openStore(Member& member, const QStringList& records = kRecords)
    {
        PublishControlFile(*m_site, records);
        member.activate();
        const QList<QPair<const char*, short>> versions = {
            {"mine.txt", 2}, {"theirs.txt", 3}, {"free.txt", 1}, {"old.txt", 4}, {"held.txt", 4}};
        for (const auto& [name, version] : versions) {
            PublishSharedFile(*m_site, name, name);
            member.env.writeLocal(name, name);
            FileVersions::Set(name, version);
        }
        return member.open();
    }

    // Opens the Actions menu as the member would, and closes it again.
    static void showActionsMenu(frmFileList* window)
    {
        window->mnuActions->popup(window->mapToGlobal(QPoint(10, 10)));
        window->mnuActions->hide();
    }

private slots:
    void initTestCase()
    {
        m_site = new SiteServer;
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void cleanupTestCase() { delete m_site; }

    void ownerOptionsFollowOwnershipAndLevel_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("describe"); // and remove
        QTest::addColumn<bool>("relinquish");
        QTest::newRow("nothing selected") << 3 << "" << false << false;
        QTest::newRow("3, own file") << 3 << "mine.txt" << true << true;
        QTest::newRow("3, held, someone else's") << 3 << "held.txt" << false << false;
        QTest::newRow("3, someone else's") << 3 << "theirs.txt" << false << false;
        QTest::newRow("3, nobody's") << 3 << "free.txt" << true << false;
        QTest::newRow("2, own file") << 2 << "mine.txt" << false << false;
        QTest::newRow("2, nobody's") << 2 << "free.txt" << false << false;
        QTest::newRow("4, someone else's") << 4 << "theirs.txt" << true << false;
        QTest::newRow("4, own file") << 4 << "mine.txt" << true << true;
        QTest::newRow("4, nobody's") << 4 << "free.txt" << true << false;
    }
    void ownerOptionsFollowOwnershipAndLevel()
    {
        QFETCH(int, level);
        QFETCH(QString, file);
        QFETCH(bool, describe);
        QFETCH(bool, relinquish);
        ScriptedServices services;
        Member ann("ANN", static_cast<unsigned char>(level));
        QVERIFY(openStore(ann));
        frmFileList* window = ann.window();
        // Set the wrong way round first, so that every entry must be set.
        for (QAction* action :
             {window->mnuActionsChangeFileDescription, window->mnuActionsDeleteFile,
              window->mnuActionsRelinquishControl, window->mnuActionsReadOnly})
            action->setEnabled(file.isEmpty());
        ann.select(file.isEmpty() ? QStringList() : QStringList{file});
        showActionsMenu(window);
        QCOMPARE(window->mnuActionsChangeFileDescription->isEnabled(), describe);
        QCOMPARE(window->mnuActionsDeleteFile->isEnabled(), describe);
        QCOMPARE(window->mnuActionsRelinquishControl->isEnabled(), relinquish);
        QCOMPARE(window->mnuActionsReadOnly->isEnabled(), !file.isEmpty());
        QVERIFY(services.shown.isEmpty());
    }

    void readOnlyEntryShowsTheLocalFileAndTogglesPastNoReadOnly()
    {
        ScriptedServices services;
        Member ann("Ann", 4);
        QVERIFY(openStore(ann));
        NoReadOnly = true;
        frmFileList* window = ann.window();
        ann.select({"mine.txt"});
        SetReadOnly(ann.env.localPath("mine.txt"), true, true);

        // The right-click pop-up sets the entries too.
        auto* view = ann.list()->findChild<QTreeView*>();
        const QPoint onRow = view->visualRect(view->model()->index(0, 0)).center();
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, onRow);
        QTRY_VERIFY(window->mnuActions->isVisible());
        window->mnuActions->hide();
        QVERIFY(window->mnuActionsReadOnly->isChecked());

        window->mnuActionsReadOnly->trigger();
        QVERIFY(!IsReadOnly(ann.env.localPath("mine.txt")));
        showActionsMenu(window);
        QVERIFY(!window->mnuActionsReadOnly->isChecked());
        window->mnuActionsReadOnly->trigger();
        QVERIFY(IsReadOnly(ann.env.localPath("mine.txt")));
        showActionsMenu(window);
        QVERIFY(window->mnuActionsReadOnly->isChecked());
        QVERIFY(!IsReadOnly(ann.env.localPath("theirs.txt")));
        QVERIFY(services.shown.isEmpty());
    }

    void anAdministratorWhoDoesNotOwnTheFileIsRefused()
    {
        ScriptedServices services;
        Member ann("Ann", 4);
        QVERIFY(openStore(ann));
        const QByteArray before = m_site->readSiteFile("qxg/_files.txt");
        ann.select({"theirs.txt"});
        showActionsMenu(ann.window());
        ann.window()->mnuActionsChangeFileDescription->trigger();
        ann.window()->mnuActionsDeleteFile->trigger();
        ann.window()->RelinquishControl();
        QCOMPARE(services.prompts(),
                 (QStringList{"Sorry, only Bob has permission to change theirs.txt's description.",
                              "Sorry, only Bob has permission to remove theirs.txt.",
                              "Sorry, you do not have control theirs.txt."}));
        for (const ShownMessage& message : services.shown)
            QCOMPARE(message.style, int(vbOKOnly));
        QCOMPARE(m_site->readSiteFile("qxg/_files.txt"), before);
        QCOMPARE(ann.cell("theirs.txt", "desc"), QStringLiteral("Bob's plan"));
    }

    void anUnownedFileCanBeDescribedAndRemovedButNotRelinquished()
    {
        ScriptedServices services;
        Member ann("Ann", 3);
        QVERIFY(openStore(ann));
        ann.select({"free.txt"});

        services.answerInput("Left by \"Cid\"");
        ann.window()->mnuActionsChangeFileDescription->trigger();
        QCOMPARE(services.last().prompt,
                 QStringLiteral("Please enter a new description for the following file:\r\n\r\n"
                                "free.txt"));
        QCOMPARE(services.last().defaultText, QStringLiteral("Orphan"));
        const FileRecord described = SiteRecord(*m_site, "free.txt");
        QCOMPARE(described.Description, QStringLiteral("Left by 'Cid'"));
        QCOMPARE(described.Comment, QStringLiteral("Cid: *new file*"));
        QCOMPARE(ann.cell("free.txt", "desc"), QStringLiteral("Left by 'Cid'"));

        services.clear();
        ann.window()->RelinquishControl();
        QCOMPARE(services.prompts(), QStringList{"Sorry, you do not have control free.txt."});

        services.clear();
        services.answer(vbYes);
        ann.window()->mnuActionsDeleteFile->trigger();
        QCOMPARE(services.last().prompt,
                 QStringLiteral("Are you sure you want to remove free.txt from Skiff?\r\n\r\n"
                                "NOTE: This will not delete free.txt from your local computer "
                                "nor will it delete free.txt from the computer of any other "
                                "Skiff user."));
        QCOMPARE(services.last().style, int(vbYesNo | vbDefaultButton2 | vbExclamation));
        QVERIFY(!ann.row("free.txt"));
        const ControlFile::Contents site = SiteControlFile(*m_site);
        QCOMPARE(int(site.expectedCount), kRecords.size() - 1);
        QCOMPARE(site.listedCount(), kRecords.size() - 1);
        // Only the record goes: the file stays on the server and locally.
        QCOMPARE(m_site->readSiteFile("qxg/free.txt"), QByteArray("free.txt"));
        QVERIFY(QFile::exists(ann.env.localPath("free.txt")));
        QVERIFY(ann.open());
        QVERIFY(!ann.row("free.txt"));
        QVERIFY(ann.row("mine.txt"));
        QCOMPARE(services.shown.size(), 1);
    }

    void theOwnerGivesUpOwnershipNotControl()
    {
        ScriptedServices services;
        Member ann("Ann", 3);
        QVERIFY(openStore(ann, {RecordLine("mine.txt", 2, "Ann", "Ann", "Mine", "Ann: x")}));
        ann.select({"mine.txt"});
        // An empty description and the default No change nothing.
        m_site->clearLog();
        services.answerInput("");
        ann.window()->ChangeFileDescription();
        ann.window()->DeleteFile();
        ann.window()->RelinquishControl();
        QCOMPARE(services.shown.size(), 3);
        QCOMPARE(services.last().prompt,
                 QStringLiteral("Are you sure you want to relinquish control of mine.txt?"));
        QCOMPARE(services.last().style, int(vbYesNo | vbDefaultButton2 | vbQuestion));
        QVERIFY(m_site->ftpLog().isEmpty());

        services.answer(vbYes);
        ann.window()->mnuActionsRelinquishControl->trigger();
        const FileRecord record = SiteRecord(*m_site, "mine.txt");
        QCOMPARE(record.Author, QString());
        QCOMPARE(record.Controller, QStringLiteral("Ann"));
        QCOMPARE(record.Description, QStringLiteral("Mine"));
        QCOMPARE(ann.cell("mine.txt", "author"), QString());
        QCOMPARE(ann.cell("mine.txt", "owner"), QStringLiteral("Ann"));
        // Now nobody's: the entry is off, the description still open to her.
        showActionsMenu(ann.window());
        QVERIFY(!ann.window()->mnuActionsRelinquishControl->isEnabled());
        QVERIFY(ann.window()->mnuActionsChangeFileDescription->isEnabled());
    }

    void aRecordRemovedMeanwhileLeavesTheRow()
    {
        ScriptedServices services;
        Member ann("Ann", 3);
        QVERIFY(openStore(ann));
        ann.select({"mine.txt"});
        PublishControlFile(*m_site, kRecords.mid(1));
        const QByteArray before = m_site->readSiteFile("qxg/_files.txt");
        services.answer(vbYes);
        ann.window()->DeleteFile();
        QCOMPARE(services.last().prompt,
                 QStringLiteral("Cannot delete a file that doesn't exist."));
        QCOMPARE(services.last().icon(), int(vbCritical));
        QVERIFY(ann.row("mine.txt"));
        QCOMPARE(m_site->readSiteFile("qxg/_files.txt"), before);
    }

    void openingOneFile()
    {
        ScriptedServices services;
        Member ann("Ann", 3);
        QVERIFY(openStore(ann));
        const QString local = ann.env.localFolder();

        // Nothing selected; Enter in the list asks as the menu entry does.
        ann.select({});
        QTest::keyClick(ann.list()->findChild<QTreeView*>(), Qt::Key_Return);
        QCOMPARE(services.prompts(), QStringList{"No Files Are Selected"});
        QCOMPARE(services.last().style, int(vbExclamation));

        // Out of date: refused.
        services.clear();
        ann.select({"old.txt"});
        ann.window()->OpenFile();
        QCOMPARE(services.prompts(),
                 QStringList{"You do not have the latest version of this file."});
        QCOMPARE(services.last().style, int(vbCritical));
        QVERIFY(services.shell.isEmpty());

        // Held by the member (any letter case): opened at once.
        services.clear();
        ann.select({"held.txt"});
        ann.window()->OpenFile();
        QVERIFY(services.shown.isEmpty());
        QCOMPARE(Opened(services), QStringList{local + "held.txt"});

        // Held by someone else: asked first; Cancel stops, OK opens.
        services.clear();
        ann.select({"theirs.txt"});
        services.answer(vbCancel);
        ann.window()->OpenFile();
        QVERIFY(services.shell.isEmpty());
        services.answer(vbOK);
        ann.window()->OpenFile();
        QCOMPARE(services.last().prompt,
                 QStringLiteral("You do not have theirs.txt checked out.  You will not be able to "
                                "save your changes to this file."));
        QCOMPARE(services.last().style, int(vbOKCancel | vbInformation));
        QCOMPARE(Opened(services), QStringList{local + "theirs.txt"});

        // A double click opens the row under the pointer's selection.
        services.clear();
        ann.select({"mine.txt"});
        services.answer(vbOK);
        auto* view = ann.list()->findChild<QTreeView*>();
        const QPoint onRow = view->visualRect(view->model()->index(0, 0)).center();
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, onRow);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, onRow);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, onRow);
        QTRY_COMPARE(Opened(services), QStringList{local + "mine.txt"});
    }

    void openingSeveralFilesSkipsTheOutOfDateOnes()
    {
        ScriptedServices services;
        Member ann("Ann", 3);
        QVERIFY(openStore(ann));
        const QString local = ann.env.localFolder();
        ann.select({"theirs.txt", "old.txt", "mine.txt"});

        services.answer(vbNo);
        ann.window()->OpenFile();
        QCOMPARE(services.prompts(),
                 QStringList{"Are you sure you want to open the 3 selected files?"});
        QCOMPARE(services.last().style, int(vbYesNo | vbQuestion));
        QVERIFY(services.shell.isEmpty());

        services.clear();
        services.answer(vbYes);
        ann.window()->OpenFile();
        QCOMPARE(Opened(services), (QStringList{local + "mine.txt", local + "theirs.txt"}));
        QCOMPARE(services.last().prompt,
                 QStringLiteral("1 files were not opened because you do not have the latest "
                                "version of these files."));
        QCOMPARE(services.last().style, int(vbInformation));
    }

    void aNameThatLeavesTheLocalFolderIsNeverOpened()
    {
        ScriptedServices services;
        Member ann("Ann", 3);
        QVERIFY(openStore(ann, {RecordLine("../escape.txt", 0, "", "Bob", "Bad", "Bob: x")}));
        ann.select({"../escape.txt"});
        ann.window()->mnuActionsReadOnly->trigger();
        services.answer(vbOK);
        ann.window()->OpenFile();
        QVERIFY(services.shell.isEmpty());
        QCOMPARE(services.last().prompt,
                 QStringLiteral("../escape.txt is not a valid local file name."));
    }
};

QTEST_MAIN(TestFileActions)
#include "tst_fileactions.moc"
