// The checked-out and out-of-date lists: which rows of the shared files
// window they show, how their button drives that window's check-in and
// get-latest operations against the local site, and how they are opened
// (menu, the closing question, the main menu after "QX Adventure").

#include "ScriptedServices.h"
#include "SharedFilesFixture.h"

#include "app/GlobalState.h"
#include "app/Settings.h"
#include "store/FileVersions.h"
#include "ui/Resources.h"
#include "ui/filelist/frmCheckedOutFiles.h"
#include "ui/filelist/frmOutdatedFiles.h"
#include "ui/frmMainMenu.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace modSkiff;

namespace {

frmCheckedOutFiles* checkedOutList(const Member& member)
{
    return qobject_cast<frmCheckedOutFiles*>(member.window()->CheckedOutFilesWindow.data());
}

frmOutdatedFiles* outdatedList(const Member& member)
{
    return qobject_cast<frmOutdatedFiles*>(member.window()->OutdatedFilesWindow.data());
}

QStringList rowTexts(const ListView& list)
{
    QStringList texts;
    for (const ListItem* row : list.items())
        texts << row->text();
    return texts;
}

// While it lives, answers every check-in dialog the program shows with
// "Check In" and counts them.
class CheckInAnswerer
{
public:
    CheckInAnswerer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QDialog*>(widget);
                if (!dialog || !dialog->isVisible())
                    continue;
                if (auto* checkIn = dialog->findChild<QPushButton*>(QStringLiteral("cmdCheckIn"))) {
                    ++answered;
                    checkIn->click();
                }
            }
        });
        m_timer.start(10);
    }
    int answered = 0;

private:
    QTimer m_timer;
};

} // namespace

class TestFileListViews : public QObject
{
    Q_OBJECT

