// Check out, check in and get latest version through the members' shared
// files windows against the local site, and the check-in dialog on its own.
// The branches of the operations are tested without windows (tst_sharedfiles);
// these are the scenarios that need the window: the buttons, the dialog, the
// rows and the rebuilt list.

#include "ModalDriver.h"
#include "SharedFilesFixture.h"

#include "app/GlobalState.h"
#include "app/modSkiff.h"
#include "store/FileVersions.h"
#include "transport/Inet.h"
#include "ui/filelist/frmCheckIn.h"
#include "ui/widgets/TransferProgress.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace modSkiff;
using namespace FileListColumns;

namespace {

using CheckInScript = ModalScript<frmCheckIn>;

CheckInScript::Action CheckInWith(const QString& comment, bool keep = false)
{
    return [=](frmCheckIn* dialog) {
        dialog->txtComments->clear();
        QTest::keyClicks(dialog->txtComments, comment);
        if (dialog->chkKeepFileCheckedOut->isChecked() != keep)
            dialog->chkKeepFileCheckedOut->click();
        QTest::mouseClick(dialog->cmdCheckIn, Qt::LeftButton);
    };
}

const QString kCwd = QStringLiteral("CWD /users/tarnwardens/qxg");
const QString kLock = QStringLiteral("/users/tarnwardens/qxg/_control.lock");

// What the dialog handed back: result, comment, keep, all, don't update.
QString Run(frmCheckIn& dialog, const QString& file, std::function<void(frmCheckIn*)> action)
{
    WhenShown<frmCheckIn>(std::move(action));
    QString comment;
    bool keep = false, all = false, dontUpdate = false;
    const bool result = dialog.Do_CheckInFile(file, comment, keep, all, dontUpdate);
    return QStringList{result ? "true" : "false", comment, keep ? "keep" : "-", all ? "all" : "-",
                       dontUpdate ? "don't update" : "-"}
        .join(',');
}

} // namespace

class TestCheckInOut : public SharedFilesTestCase
{
    Q_OBJECT

    void share(const QStringList& names)
    {
        for (const QString& name : names)
            PublishSharedFile(site(), name, "server " + name.toLatin1());
    }

private slots:
    // A member checks a file out, edits it and checks it in with a comment;
    // another sees his copy out of date and brings it level.
    void typicalRequest()
    {
        PublishControlFile(site(), {RecordLine("notes.txt", 3, "", "Ann", "Minutes", "Ann: x")});
        share({"notes.txt"});
        Member& bob = openAs("Bob");
        bob.select({"notes.txt"});
        QTest::mouseClick(bob.window()->cmdGetLatestVersion, Qt::LeftButton);
        Member& ann = openAs("Ann");
        ann.select({"notes.txt"});
        QTest::mouseClick(ann.window()->cmdCheckOut, Qt::LeftButton);
        QCOMPARE(SiteRecord(site(), "notes.txt").Controller, QStringLiteral("Ann"));
        QCOMPARE(ann.row("notes.txt")->smallIcon(), QStringLiteral(".txt"));
        QCOMPARE(ann.window()->LastCountOfCheckedOutFiles, short(1));

        ann.env.writeLocal("notes.txt", "edited");
        site().clearLog();
        CheckInScript dialogs({CheckInWith("fixed \"typos\"")});
        ann.select({"notes.txt"});
        QTest::mouseClick(ann.window()->cmdCheckIn, Qt::LeftButton);
        QCOMPARE(dialogs.shown, 1);
        const QStringList expected =
            // the member still holds it: asked of a fresh control file
            QStringList{"QUIT", kCwd, "RETR _files.txt"} +
            // the file goes up; the server's copy is kept until the record
            // says the new one is current
            SiteServer::UploadCommands("notes.txt") +
            // the control file's fetch and its upload under the server's
            // change lock, on a fresh connection
            QStringList{"MKD " + kLock, "STOR " + kLock + "/holder.txt", "QUIT", kCwd,
                        "RETR _files.txt"} +
            SiteServer::UploadCommands("_files.txt") +
            QStringList{"DELE " + kLock + "/holder.txt", "RMD " + kLock, "DELE notes.txt.backup",
                        // the rebuilt list
                        "QUIT", kCwd, "RETR _files.txt"};
        QCOMPARE(commands(), expected);
        QCOMPARE(SiteFields(site(), "notes.txt"), QStringLiteral("4,,Ann: fixed 'typos'"));
        QCOMPARE(site().readSiteFile("qxg/notes.txt"), QByteArray("edited"));
        QVERIFY(IsReadOnly("notes.txt"));
        QCOMPARE(ann.cell("notes.txt", MyVersion), QStringLiteral("4"));
        QCOMPARE(ann.window()->LastCountOfCheckedOutFiles, short(0));

        QVERIFY(bob.open());
        QCOMPARE(bob.row("notes.txt")->smallIcon(), QStringLiteral("old"));
        bob.select({"notes.txt"});
        bob.window()->mnuActionsGetLatestVersion->trigger();
        QCOMPARE(bob.env.readLocal("notes.txt"), QByteArray("edited"));
        QCOMPARE(bob.cell("notes.txt", MyVersion), QStringLiteral("4"));
        QCOMPARE(bob.window()->LastCountOfOutdatedFiles, short(0));
    }

