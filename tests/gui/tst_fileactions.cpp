// The shared files window's Actions menu: which owner options it offers, the
// local read-only mark, opening files from the list, the rows after an
// owner's action, and the administrator's file details dialog. What the
// actions do to the control file is tested without windows (tst_sharedfiles).

#include "ModalDriver.h"
#include "SharedFilesFixture.h"

#include "app/GlobalState.h"
#include "app/modSkiff.h"
#include "store/FileVersions.h"
#include "ui/filelist/frmEditFileDetails.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

using namespace modSkiff;
using namespace FileListColumns;

namespace {

// mine.txt: Ann's. theirs.txt: Bob's, held by Bob. free.txt: nobody's.
// held.txt: Bob's, held by Ann.
const QStringList kRecords = {
    RecordLine("mine.txt", 2, "", "Ann", "My notes", "Ann: *new file*"),
    RecordLine("theirs.txt", 3, "Bob", "Bob", "Bob's plan", "Bob: draft"),
    RecordLine("free.txt", 1, "", "", "Orphan", "Cid: *new file*"),
    RecordLine("held.txt", 4, "ann", "Bob", "Held", "Bob: fourth"),
};

// Opens the Actions menu as the member would, and closes it again.
void ShowActionsMenu(frmFileList* window)
{
    window->mnuActions->popup(window->mapToGlobal(QPoint(10, 10)));
    window->mnuActions->hide();
}

QStringList Texts(const frmEditFileDetails& dialog)
{
    QStringList texts;
    for (const QLineEdit* box : {dialog.txtFileName, dialog.txtCheckedOutBy, dialog.txtLastComment,
                                 dialog.txtFileDescription, dialog.txtAuthor,
                                 dialog.txtServerVersion, dialog.txtLocalVersion})
        texts << box->text();
    return texts;
}

} // namespace

class TestFileActions : public SharedFilesTestCase
{
    Q_OBJECT