    SiteServer* m_site = nullptr;

private slots:
    void initTestCase()
    {
        InitResources();
        m_site = new SiteServer;
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void cleanupTestCase() { delete m_site; }

    void checkedOutListCopiesTheMembersRowsTicked()
    {
        PublishControlFile(*m_site, {RecordLine("a.txt", 4, "Ann", "Bob", "Alpha", "Bob: first"),
                                     RecordLine("b.doc", 2, "Ann", "Ann", "Beta", "Ann: draft"),
                                     RecordLine("readme", 1, "Ann"),
                                     RecordLine("c.txt", 3, "ann", "Cy", "Same name, other case"),
                                     RecordLine("d.txt", 1, "Bob"), RecordLine("e.txt", 1)});
        Member ann;
        ScriptedServices services;
        QVERIFY(ann.open());
        ann.window()->mnuFileShowCheckedOutFiles->trigger();
        frmCheckedOutFiles* list = checkedOutList(ann);
        QVERIFY(list && list->isVisible());
        QCOMPARE(list->parentWidget(), ann.window());

        // The holder must match exactly: "ann" is somebody else's spelling.
        QCOMPARE(rowTexts(*list->lvwCheckedOutFiles), (QStringList{"a.txt", "b.doc", "readme"}));
        for (const ListItem* row : list->lvwCheckedOutFiles->items()) {
            QVERIFY2(row->checked(), qPrintable(row->text()));
            QCOMPARE(row->key(), row->text().toLower());
            for (const char* column : {"owner", "comment", "desc", "author", "ver", "myver"})
                QCOMPARE(row->subItem(QLatin1String(column)), ann.cell(row->text(), column));
        }
        // File-type pictures; a name without one keeps its state picture.
        QCOMPARE(list->lvwCheckedOutFiles->findItem("a.txt")->smallIcon(), QStringLiteral(".txt"));
        QCOMPARE(list->lvwCheckedOutFiles->findItem("b.doc")->smallIcon(), QStringLiteral(".doc"));
        QCOMPARE(list->lvwCheckedOutFiles->findItem("readme")->smallIcon(), QStringLiteral("open"));
        QCOMPARE(list->lvwCheckedOutFiles->imageList(), ann.window()->imglstFileList);

        // Asking again brings the same window forward.
        ann.window()->mnuFileShowCheckedOutFiles->trigger();
        QCOMPARE(checkedOutList(ann), list);
    }

    void emptyListStillCopiesTheColumnsWithRoomForTheTickBox()
    {
        PublishControlFile(*m_site, {RecordLine("a.txt", 1)});
        Member ann;
        ScriptedServices services;
        QVERIFY(ann.open());
        ann.window()->mnuFileShowCheckedOutFiles->trigger();
        frmCheckedOutFiles* list = checkedOutList(ann);
        QVERIFY(list);
        QCOMPARE(list->lvwCheckedOutFiles->count(), 0);
        const ListView& source = *ann.list();
        const ListView& copy = *list->lvwCheckedOutFiles;
        QCOMPARE(copy.columnCount(), source.columnCount());
        for (int index = 0; index < source.columnCount(); ++index) {
            const ColumnHeader from = source.column(index);
            const ColumnHeader to = copy.column(index);
            QCOMPARE(to.key + to.text, from.key + from.text);
            QCOMPARE(to.width, from.width + (from.key == "filename" ? 24 : 0));
        }
    }

    void checkInAllChecksInOnlyTheTickedRows()
    {
        PublishControlFile(*m_site, {RecordLine("a.txt", 4, "Ann", "Ann", "Alpha"),
                                     RecordLine("b.doc", 2, "Ann", "Ann", "Beta"),
                                     RecordLine("c.txt", 1, "Bob")});
        PublishSharedFile(*m_site, "a.txt", "old a");
        PublishSharedFile(*m_site, "b.doc", "old b");
        Member ann;
        ScriptedServices services;
        ann.env.writeLocal("a.txt", "edited a");
        ann.env.writeLocal("b.doc", "edited b");
        QVERIFY(ann.open());
        ann.window()->mnuFileShowCheckedOutFiles->trigger();
        frmCheckedOutFiles* list = checkedOutList(ann);
        QVERIFY(list);
        list->lvwCheckedOutFiles->findItem("b.doc")->setChecked(false);
        // A selection left in the shared files window must not count.
        ann.select({"b.doc"});

        CheckInAnswerer dialogs;
        list->cmdCheckInAll->click();
        QCOMPARE(dialogs.answered, 1);

        QCOMPARE(m_site->readSiteFile("qxg/a.txt"), QByteArray("edited a"));
        QCOMPARE(SiteRecord(*m_site, "a.txt").CurrentVersion, short(5));
        QCOMPARE(SiteRecord(*m_site, "a.txt").Controller, QString());
        QCOMPARE(m_site->readSiteFile("qxg/b.doc"), QByteArray("old b"));
        QCOMPARE(SiteRecord(*m_site, "b.doc").CurrentVersion, short(2));
        QCOMPARE(SiteRecord(*m_site, "b.doc").Controller, QStringLiteral("Ann"));
        QCOMPARE(FileVersions::Get("a.txt"), short(5));

        QVERIFY(checkedOutList(ann) == list && list->isVisible());
        QVERIFY(!list->IsClosed);
        QCOMPARE(rowTexts(*list->lvwCheckedOutFiles), QStringList{"b.doc"});
        QVERIFY(list->lvwCheckedOutFiles->findItem("b.doc")->checked());
        QVERIFY(list->cmdCheckInAll->isEnabled());
    }

    void checkingInTheLastFileClosesTheList()
    {
        PublishControlFile(*m_site, {RecordLine("a.txt", 1, "Ann"), RecordLine("b.txt", 1)});
        PublishSharedFile(*m_site, "a.txt", "old a");
        Member ann;
        ScriptedServices services;
        ann.env.writeLocal("a.txt", "edited a");
        QVERIFY(ann.open());
        ann.window()->mnuFileShowCheckedOutFiles->trigger();
        QPointer<frmCheckedOutFiles> list = checkedOutList(ann);
        QVERIFY(list);

        CheckInAnswerer dialogs;
        list->cmdCheckInAll->click();
        QCOMPARE(dialogs.answered, 1);

        QCOMPARE(SiteRecord(*m_site, "a.txt").Controller, QString());
        QCOMPARE(SiteRecord(*m_site, "a.txt").CurrentVersion, short(2));
        QTRY_VERIFY(list.isNull());
        QVERIFY(ann.window()->CheckedOutFilesWindow.isNull());
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
        QTest::newRow("12 and 1") << "12"
                                  << "1" << true;
    }
    void outdatedListComparesVersionsAsNumbers()
    {
        QFETCH(QString, server);
        QFETCH(QString, local);
        QFETCH(bool, listed);
        PublishControlFile(*m_site, {RecordLine("a.txt", 1), RecordLine("b.txt", 7)});
        Member ann;
        ScriptedServices services;
        FileVersions::Set("b.txt", 7);
        QVERIFY(ann.open());
        // The window reads the texts as they stand, also ones ("2.0", "") that
        // the list itself never writes.
        ann.row("a.txt")->setSubItem("ver", server);
        ann.row("a.txt")->setSubItem("myver", local);

        ann.window()->mnuFileShowOutOfDate->trigger();
        frmOutdatedFiles* list = outdatedList(ann);
        QVERIFY(list && list->isVisible());
        QCOMPARE(rowTexts(*list->lvwUpdatedFiles), listed ? QStringList{"a.txt"} : QStringList());
        if (listed) {
            const ListItem* row = list->lvwUpdatedFiles->findItem("a.txt");
            QVERIFY(row->checked());
            QCOMPARE(row->subItem("ver"), server);
            QCOMPARE(row->subItem("myver"), local);
        }
    }

    void outdatedListFollowsLocalVersions()
    {
        PublishControlFile(*m_site, {RecordLine("same.txt", 3), RecordLine("older.txt", 3),
                                     RecordLine("newer.txt", 3), RecordLine("never.gif", 3)});
        Member ann;
        ScriptedServices services;
        FileVersions::Set("same.txt", 3);
        FileVersions::Set("older.txt", 2);
        FileVersions::Set("newer.txt", 4);
        QVERIFY(ann.open());
        ann.window()->mnuFileShowOutOfDate->trigger();
        frmOutdatedFiles* list = outdatedList(ann);
        QVERIFY(list);
        QCOMPARE(list->parentWidget(), ann.window());
        QCOMPARE(list->windowTitle(), QStringLiteral("New/Updated Files"));
        QCOMPARE(list->cmdGetLatesVersionAll->objectName(),
                 QStringLiteral("cmdGetLatesVersionAll"));
        QCOMPARE(list->cmdGetLatesVersionAll->text(),
                 QStringLiteral("Get the Latest Version of Files Marked Above"));
        QCOMPARE(list->cmdClose->text(), QStringLiteral("&Close"));
        QCOMPARE(rowTexts(*list->lvwUpdatedFiles),
                 (QStringList{"older.txt", "newer.txt", "never.gif"}));
        QCOMPARE(list->lvwUpdatedFiles->findItem("never.gif")->smallIcon(), QStringLiteral(".gif"));

        list->cmdClose->click();
        QVERIFY(list->IsClosed);
        QTRY_VERIFY(ann.window()->OutdatedFilesWindow.isNull());
    }

    void fetchingEveryListedFileClosesTheList()
    {
        PublishControlFile(
            *m_site, {RecordLine("a.txt", 2), RecordLine("b.txt", 5), RecordLine("c.txt", 1)});
        PublishSharedFile(*m_site, "a.txt", "server a");
        PublishSharedFile(*m_site, "b.txt", "server b");
        Member ann;
        ScriptedServices services;
        FileVersions::Set("a.txt", 1);
        FileVersions::Set("c.txt", 1);
        QVERIFY(ann.open());
        ann.window()->mnuFileShowOutOfDate->trigger();
        QPointer<frmOutdatedFiles> list = outdatedList(ann);
        QVERIFY(list);
        QCOMPARE(rowTexts(*list->lvwUpdatedFiles), (QStringList{"a.txt", "b.txt"}));

        // Unticked: stays out of date and keeps the window open.
        list->lvwUpdatedFiles->findItem("b.txt")->setChecked(false);
        // A selection left in the shared files window must not count.
        ann.select({"b.txt"});
        list->cmdGetLatesVersionAll->click();
        QCOMPARE(ann.env.readLocal("a.txt"), QByteArray("server a"));
        QVERIFY(!QFile::exists(ann.env.localPath("b.txt")));
        QVERIFY(list);
        QCOMPARE(rowTexts(*list->lvwUpdatedFiles), QStringList{"b.txt"});
        QVERIFY(list->cmdGetLatesVersionAll->isEnabled());

        list->cmdGetLatesVersionAll->click();
        QCOMPARE(ann.env.readLocal("b.txt"), QByteArray("server b"));
        QCOMPARE(FileVersions::Get("b.txt"), short(5));
        QTRY_VERIFY(list.isNull());
        QVERIFY(ann.window()->isVisible());
    }

    void closingQuestionYesShowsTheCheckedOutList_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("listShown");
        QTest::newRow("Yes") << int(vbYes) << true;
        QTest::newRow("Cancel") << int(vbCancel) << false;
    }
    void closingQuestionYesShowsTheCheckedOutList()
    {
        QFETCH(int, answer);
        QFETCH(bool, listShown);
        PublishControlFile(*m_site, {RecordLine("a.txt", 1, "Ann"), RecordLine("b.txt", 1)});
        Member ann;
        ScriptedServices services;
        QVERIFY(ann.open());
        services.answer(answer);
        QVERIFY(!ann.window()->close());
        QCOMPARE(services.shown.size(), 1);
        QVERIFY(services.last().prompt.startsWith("You currently have 1 file checked out."));
        QVERIFY(ann.window()->isVisible());
        frmCheckedOutFiles* list = checkedOutList(ann);
        QCOMPARE(list != nullptr, listShown);
        if (listShown) {
            QVERIFY(list->isVisible());
            QCOMPARE(list->parentWidget(), ann.window());
            QCOMPARE(rowTexts(*list->lvwCheckedOutFiles), QStringList{"a.txt"});
        }
    }

