// The shared files window's own windows: the checked-out and out-of-date
// lists (which rows they show, how their button drives that window's
// check-in and get-latest against the local site, the main menu opening the
// out-of-date list after "QX Adventure"), and the options dialog (what it
// reads from the settings store, what it writes back and what it leaves
// alone, when it rebuilds the list, how it is opened and closed).

#include "ModalDriver.h"
#include "SharedFilesFixture.h"

#include "app/GlobalState.h"
#include "app/Settings.h"
#include "store/FileVersions.h"
#include "ui/filelist/frmCheckIn.h"
#include "ui/filelist/frmCheckedOutFiles.h"
#include "ui/filelist/frmOptions.h"
#include "ui/filelist/frmOutdatedFiles.h"
#include "ui/frmMainMenu.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

using namespace modSkiff;
using namespace FileListColumns;

namespace {

QStringList RowTexts(const ListView& list)
{
    QStringList texts;
    for (const ListItem* row : list.items())
        texts << row->text();
    return texts;
}

// Stands for "never stored" when reading a setting back.
const QString kAbsent = "<absent>";

QString stored(const QString& section, const QString& key)
{
    return GetSetting(section, key, kAbsent);
}

frmOptions* optionsOf(const Member& member)
{
    return qobject_cast<frmOptions*>(member.window()->OptionsWindow.data());
}

} // namespace

class TestFileListViews : public SharedFilesTestCase
{
    Q_OBJECT

    static frmCheckedOutFiles* checkedOutList(const Member& member)
    {
        member.window()->mnuFileShowCheckedOutFiles->trigger();
        return qobject_cast<frmCheckedOutFiles*>(member.window()->CheckedOutFilesWindow.data());
    }
    static frmOutdatedFiles* outdatedList(const Member& member)
    {
        member.window()->mnuFileShowOutOfDate->trigger();
        return qobject_cast<frmOutdatedFiles*>(member.window()->OutdatedFilesWindow.data());
    }

    // How often the shared files window fetched the control file since the log was cleared.
    int controlFileFetches() { return commands().count("RETR _files.txt"); }

    // The options dialog opened from the toolbar button.
    static frmOptions* openOptions(Member& member)
    {
        member.window()->cmdOptions->click();
        return optionsOf(member);
    }

    // Version 0 is what a member without a local copy holds, so the two
    // files that are not Ann's read as up to date.
    Member& openWithOptionsFiles()
    {
        PublishControlFile(site(), {RecordLine("mine.txt", 2, "Ann"), RecordLine("other.txt", 0),
                                    RecordLine("held.txt", 0, "Bob")});
        return openAs("Ann");
    }

private slots:
    void checkedOutListCopiesTheMembersRowsTicked()
    {
        PublishControlFile(site(), {RecordLine("a.txt", 4, "Ann", "Bob", "Alpha", "Bob: first"),
                                    RecordLine("readme", 1, "Ann"),
                                    RecordLine("c.txt", 3, "ann", "Cy", "Other case"),
                                    RecordLine("d.txt", 1, "Bob")});
        Member& ann = openAs("Ann");
        frmCheckedOutFiles* list = checkedOutList(ann);
        QCOMPARE(list->parentWidget(), ann.window());
        // The holder must match exactly: "ann" is somebody else's spelling.
        QCOMPARE(RowTexts(*list->lvwCheckedOutFiles), (QStringList{"a.txt", "readme"}));
        const ListItem* a = list->lvwCheckedOutFiles->findItem("a.txt");
        QVERIFY(a->checked());
        QCOMPARE(a->subItem(Description) + a->subItem(LastUpdatedBy), "AlphaBob: first");
        // File-type pictures; a name without one keeps its state picture.
        QCOMPARE(a->smallIcon(), QStringLiteral(".txt"));
        QCOMPARE(list->lvwCheckedOutFiles->findItem("readme")->smallIcon(), QStringLiteral("open"));
        QCOMPARE(list->lvwCheckedOutFiles->column(0).width, ann.list()->column(0).width + 24);
        // Asking again brings the same window forward.
        QCOMPARE(checkedOutList(ann), list);
    }

    // Only the ticked rows are checked in, whatever is selected in the shared
    // files window; the list closes once nothing is left in it.
    void checkInAllChecksInTheTickedRows()
    {
        PublishControlFile(site(), {RecordLine("a.txt", 4, "Ann"), RecordLine("b.doc", 2, "Ann")});
        Member& ann = openAs("Ann");
        ann.env.writeLocal("a.txt", "edited a");
        ann.env.writeLocal("b.doc", "edited b");
        QPointer<frmCheckedOutFiles> list = checkedOutList(ann);
        list->lvwCheckedOutFiles->findItem("b.doc")->setChecked(false);
        ann.select({"b.doc"});
        auto checkIn = [](frmCheckIn* dialog) { dialog->cmdCheckIn->click(); };
        ModalScript<frmCheckIn> dialogs({checkIn, checkIn});
        list->cmdCheckInAll->click();
        QCOMPARE(dialogs.shown, 1);
        QCOMPARE(SiteFields(site(), "a.txt"), QStringLiteral("5,,Ann: "));
        QCOMPARE(SiteFields(site(), "b.doc"), QStringLiteral("2,Ann,"));
        QCOMPARE(RowTexts(*list->lvwCheckedOutFiles), QStringList{"b.doc"});
        QVERIFY(list->cmdCheckInAll->isEnabled());

        list->cmdCheckInAll->click();
        QCOMPARE(SiteFields(site(), "b.doc"), QStringLiteral("3,,Ann: "));
        QTRY_VERIFY(list.isNull());
        QVERIFY(ann.window()->isVisible());
    }