    // With nothing selected, each operation only rebuilds the list.
    void nothingSelectedOnlyRebuildsTheList_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("check out") << "cmdCheckOut";
        QTest::newRow("check in") << "cmdCheckIn";
        QTest::newRow("get latest") << "cmdGetLatestVersion";
    }
    void nothingSelectedOnlyRebuildsTheList()
    {
        QFETCH(QString, button);
        PublishControlFile(site(), {RecordLine("a.txt", 1, "Ann")});
        Member& ann = openAs("Ann");
        ann.select({});
        site().clearLog();
        QTest::mouseClick(ann.window()->findChild<QToolButton*>(button), Qt::LeftButton);
        QCOMPARE(commands(), (QStringList{"QUIT", kCwd, "RETR _files.txt"}));
        QVERIFY(ann.list()->isEnabled());
    }

    // An error ends the check-in with its description; the list is still
    // rebuilt.
    void anErrorEndsTheCheckIn()
    {
        PublishControlFile(site(), {RecordLine("top.txt", 32767, "Ann")});
        share({"top.txt"});
        Member& ann = openAs("Ann");
        ann.env.writeLocal("top.txt", "local top");
        CheckInScript dialogs({CheckInWith("one more")});
        services().expect("Overflow", vbCritical);
        site().clearLog();
        ann.select({"top.txt"});
        QTest::mouseClick(ann.window()->cmdCheckIn, Qt::LeftButton);
        QCOMPARE(commands(), (QStringList{"QUIT", kCwd, "RETR _files.txt"}));
    }

    void thePlotDocumentIsOfferedAfterGetLatest()
    {
        PublishControlFile(site(), {RecordLine("QXPlot.doc", 12), RecordLine("other.txt", 1)});
        share({"QXPlot.doc", "other.txt"});
        Member& ann = openAs("Ann");
        services().expect("QXplot.doc has been updated, press OK to view the changes.",
                          vbOKCancel | vbInformation, vbOK);
        services().answer(vbOK); // it is not checked out: opened anyway
        ann.select({"QXPlot.doc", "other.txt"});
        QTest::mouseClick(ann.window()->cmdGetLatestVersion, Qt::LeftButton);
        QCOMPARE(services().shell.size(), 1);
        QCOMPARE(services().shell.first().path, ann.env.localPath("QXPlot.doc"));
        QCOMPARE(ann.list()->selectedItems(), QList<ListItem*>{ann.row("QXPlot.doc")});
    }

    // The dialog is kept between check-ins with what the member left in it.
    void theCheckInDialogRemembersItsAnswers()
    {
        PublishControlFile(site(),
                           {RecordLine("kept.txt", 4, "Ann"), RecordLine("next.txt", 1, "Ann")});
        share({"kept.txt"});
        Member& ann = openAs("Ann");
        ann.env.writeLocal("kept.txt", "local kept");
        ann.env.writeLocal("next.txt", "local next");
        {
            CheckInScript dialogs({CheckInWith("halfway", true)});
            ann.select({"kept.txt"});
            QTest::mouseClick(ann.window()->cmdCheckIn, Qt::LeftButton);
        }
        QCOMPARE(SiteFields(site(), "kept.txt"), QStringLiteral("5,Ann,Ann: halfway"));
        QVERIFY(!IsReadOnly("kept.txt"));
        QString comment;
        bool keep = false;
        CheckInScript again({[&](frmCheckIn* dialog) {
            comment = dialog->txtComments->text();
            keep = dialog->chkKeepFileCheckedOut->isChecked();
            dialog->chkKeepFileCheckedOut->click();
            dialog->cmdCheckIn->click();
        }});
        ann.select({"next.txt"});
        ann.window()->mnuActionsCheckIn->trigger();
        QCOMPARE(comment, QStringLiteral("halfway"));
        QVERIFY(keep);
        QCOMPARE(SiteFields(site(), "next.txt"), QStringLiteral("2,,Ann: halfway"));
        QCOMPARE(ann.window()->findChildren<frmCheckIn*>().size(), 1);
    }

    // The waits let the member close the window or refresh the list while an
    // operation runs: neither touches the connection under the operation
    // (its session and folder stay its own), the list is rebuilt and the
    // window closes once it is over. The member acts while the first
    // file's message is up.
    void theMemberActsDuringTransfers()
    {
        PublishControlFile(site(), {RecordLine("nowhere.txt", 1), RecordLine("after.txt", 2),
                                    RecordLine("also.txt", 4)});
        share({"after.txt", "also.txt"});
        Member& ann = openAs("Ann");
        // The first file's message is up; the member acts during the
        // transfers that follow it.
        QString step; // what the window said it was doing at the question
        auto actMidway = [&](std::function<void(frmFileList*)> act,
                             std::function<void(frmFileList*)> operation) {
            QVERIFY(ann.open());
            QPointer<frmFileList> window = ann.window();
            bool running = true;
            bool goneWhileRunning = false;
            QObject watcher;
            connect(window, &QObject::destroyed, &watcher, [&] { goneWhileRunning = running; });
            services().onNextMessage([&] {
                site().clearLog();
                step = window->lblOperation->text() + " " +
                       QString::number(window->prgOperation->value()) + "/" +
                       QString::number(window->prgOperation->maximum());
                act(window);
            });
            ann.select({"nowhere.txt", "after.txt", "also.txt"});
            operation(window);
            running = false;
            QVERIFY(!goneWhileRunning);
            // Nothing ended the session between the question and the files.
            const QStringList log = commands();
            QVERIFY2(log.indexOf("QUIT") > log.indexOf("ls also.txt"), qPrintable(log.join('|')));
        };

        services().expect("nowhere.txt does not exist on the server.", vbCritical);
        actMidway([](frmFileList* window) { window->close(); },
                  [](frmFileList* window) { window->GetLatestVersion(); });
        QCOMPARE(step, "Getting 1 of 3: nowhere.txt 0/3");
        QCOMPARE(ann.env.readLocal("also.txt"), QByteArray("server also.txt"));
        QCOMPARE(FileVersions::Get("after.txt"), short(2));
        QTRY_VERIFY(!ann.window());

        services().answer(vbNo);
        actMidway([](frmFileList* window) { window->UpdateFileList(); },
                  [](frmFileList* window) { window->CheckOut(); });
        QCOMPARE(SiteRecord(site(), "after.txt").Controller, QStringLiteral("Ann"));
        QCOMPARE(SiteRecord(site(), "also.txt").Controller, QStringLiteral("Ann"));
        QCOMPARE(ann.cell("also.txt", CheckedOut), QStringLiteral("Ann"));
        QCOMPARE(step, "Checking out 1 of 3: nowhere.txt 0/3");
        QVERIFY(ann.window()->lblOperation->text().isEmpty());
    }

    // Cancel pressed once the first file's transfer is over stops the batch
    // there: the first file is done and recorded (server and member hold the
    // same copy), the others stay as they were.
    void cancelStopsTheBatchAfterTheCurrentFile_data()
    {
        QTest::addColumn<bool>("checkIn");
        QTest::addColumn<QString>("firstFields");
        QTest::newRow("check out") << false << "1,Ann,";
        QTest::newRow("check in") << true << "2,,Ann: done";
    }
    void cancelStopsTheBatchAfterTheCurrentFile()
    {
        QFETCH(bool, checkIn);
        QFETCH(QString, firstFields);
        const QString holder = checkIn ? "Ann" : "";
        const QStringList names{"first.txt", "second.txt", "third.txt"};
        PublishControlFile(site(), {RecordLine(names[0], 1, holder), RecordLine(names[1], 1, holder),
                                    RecordLine(names[2], 1, holder)});
        share(names);
        Member& ann = openAs("Ann");
        for (const QString& name : names)
            ann.env.writeLocal(name, "mine " + name.toLatin1());
        frmFileList* window = ann.window();
        bool first = false;
        connect(window->inet, &Inet::TransferStarted, window, [&](int kind, const QString& name) {
            first = kind == (checkIn ? itUpload : itDownload) && name.contains(names[0]);
        });
        connect(window->inet, &Inet::TransferFinished, window, [&] {
            if (std::exchange(first, false))
                window->picTransfer->cmdCancelTransfer->click();
        });
        CheckInScript dialogs({CheckInWith("done"), CheckInWith("done"), CheckInWith("done")});
        ann.select(names);
        QTest::mouseClick(checkIn ? window->cmdCheckIn : window->cmdCheckOut, Qt::LeftButton);

        QCOMPARE(SiteFields(site(), names[0]), firstFields);
        QCOMPARE(site().readSiteFile("qxg/" + names[0]), ann.env.readLocal(names[0]));
        for (const QString& name : names.mid(1)) {
            QCOMPARE(SiteFields(site(), name), "1," + holder + ",");
            QCOMPARE(site().readSiteFile("qxg/" + name), "server " + name.toLatin1());
            QCOMPARE(ann.env.readLocal(name), "mine " + name.toLatin1());
        }
    }
};