    void mainMenuShowsTheOutdatedListOnlyForYes_data()
    {
        QTest::addColumn<QString>("stored"); // "" = never stored
        QTest::addColumn<bool>("outdated");
        QTest::addColumn<bool>("listShown");
        QTest::newRow("Yes") << "Yes" << true << true;
        QTest::newRow("absent") << "" << true << true;
        QTest::newRow("yes") << "yes" << true << false;
        QTest::newRow("No") << "No" << true << false;
        QTest::newRow("nothing out of date") << "Yes" << false << false;
    }
    void mainMenuShowsTheOutdatedListOnlyForYes()
    {
        QFETCH(QString, stored);
        QFETCH(bool, outdated);
        QFETCH(bool, listShown);
        m_site->writeSiteFile("qxg/_message.dat", "2.0.3\r\nWelcome");
        PublishControlFile(*m_site, {RecordLine("a.txt", 2), RecordLine("b.txt", 1)});
        TestEnv env;
        ScriptedServices services;
        FileVersions::Set("a.txt", outdated ? 1 : 2);
        FileVersions::Set("b.txt", 1);
        if (!stored.isEmpty())
            SaveSetting("Settings", "ShowOutdatedFilesOnStartup", stored);

        frmMainMenu menu;
        menu.cmdAdventure->click();
        QPointer<frmFileList> fileList = menu.FileList();
        QVERIFY(fileList && fileList->isVisible());
        QCOMPARE(fileList->LastCountOfOutdatedFiles, short(outdated ? 1 : 0));
        auto* list = qobject_cast<frmOutdatedFiles*>(fileList->OutdatedFilesWindow.data());
        QCOMPARE(list != nullptr, listShown);
        if (listShown) {
            QVERIFY(list->isVisible());
            QCOMPARE(list->parentWidget(), fileList.data());
            QCOMPARE(rowTexts(*list->lvwUpdatedFiles), QStringList{"a.txt"});
        }
        QVERIFY(services.shown.isEmpty());
        delete fileList;
    }
};

QTEST_MAIN(TestFileListViews)
#include "tst_filelistviews.moc"
