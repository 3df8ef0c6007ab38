// The administrator's file details dialog: what it shows, and what Apply
// writes into the control file, the list and the local version.

#include "ModalDriver.h"
#include "ScriptedServices.h"
#include "SharedFilesFixture.h"

#include "app/GlobalState.h"
#include "store/FileVersions.h"
#include "ui/filelist/frmEditFileDetails.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace modSkiff;

namespace {

// plan.txt is held by Bob, owned by Cid, at version 4; Ann has version 2.
const QStringList kRecords = {
    RecordLine("notes.txt", 1, "", "Ann", "Notes", "Ann: *new file*"),
    RecordLine("plan.txt", 4, "Bob", "Cid", "The plan", "Bob: fourth"),
};

QList<QLineEdit*> Boxes(const frmEditFileDetails& dialog)
{
    return {dialog.txtFileName,        dialog.txtCheckedOutBy, dialog.txtLastComment,
            dialog.txtFileDescription, dialog.txtAuthor,       dialog.txtServerVersion,
            dialog.txtLocalVersion};
}

} // namespace

class TestEditFileDetails : public QObject
{
    Q_OBJECT

    SiteServer* m_site = nullptr;

    bool openStore(Member& member)
    {
        PublishControlFile(*m_site, kRecords);
        PublishSharedFile(*m_site, "plan.txt", "plan");
        member.activate();
        FileVersions::Set("plan.txt", 2);
        FileVersions::Set("notes.txt", 1);
        member.env.writeLocal("plan.txt", "older plan");
        return member.open();
    }

private slots:
    void initTestCase()
    {
        m_site = new SiteServer;
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void cleanupTestCase() { delete m_site; }

    void showsTheSelectedRowOrNothing()
    {
        ScriptedServices services;
        Member ann("Ann", 4);
        QVERIFY(openStore(ann));
        QVERIFY(ann.window()->mnuActionsEditFileDetails->isEnabled());

        ann.select({});
        QStringList emptyTexts;
        bool applyEnabled = true;
        WhenShown<frmEditFileDetails>([&](frmEditFileDetails* dialog) {
            for (QLineEdit* box : Boxes(*dialog))
                emptyTexts << box->text();
            applyEnabled = dialog->cmdApply->isEnabled();
            dialog->cmdClose->click();
        });
        ann.window()->mnuActionsEditFileDetails->trigger();
        QCOMPARE(emptyTexts, QStringList(7, QString()));
        QVERIFY(!applyEnabled);

        ann.select({"plan.txt"});
        frmEditFileDetails dialog(ann.window());
        QStringList texts;
        for (QLineEdit* box : Boxes(dialog))
            texts << box->text();
        QCOMPARE(texts,
                 (QStringList{"plan.txt", "Bob", "Bob: fourth", "The plan", "Cid", "4", "2"}));
        QVERIFY(dialog.cmdApply->isEnabled());
        QVERIFY(dialog.txtFileName->isReadOnly());
        QVERIFY(services.shown.isEmpty());
    }

    void applyWritesEveryFieldAndFreesTheFile()
    {
        ScriptedServices services;
        Member ann("Ann", 4);
        QVERIFY(openStore(ann));
        ann.select({"plan.txt"});
        {
            frmEditFileDetails dialog(ann.window());
            dialog.show();
            dialog.txtCheckedOutBy->clear();
            dialog.txtFileDescription->setText("The \"real\" plan");
            dialog.txtLastComment->setText("Ann: fixed");
            dialog.cmdApply->click();
            QVERIFY(!dialog.isVisible());
        }
        QVERIFY(services.shown.isEmpty());
        const FileRecord record = SiteRecord(*m_site, "plan.txt");
        QCOMPARE(record.Controller, QString());
        QCOMPARE(record.Description, QStringLiteral("The 'real' plan"));
        QCOMPARE(record.Comment, QStringLiteral("Ann: fixed"));
        QCOMPARE(record.Author, QStringLiteral("Cid"));
        QCOMPARE(int(record.CurrentVersion), 4);
        QCOMPARE(SiteRecord(*m_site, "notes.txt").Description, QStringLiteral("Notes"));
        QCOMPARE(ann.cell("plan.txt", "desc"), QStringLiteral("The 'real' plan"));
        QCOMPARE(ann.cell("plan.txt", "owner"), QString());
        QCOMPARE(int(FileVersions::Get("plan.txt")), 2);

        // After the next refresh another member finds it free.
        Member bob("Bob", 3);
        QVERIFY(bob.open());
        QCOMPARE(bob.cell("plan.txt", "owner"), QString());
        QCOMPARE(bob.window()->LastCountOfCheckedOutFiles, short(0));
    }

    void aLocalVersionMakesTheFileCurrentWithoutADownload()
    {
        ScriptedServices services;
        Member ann("Ann", 4);
        QVERIFY(openStore(ann));
        QCOMPARE(ann.window()->LastCountOfOutdatedFiles, short(1));
        ann.select({"plan.txt"});
        {
            frmEditFileDetails dialog(ann.window());
            dialog.txtLocalVersion->setText("4");
            dialog.cmdApply->click();
        }
        QCOMPARE(int(FileVersions::Get("PLAN.TXT")), 4);
        QCOMPARE(ann.cell("plan.txt", "myver"), QStringLiteral("4"));
        m_site->clearLog();
        QVERIFY(ann.open());
        QCOMPARE(ann.window()->LastCountOfOutdatedFiles, short(0));
        QCOMPARE(ann.row("plan.txt")->smallIcon(), QStringLiteral(".txt"));
        for (const QString& line : m_site->ftpLog())
            QVERIFY2(!line.contains("plan.txt"), qPrintable(line));
        QCOMPARE(ann.env.readLocal("plan.txt"), QByteArray("older plan"));
    }

    void versionsThatAreNotNumbers_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("message"); // "" = applied
        QTest::addColumn<int>("storedServer");
        QTest::addColumn<int>("storedLocal");
        QTest::newRow("text is 0") << "abc"
                                   << "2"
                                   << "" << 0 << 2;
        QTest::newRow("leading number") << "7th"
                                        << " 3x"
                                        << "" << 7 << 3;
        QTest::newRow("server too big") << "40000"
                                        << "2"
                                        << "Overflow" << 4 << 2;
        QTest::newRow("local too big") << "4"
                                       << "40000"
                                       << "Overflow" << 4 << 2;
    }
    void versionsThatAreNotNumbers()
    {
        QFETCH(QString, server);
        QFETCH(QString, local);
        QFETCH(QString, message);
        QFETCH(int, storedServer);
        QFETCH(int, storedLocal);
        ScriptedServices services;
        Member ann("Ann", 4);
        QVERIFY(openStore(ann));
        const QByteArray before = m_site->readSiteFile("qxg/_files.txt");
        ann.select({"plan.txt"});
        {
            frmEditFileDetails dialog(ann.window());
            dialog.txtServerVersion->setText(server);
            dialog.txtLocalVersion->setText(local);
            dialog.txtAuthor->setText("Dee");
            dialog.cmdApply->click();
        }
        QCOMPARE(int(SiteRecord(*m_site, "plan.txt").CurrentVersion), storedServer);
        QCOMPARE(int(FileVersions::Get("plan.txt")), storedLocal);
        QCOMPARE(ann.cell("plan.txt", "ver"), QString::number(storedServer));
        QCOMPARE(ann.cell("plan.txt", "myver"), QString::number(storedLocal));
        if (message.isEmpty()) {
            QVERIFY(services.shown.isEmpty());
            QCOMPARE(SiteRecord(*m_site, "plan.txt").Author, QStringLiteral("Dee"));
            return;
        }
        QCOMPARE(services.prompts(), QStringList{message});
        QCOMPARE(services.last().icon(), int(vbCritical));
        QCOMPARE(m_site->readSiteFile("qxg/_files.txt"), before);
        QCOMPARE(ann.cell("plan.txt", "author"), QStringLiteral("Cid"));
    }
};

QTEST_MAIN(TestEditFileDetails)
#include "tst_editfiledetails.moc"
