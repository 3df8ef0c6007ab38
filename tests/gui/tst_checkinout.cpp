// Check out, check in and get latest version, end to end: members' shared
// files windows against the local site, the server's files, its control file
// and the FTP commands it received.

#include "ScriptedServices.h"
#include "SharedFilesFixture.h"

#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "store/FileVersions.h"
#include "transport/Inet.h"
#include "ui/filelist/frmCheckIn.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

using namespace modSkiff;

namespace {

using DialogAnswer = std::function<void(frmCheckIn*)>;

// Answers the check-in dialogs the program shows, in order, each answer
// closing its dialog. A dialog beyond the script is cancelled and counted.
class CheckInDialogs : public QObject
{
public:
    explicit CheckInDialogs(QList<DialogAnswer> answers) : m_answers(std::move(answers))
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<frmCheckIn*>(widget);
                if (!dialog || !dialog->isVisible())
                    continue;
                files << dialog->txtCheckingInFile->text();
                if (m_answers.isEmpty()) {
                    ++unexpected;
                    QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
                } else {
                    m_answers.takeFirst()(dialog);
                }
            }
        });
        m_poll.start(5);
    }
    QStringList files; // the file each dialog named
    int unexpected = 0;

private:
    QList<DialogAnswer> m_answers;
    QTimer m_poll;
};

DialogAnswer CheckInWith(const QString& comment, bool keep = false, bool dontUpdate = false,
                         bool all = false)
{
    return [=](frmCheckIn* dialog) {
        if (dialog->chkRevert->isChecked())
            dialog->chkRevert->click();
        dialog->txtComments->clear();
        QTest::keyClicks(dialog->txtComments, comment);
        if (dialog->chkKeepFileCheckedOut->isChecked() != keep)
            dialog->chkKeepFileCheckedOut->click();
        if (dontUpdate)
            dialog->chkRevert->click();
        QTest::mouseClick(all ? dialog->cmdCheckInAll : dialog->cmdCheckIn, Qt::LeftButton);
    };
}

// The server log without the session's own traffic (log-in, transfer modes,
// data connections): the commands the operation chose, in order.
QStringList Commands(const QStringList& log)
{
    static const QStringList session = {"USER", "PASS", "PWD",  "TYPE", "PASV", "EPSV", "EPRT",
                                        "PORT", "SYST", "FEAT", "OPTS", "SIZE", "MDTM", "REST"};
    QStringList commands;
    for (const QString& line : log)
        if (!session.contains(line.section(QLatin1Char(' '), 0, 0).toUpper()))
            commands << line;
    return commands;
}

bool Sends(const QStringList& log)
{
    return log.join('\n').contains(QLatin1String("STOR "));
}

void Press(QToolButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// Version, holder and comment of a record, as the control file has them.
QString Fields(const FileRecord& record)
{
    return QString::number(record.CurrentVersion) + ',' + record.Controller + ',' + record.Comment;
}

} // namespace

class TestCheckInOut : public QObject
{
    Q_OBJECT

    SiteServer* m_site = nullptr;

