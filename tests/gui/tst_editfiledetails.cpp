// The administrator's file details dialog: what it shows, and what Apply
// writes into the control file, the row and the local version.

#include "ModalDriver.h"
#include "SharedFilesFixture.h"

#include "store/FileVersions.h"
#include "ui/filelist/frmEditFileDetails.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace FileListColumns;

namespace {

// plan.txt is held by Bob, owned by Cid, at version 4; the member has version 2.
const QStringList kRecords = {
    RecordLine("notes.txt", 1, "", "Ann", "Notes", "Ann: *new file*"),
    RecordLine("plan.txt", 4, "Bob", "Cid", "The plan", "Bob: fourth"),
};

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

class TestEditFileDetails : public SharedFilesTestCase
{
    Q_OBJECT

    Member& openStore()
    {
        PublishControlFile(site(), kRecords);
        Member& ann = openAs("Ann", 4);
        FileVersions::Set("plan.txt", 2);
        FileVersions::Set("notes.txt", 1);
        ann.window()->UpdateFileList();
        ann.select({"plan.txt"});
        return ann;
    }

private slots:
    void showsTheSelectedRowOrNothing()
    {
        Member& ann = openStore();
        QCOMPARE(Texts(frmEditFileDetails(ann.window())),
                 (QStringList{"plan.txt", "Bob", "Bob: fourth", "The plan", "Cid", "4", "2"}));

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

    void applyWritesEveryFieldAndFreesTheFile()
    {
        Member& ann = openStore();
        {
            frmEditFileDetails dialog(ann.window());
            dialog.show();
            dialog.txtCheckedOutBy->clear();
            dialog.txtFileDescription->setText("The \"real\" plan");
            dialog.txtLocalVersion->setText("4");
            dialog.cmdApply->click();
            QVERIFY(!dialog.isVisible());
        }
        const FileRecord record = SiteRecord(site(), "plan.txt");
        QCOMPARE(record.Controller + "|" + record.Description + "|" + record.Author + "|" +
                     record.Comment,
                 QStringLiteral("|The 'real' plan|Cid|Bob: fourth"));
        QCOMPARE(ann.cell("plan.txt", Description), QStringLiteral("The 'real' plan"));
        QCOMPARE(ann.cell("plan.txt", CheckedOut), QString());
        // The local version makes the file current without a download.
        QCOMPARE(FileVersions::Get("PLAN.TXT"), short(4));
        site().clearLog();
        QVERIFY(ann.open());
        QCOMPARE(ann.window()->LastCountOfOutdatedFiles, short(0));
        QVERIFY(!site().ftpLog().join('\n').contains("plan.txt"));

        // After the refresh another member finds it free.
        Member& bob = openAs("Bob");
        QCOMPARE(bob.cell("plan.txt", CheckedOut), QString());
    }

    void versionsThatAreNotNumbers_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("local");
        QTest::addColumn<bool>("removed");    // the record went meanwhile
        QTest::addColumn<QString>("message"); // "" = applied
        QTest::addColumn<QString>("shownServer");
        QTest::addColumn<int>("storedLocal");
        QTest::newRow("text is 0") << "abc"
                                   << "2" << false << ""
                                   << "0" << 2;
        QTest::newRow("leading number") << "7th"
                                        << " 3x" << false << ""
                                        << "7" << 3;
        QTest::newRow("server too big") << "40000"
                                        << "2" << false << "Overflow"
                                        << "4" << 2;
        QTest::newRow("local too big") << "4"
                                       << "40000" << false << "Overflow"
                                       << "4" << 2;
        QTest::newRow("server too big, record removed") << "40000"
                                                        << "5" << true << ""
                                                        << "40000" << 5;
    }
    void versionsThatAreNotNumbers()
    {
        QFETCH(QString, server);
        QFETCH(QString, local);
        QFETCH(bool, removed);
        QFETCH(QString, message);
        QFETCH(QString, shownServer);
        QFETCH(int, storedLocal);
        Member& ann = openStore();
        if (removed)
            PublishControlFile(site(), {kRecords.at(0)});
        const QByteArray before = site().readSiteFile("qxg/_files.txt");
        if (!message.isEmpty())
            services().expect(message, vbCritical);
        {
            frmEditFileDetails dialog(ann.window());
            dialog.txtServerVersion->setText(server);
            dialog.txtLocalVersion->setText(local);
            dialog.txtAuthor->setText("Dee");
            dialog.cmdApply->click();
        }
        QCOMPARE(ann.cell("plan.txt", LatestVersion), shownServer);
        QCOMPARE(FileVersions::Get("plan.txt"), short(storedLocal));
        if (!message.isEmpty() || removed)
            QCOMPARE(site().readSiteFile("qxg/_files.txt"), before);
        else
            QCOMPARE(SiteRecord(site(), "plan.txt").CurrentVersion, shownServer.toShort());
    }
};

QTEST_MAIN(TestEditFileDetails)
#include "tst_editfiledetails.moc"