class TestCheckInDialog : public QObject
{
    Q_OBJECT

private slots:
    // Closing only hides the dialog: it keeps what the member left in it.
    void eachWayOutAnswers_data()
    {
        QTest::addColumn<QString>("button"); // "" = the close box
        QTest::addColumn<QString>("outcome");
        QTest::newRow("check in") << "cmdCheckIn"
                                  << "true,done,keep,-,-";
        QTest::newRow("check in all") << "cmdCheckInAll"
                                      << "true,done,keep,all,-";
        QTest::newRow("cancel") << "cmdCancel"
                                << "false,done,keep,-,-";
        QTest::newRow("close box") << ""
                                   << "false,done,keep,-,-";
    }
    void eachWayOutAnswers()
    {
        QFETCH(QString, button);
        QFETCH(QString, outcome);
        frmCheckIn dialog;
        // An earlier Check In All does not carry over.
        Run(dialog, "x.txt", [](frmCheckIn* d) { d->cmdCheckInAll->click(); });
        QString shownFile;
        QCOMPARE(Run(dialog, "report.doc",
                     [&](frmCheckIn* d) {
                         shownFile = d->txtCheckingInFile->text();
                         d->txtComments->setText("done");
                         d->chkKeepFileCheckedOut->click();
                         button.isEmpty() ? (void)d->close()
                                          : d->findChild<QPushButton*>(button)->click();
                     }),
                 outcome);
        QCOMPARE(shownFile, "report.doc");
        QCOMPARE(dialog.txtComments->text(), "done");
    }