    // The out-of-date test goes by the file the row lists, whatever its
    // cells read: a description or a version cell never decides.
    void outdatedListGoesByTheListedFile_data()
    {
        QTest::addColumn<short>("server");
        QTest::addColumn<short>("local");
        QTest::addColumn<bool>("listed");
        const QList<std::tuple<short, short, bool>> rows = {
            {3, 3, false}, {3, 2, true}, {3, 4, true}, {1, 0, true}, {0, 0, false}};
        for (const auto& [server, local, listed] : rows)
            QTest::addRow("%d and %d", server, local) << server << local << listed;
    }
    void outdatedListGoesByTheListedFile()
    {
        QFETCH(short, server);
        QFETCH(short, local);
        QFETCH(bool, listed);
        PublishControlFile(site(), {RecordLine("a.txt", 1), RecordLine("b.txt", 0)});
        Member& ann = openAs("Ann");
        ListItem& row = *ann.row("a.txt");
        FileRecord record = FileListColumns::ListedFileOf(row).Record;
        record.CurrentVersion = server;
        FileListColumns::ShowRecord(row, record, local);
        row.setSubItem(LatestVersion, QStringLiteral("7"));
        row.setSubItem(MyVersion, listed ? QStringLiteral("7") : QStringLiteral("8"));
        frmOutdatedFiles* list = outdatedList(ann);
        QCOMPARE(RowTexts(*list->lvwUpdatedFiles), listed ? QStringList{"a.txt"} : QStringList());
    }

    void fetchingEveryListedFileClosesTheList()
    {
        PublishControlFile(
            site(), {RecordLine("a.txt", 2), RecordLine("b.txt", 5), RecordLine("c.txt", 0)});
        PublishSharedFile(site(), "a.txt", "server a");
        PublishSharedFile(site(), "b.txt", "server b");
        Member& ann = openAs("Ann");
        QPointer<frmOutdatedFiles> list = outdatedList(ann);
        QCOMPARE(RowTexts(*list->lvwUpdatedFiles), (QStringList{"a.txt", "b.txt"}));
        list->lvwUpdatedFiles->findItem("b.txt")->setChecked(false);
        ann.select({"b.txt"});
        list->cmdGetLatesVersionAll->click();
        QCOMPARE(ann.env.readLocal("a.txt"), QByteArray("server a"));
        QVERIFY(!QFile::exists("b.txt"));
        QCOMPARE(RowTexts(*list->lvwUpdatedFiles), QStringList{"b.txt"});

        list->cmdGetLatesVersionAll->click();
        QCOMPARE(FileVersions::Get("b.txt"), short(5));
        QTRY_VERIFY(list.isNull());
    }

    void mainMenuShowsTheOutdatedListOnlyForYes_data()
    {
        QTest::addColumn<QString>("stored"); // "" = never stored
        QTest::addColumn<bool>("outdated");
        QTest::addColumn<bool>("listShown");
        QTest::newRow("Yes") << "Yes" << true << true;
        QTest::newRow("absent") << "" << true << true;
        QTest::newRow("yes") << "yes" << true << false;
        QTest::newRow("nothing out of date") << "Yes" << false << false;
    }
    void mainMenuShowsTheOutdatedListOnlyForYes()
    {
        QFETCH(QString, stored);
        QFETCH(bool, outdated);
        QFETCH(bool, listShown);
        site().writeSiteFile("qxg/_message.dat", "2.0.3\r\nWelcome");
        PublishControlFile(site(), {RecordLine("a.txt", 2)});
        TestEnv env;
        FileVersions::Set("a.txt", outdated ? 1 : 2);
        if (!stored.isEmpty())
            SaveSetting("Settings", "ShowOutdatedFilesOnStartup", stored);
        frmMainMenu menu;
        menu.cmdAdventure->click();
        QPointer<frmFileList> fileList = menu.FileList();
        QVERIFY(fileList && fileList->isVisible());
        auto* list = qobject_cast<frmOutdatedFiles*>(fileList->OutdatedFilesWindow.data());
        QCOMPARE(list != nullptr, listShown);
        if (listShown)
            QCOMPARE(list->parentWidget(), fileList.data());
        delete fileList;
    }