    void publish(const QStringList& records) { PublishControlFile(*m_site, records); }
    void share(const QStringList& names, const QByteArray& prefix = "server ")
    {
        for (const QString& name : names)
            PublishSharedFile(*m_site, name, prefix + name.toLatin1());
    }
    QByteArray serverFile(const QString& name) const { return m_site->readSiteFile("qxg/" + name); }
    QByteArray controlFile() const { return serverFile("_files.txt"); }
    QString fields(const QString& name) const { return Fields(SiteRecord(*m_site, name)); }
    QString holder(const QString& name) const { return SiteRecord(*m_site, name).Controller; }

private slots:
    void initTestCase()
    {
        m_site = new SiteServer;
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void cleanupTestCase() { delete m_site; }
    void init()
    {
        QDir group(m_site->sitePath("qxg"));
        QVERIFY(group.removeRecursively() && QDir().mkpath(group.path()));
        m_site->clearLog();
    }

    // Ann checks a file out, edits it and checks it in with a comment; Bob
    // sees his copy out of date and brings it level.
    void typicalRequest()
    {
        ScriptedServices services;
        publish({RecordLine("notes.txt", 3, "", "Ann", "Minutes", "Ann: *new file*")});
        share({"notes.txt"});
        Member ann("Ann"), bob("Bob");
        QVERIFY(bob.open());
        bob.select({"notes.txt"});
        Press(bob.window()->cmdGetLatestVersion);

        QVERIFY(ann.open());
        ann.select({"notes.txt"});
        Press(ann.window()->cmdCheckOut);
        QCOMPARE(holder("notes.txt"), QStringLiteral("Ann"));
        QCOMPARE(ann.env.readLocal("notes.txt"), QByteArray("server notes.txt"));
        QVERIFY(!IsReadOnly("notes.txt"));
        QCOMPARE(ann.window()->LastCountOfCheckedOutFiles, short(1));

        ann.env.writeLocal("notes.txt", "edited");
        m_site->clearLog();
        CheckInDialogs dialogs({CheckInWith("fixed \"typos\"")});
        ann.select({"notes.txt"});
        Press(ann.window()->cmdCheckIn);
        QCOMPARE(dialogs.files, QStringList{"notes.txt"});
        const QString cwd = "CWD /users/tarnwardens/qxg";
        const QStringList expected = {
            // the file goes up; the server's copy is kept until it arrived
            "QUIT", cwd, "DELE notes.txt.backup", "RNFR notes.txt", "RNTO notes.txt.backup",
            "STOR notes.txt", "MLST notes.txt", "DELE notes.txt.backup",
            // a fresh connection, the control file's fetch and its upload
            "QUIT", cwd, "QUIT", cwd, "RETR _files.txt", "DELE _files.txt.backup",
            "RNFR _files.txt", "RNTO _files.txt.backup", "STOR _files.txt",
            // the rebuilt list
            "QUIT", cwd, "RETR _files.txt"};
        QCOMPARE(Commands(m_site->ftpLog()), expected);
        QCOMPARE(fields("notes.txt"), QStringLiteral("4,,Ann: fixed 'typos'"));
        QCOMPARE(SiteRecord(*m_site, "notes.txt").Description, QStringLiteral("Minutes"));
        QCOMPARE(serverFile("notes.txt"), QByteArray("edited"));
        QVERIFY(IsReadOnly("notes.txt"));
        QCOMPARE(FileVersions::Get("notes.txt"), short(4));
        QCOMPARE(ann.cell("notes.txt", "myver"), QStringLiteral("4"));

        QVERIFY(bob.open());
        QCOMPARE(bob.row("notes.txt")->smallIcon(), QStringLiteral("old"));
        bob.select({"notes.txt"});
        Press(bob.window()->cmdGetLatestVersion);
        QCOMPARE(bob.env.readLocal("notes.txt"), QByteArray("edited"));
        QVERIFY(IsReadOnly("notes.txt"));
        QCOMPARE(bob.cell("notes.txt", "myver"), QStringLiteral("4"));
        QCOMPARE(bob.window()->LastCountOfOutdatedFiles, short(0));
        QVERIFY(services.shown.isEmpty());
    }

    void checkOutPassesOverHeldFilesAndTheLaterWins()
    {
        ScriptedServices services;
        publish({RecordLine("held.txt", 2, "Ann"), RecordLine("missing.txt", 1),
                 RecordLine("free.txt", 5)});
        share({"held.txt", "free.txt"});
        Member ann("Ann"), bob("Bob");
        QVERIFY(ann.open());
        QVERIFY(bob.open());

        // Held by Ann: passed over silently, still selected when the next
        // file's question comes.
        m_site->clearLog();
        bool heldStillSelected = false;
        services.onNextMessage([&] { heldStillSelected = bob.row("held.txt")->selected(); });
        services.answer(vbNo);
        bob.select({"held.txt", "missing.txt"});
        Press(bob.window()->cmdCheckOut);
        QCOMPARE(services.prompts(), QStringList{"missing.txt does not exist on the server.\r\n\r\n"
                                                 "Do you still want to check this file out?"});
        QCOMPARE(services.last().style, int(vbYesNo | vbCritical));
        QVERIFY(heldStillSelected);
        QVERIFY(!m_site->ftpLog().join('\n').contains("held.txt"));
        QVERIFY(!Sends(m_site->ftpLog()));

        // Both see free.txt free: the later record upload wins. Bob's old
        // read-only copy becomes the local backup.
        bob.env.writeLocal("free.txt", "bob's old copy");
        SetReadOnly("free.txt", true);
        ann.activate();
        ann.select({"free.txt"});
        Press(ann.window()->cmdCheckOut);
        QCOMPARE(holder("free.txt"), QStringLiteral("Ann"));
        bob.activate();
        bob.select({"free.txt"});
        Press(bob.window()->cmdCheckOut);
        QCOMPARE(fields("free.txt"), QStringLiteral("5,Bob,"));
        QCOMPARE(bob.env.readLocal("free.txt"), QByteArray("server free.txt"));
        QVERIFY(!IsReadOnly("free.txt"));
        QCOMPARE(bob.env.readLocal("free.txt.backup"), QByteArray("bob's old copy"));
        QCOMPARE(FileVersions::Get("free.txt"), short(5));
        QCOMPARE(services.shown.size(), 1);
    }

    void oneDialogForAllOrNothingOnCancel()
    {
        ScriptedServices services;
        publish({RecordLine("a.txt", 1, "Ann"), RecordLine("b.txt", 7, "Ann"),
                 RecordLine("free.txt", 2, "", "", "", "Bob: x"), RecordLine("c.txt", 3, "Ann")});
        share({"a.txt", "b.txt", "c.txt", "free.txt"});
        Member ann("Ann");
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            ann.env.writeLocal(name, QByteArray("local ") + name);
        QVERIFY(ann.open());

        // Cancel on the second file: the first is not checked in either.
        const QByteArray before = controlFile();
        m_site->clearLog();
        {
            CheckInDialogs dialogs({CheckInWith("first"), [](frmCheckIn* dialog) {
                                        QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
                                    }});
            ann.select({"a.txt", "b.txt"});
            Press(ann.window()->cmdCheckIn);
            QCOMPARE(dialogs.files, (QStringList{"a.txt", "b.txt"}));
        }
        QVERIFY(!Sends(m_site->ftpLog()));
        QVERIFY(!m_site->ftpLog().join('\n').contains("RNFR"));
        QCOMPARE(controlFile(), before);
        QVERIFY(!IsReadOnly("a.txt"));

        // Check In All on the first file: its comment and options serve all
        // three; a selected file Ann does not hold is passed over.
        CheckInDialogs dialogs({CheckInWith("batch", true, false, true)});
        ann.select({"a.txt", "b.txt", "free.txt", "c.txt"});
        Press(ann.window()->cmdCheckIn);
        QCOMPARE(dialogs.files, QStringList{"a.txt"});
        QCOMPARE(fields("a.txt"), QStringLiteral("2,Ann,Ann: batch"));
        QCOMPARE(fields("b.txt"), QStringLiteral("8,Ann,Ann: batch"));
        QCOMPARE(fields("c.txt"), QStringLiteral("4,Ann,Ann: batch"));
        QCOMPARE(fields("free.txt"), QStringLiteral("2,,Bob: x"));
        QCOMPARE(serverFile("c.txt"), QByteArray("local c.txt"));
        QCOMPARE(serverFile("free.txt"), QByteArray("server free.txt"));
        QCOMPARE(FileVersions::Get("b.txt"), short(8));
        QVERIFY(!IsReadOnly("b.txt"));
        QCOMPARE(m_site->ftpLog().count("STOR _files.txt"), 1);
        QVERIFY(services.shown.isEmpty());
    }

    // Keep file checked out and Don't update server in one check-in; the
    // next check-in finds the dialog as it was left.
    void keepOrGiveBackAndTheDialogRemembers()
    {
        ScriptedServices services;
        publish({RecordLine("kept.txt", 4, "Ann", "", "", "Ann: before"),
                 RecordLine("reverted.txt", 9, "Ann", "", "", "Ann: before"),
                 RecordLine("next.txt", 1, "Ann")});
        share({"kept.txt", "reverted.txt"});
        Member ann("Ann");
        for (const char* name : {"kept.txt", "reverted.txt", "next.txt"})
            ann.env.writeLocal(name, QByteArray("local ") + name);
        FileVersions::Set("reverted.txt", 9);
        QVERIFY(ann.open());
        {
            CheckInDialogs dialogs({CheckInWith("halfway", true), [](frmCheckIn* dialog) {
                                        dialog->chkKeepFileCheckedOut->click();
                                        dialog->chkRevert->click();
                                        dialog->cmdCheckIn->click();
                                    }});
            ann.select({"kept.txt", "reverted.txt"});
            Press(ann.window()->cmdCheckIn);
            QCOMPARE(dialogs.files.size(), 2);
        }
        QCOMPARE(fields("kept.txt"), QStringLiteral("5,Ann,Ann: halfway"));
        QCOMPARE(serverFile("kept.txt"), QByteArray("local kept.txt"));
        QCOMPARE(FileVersions::Get("kept.txt"), short(5));
        QVERIFY(!IsReadOnly("kept.txt"));
        QCOMPARE(fields("reverted.txt"), QStringLiteral("9,,Ann: before"));
        QCOMPARE(serverFile("reverted.txt"), QByteArray("server reverted.txt"));
        QCOMPARE(FileVersions::Get("reverted.txt"), short(9));
        QVERIFY(IsReadOnly("reverted.txt"));
        QCOMPARE(ann.env.readLocal("reverted.txt"), QByteArray("local reverted.txt"));

        QString comment;
        bool keep = true;
        bool revert = false;
        CheckInDialogs again({[&](frmCheckIn* dialog) {
            revert = dialog->chkRevert->isChecked();
            dialog->chkRevert->click(); // the put-aside comment comes back
            comment = dialog->txtComments->text();
            keep = dialog->chkKeepFileCheckedOut->isChecked();
            QTest::mouseClick(dialog->cmdCheckIn, Qt::LeftButton);
        }});
        ann.select({"next.txt"});
        ann.window()->mnuActionsCheckIn->trigger();
        QVERIFY(revert);
        QCOMPARE(comment, QStringLiteral("halfway"));
        QVERIFY(!keep);
        QCOMPARE(fields("next.txt"), QStringLiteral("2,,Ann: halfway"));
        QCOMPARE(ann.window()->findChildren<frmCheckIn*>().size(), 1);
        QVERIFY(services.shown.isEmpty());
    }

    void aMissingLocalCopyIsGivenBackOnRequest()
    {
        ScriptedServices services;
        const QStringList held = {RecordLine("here.txt", 1, "Ann", "", "", "Ann: x"),
                                  RecordLine("gone.txt", 6, "Ann", "", "", "Ann: x")};
        publish(held);
        share({"here.txt", "gone.txt"});
        Member ann("Ann");
        ann.env.writeLocal("here.txt", "local here");
        QVERIFY(ann.open());
        const QString question =
            "The file gone.txt does not exist on your local computer.  Press OK to check this "
            "file in without updating the server (you will lose any changes you may have made).";

        // Alone: the question, Cancel by default; OK gives it back, no dialog.
        {
            CheckInDialogs none({});
            ann.select({"gone.txt"});
            Press(ann.window()->cmdCheckIn);
            QCOMPARE(services.prompts(), QStringList{question});
            QCOMPARE(services.last().style, int(vbOKCancel | vbCritical | vbDefaultButton2));
            QCOMPARE(holder("gone.txt"), QStringLiteral("Ann"));
            services.answer(vbOK);
            ann.select({"gone.txt"});
            Press(ann.window()->cmdCheckIn);
            QCOMPARE(fields("gone.txt"), QStringLiteral("6,,Ann: x"));
            QCOMPARE(none.files, QStringList());
            QVERIFY(!m_site->ftpLog().contains("STOR gone.txt"));
        }

        // After Check In All the same question gives back only that file...
        publish(held);
        QVERIFY(ann.open());
        services.clear();
        services.answer(vbOK);
        {
            CheckInDialogs dialogs({CheckInWith("sent", false, false, true)});
            ann.select({"here.txt", "gone.txt"});
            Press(ann.window()->cmdCheckIn);
        }
        QCOMPARE(services.prompts(), QStringList{question});
        QCOMPARE(fields("here.txt"), QStringLiteral("2,,Ann: sent"));
        QCOMPARE(fields("gone.txt"), QStringLiteral("6,,Ann: x"));

        // ...and when everything is given back, it is not asked at all.
        publish(held);
        QVERIFY(ann.open());
        services.clear();
        CheckInDialogs dialogs({CheckInWith("", false, true, true)});
        ann.select({"here.txt", "gone.txt"});
        Press(ann.window()->cmdCheckIn);
        QVERIFY(services.shown.isEmpty());
        QCOMPARE(fields("here.txt"), QStringLiteral("1,,Ann: x"));
        QCOMPARE(holder("gone.txt"), QString());
    }

    void aSendThatDoesNotArriveChangesNoRecord()
    {
        ScriptedServices services;
        publish({RecordLine("arrives.txt", 2, "Ann"), RecordLine("bounced.txt", 3, "Ann")});
        share({"arrives.txt", "bounced.txt"});
        m_site->refuse("bounced.txt");
        Member ann("Ann");
        ann.env.writeLocal("arrives.txt", "local arrives");
        ann.env.writeLocal("bounced.txt", "local bounced");
        QVERIFY(ann.open());
        const QByteArray before = controlFile();

        CheckInDialogs dialogs({CheckInWith("try", false, false, true)});
        ann.select({"arrives.txt", "bounced.txt"});
        Press(ann.window()->cmdCheckIn);
        QCOMPARE(services.prompts(), QStringList{"Error sending bounced.txt, please try again."});
        QCOMPARE(services.last().style, int(vbCritical));
        QCOMPARE(serverFile("bounced.txt"), QByteArray("server bounced.txt"));
        QVERIFY(!m_site->siteFileExists("qxg/bounced.txt.backup"));
        QCOMPARE(serverFile("arrives.txt"), QByteArray("local arrives"));
        QCOMPARE(controlFile(), before);
        QCOMPARE(FileVersions::Get("arrives.txt"), short(0));
        QVERIFY(!IsReadOnly("arrives.txt"));
        QCOMPARE(ann.cell("bounced.txt", "owner"), QStringLiteral("Ann")); // rebuilt
    }

    void serverBackupsAreRestoredAndLostFilesReported()
    {
        ScriptedServices services;
        publish({RecordLine("lost1.txt", 2), RecordLine("nowhere.txt", 1),
                 RecordLine("lost2.txt", 5), RecordLine("local only.txt", 3)});
        share({"lost1.txt.backup", "lost2.txt.backup"});
        Member bob("Bob");
        bob.env.writeLocal("local only.txt", "my own copy");
        QVERIFY(bob.open());
        const QString notOnServer = " does not exist on the server.";
        const QString stillCheckOut = "\r\n\r\nDo you still want to check this file out?";

        // Check out: restored, then fetched. Missing: No passes the file
        // over; Yes checks out the local copy as it is.
        services.answer(vbNo);
        services.answer(vbYes);
        bob.select({"lost1.txt", "nowhere.txt", "local only.txt"});
        Press(bob.window()->cmdCheckOut);
        QCOMPARE(services.prompts(), (QStringList{"nowhere.txt" + notOnServer + stillCheckOut,
                                                  "local only.txt" + notOnServer + stillCheckOut}));
        QCOMPARE(serverFile("lost1.txt"), QByteArray("server lost1.txt.backup"));
        QVERIFY(!m_site->siteFileExists("qxg/lost1.txt.backup"));
        QCOMPARE(bob.env.readLocal("lost1.txt"), QByteArray("server lost1.txt.backup"));
        QCOMPARE(holder("lost1.txt"), QStringLiteral("Bob"));
        QCOMPARE(holder("nowhere.txt"), QString());
        QCOMPARE(holder("local only.txt"), QStringLiteral("Bob"));
        QCOMPARE(bob.env.readLocal("local only.txt"), QByteArray("my own copy"));

        // Get latest: the same restore; the lost file is reported and the
        // next one still comes.
        services.clear();
        bob.select({"nowhere.txt", "lost2.txt"});
        Press(bob.window()->cmdGetLatestVersion);
        QCOMPARE(services.prompts(), QStringList{"nowhere.txt" + notOnServer});
        QCOMPARE(services.last().style, int(vbCritical));
        QCOMPARE(services.last().title, AppTitle());
        QCOMPARE(serverFile("lost2.txt"), QByteArray("server lost2.txt.backup"));
        QVERIFY(!m_site->siteFileExists("qxg/lost2.txt.backup"));
        QCOMPARE(bob.env.readLocal("lost2.txt"), QByteArray("server lost2.txt.backup"));
        QCOMPARE(FileVersions::Get("lost2.txt"), short(5));
    }

    void readOnlyCopiesAndLocalBackups()
    {
        ScriptedServices services;
        publish({RecordLine("doc.txt", 2), RecordLine("mine.txt", 4, "Ann")});
        share({"doc.txt"});
        Member ann("Ann");
        ann.env.writeLocal("doc.txt", "first local");
        ann.env.writeLocal("mine.txt", "my edits");
        SetReadOnly("doc.txt", true);
        QVERIFY(ann.open());

        // A read-only copy is replaced; fetched twice, one backup remains.
        for (int round = 0; round < 2; ++round) {
            ann.select({"doc.txt"});
            Press(ann.window()->cmdGetLatestVersion);
        }
        QVERIFY(services.shown.isEmpty());
        QVERIFY(IsReadOnly("doc.txt"));
        QCOMPARE(QDir().entryList({"*.backup"}, QDir::Files), QStringList{"doc.txt.backup"});
        QCOMPARE(ann.env.readLocal("doc.txt.backup"), QByteArray("server doc.txt"));
        QVERIFY(!IsReadOnly("doc.txt.backup"));

        // Ann's own checked-out copy is not fetched, only counted as
        // current, and it stays selected.
        m_site->clearLog();
        bool seen = false;
        bool stillSelected = false;
        QObject watcher;
        connect(ann.window()->inet, &Inet::StateChanged, &watcher, [&] {
            if (!std::exchange(seen, true)) // the rebuild's first command
                stillSelected = ann.row("mine.txt")->selected();
        });
        ann.select({"mine.txt"});
        Press(ann.window()->cmdGetLatestVersion);
        QVERIFY(stillSelected);
        QVERIFY(!m_site->ftpLog().contains("RETR mine.txt"));
        QCOMPARE(ann.env.readLocal("mine.txt"), QByteArray("my edits"));
        QCOMPARE(FileVersions::Get("mine.txt"), short(4));

        // NoReadOnly keeps fetched and checked-in copies writable.
        NoReadOnly = true;
        ann.select({"doc.txt"});
        Press(ann.window()->cmdGetLatestVersion);
        QVERIFY(!IsReadOnly("doc.txt"));
        CheckInDialogs dialogs({CheckInWith("done")});
        ann.select({"mine.txt"});
        Press(ann.window()->cmdCheckIn);
        QCOMPARE(fields("mine.txt"), QStringLiteral("5,,Ann: done"));
        QVERIFY(!IsReadOnly("mine.txt"));
    }

    void thePlotDocumentIsOfferedAfterGetLatest()
    {
        ScriptedServices services;
        publish({RecordLine("QXPlot.doc", 12), RecordLine("other.txt", 1)});
        share({"QXPlot.doc", "other.txt"});
        Member ann("Ann");
        QVERIFY(ann.open());
        const QString offer = "QXplot.doc has been updated, press OK to view the changes.";

        ann.select({"other.txt"});
        Press(ann.window()->cmdGetLatestVersion);
        services.answer(vbCancel);
        ann.select({"QXPlot.doc"});
        Press(ann.window()->cmdGetLatestVersion);
        QCOMPARE(services.prompts(), QStringList{offer});
        QCOMPARE(services.last().style, int(vbOKCancel | vbInformation));
        QVERIFY(services.shell.isEmpty());

        services.answer(vbOK);
        ann.select({"QXPlot.doc", "other.txt"});
        Press(ann.window()->cmdGetLatestVersion);
        QCOMPARE(ann.list()->selectedItems(), QList<ListItem*>{ann.row("QXPlot.doc")});
        QCOMPARE(services.shell.size(), 1);
        QCOMPARE(services.shell.first().kind, ShellRequest::OpenFile);
        QVERIFY(services.shell.first().path.endsWith("QXPlot.doc"));
    }

    void readOnlyMembersCannotCheckOut()
    {
        ScriptedServices services;
        publish({RecordLine("any.txt", 1)});
        Member reader("Rita", 2);
        QVERIFY(reader.open());
        m_site->clearLog();
        reader.select({});
        reader.window()->mnuActionsCheckOut->trigger();
        QCOMPARE(services.prompts(), QStringList{"Sorry, you do not have access to that feature."});
        QCOMPARE(services.last().style, int(vbCritical));
        QCOMPARE(services.last().title, AppTitle());
        QCOMPARE(m_site->ftpLog(), QStringList());
    }

    void failuresEndTheOperationWithTheirDescription()
    {
        ScriptedServices services;
        publish({RecordLine("top.txt", 32767, "Ann"), RecordLine("blocked.txt", 2),
                 RecordLine("after.txt", 2)});
        share({"top.txt", "blocked.txt", "after.txt"});
        Member ann("Ann");
        ann.env.writeLocal("top.txt", "local top");
        ann.env.writeLocal("blocked.txt", "local blocked");
        // A folder where the local backup must go: it cannot be replaced.
        QVERIFY(QDir().mkpath("blocked.txt.backup/inside"));
        QVERIFY(ann.open());
        const QByteArray before = controlFile();

        // The highest version cannot be raised: nothing is sent.
        m_site->clearLog();
        CheckInDialogs dialogs({CheckInWith("one more")});
        ann.select({"top.txt"});
        Press(ann.window()->cmdCheckIn);
        QCOMPARE(services.prompts(), QStringList{"Overflow"});
        QCOMPARE(services.last().style, int(vbCritical));
        QVERIFY(!Sends(m_site->ftpLog()));
        QCOMPARE(ann.cell("top.txt", "owner"), QStringLiteral("Ann")); // rebuilt

        // A copy that cannot be moved aside ends get latest: the rows not
        // reached stay selected, the list is not rebuilt.
        services.clear();
        m_site->clearLog();
        ann.select({"blocked.txt", "after.txt"});
        Press(ann.window()->cmdGetLatestVersion);
        QCOMPARE(services.prompts(), QStringList{"Permission denied"});
        QCOMPARE(services.last().style, int(vbCritical));
        QVERIFY(ann.row("after.txt")->selected());
        QVERIFY(!QFile::exists("after.txt"));
        QVERIFY(!m_site->ftpLog().contains("RETR _files.txt"));

        // The same for check out, and no record changes.
        services.clear();
        ann.select({"blocked.txt"});
        Press(ann.window()->cmdCheckOut);
        QCOMPARE(services.prompts(), QStringList{"Permission denied"});
        QCOMPARE(controlFile(), before);
        QCOMPARE(ann.env.readLocal("blocked.txt"), QByteArray("local blocked"));
    }

    void namesUnfitForTheLocalFolderAreSkipped()
    {
        ScriptedServices services;
        publish({RecordLine("../escape.txt", 1, "Ann"), RecordLine("fine.txt", 1, "Ann")});
        share({"fine.txt"});
        Member ann("Ann");
        ann.env.writeLocal("fine.txt", "local fine");
        QVERIFY(ann.open());
        const QStringList refusal = {"../escape.txt is not a valid local file name."};
        auto run = [&](QToolButton* button) {
            services.clear();
            m_site->clearLog();
            ann.select({"../escape.txt", "fine.txt"});
            Press(button);
            QCOMPARE(services.prompts(), refusal);
            QVERIFY(!m_site->ftpLog().join('\n').contains("escape"));
        };

        CheckInDialogs dialogs({CheckInWith("ok")});
        run(ann.window()->cmdCheckIn);
        QCOMPARE(dialogs.files, QStringList{"fine.txt"});
        QCOMPARE(fields("fine.txt"), QStringLiteral("2,,Ann: ok"));

        publish({RecordLine("../escape.txt", 1), RecordLine("fine.txt", 3)});
        QVERIFY(ann.open());
        run(ann.window()->cmdGetLatestVersion);
        QCOMPARE(FileVersions::Get("fine.txt"), short(3));
        run(ann.window()->cmdCheckOut);
        QCOMPARE(holder("fine.txt"), QStringLiteral("Ann"));
        QCOMPARE(holder("../escape.txt"), QString());
    }

    // The waits let the member close the window or refresh the list while an
    // operation runs: the operation finishes on the files' current rows, and
    // the window closes afterwards.
    void theMemberActsDuringTransfers()
    {
        ScriptedServices services;
        publish(
            {RecordLine("nowhere.txt", 1), RecordLine("after.txt", 2), RecordLine("also.txt", 4)});
        share({"after.txt", "also.txt"});
        Member ann("Ann");
        // The first file's message is up; the member acts during the
        // transfers that follow it.
        auto actMidway = [&](std::function<void(frmFileList*)> act,
                             std::function<void(frmFileList*)> operation) {
            QVERIFY(ann.open());
            QPointer<frmFileList> window = ann.window();
            bool running = true;
            bool goneWhileRunning = false;
            QObject watcher;
            connect(window, &QObject::destroyed, &watcher, [&] { goneWhileRunning = running; });
            services.onNextMessage([&] { QTimer::singleShot(0, window, [&] { act(window); }); });
            ann.select({"nowhere.txt", "after.txt", "also.txt"});
            operation(window);
            running = false;
            QVERIFY(!goneWhileRunning);
        };

        actMidway([](frmFileList* window) { window->close(); },
                  [](frmFileList* window) { window->GetLatestVersion(); });
        QCOMPARE(ann.env.readLocal("also.txt"), QByteArray("server also.txt"));
        QCOMPARE(FileVersions::Get("after.txt"), short(2));
        QTRY_VERIFY(!ann.window());

        services.answer(vbNo);
        actMidway([](frmFileList* window) { window->UpdateFileList(); },
                  [](frmFileList* window) { window->CheckOut(); });
        QCOMPARE(holder("after.txt"), QStringLiteral("Ann"));
        QCOMPARE(holder("also.txt"), QStringLiteral("Ann"));
        QCOMPARE(ann.cell("also.txt", "owner"), QStringLiteral("Ann"));
    }
};

QTEST_MAIN(TestCheckInOut)
#include "tst_checkinout.moc"
