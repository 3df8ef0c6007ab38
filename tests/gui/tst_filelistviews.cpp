// The checked-out and out-of-date lists: which rows of the shared files
// window they show, how their button drives that window's check-in and
// get-latest against the local site, and the main menu opening the
// out-of-date list after "QX Adventure".

#include "ModalDriver.h"
#include "SharedFilesFixture.h"

#include "app/Settings.h"
#include "store/FileVersions.h"
#include "ui/filelist/frmCheckIn.h"
#include "ui/filelist/frmCheckedOutFiles.h"
#include "ui/filelist/frmOutdatedFiles.h"
#include "ui/frmMainMenu.h"

#include <QAction>
#include <QPushButton>
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

    // The out-of-date test compares the two version texts as numbers.
    void outdatedListComparesVersionsAsNumbers_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("local");
        QTest::addColumn<bool>("listed");
        QTest::newRow("3 and 3") << "3"
                                 << "3" << false;
        QTest::newRow("3 and 2") << "3"
                                 << "2" << true;
        QTest::newRow("3 and 4") << "3"
                                 << "4" << true;
        QTest::newRow("2 and 2.0") << "2"
                                   << "2.0" << false;
        QTest::newRow("1 and empty") << "1"
                                     << "" << true;
        QTest::newRow("0 and empty") << "0"
                                     << "" << false;
        QTest::newRow("12 and 12 abc") << "12"
                                       << "12 abc" << false;
    }
    void outdatedListComparesVersionsAsNumbers()
    {
        QFETCH(QString, server);
        QFETCH(QString, local);
        QFETCH(bool, listed);
        PublishControlFile(site(), {RecordLine("a.txt", 1), RecordLine("b.txt", 0)});
        Member& ann = openAs("Ann");
        ann.row("a.txt")->setSubItem(LatestVersion, server);
        ann.row("a.txt")->setSubItem(MyVersion, local);
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
};

QTEST_MAIN(TestFileListViews)
#include "tst_filelistviews.moc"