    // Only exactly "Yes" ticks a box, and a box left as it was is not
    // written back, whatever the stored spelling.
    void unchangedBoxesAreNotRewritten()
    {
        Member& ann = openWithOptionsFiles();
        SaveSetting("Icons", "/ShowOutOfDateAsRed", "yes");
        SaveSetting("Icons", "/ShowUnavailableAsYellow", "Yes");
        SaveSetting("Settings", "ShowPreviewPane", "yes");
        SaveSetting("Settings", "NoReadOnly", "YES");
        frmOptions* options = openOptions(ann);
        QVERIFY(options && options->isVisible() && !options->isModal());
        // From the toolbar the dialog is a window of its own.
        QCOMPARE(options->parentWidget(), nullptr);
        const QList<QPair<QCheckBox*, bool>> ticks = {
            {options->chkShowOutOfDateAsRed, false},
            {options->chkShowUpToDateAsBlue, false},
            {options->chkShowCheckedOutAsGreen, false},
            {options->chkShowUnavailableAsYellow, true},
            {options->chkShowOutdatedFilesOnStartup, true},
            {options->chkShowCheckedOutFilesOnExit, true},
            {options->chkShowPreviewPane, false},
            {options->chkNoReadOnly, false}};
        for (const auto& [box, ticked] : ticks)
            QVERIFY2(box->isChecked() == ticked, qPrintable(box->objectName()));
        QVERIFY(options->optDetails->isChecked());

        site().clearLog();
        options->cmdOK->click();
        QCOMPARE(stored("Icons", "/ShowOutOfDateAsRed") + stored("Settings", "ShowPreviewPane") +
                     stored("Settings", "NoReadOnly"),
                 "yesyesYES");
        for (const char* key : {"/ShowUpToDateAsBlue", "/ShowCheckedOutAsGreen"})
            QCOMPARE(stored("Icons", key), kAbsent);
        for (const char* key : {"ShowOutdatedFilesOnStartup", "ShowCheckedOutFilesOnExit"})
            QCOMPARE(stored("Settings", key), kAbsent);
        QCOMPARE(stored("Icons", "/CurrentView"), "3");
        QVERIFY(!NoReadOnly);
        QCOMPARE(controlFileFetches(), 0);
        QTRY_VERIFY(ann.window()->OptionsWindow.isNull());
    }

    // OK and the window's close box save alike; Cancel and Escape save nothing.
    void closingSavesUnlessCancelled_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("saved");
        QTest::newRow("OK") << "OK" << true;
        QTest::newRow("close box") << "close" << true;
        QTest::newRow("Cancel") << "Cancel" << false;
        QTest::newRow("Escape") << "Escape" << false;
    }
    void closingSavesUnlessCancelled()
    {
        QFETCH(QString, how);
        QFETCH(bool, saved);
        Member& ann = openWithOptionsFiles();
        frmOptions* options = openOptions(ann);
        QVERIFY(options);
        options->chkShowUpToDateAsBlue->setChecked(true);
        options->chkShowOutdatedFilesOnStartup->setChecked(false);
        options->optList->setChecked(true);
        options->chkNoReadOnly->setChecked(true);
        site().clearLog();
        if (how == "OK")
            options->cmdOK->click();
        else if (how == "close")
            QVERIFY(options->close());
        else if (how == "Cancel")
            options->cmdCancel->click();
        else
            QTest::keyClick(options, Qt::Key_Escape);
        QTRY_VERIFY(ann.window()->OptionsWindow.isNull());

        QCOMPARE(stored("Icons", "/ShowUpToDateAsBlue"), saved ? "Yes" : kAbsent);
        QCOMPARE(stored("Settings", "ShowOutdatedFilesOnStartup"), saved ? "No" : kAbsent);
        QCOMPARE(stored("Icons", "/CurrentView"), saved ? "2" : kAbsent);
        QCOMPARE(ann.list()->view(), saved ? 2 : 3);
        QCOMPARE(NoReadOnly, saved);
        QCOMPARE(controlFileFetches(), saved ? 1 : 0);
        // The rebuilt list shows the up-to-date file with its marking.
        QCOMPARE(ann.row("other.txt")->smallIcon(), saved ? "unlocked" : ".txt");
    }

    // Cancel counts for one opening only; from the menu the dialog belongs
    // to the shared files window, and there is one at a time.
    void cancelCountsForOneOpeningOnly()
    {
        Member& ann = openWithOptionsFiles();
        frmOptions* first = openOptions(ann);
        first->chkShowCheckedOutAsGreen->setChecked(true);
        first->cmdCancel->click();
        QTRY_VERIFY(ann.window()->OptionsWindow.isNull());
        ann.window()->mnuViewOptions->trigger();
        frmOptions* second = optionsOf(ann);
        QCOMPARE(second->parentWidget(), ann.window());
        QVERIFY(!second->chkShowCheckedOutAsGreen->isChecked());
        ann.window()->cmdOptions->click();
        QCOMPARE(optionsOf(ann), second);
        second->cmdOK->click();
        QCOMPARE(stored("Icons", "/ShowCheckedOutAsGreen"), kAbsent);
    }
};

QTEST_MAIN(TestFileListViews)
#include "tst_filelistviews.moc"