    void theTwoBoxesExcludeEachOtherAndGivingBackSetsTheCommentAside()
    {
        frmCheckIn dialog;
        dialog.chkKeepFileCheckedOut->click();
        QVERIFY(!dialog.chkRevert->isEnabled());
        dialog.chkKeepFileCheckedOut->click();
        bool othersEnabled = true;
        QCOMPARE(Run(dialog, "a.txt",
                     [&](frmCheckIn* d) {
                         d->txtComments->setText("lost work");
                         d->chkRevert->click();
                         othersEnabled =
                             d->chkKeepFileCheckedOut->isEnabled() || d->txtComments->isEnabled();
                         d->cmdCheckIn->click();
                     }),
                 "true,,-,-,don't update");
        QVERIFY(!othersEnabled);
        // Shown again, unticking brings the comment back.
        QCOMPARE(Run(dialog, "b.txt",
                     [&](frmCheckIn* d) {
                         d->chkRevert->click();
                         othersEnabled =
                             d->chkKeepFileCheckedOut->isEnabled() && d->txtComments->isEnabled();
                         d->cmdCheckIn->click();
                     }),
                 "true,lost work,-,-,-");
        QVERIFY(othersEnabled);
    }

    // Typed or pasted, a double quote becomes an apostrophe at once, and the
    // caret stays where it was.
    void quotesBecomeApostrophes()
    {
        frmCheckIn dialog;
        dialog.show();
        QLineEdit* box = dialog.txtComments;
        QTest::keyClicks(box, "\"quoted\"");
        box->setCursorPosition(1);
        QTest::keyClick(box, '"');
        QCOMPARE(box->text(), "''quoted'");
        QCOMPARE(box->cursorPosition(), 2);
        QGuiApplication::clipboard()->setText("say \"yes\" ");
        box->setText("then stop");
        box->setCursorPosition(5);
        box->paste();
        QCOMPARE(box->text(), "then say 'yes' stop");
        QCOMPARE(box->cursorPosition(), 15);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestCheckInDialog dialog;
    TestCheckInOut operations;
    return QTest::qExec(&dialog, argc, argv) | QTest::qExec(&operations, argc, argv);
}

#include "tst_checkinout.moc"