    // The member's window on the store, with local copies of every file at
    // the listed versions.
    Member& openStore(const QString& nickname, int level)
    {
        PublishControlFile(site(), kRecords);
        Member& member = openAs(nickname, static_cast<unsigned char>(level));
        const QList<QPair<QString, int>> versions = {
            {"mine.txt", 2}, {"theirs.txt", 3}, {"free.txt", 1}, {"held.txt", 4}};
        for (const auto& [name, version] : versions) {
            member.env.writeLocal(name, name.toLatin1());
            FileVersions::Set(name, short(version));
        }
        member.window()->UpdateFileList();
        return member;
    }

private slots:
    void ownerOptionsFollowOwnershipAndLevel_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("describe"); // and remove
        QTest::addColumn<bool>("relinquish");
        QTest::newRow("nothing selected") << 3 << "" << false << false;
        QTest::newRow("3, own file") << 3 << "mine.txt" << true << true;
        QTest::newRow("3, held, someone else's") << 3 << "held.txt" << false << false;
        QTest::newRow("3, nobody's") << 3 << "free.txt" << true << false;
        QTest::newRow("2, own file") << 2 << "mine.txt" << false << false;
        QTest::newRow("4, someone else's") << 4 << "theirs.txt" << true << false;
        QTest::newRow("4, own file") << 4 << "mine.txt" << true << true;
    }
    void ownerOptionsFollowOwnershipAndLevel()
    {
        QFETCH(int, level);
        QFETCH(QString, file);
        QFETCH(bool, describe);
        QFETCH(bool, relinquish);
        Member& ann = openStore("ANN", level);
        frmFileList* window = ann.window();
        // Set the wrong way round first, so that every entry must be set.
        for (QAction* action :
             {window->mnuActionsChangeFileDescription, window->mnuActionsDeleteFile,
              window->mnuActionsRelinquishControl, window->mnuActionsReadOnly})
            action->setEnabled(file.isEmpty());
        ann.select(file.isEmpty() ? QStringList() : QStringList{file});
        ShowActionsMenu(window);
        QCOMPARE(window->mnuActionsChangeFileDescription->isEnabled(), describe);
        QCOMPARE(window->mnuActionsDeleteFile->isEnabled(), describe);
        QCOMPARE(window->mnuActionsRelinquishControl->isEnabled(), relinquish);
        QCOMPARE(window->mnuActionsReadOnly->isEnabled(), !file.isEmpty());
    }

    void readOnlyEntryShowsTheLocalFileAndTogglesPastNoReadOnly()
    {
        Member& ann = openStore("Ann", 4);
        NoReadOnly = true;
        frmFileList* window = ann.window();
        ann.select({"mine.txt"});
        SetReadOnly("mine.txt", true, true);

        // The right-click pop-up sets the entries too.
        auto* view = ann.list()->findChild<QTreeView*>();
        const QPoint onRow = view->visualRect(view->model()->index(0, 0)).center();
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, onRow);
        QTRY_VERIFY(window->mnuActions->isVisible());
        window->mnuActions->hide();
        QVERIFY(window->mnuActionsReadOnly->isChecked());

        window->mnuActionsReadOnly->trigger();
        QVERIFY(!IsReadOnly("mine.txt"));
        ShowActionsMenu(window);
        QVERIFY(!window->mnuActionsReadOnly->isChecked());
        window->mnuActionsReadOnly->trigger();
        QVERIFY(IsReadOnly("mine.txt"));
        QVERIFY(!IsReadOnly("theirs.txt"));
    }

    // Enter in the list opens the selection as the menu entry does.
    void openingFromTheList()
    {
        Member& ann = openStore("Ann", 3);
        ann.select({});
        services().expect("No Files Are Selected", vbExclamation);
        QTest::keyClick(ann.list()->findChild<QTreeView*>(), Qt::Key_Return);
    }

    // The row shows what the owner's action changed; a failed one leaves it.
    void rowsFollowTheOwnersActions()
    {
        Member& ann = openStore("Ann", 3);
        ann.select({"free.txt"});
        services().answerInput("Left by \"Cid\"");
        ann.window()->mnuActionsChangeFileDescription->trigger();
        QCOMPARE(ann.cell("free.txt", Description), QStringLiteral("Left by 'Cid'"));

        ann.select({"mine.txt"});
        services().answer(vbYes);
        ann.window()->mnuActionsRelinquishControl->trigger();
        QCOMPARE(ann.cell("mine.txt", Owner), QString());

        services().answer(vbYes);
        ann.window()->mnuActionsDeleteFile->trigger();
        QVERIFY(!ann.row("mine.txt"));

        // Removed meanwhile by someone else: the row stays.
        ann.select({"free.txt"});
        PublishControlFile(site(), {kRecords.at(1)});
        services().answer(vbYes);
        services().expect("Cannot delete a file that doesn't exist.", vbCritical);
        ann.window()->mnuActionsDeleteFile->trigger();
        QVERIFY(ann.row("free.txt"));
    }
    // The administrator's file details dialog: the selected row, or nothing.
    void detailsShowTheSelectedRowOrNothing()
    {
        Member& ann = openStore("Ann", 4);
        ann.select({"held.txt"});
        QCOMPARE(Texts(frmEditFileDetails(ann.window())),
                 (QStringList{"held.txt", "ann", "Bob: fourth", "Held", "Bob", "4", "4"}));

        ann.select({});
        QStringList texts;
        bool applyEnabled = true;
        WhenShown<frmEditFileDetails>([&](frmEditFileDetails* dialog) {
            texts = Texts(*dialog);
            applyEnabled = dialog->cmdApply->isEnabled();
            dialog->cmdClose->click();
        });
        ann.window()->mnuActionsEditFileDetails->trigger();
        QCOMPARE(texts, QStringList(7, QString()));
        QVERIFY(!applyEnabled);
    }

    void detailsApplyWritesEveryFieldAndFreesTheFile()
    {
        Member& ann = openStore("Ann", 4);
        FileVersions::Set("held.txt", 2);
        ann.window()->UpdateFileList();
        ann.select({"held.txt"});
        {
            frmEditFileDetails dialog(ann.window());
            dialog.show();
            dialog.txtCheckedOutBy->clear();
            dialog.txtFileDescription->setText("The \"real\" plan");
            dialog.txtLocalVersion->setText("4");
            dialog.cmdApply->click();
            QVERIFY(!dialog.isVisible());
        }
        const FileRecord record = SiteRecord(site(), "held.txt");
        QCOMPARE(record.Controller + "|" + record.Description + "|" + record.Author + "|" +
                     record.Comment,
                 QStringLiteral("|The 'real' plan|Bob|Bob: fourth"));
        QCOMPARE(ann.cell("held.txt", Description) + "|" + ann.cell("held.txt", CheckedOut),
                 QStringLiteral("The 'real' plan|"));
        // The row's file changes with its cells, or the next operation
        // would act on the record as it was before.
        const ListedFile shown = ListedFileOf(*ann.row("held.txt"));
        QCOMPARE(shown.Record.Controller + "|" + shown.Record.Description + "|" +
                     QString::number(shown.LocalVersion),
                 QStringLiteral("|The 'real' plan|4"));
        // The local version makes the file current without a download.
        site().clearLog();
        QVERIFY(ann.open());
        QCOMPARE(ann.window()->LastCountOfOutdatedFiles, short(0));
        QVERIFY(!site().ftpLog().join('\n').contains("held.txt"));
        // After the refresh another member finds it free.
        QCOMPARE(openAs("Bob").cell("held.txt", CheckedOut), QString());
    }

    // Rows: "server box|local box|message ('' = applied)|shown server
    // version|stored local version", and whether the record went meanwhile.
    void versionsThatAreNotNumbers_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<bool>("removed");
        QTest::newRow("text is 0") << "abc|2||0|2" << false;
        QTest::newRow("leading number") << "7th| 3x||7|3" << false;
        QTest::newRow("server too big") << "40000|2|Overflow|4|4" << false;
        QTest::newRow("local too big") << "4|40000|Overflow|4|4" << false;
        QTest::newRow("server too big, record removed") << "40000|5||40000|5" << true;
    }
    void versionsThatAreNotNumbers()
    {
        QFETCH(QString, row);
        QFETCH(bool, removed);
        const QStringList fields = row.split('|');
        Member& ann = openStore("Ann", 4);
        ann.select({"held.txt"});
        if (removed)
            PublishControlFile(site(), {kRecords.at(0)});
        const QByteArray before = site().readSiteFile("qxg/_files.txt");
        if (!fields[2].isEmpty())
            services().expect(fields[2], vbCritical);
        {
            frmEditFileDetails dialog(ann.window());
            dialog.txtServerVersion->setText(fields[0]);
            dialog.txtLocalVersion->setText(fields[1]);
            dialog.txtAuthor->setText("Dee");
            dialog.cmdApply->click();
        }
        QCOMPARE(ann.cell("held.txt", LatestVersion) + "|" +
                     QString::number(FileVersions::Get("held.txt")),
                 fields[3] + "|" + fields[4]);
        if (!fields[2].isEmpty() || removed)
            QCOMPARE(site().readSiteFile("qxg/_files.txt"), before);
        else
            QCOMPARE(QString::number(SiteRecord(site(), "held.txt").CurrentVersion), fields[3]);
    }
};

QTEST_MAIN(TestFileActions)
#include "tst_fileactions.moc"
