// The shared-file operations without windows, against the local site: the
// commands each sends, what they do to the server's files, the control file,
// the local folder and the local versions, and what they show on the way.

#include "SiteTestCase.h"

#include "app/Clock.h"
#include "app/GlobalState.h"
#include "app/modSkiff.h"
#include "store/FileVersions.h"
#include "store/SharedFiles.h"
#include "site/ChangeLock.h"
#include "transport/FtpLink.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"

#include <QDir>
#include <QTimeZone>
#include <QtTest>

using namespace modSkiff;

namespace {

// Server commands joined by "|"; a fetch of the control file on a fresh
// connection, and its upload with a server backup.
const QString kCwd = QStringLiteral("CWD /users/tarnwardens/qxg");
const QString kFetch = "QUIT|" + kCwd + "|RETR _files.txt";
const QString kUpload = "STOR ._skiff.*._files.txt|DELE _files.txt.backup|RNFR _files.txt|"
                        "RNTO _files.txt.backup|RNFR ._skiff.*._files.txt|RNTO _files.txt";
const QString kLock = "/users/tarnwardens/qxg/_control.lock";
// A change of the control file under the server's change lock.
QString Locked(const QString& change)
{
    return "MKD " + kLock + "|STOR " + kLock + "/holder.txt|" + change + "|DELE " + kLock +
           "/holder.txt|RMD " + kLock;
}

// What the window would show, in order, and its log; at(event, step) runs
// a step once when the operation gets there, as another member's client
// would act at that moment.
class RecordingView : public SharedFilesView
{
public:
    QStringList events;
    QStringList reports;
    QStringList steps;
    void ShowStep(const QString& step, int done, int total) override
    {
        steps << step + (total ? QString(" [%1/%2]").arg(done).arg(total) : QString());
    }
    void at(const QString& event, std::function<void()> step)
    {
        m_at = event;
        m_step = std::move(step);
    }
    void ShowFile(const QString& name) override { record("show " + name); }
    void SelectFile(const QString& name, bool on) override
    {
        record((on ? "select " : "deselect ") + name);
    }
    void SetFileIcon(const QString& name, const QString& icon) override
    {
        record(name + " " + icon);
    }
    void SetLocalVersion(const QString& name, short version) override
    {
        record(name + " v" + QString::number(version));
    }
    void ReportFile(const QString& name, const QString& what) override
    {
        reports << name + ": " + what;
        reached(reports.last());
    }

private:
    void record(const QString& event)
    {
        events << event;
        reached(event);
    }
    void reached(const QString& event)
    {
        if (m_step && event == m_at)
            std::exchange(m_step, {})();
    }
    QString m_at;
    std::function<void()> m_step;
};

// The member's link, which can let another client act just before a
// command goes out.
class SteppingLink : public InetLink
{
public:
    using InetLink::InetLink;
    void before(const QString& command, std::function<void()> step)
    {
        m_before = command;
        m_step = std::move(step);
    }
    // Looks at the site before every command.
    std::function<void(const QString& command)> watch;
    void Run(const QString& command) override
    {
        if (watch)
            watch(command);
        if (m_step && command == m_before)
            std::exchange(m_step, {})();
        InetLink::Run(command);
    }

private:
    QString m_before;
    std::function<void()> m_step;
};

// Another member with a client of their own against the same site; made
// current on creation.
struct OtherMember
{
    explicit OtherMember(const QString& name) : env(name, 3), link(inet), files(link, &view)
    {
        inet.Host = SiteConfig::Host();
        inet.UserName = SiteConfig::FtpUserName();
        inet.Password = SiteConfig::FtpPassword();
    }
    TestEnv env;
    Inet inet;
    InetLink link;
    RecordingView view;
    SharedFiles files;
};

// A check-in dialog's answers; none is Cancel.
using DialogAnswer = std::optional<CheckInAnswers>;
CheckInAnswers Answers(const QString& comment, bool keep = false, bool dontUpdate = false,
                       bool all = false)
{
    return {comment, keep, dontUpdate, all};
}

} // namespace

Q_DECLARE_METATYPE(CheckInAnswers)

class TestSharedFiles : public SiteTestCase
{
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<Inet> m_inet;
    std::unique_ptr<SteppingLink> m_link;
    std::unique_ptr<RecordingView> m_view;
    std::unique_ptr<SharedFiles> m_files;
    QStringList m_dialogs; // the files the check-in dialog was shown for

    SharedFiles& files() { return *m_files; }
    void publish(const QStringList& records) { PublishControlFile(site(), records); }
    void share(const QStringList& names)
    {
        for (const QString& name : names)
            PublishSharedFile(site(), name, "server " + name.toLatin1());
    }
    QByteArray serverFile(const QString& name) { return site().readSiteFile("qxg/" + name); }
    // A file at a glance: its record (version, holder, comment), the server's
    // copy, the local copy, the local version and the local read-only mark.
    QString file(const QString& name)
    {
        return SiteFields(site(), name) + " | " + serverFile(name) + " | " +
               m_env->readLocal(name) + " | v" + QString::number(FileVersions::Get(name)) +
               (IsReadOnly(name) ? " read-only" : "");
    }
    QString sent() { return commands().join('|'); }
    // The files as the list shows them: the site's records and local versions.
    QList<ListedFile> listed(const QStringList& names)
    {
        QList<ListedFile> files;
        for (const QString& name : names)
            files.append({SiteRecord(site(), name), FileVersions::Get(name)});
        return files;
    }
    AskCheckIn dialog(QList<DialogAnswer> script)
    {
        return [this, script](const QString& name, CheckInAnswers& answers) mutable {
            m_dialogs << name;
            const DialogAnswer next = script.isEmpty() ? DialogAnswer() : script.takeFirst();
            if (next)
                answers = *next;
            return next.has_value();
        };
    }
    // The last message was the question of a member who found the change
    // lock held by holder, with Retry and Cancel.
    void verifyLockQuestion(const QString& holder)
    {
        const ShownMessage question = services().last();
        QVERIFY2(question.prompt.startsWith(holder + " is changing the group's files (since ") &&
                     question.prompt.endsWith("Press Retry to try again, or Cancel to leave "
                                              "your change undone."),
                 qPrintable(question.prompt));
        QCOMPARE(question.style, vbRetryCancel | vbExclamation);
    }
    // Time passes for the change lock alone, in steps the test chooses.
    void skipSeconds(int seconds)
    {
        m_skippedMs += qint64(seconds) * 1000;
        Clock::SetSteadySource([this] { return QDeadlineTimer::current().deadline() + m_skippedMs; });
    }
    qint64 m_skippedMs = 0;
    // Changes doc.txt's description to "new" under the change lock.
    bool changeDescription()
    {
        FileDetailsValues values;
        values.pvarDesc = "new";
        const bool changed = files().UpdateFileDetails("doc.txt", RecordChange::Update, values);
        return changed && SiteRecord(site(), "doc.txt").Description == "new";
    }

private slots:
    void init()
    {
        SiteTestCase::init();
        m_env = std::make_unique<TestEnv>(QStringLiteral("Ann"), 3);
        m_inet = std::make_unique<Inet>();
        m_inet->Host = SiteConfig::Host();
        m_inet->UserName = SiteConfig::FtpUserName();
        m_inet->Password = SiteConfig::FtpPassword();
        m_link = std::make_unique<SteppingLink>(*m_inet);
        m_view = std::make_unique<RecordingView>();
        m_files = std::make_unique<SharedFiles>(*m_link, m_view.get());
        m_dialogs.clear();
    }
    void cleanup()
    {
        Clock::SetSteadySource({});
        m_skippedMs = 0;
        m_files.reset();
        m_link.reset();
        m_inet.reset();
        m_env.reset();
        SiteTestCase::cleanup();
    }

    // Per file: cd, ls, and only when the file is missing the rename from
    // ".backup" and ls again; get. Check out takes every record in one
    // change of the control file before the files come down.
    void commandsPerFile_data()
    {
        QTest::addColumn<bool>("checkOut");
        QTest::newRow("check out") << true;
        QTest::newRow("get latest") << false;
    }
    void commandsPerFile()
    {
        QFETCH(bool, checkOut);
        publish({RecordLine("here.txt", 3), RecordLine("lost.txt", 5, "", "Orrin")});
        share({"here.txt", "lost.txt.backup"});
        const QList<ListedFile> selection = listed({"here.txt", "lost.txt"});
        // The second "cd" finds the connection already in the folder.
        const QString found = kCwd + "|ls here.txt|";
        const QString restored = "ls lost.txt|RNFR lost.txt.backup|RNTO lost.txt|ls lost.txt";
        QString expected;
        if (checkOut) {
            // Both records are taken in one change; the files come down after.
            QVERIFY(files().CheckOut(selection));
            expected = found + restored + "|" + Locked(kFetch + "|" + kUpload) +
                       "|RETR here.txt|RETR lost.txt";
            QCOMPARE(m_view->steps.join('|'),
                     "Checking out 1 of 2: here.txt [0/2]|Checking out 2 of 2: lost.txt [1/2]|"
                     "Updating the list of shared files|Downloading 1 of 2: here.txt [0/2]|"
                     "Downloading 2 of 2: lost.txt [1/2]");
        } else {
            QVERIFY(!files().GetLatestVersion(selection));
            expected = found + "RETR here.txt|" + restored + "|RETR lost.txt";
        }
        QCOMPARE(sent(), expected);
        QCOMPARE(file("lost.txt"),
                 checkOut ? "5,Ann, | server lost.txt.backup | server lost.txt.backup | v5"
                          : "5,, | server lost.txt.backup | server lost.txt.backup | v5 read-only");
        QVERIFY(!site().siteFileExists("qxg/lost.txt.backup"));
        QCOMPARE(SiteRecord(site(), "lost.txt").Author, QStringLiteral("Orrin"));
        QCOMPARE(m_view->events.join(", "),
                 checkOut ? "show here.txt, show lost.txt, show here.txt, here.txt v3, deselect here.txt, "
                            "here.txt open, show lost.txt, lost.txt v5, deselect lost.txt, "
                            "lost.txt open"
                          : "show here.txt, here.txt v3, deselect here.txt, here.txt unlocked, "
                            "show lost.txt, lost.txt v5, deselect lost.txt, lost.txt unlocked");
    }

    // Whether a file is free is judged on the list: files held are passed
    // over; a file missing on the server is asked about.
    void checkOutJudgesTheListAndAsksForMissingFiles()
    {
        QStringList records = {RecordLine("held.txt", 2, "Bob"), RecordLine("mine.txt", 1, "Ann"),
                               RecordLine("gone.txt", 1), RecordLine("local.txt", 4),
                               RecordLine("free.txt", 7)};
        publish(records);
        share({"held.txt", "mine.txt", "free.txt"});
        m_env->writeLocal("local.txt", "my own copy");
        const QList<ListedFile> selection =
            listed({"held.txt", "mine.txt", "gone.txt", "local.txt", "free.txt"});
        const QString question = " does not exist on the server.\r\n\r\nDo you still want to "
                                 "check this file out?";
        services().expect("gone.txt" + question, vbYesNo | vbCritical, vbNo);
        services().expect("local.txt" + question, vbYesNo | vbCritical, vbYes);
        QVERIFY(files().CheckOut(selection));
        QVERIFY(!sent().contains("held.txt") && !sent().contains("mine.txt"));
        // Members below full access may not check out at all.
        CurrentLevel = 2;
        services().expect("Sorry, you do not have access to that feature.", vbCritical);
        QVERIFY(!files().CheckOut(selection));
        QCOMPARE(SiteFields(site(), "held.txt") + SiteFields(site(), "gone.txt"),
                 QStringLiteral("2,Bob,1,,"));
        QCOMPARE(file("local.txt"), QStringLiteral("4,Ann, |  | my own copy | v4"));
        QCOMPARE(file("free.txt"),
                 QStringLiteral("7,Ann, | server free.txt | server free.txt | v7"));
    }

    // The member's previous copy survives as the one local backup, also when
    // it was read-only; check out leaves the new copy writable, get latest
    // marks it read-only unless the member chose otherwise.
    void fetchedCopies_data()
    {
        QTest::addColumn<bool>("checkOut");
        QTest::addColumn<bool>("noReadOnly");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("check out") << true << false << false;
        QTest::newRow("get latest") << false << false << true;
        QTest::newRow("get latest, never read-only") << false << true << false;
    }
    void fetchedCopies()
    {
        QFETCH(bool, checkOut);
        QFETCH(bool, noReadOnly);
        QFETCH(bool, readOnly);
        publish({RecordLine("doc.txt", 2)});
        share({"doc.txt"});
        m_env->writeLocal("doc.txt", "my copy");
        m_env->writeLocal("doc.txt.backup", "older copy");
        SetReadOnly("doc.txt", true, true);
        SetReadOnly("doc.txt.backup", true, true);
        NoReadOnly = noReadOnly;
        checkOut ? files().CheckOut(listed({"doc.txt"}))
                 : files().GetLatestVersion(listed({"doc.txt"}));
        QCOMPARE(m_env->readLocal("doc.txt") + " | " + m_env->readLocal("doc.txt.backup"),
                 QByteArray("server doc.txt | my copy"));
        QCOMPARE(QDir().entryList({"doc*"}), (QStringList{"doc.txt", "doc.txt.backup"}));
        QCOMPARE(IsReadOnly("doc.txt"), readOnly);
    }

    // The member's own checked-out copy is only counted as current; a lost
    // file is reported and the next one still comes; the plot document is
    // recognised in any letter case.
    void getLatestKeepsTheMembersCopyAndReportsLostFiles()
    {
        publish({RecordLine("mine.txt", 4, "Ann"), RecordLine("lost.txt", 1),
                 RecordLine("QXPlot.doc", 9, "Bob")});
        share({"mine.txt", "QXPlot.doc"});
        m_env->writeLocal("mine.txt", "my edits");
        QVERIFY(!files().GetLatestVersion(listed({"mine.txt"})));
        QCOMPARE(file("mine.txt"), QStringLiteral("4,Ann, | server mine.txt | my edits | v4"));
        QVERIFY(m_view->events.isEmpty());

        services().expect("lost.txt does not exist on the server.", vbCritical);
        QVERIFY(files().GetLatestVersion(listed({"lost.txt", "QXPlot.doc"})));
        QCOMPARE(m_env->readLocal("QXPlot.doc"), QByteArray("server QXPlot.doc"));
        QVERIFY(m_view->events.contains("QXPlot.doc locked"));
        QCOMPARE(FileVersions::Get("lost.txt"), short(0));
    }

    // A download that does not arrive is never recorded as done: the member
    // is told which file and why, the previous copy is back under its name
    // (read-only as it was), its version stays, check out does not take it,
    // and the next file still comes.
    void aFailedDownloadIsNeverRecorded_data()
    {
        QTest::addColumn<bool>("checkOut");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("why");
        const QString refused = "451 Requested action aborted: local error in processing.";
        QTest::newRow("refused, get latest") << false << "refused" << refused;
        QTest::newRow("refused, check out") << true << "refused" << refused;
        QTest::newRow("connection cut, get latest") << false << "cut" << "broke off";
        QTest::newRow("copy that cannot be moved aside, check out")
            << true << "blocked" << "Permission denied";
    }
    void aFailedDownloadIsNeverRecorded()
    {
        QFETCH(bool, checkOut);
        QFETCH(QString, failure);
        QFETCH(QString, why);
        publish({RecordLine("first.txt", 1), RecordLine("broken.txt", 3), RecordLine("after.txt", 2)});
        share({"first.txt", "broken.txt", "after.txt"});
        m_env->writeLocal("broken.txt", "my copy");
        SetReadOnly("broken.txt", true, true);
        FileVersions::Set("broken.txt", 2);
        if (failure == "refused")
            site().failOn("RETR", "broken.txt");
        else if (failure == "cut")
            site().dropOn("RETR", "broken.txt");
        else
            QVERIFY(QDir().mkpath("broken.txt.backup/inside"));
        services().answer(vbOK);
        const QList<ListedFile> selection = listed({"first.txt", "broken.txt", "after.txt"});
        checkOut ? files().CheckOut(selection) : files().GetLatestVersion(selection);
        // Check out took the three records in one change and gives the one
        // that did not come back in one more.
        QCOMPARE(site().ftpLog().filter(QRegularExpression("^MKD ")).size(), checkOut ? 2 : 0);
        QCOMPARE(SiteFields(site(), "first.txt"), checkOut ? "1,Ann," : "1,,");
        const QString prompt = services().last().prompt;
        QVERIFY2(prompt.startsWith("broken.txt could not be downloaded: ") && prompt.contains(why) &&
                     prompt.endsWith("\r\n\r\nYour copy of broken.txt is as it was."),
                 qPrintable(prompt));
        QCOMPARE(file("broken.txt"), QStringLiteral("3,, | server broken.txt | my copy | v2 read-only"));
        QCOMPARE(SiteFields(site(), "after.txt") + " " + m_env->readLocal("after.txt"),
                 checkOut ? QStringLiteral("2,Ann, server after.txt")
                          : QStringLiteral("2,, server after.txt"));
        QCOMPARE(FileVersions::Get("after.txt"), short(2));
    }

    // A listing that fails (answered with an error, or cut off) says nothing
    // about the file: the server's backup is never renamed over it, the
    // member is told the server could not be reached, and the next file
    // still comes.
    void aFailedListingIsNoMissingFile_data()
    {
        QTest::addColumn<bool>("checkOut");
        QTest::addColumn<bool>("cut");
        QTest::newRow("answered with an error, get latest") << false << false;
        QTest::newRow("connection cut, check out") << true << true;
    }
    void aFailedListingIsNoMissingFile()
    {
        QFETCH(bool, checkOut);
        QFETCH(bool, cut);
        publish({RecordLine("doc.txt", 4), RecordLine("after.txt", 2)});
        share({"doc.txt", "doc.txt.backup", "after.txt"});
        cut ? site().dropOn("MLST", "doc.txt") : site().failOn("MLST", "doc.txt");
        services().answer(vbOK);
        const QList<ListedFile> selection = listed({"doc.txt", "after.txt"});
        checkOut ? files().CheckOut(selection) : files().GetLatestVersion(selection);
        const QString prompt = services().last().prompt;
        QVERIFY2(prompt.startsWith("doc.txt was left as it is: the server could not be reached ("),
                 qPrintable(prompt));
        QVERIFY(!site().ftpLog().contains("RNFR doc.txt.backup"));
        QCOMPARE(serverFile("doc.txt") + " | " + serverFile("doc.txt.backup"),
                 QByteArray("server doc.txt | server doc.txt.backup"));
        QCOMPARE(SiteFields(site(), "doc.txt"), QStringLiteral("4,,"));
        QVERIFY(!QFile::exists("doc.txt"));
        QCOMPARE(FileVersions::Get("doc.txt") * 10 + FileVersions::Get("after.txt"), 2);
    }

    // Every upload of the control file is verified: refused, cut off or
    // stored short, the server's previous copy is put back, the member is
    // told, nothing counts as done (check out does not take the file, check
    // in leaves the local version and mark), and trying again works.
    void aControlFileThatDoesNotArriveChangesNothing_data()
    {
        QTest::addColumn<bool>("checkOut");
        QTest::addColumn<QString>("failure");
        QTest::newRow("refused, check out") << true << "refused";
        QTest::newRow("cut off, check in") << false << "cut";
        QTest::newRow("stored short, check out") << true << "short";
        QTest::newRow("stored short, check in") << false << "short";
    }
    void aControlFileThatDoesNotArriveChangesNothing()
    {
        QFETCH(bool, checkOut);
        QFETCH(QString, failure);
        publish({RecordLine("notes.txt", 4, checkOut ? "" : "Ann", "", "", "Bob: before")});
        share({"notes.txt"});
        m_env->writeLocal("notes.txt", "edited");
        FileVersions::Set("notes.txt", checkOut ? 3 : 4);
        const QByteArray before = serverFile("_files.txt");
        if (failure == "refused")
            site().refuse("_files.txt");
        else if (failure == "cut")
            site().dropOn("STOR", "_files.txt");
        else
            site().shorten("_files.txt");
        const auto run = [&] {
            const QList<ListedFile> selection = listed({"notes.txt"});
            checkOut ? void(files().CheckOut(selection))
                     : files().CheckIn(selection, dialog({Answers("done")}));
        };
        // A check in whose files went up says so: stored short, the member
        // tries again once the server works; cut off, has the server's
        // previous copy put back.
        const bool retry = !checkOut && failure == "short";
        if (retry)
            services().onNextMessage([&] { site().clearRefusals(); });
        services().answer(checkOut ? vbOK : retry ? vbRetry : vbCancel);
        run();
        const QString prompt = services().last().prompt;
        const QString ending =
            checkOut ? "and nothing was changed. Please try again."
                     : "was not changed: it still says notes.txt version 4, checked out to you."
                       "\r\n\r\nPress Retry to record the check in now, or Cancel to put the "
                       "server's previous copy back (your own copy stays as it is, and you can "
                       "check it in later).";
        QVERIFY2(prompt.startsWith("_files.txt could not be sent to the server: ") &&
                     prompt.contains("The server keeps the control file as it was") &&
                     prompt.endsWith(ending),
                 qPrintable(prompt));
        QVERIFY(!site().siteFileExists("qxg/notes.txt.backup"));
        if (retry) {
            QCOMPARE(SiteFields(site(), "notes.txt") + " " + serverFile("notes.txt"),
                     QStringLiteral("5,,Ann: done edited"));
            QCOMPARE(FileVersions::Get("notes.txt"), short(5));
            return;
        }
        QCOMPARE(serverFile("notes.txt"), QByteArray("server notes.txt"));
        QCOMPARE(serverFile("_files.txt"), before);
        QCOMPARE(FileVersions::Get("notes.txt"), short(checkOut ? 3 : 4));
        QVERIFY(!IsReadOnly("notes.txt"));

        site().clearRefusals();
        run();
        QCOMPARE(SiteFields(site(), "notes.txt"),
                 checkOut ? QStringLiteral("4,Ann,Bob: before") : QStringLiteral("5,,Ann: done"));
        QCOMPARE(FileVersions::Get("notes.txt"), short(checkOut ? 4 : 5));
    }

    // An upload never leaves the real name holding part of a file: before
    // every command the control file is the old or the new whole, missing
    // only between the two renames; a copy cut short never replaces it; a
    // server that refuses the rename into place gets the plain send; no
    // temporary copy is left behind.
    void theNameHoldsAWholeFileAtEveryMoment_data()
    {
        QTest::addColumn<QString>("failing"); // "shorten" or a command answered with 451
        QTest::addColumn<bool>("changed");
        QTest::newRow("sent") << "" << true;
        QTest::newRow("stored short") << "shorten" << false;
        QTest::newRow("no rename over a name") << "RNFR" << true;
    }
    void theNameHoldsAWholeFileAtEveryMoment()
    {
        QFETCH(QString, failing);
        QFETCH(bool, changed);
        publish({RecordLine("doc.txt", 3, "", "", "old")});
        const QByteArray before = serverFile("_files.txt");
        if (failing == "shorten")
            site().shorten("_files.txt");
        else if (!failing.isEmpty())
            site().failOn(failing, "_files.txt");
        QStringList seen;
        m_link->watch = [&](const QString& command) {
            if (!site().siteFileExists("qxg/_files.txt"))
                seen << "missing before " + command;
            else if (serverFile("_files.txt") != before &&
                     SiteRecord(site(), "doc.txt").Description != "new")
                seen << "partial before " + command;
        };
        if (!changed)
            services().answer(vbOK);
        QCOMPARE(changeDescription(), changed);
        m_link->watch = {};
        seen.replaceInStrings(QRegularExpression(" \\._skiff\\..*"), QString());
        QCOMPARE(seen, failing.isEmpty() ? QStringList{"missing before rename"} : QStringList());
        QCOMPARE(QDir(site().sitePath("qxg")).entryList({"._skiff.*"}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // A reader that finds the name missing (an upload between its two
    // renames) tries once more.
    void aReaderFindsTheNameMissingOnce()
    {
        publish({RecordLine("doc.txt", 3, "", "", "old")});
        const QString get = "GET _files.txt _files.txt";
        const QString path = site().sitePath("qxg/_files.txt");
        m_link->before(get, [&] {
            QFile::rename(path, path + ".moving");
            m_link->before(get, [&] { QFile::rename(path + ".moving", path); });
        });
        QVERIFY(changeDescription());
    }

    // The three ways a file comes back, and the local side of each.
    void checkInChoices_data()
    {
        QTest::addColumn<CheckInAnswers>("answers");
        QTest::addColumn<bool>("noReadOnly");
        QTest::addColumn<QString>("outcome");
        const QString sent = "5,,Ann: fixed 'it' | edited | edited | v5";
        QTest::newRow("check in") << Answers("fixed 'it'") << false << sent + " read-only";
        QTest::newRow("never read-only") << Answers("fixed 'it'") << true << sent;
        QTest::newRow("keep checked out") << Answers("fixed 'it'", true) << false
                                          << "5,Ann,Ann: fixed 'it' | edited | edited | v5";
        QTest::newRow("don't update server")
            << Answers("", false, true) << false
            << "4,,Bob: before | server notes.txt | edited | v4 read-only";
    }
    void checkInChoices()
    {
        QFETCH(CheckInAnswers, answers);
        QFETCH(bool, noReadOnly);
        QFETCH(QString, outcome);
        publish({RecordLine("notes.txt", 4, "Ann", "Bob", "Notes", "Bob: before")});
        share({"notes.txt"});
        m_env->writeLocal("notes.txt", "edited");
        FileVersions::Set("notes.txt", 4);
        NoReadOnly = noReadOnly;
        files().CheckIn(listed({"notes.txt"}), dialog({answers}));
        QCOMPARE(m_dialogs, QStringList{"notes.txt"});
        QCOMPARE(file("notes.txt"), outcome);
        QCOMPARE(SiteRecord(site(), "notes.txt").Description, QStringLiteral("Notes"));
        QVERIFY(!site().siteFileExists("qxg/notes.txt.backup"));
        QCOMPARE(m_view->events.join(", "),
                 QStringLiteral("show notes.txt, deselect notes.txt, show notes.txt, notes.txt "
                                "unlocked, show notes.txt, select notes.txt"));
    }

    // Check In All answers for every later file; Cancel anywhere sends nothing.
    void oneDialogForAllOrNothingOnCancel()
    {
        publish({RecordLine("a.txt", 1, "Ann"), RecordLine("free.txt", 2, "", "", "", "Bob: x"),
                 RecordLine("b.txt", 7, "Ann"), RecordLine("c.txt", 3, "Ann")});
        share({"a.txt", "b.txt", "c.txt", "free.txt"});
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            m_env->writeLocal(name, QByteArray("local ") + name);
        const QList<ListedFile> selection = listed({"a.txt", "free.txt", "b.txt", "c.txt"});
        const QByteArray before = serverFile("_files.txt");
        files().CheckIn(selection, dialog({Answers("first"), DialogAnswer()}));
        QCOMPARE(m_dialogs, (QStringList{"a.txt", "b.txt"}));
        QVERIFY(site().ftpLog().isEmpty());

        m_dialogs.clear();
        files().CheckIn(selection, dialog({Answers("batch", true, false, true)}));
        QCOMPARE(m_dialogs, QStringList{"a.txt"});
        QCOMPARE(SiteFields(site(), "a.txt") + " " + SiteFields(site(), "b.txt") + " " +
                     SiteFields(site(), "c.txt") + " " + SiteFields(site(), "free.txt"),
                 "2,Ann,Ann: batch 8,Ann,Ann: batch 4,Ann,Ann: batch 2,,Bob: x");
        QCOMPARE(serverFile("c.txt") + " " + serverFile("free.txt"),
                 QByteArray("local c.txt server free.txt"));
        QCOMPARE(commands().count("STOR ._skiff.*._files.txt"), 1);
    }

    // Another member's check-out replaced this member's hold (the later
    // upload wins): the check-in says so, sends nothing for that file and
    // keeps its local copy as it is; the member's other files go in.
    void aFileTakenOverIsNotCheckedIn()
    {
        const QString mine = RecordLine("mine.txt", 2, "Ann");
        publish({RecordLine("taken.txt", 4, "Ann", "", "", "Ann: x"), mine});
        share({"taken.txt", "mine.txt"});
        m_env->writeLocal("taken.txt", "my edits");
        m_env->writeLocal("mine.txt", "mine edited");
        FileVersions::Set("taken.txt", 4);
        const QList<ListedFile> selection = listed({"taken.txt", "mine.txt"});
        publish({RecordLine("taken.txt", 4, "Bob", "", "", "Ann: x"), mine});
        services().expect("taken.txt is checked out by Bob now: their check-out replaced yours. "
                          "Nothing was sent for taken.txt, and your local copy is kept as it is.",
                          vbExclamation);
        files().CheckIn(selection, dialog({Answers("done", false, false, true)}));
        QCOMPARE(file("taken.txt"), QStringLiteral("4,Bob,Ann: x | server taken.txt | my edits | v4"));
        QCOMPARE(file("mine.txt"),
                 QStringLiteral("3,,Ann: done | mine edited | mine edited | v3 read-only"));
    }

    void aMissingLocalCopyIsGivenBackOnRequest()
    {
        const QStringList held = {RecordLine("here.txt", 1, "Ann", "", "", "Ann: x"),
                                  RecordLine("gone.txt", 6, "Ann", "", "", "Ann: x")};
        publish(held);
        share({"here.txt", "gone.txt"});
        m_env->writeLocal("here.txt", "local here");
        const QString question =
            "The file gone.txt does not exist on your local computer.  Press OK to check this "
            "file in without updating the server (you will lose any changes you may have made).";
        const int style = vbOKCancel | vbCritical | vbDefaultButton2;
        auto fields = [&] {
            return SiteFields(site(), "here.txt") + " " + SiteFields(site(), "gone.txt");
        };

        // Alone: Cancel abandons, OK gives it back without a dialog.
        services().expect(question, style, vbCancel);
        files().CheckIn(listed({"gone.txt"}), dialog({}));
        QVERIFY(site().ftpLog().isEmpty());
        services().expect(question, style, vbOK);
        files().CheckIn(listed({"gone.txt"}), dialog({}));
        QCOMPARE(fields(), QStringLiteral("1,Ann,Ann: x 6,,Ann: x"));
        QVERIFY(!sent().contains("STOR gone.txt"));

        // After Check In All the question gives back only that file.
        publish(held);
        services().expect(question, style, vbOK);
        files().CheckIn(listed({"here.txt", "gone.txt"}),
                        dialog({Answers("sent", false, false, true)}));
        QCOMPARE(fields(), QStringLiteral("2,,Ann: sent 6,,Ann: x"));
    }

    // A file the server refuses, or one its listing does not show after the
    // send: the server's copy comes back from ".backup" and no record
    // changes; a file sent before it stays sent.
    void aSendThatDoesNotArriveChangesNoRecord()
    {
        publish({RecordLine("arrives.txt", 2, "Ann"), RecordLine("bounced.txt", 3, "Ann")});
        share({"arrives.txt", "bounced.txt"});
        site().refuse("bounced.txt");
        m_env->writeLocal("arrives.txt", "local arrives");
        m_env->writeLocal("bounced.txt", "local bounced");
        const QByteArray before = serverFile("_files.txt");
        QCOMPARE(ErrorOf([&] {
                     files().CheckIn(listed({"arrives.txt", "bounced.txt"}),
                                     dialog({Answers("try", false, false, true)}));
                 }),
                 QStringLiteral("Error sending bounced.txt, please try again."));
        QCOMPARE(file("bounced.txt"),
                 QStringLiteral("3,Ann, | server bounced.txt | local bounced | v0"));
        QCOMPARE(file("arrives.txt"),
                 QStringLiteral("2,Ann, | local arrives | local arrives | v0"));
        QVERIFY(!site().siteFileExists("qxg/bounced.txt.backup"));
        QCOMPARE(serverFile("_files.txt"), before);

        // The highest version cannot be raised: nothing is sent.
        publish({RecordLine("top.txt", 32767, "Ann")});
        m_env->writeLocal("top.txt", "local");
        site().clearLog();
        QCOMPARE(ErrorOf([&] { files().CheckIn(listed({"top.txt"}), dialog({Answers("one")})); }),
                 QStringLiteral("Overflow"));
        QVERIFY(site().ftpLog().isEmpty());
    }

    void addFilesSendsFirstAndWritesTheRecordsInOneUpload()
    {
        publish({RecordLine("shared.txt", 2, "", "Bob")});
        m_env->writeLocal("alpha.txt", "alpha bytes");
        m_env->writeLocal("beta.gif", "GIF89a");
        services().answerInput("The \"first\" one");
        services().answerInput("Second");
        QVERIFY(files().AddFiles({"alpha.txt", "beta.gif"}));
        QCOMPARE(services().shown.at(0).prompt,
                 QStringLiteral("Please enter a file description for alpha.txt\r\n\r\nYou must "
                                "enter a description, or the file cannot be added."));
        QCOMPARE(sent(), kCwd + "|RETR _files.txt|QUIT|" + kCwd +
                             "|STOR ._skiff.*.alpha.txt|RNFR ._skiff.*.alpha.txt|RNTO alpha.txt|ls alpha.txt"
                             "|STOR ._skiff.*.beta.gif|RNFR ._skiff.*.beta.gif|RNTO beta.gif|ls beta.gif|" +
                             Locked(kFetch + "|" + kUpload));
        QCOMPARE(file("alpha.txt"),
                 QStringLiteral("1,,Ann: *new file* | alpha bytes | alpha bytes | v1"));
        const FileRecord alpha = SiteRecord(site(), "alpha.txt");
        QCOMPARE(alpha.Author + ", " + alpha.Description, QStringLiteral("Ann, The 'first' one"));
        QCOMPARE(SiteControlFile(site()).expectedCount, short(3));
        QCOMPARE(SiteControlFile(site()).listedCount(), 3);
    }

    // A reserved name and a name already shared (letter case ignored) are
    // refused; the other files are added.
    void addFilesRefusals()
    {
        publish({RecordLine("shared.txt", 2, "", "Bob")});
        for (const char* name : {"notes.backup", "SHARED.txt", "fine.txt"})
            m_env->writeLocal(name, "x");
        services().expect("notes.backup - files that start with \"_files.txt\" or end with "
                          "\"backup\" cannot be added.",
                          vbOKOnly);
        services().expect("SHARED.txt could not be added.\r\nA file with the same name already "
                          "exists.",
                          vbOKOnly);
        services().answerInput("Fine");
        QVERIFY(files().AddFiles({"notes.backup", "SHARED.txt", "fine.txt"}));
        QCOMPARE(SiteControlFile(site()).expectedCount, short(2));
        QVERIFY(!sent().contains("STOR notes") && !sent().contains("STOR SHARED"));
    }

    // A description left empty adds none of the files; a file that did not
    // arrive writes no record (files sent before it stay on the server).
    void addFilesAddsNothingOnFailure()
    {
        publish({RecordLine("shared.txt", 2)});
        const QByteArray before = serverFile("_files.txt");
        for (const char* name : {"one.txt", "two.txt", "three.txt"})
            m_env->writeLocal(name, "x");
        services().answerInput("First");
        services().answerInput("");
        services().expect("No Description Was Entered - two.txt Was Not Added\r\n\r\n"
                          "Operation Canceled",
                          vbOKOnly);
        QVERIFY(!files().AddFiles({"one.txt", "two.txt", "three.txt"}));
        QVERIFY(!sent().contains("STOR"));

        site().unlist("two.txt");
        services().answerInput("One");
        services().answerInput("Two");
        QCOMPARE(ErrorOf([&] {
                     files().AddFiles({"one.txt", "two.txt"});
                 }),
                 QStringLiteral("Error sending two.txt, please try again."));
        QCOMPARE(serverFile("_files.txt"), before);
        QVERIFY(site().siteFileExists("qxg/one.txt"));
    }

    // Missing, empty or short: fetched once more on a fresh connection, then
    // the member is asked; Cancel ends the program and leaves the server alone.
    void unusableControlFiles_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("status");
        QTest::newRow("missing") << QByteArray() << "file not found";
        QTest::newRow("empty") << QByteArray("") << "file is empty";
        QTest::newRow("release line only") << QByteArray("2.0.3\r\n") << "file is incomplete";
        QByteArray eleven = "2.0.3\r\n12\r\n";
        for (int i = 1; i <= 11; ++i)
            eleven += RecordLine(QString("f%1.txt").arg(i), 1).toLatin1() + "\r\n";
        QTest::newRow("12 expected, 11 found") << eleven << "12 files expected, 11 files found)";
        const QByteArray header = "2.0.3\r\n2\r\n" + RecordLine("a.txt", 1).toLatin1() + "\r\n";
        QTest::newRow("a version that is not a number")
            << header + "\"b.txt\",abc,\"\",\"\",\"\",\"\"\r\n"
            << "record 2 (b.txt): the version \"abc\" is not a number";
        QTest::newRow("a version above 32767")
            << header + "\"b.txt\",40000,\"\",\"\",\"\",\"\"\r\n"
            << "record 2 (b.txt): the version \"40000\" is above 32767";
        QTest::newRow("a count above 32767")
            << QByteArray("2.0.3\r\n40000\r\n") << "the count line \"40000\" is above 32767";
        QTest::newRow("empty names are not listed")
            << QByteArray("2.0.3\r\n2\r\n\"a.txt\",1,\"\",\"\",\"\",\"\"\r\n\"\",1,\"\",\"\",\"\","
                          "\"\"\r\n")
            << "2 files expected, 1 files found)";
    }
    void unusableControlFiles()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, status);
        if (!contents.isNull())
            site().writeSiteFile("qxg/_files.txt", contents);
        services().expect(
            "Skiff detected a corrupt or missing _files.txt on the server. This is probably the "
            "result of Skiff crashing the last time that you or another user was checking in, "
            "checking out, or adding files.\r\n\r\nSkiff will now try to restore _files.txt from "
            "a backup on the server.: If this fails, please email a copy of the _files.txt.backup "
            "file from your computer to Orrin.  This file should be found at " +
                m_env->localFolder() + ".\r\n\r\n(ERR: " + status +
                ")\r\n\r\nPress <OK> to attempt to restore _files.txt from the server backup.",
            vbOKCancel | vbCritical, vbCancel);
        QCOMPARE(files().CheckControlFile().outcome, ControlFileCheck::Refused);
        QCOMPARE(services().endProgramCalls, 1);
        // A missing file is asked for twice: an upload may be renaming it in.
        const QString fetch = kCwd + (contents.isNull() ? "|RETR _files.txt|RETR _files.txt"
                                                        : "|RETR _files.txt");
        QCOMPARE(sent(), fetch + "|QUIT|" + kCwd + "|QUIT|" + fetch);
    }

    // OK restores the member's own pre-change copy when there is one, else
    // the server's backup; a recovery that fails asks again at once.
    void recoveryRestoresABackup_data()
    {
        QTest::addColumn<bool>("ownCopy");
        QTest::addColumn<QString>("listed");
        QTest::newRow("the member's own copy") << true << "mine.txt";
        QTest::newRow("the server's backup") << false << "server.txt";
    }
    void recoveryRestoresABackup()
    {
        QFETCH(bool, ownCopy);
        QFETCH(QString, listed);
        PublishControlFile(site(), {}, 5);
        site().writeSiteFile("qxg/_files.txt.backup",
                             "2.0.3\r\n1\r\n" + RecordLine("server.txt", 1).toLatin1() + "\r\n");
        if (ownCopy)
            m_env->writeLocal("_files.txt.backup",
                              "2.0.3\r\n1\r\n" + RecordLine("mine.txt", 7).toLatin1() + "\r\n");
        services().answer(vbOK);
        const ControlFileCheck check = files().CheckControlFile();
        QVERIFY(services().last().prompt.contains("(ERR: 5 files expected, 0 files found))"));
        QCOMPARE(check.outcome, ControlFileCheck::Accepted);
        QCOMPARE(check.contents.records.value(0).Name, listed);
        QCOMPARE(SiteControlFile(site()).records.value(0).Name, listed);
    }

    // An accepted control file is fetched once. (What the window does with
    // one it cannot use is tested with the window, tst_filelist.)
    void anAcceptedControlFileIsFetchedOnce()
    {
        publish({RecordLine("a.txt", 1), RecordLine("b.txt", 2)});
        QCOMPARE(files().CheckControlFile().outcome, ControlFileCheck::Accepted);
        QCOMPARE(sent(), kCwd + "|RETR _files.txt");
    }

    // The owner's actions: who may use them, what they ask, what they change.
    void ownerActions()
    {
        publish({RecordLine("mine.txt", 2, "Bob", "Ann", "Mine", "Ann: x"),
                 RecordLine("theirs.txt", 3, "", "Bob", "Bob's plan", "Bob: x"),
                 RecordLine("free.txt", 1, "", "", "Orphan", "Cid: x")});
        share({"free.txt"});
        const FileRecord theirs = SiteRecord(site(), "theirs.txt");
        const FileRecord free = SiteRecord(site(), "free.txt");
        const FileRecord mine = SiteRecord(site(), "mine.txt");
        QString description;
        services().expect("Sorry, only Bob has permission to change theirs.txt's description.",
                          vbOKOnly);
        QVERIFY(!files().ChangeFileDescription(theirs, description));
        services().expect("Sorry, only Bob has permission to remove theirs.txt.", vbOKOnly);
        QVERIFY(!files().DeleteFile(theirs));
        services().expect("Sorry, you do not have control free.txt.", vbOKOnly);
        QVERIFY(!files().RelinquishControl(free));

        services().answerInput("Left by \"Cid\"");
        QVERIFY(files().ChangeFileDescription(free, description));
        QCOMPARE(services().last().prompt + "|" + services().last().defaultText,
                 "Please enter a new description for the following file:\r\n\r\nfree.txt|Orphan");
        QCOMPARE(description, QStringLiteral("Left by 'Cid'"));
        QCOMPARE(SiteRecord(site(), "free.txt").Description, description);
        services().answer(vbYes);
        QVERIFY(files().RelinquishControl(mine));
        QCOMPARE(SiteRecord(site(), "mine.txt").Author + SiteFields(site(), "mine.txt"),
                 QStringLiteral("2,Bob,Ann: x"));

        // Removing takes the record only; the file stays on the server.
        services().expect("Are you sure you want to remove free.txt from Skiff?\r\n\r\nNOTE: This "
                          "will not delete free.txt from your local computer nor will it delete "
                          "free.txt from the computer of any other Skiff user.",
                          vbYesNo | vbDefaultButton2 | vbExclamation, vbYes);
        QVERIFY(files().DeleteFile(free));
        QCOMPARE(SiteControlFile(site()).expectedCount, short(2));
        QCOMPARE(SiteControlFile(site()).listedCount(), 2);
        QVERIFY(site().siteFileExists("qxg/free.txt"));
    }

    void openFile_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("messages"); // text|style|answer
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("none") << QStringList() << QStringList{"No Files Are Selected|48|1"}
                              << QStringList();
        QTest::newRow("out of date")
            << QStringList{"old.txt"}
            << QStringList{"You do not have the latest version of this file.|16|1"}
            << QStringList();
        QTest::newRow("held by the member, in other letters")
            << QStringList{"held.txt"} << QStringList() << QStringList{"held.txt"};
        const QString notHeld = "You do not have theirs.txt checked out.  You will not be able to "
                                "save your changes to this file.|65|";
        QTest::newRow("held by another, OK")
            << QStringList{"theirs.txt"} << QStringList{notHeld + "1"} << QStringList{"theirs.txt"};
        const QString three = "Are you sure you want to open the 3 selected files?|36|";
        const QStringList all = {"theirs.txt", "old.txt", "held.txt"};
        QTest::newRow("three, Yes")
            << all
            << QStringList{three + "6", "1 files were not opened because you do not have the "
                                        "latest version of these files.|64|1"}
            << QStringList{"theirs.txt", "held.txt"};
        QTest::newRow("a name that leaves the local folder")
            << QStringList{"../escape.txt"}
            << QStringList{"../escape.txt is not a valid local file name.|16|1"} << QStringList();
    }
    void openFile()
    {
        QFETCH(QStringList, selected);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, opened);
        publish({RecordLine("old.txt", 5), RecordLine("held.txt", 4, "ann"),
                 RecordLine("theirs.txt", 3, "Bob"), RecordLine("../escape.txt", 0, "Ann")});
        FileVersions::Set("old.txt", 4);
        FileVersions::Set("held.txt", 4);
        FileVersions::Set("theirs.txt", 3);
        for (const QString& message : messages)
            services().expect(message.section('|', 0, 0), message.section('|', 1, 1).toInt(),
                              message.section('|', 2).toInt());
        files().OpenFile(listed(selected));
        QStringList paths;
        for (const ShellRequest& request : services().shell)
            paths << request.path.mid(m_env->localFolder().size());
        QCOMPARE(paths, opened);
    }

    // Two members saw the same file free. However their steps interleave,
    // exactly one holds it afterwards, the other is told, and the control
    // file holds one consistent record: a check out that lands first is seen
    // when the other changes the record under the lock; one tried while the
    // other holds the lock waits and asks, and the member cancels.
    void twoMembersCheckOutOneFreeFile_data()
    {
        QTest::addColumn<QString>("bobStartsAt"); // Ann's step at which Bob checks out
        QTest::addColumn<QString>("holder");
        QTest::newRow("Bob's lands first") << "show doc.txt" << "Bob";
        QTest::newRow("Bob tries while Ann holds the lock") << "_files.txt: sent" << "Ann";
    }
    void twoMembersCheckOutOneFreeFile()
    {
        QFETCH(QString, bobStartsAt);
        QFETCH(QString, holder);
        publish({RecordLine("doc.txt", 3)});
        share({"doc.txt"});
        const QList<ListedFile> seen = listed({"doc.txt"});
        OtherMember bob("Bob");
        m_env->activate();
        m_view->at(bobStartsAt, [&] {
            bob.env.activate();
            bob.files.CheckOut(seen);
            m_env->activate();
        });
        if (holder == "Bob")
            services().expect("doc.txt is now checked out by Bob, who took it after your list "
                              "was refreshed. It was not checked out for you.",
                              vbExclamation);
        else
            services().answer(vbCancel);
        QVERIFY(files().CheckOut(seen));
        if (holder == "Ann")
            verifyLockQuestion("Ann");
        QCOMPARE(SiteFields(site(), "doc.txt"), "3," + holder + ",");
        const ControlFile::Contents contents = SiteControlFile(site());
        QVERIFY(!contents.error);
        QCOMPARE(contents.expectedCount, short(1));
        QCOMPARE(contents.listedCount(), 1);
        QCOMPARE(FileVersions::Get("doc.txt"), short(holder == "Ann" ? 3 : 0));
        bob.env.activate();
        QCOMPARE(FileVersions::Get("doc.txt"), short(holder == "Bob" ? 3 : 0));
        m_env->activate();
        QVERIFY(!site().siteFileExists("qxg/_control.lock"));
    }

    // The interleaving that used to lose a change: Bob checks in while Ann's
    // check in has fetched the control file and not yet sent it back. He
    // waits for her lock and is asked; once she is done his next try goes
    // in, and both records changed.
    void twoMembersCheckInDifferentFiles()
    {
        publish({RecordLine("a.txt", 1, "Ann"), RecordLine("b.txt", 5, "Bob")});
        share({"a.txt", "b.txt"});
        m_env->writeLocal("a.txt", "Ann's edit");
        const QList<ListedFile> annSees = listed({"a.txt"});
        OtherMember bob("Bob");
        bob.env.writeLocal("b.txt", "Bob's edit");
        const QList<ListedFile> bobSees = listed({"b.txt"});
        m_env->activate();
        const auto bobChecksIn = [&] {
            bob.env.activate();
            bob.files.CheckIn(bobSees, dialog({Answers("his")}));
            m_env->activate();
        };
        m_view->at("a.txt unlocked", bobChecksIn);
        services().answer(vbCancel); // Ann's lock
        services().answer(vbCancel); // his file went up: he takes it back
        files().CheckIn(annSees, dialog({Answers("hers")}));
        QVERIFY(services().last().prompt.startsWith("The server now holds your copy of b.txt, but "
                                                    "the control file was not changed: it still "
                                                    "says b.txt version 5"));
        services().shown.removeLast();
        verifyLockQuestion("Ann");
        QCOMPARE(SiteFields(site(), "b.txt") + " " + serverFile("b.txt"),
                 QStringLiteral("5,Bob, server b.txt"));
        QVERIFY(!site().siteFileExists("qxg/b.txt.backup"));
        bobChecksIn();
        QCOMPARE(SiteFields(site(), "a.txt") + " " + SiteFields(site(), "b.txt"),
                 QStringLiteral("2,,Ann: hers 6,,Bob: his"));
        QCOMPARE(serverFile("a.txt") + " " + serverFile("b.txt"),
                 QByteArray("Ann's edit Bob's edit"));
    }

    // A lock left on the server by Cy: respected while young by the server's
    // clock (whatever Cy's clock wrote into it), taken over with a line in
    // the log once older than two minutes (by the time written in it where
    // the server has no MDTM), but not when another breaker (Dee) took it
    // over first; tried again on request; a lock the server will not create
    // (or hold a holder file for) is reported, changes nothing and is not
    // left behind.
    void aLockLeftOnTheServer_data()
    {
        QTest::addColumn<int>("storedAgo");  // seconds; -1: no lock
        QTest::addColumn<int>("writtenAgo"); // the time in the holder file
        QTest::addColumn<QString>("failing"); // a command the server answers with 451
        QTest::addColumn<int>("answer");      // to the question; 0: none asked
        QTest::addColumn<bool>("changed");
        QTest::newRow("young") << 5 << 5 << "" << int(vbCancel) << false;
        QTest::newRow("young, its holder's clock far behind") << 5 << 900 << "" << int(vbCancel)
                                                              << false;
        QTest::newRow("given back while the member is asked") << 5 << 5 << "" << int(vbRetry)
                                                              << true;
        QTest::newRow("older than two minutes") << 900 << 5 << "" << 0 << true;
        QTest::newRow("older, on a server without MDTM") << 5 << 900 << "MDTM" << 0 << true;
        QTest::newRow("older, but another breaker was first") << 900 << 900 << "" << int(vbCancel)
                                                              << false;
        QTest::newRow("the lock cannot be created") << -1 << 0 << "MKD" << int(vbOK) << false;
        QTest::newRow("its holder file cannot be written") << -1 << 0 << "STOR" << int(vbOK)
                                                           << false;
    }
    void aLockLeftOnTheServer()
    {
        QFETCH(int, storedAgo);
        QFETCH(int, writtenAgo);
        QFETCH(QString, failing);
        QFETCH(int, answer);
        QFETCH(bool, changed);
        publish({RecordLine("doc.txt", 3, "", "", "old")});
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QString holderFile = "qxg/_control.lock/holder.txt";
        const QByteArray holder =
            "Cy\r\n" + now.addSecs(-writtenAgo).toString(Qt::ISODate).toLatin1() + "\r\nx\r\n";
        if (storedAgo >= 0) {
            site().writeSiteFile(holderFile, holder);
            QFile file(site().sitePath(holderFile));
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(now.addSecs(-storedAgo), QFileDevice::FileModificationTime));
        }
        if (!failing.isEmpty())
            site().failOn(failing);
        const QByteArray dee = "Dee\r\n" + now.toString(Qt::ISODate).toLatin1() + "\r\ny\r\n";
        const bool raced = storedAgo > 120 && answer == vbCancel;
        if (raced)
            m_link->before("MKD " + kLock + "/_breaking",
                               [&] { site().writeSiteFile(holderFile, dee); });
        if (answer == vbRetry)
            services().onNextMessage(
                [&] { QDir(site().sitePath("qxg/_control.lock")).removeRecursively(); });
        if (answer)
            services().answer(answer);
        FileDetailsValues values;
        values.pvarDesc = "new";
        QCOMPARE(files().UpdateFileDetails("doc.txt", RecordChange::Update, values), changed);
        QCOMPARE(SiteRecord(site(), "doc.txt").Description, changed ? "new" : "old");
        if (answer == vbCancel) {
            verifyLockQuestion(raced ? "Dee" : "Cy");
            QCOMPARE(site().readSiteFile(holderFile), raced ? dee : holder);
        } else {
            QVERIFY(!site().siteFileExists("qxg/_control.lock"));
        }
        if (storedAgo < 0)
            QVERIFY(services().last().prompt.startsWith(
                "_files.txt was not changed: the server's change lock qxg/_control.lock could "
                "not be created ("));
        QCOMPARE(m_view->reports.filter(QRegularExpression("^_control.lock: taken over from Cy, "
                                                           "held since .*: older than two "
                                                           "minutes")).size(),
                 int(changed && !answer));
    }

    // Locks whose age cannot be read, each judged by how long this client
    // has seen it unchanged: a folder without a holder file, a holder time
    // far ahead of the clock (by the server's MDTM, or written where the
    // server has none), and a stale lock whose "_breaking" folder a breaker
    // left. None is taken over after 100 s of watching, each after 130 s.
    void aLockThatWouldBlockForever_data()
    {
        QTest::addColumn<QByteArray>("holder"); // none: no holder file
        QTest::addColumn<int>("storedAgo");     // the holder file's time on the server
        QTest::addColumn<QString>("extra");     // a command failing, or a folder left
        const QByteArray cy = "Cy\r\n2026-01-01T00:00:00Z\r\nx\r\n";
        QTest::newRow("no holder file") << QByteArray() << 0 << "";
        QTest::newRow("holder file dated 2089") << cy << -2000000000 << "";
        QTest::newRow("2099 written, no MDTM") << QByteArray("Cy\r\n2099-01-01T00:00:00Z\r\n")
                                               << 0 << "MDTM";
        QTest::newRow("a breaker stopped") << cy << 900 << "_breaking";
    }
    void aLockThatWouldBlockForever()
    {
        QFETCH(QByteArray, holder);
        QFETCH(int, storedAgo);
        QFETCH(QString, extra);
        publish({RecordLine("doc.txt", 3, "", "", "old")});
        if (extra == "MDTM")
            site().failOn(extra);
        else
            QDir().mkpath(site().sitePath("qxg/_control.lock/" + extra));
        if (!holder.isEmpty()) {
            site().writeSiteFile("qxg/_control.lock/holder.txt", holder);
            QFile file(site().sitePath("qxg/_control.lock/holder.txt"));
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(QDateTime::currentDateTime().addSecs(-storedAgo),
                                     QFileDevice::FileModificationTime));
        }
        services().onNextMessage([&] { skipSeconds(100); });
        services().answer(vbRetry);
        services().onNextMessage([&] { skipSeconds(30); });
        services().answer(vbRetry);
        QVERIFY(changeDescription());
        QCOMPARE(services().shown.size(), 2);
        const QString question = services().last().prompt;
        QVERIFY2(question.startsWith((holder.isEmpty() ? "Another member" : "Cy") +
                                     QString(" is changing the group's files")) &&
                     !question.contains(QRegularExpression("since 20[89]")),
                 qPrintable(question));
        QVERIFY(!site().siteFileExists("qxg/_control.lock"));
    }

    // A change that has held the lock for over a minute may have lost it to a
    // member who judged it stale: it sends nothing and says so. A file where
    // the lock's folder belongs is named, with what an administrator must do.
    void changesTheLockRefuses_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("held past a minute")
            << "The change took more than a minute, so another member may have taken the "
               "server's change lock over meanwhile. Nothing was sent; please try again.";
        QTest::newRow("a file in the lock's place")
            << "_files.txt was not changed: a file named qxg/_control.lock is on the server where "
               "the lock's folder belongs (451 Requested action aborted: local error in "
               "processing.). No member can change the group's files until an administrator "
               "removes that file from the server.";
    }
    void changesTheLockRefuses()
    {
        QFETCH(QString, message);
        publish({RecordLine("doc.txt", 3, "", "", "old")});
        const bool held = message.startsWith("The change");
        if (held) {
            m_link->before("GET _files.txt _files.txt", [&] { skipSeconds(61); });
        } else {
            site().writeSiteFile("qxg/_control.lock", "junk");
            site().failOn("MKD");
        }
        services().expect(message, vbCritical);
        QVERIFY(!changeDescription());
        QCOMPARE(SiteRecord(site(), "doc.txt").Description, QStringLiteral("old"));
        QCOMPARE(site().ftpCommands("STOR").filter("_files.txt"), QStringList());
        QCOMPARE(site().siteFileExists("qxg/_control.lock"), !held);
    }

    // The server's time of a file (MDTM, with or without fractions) and the
    // holder file are read from whatever a server or another client wrote.
    void lockTimesAndHolders()
    {
        const QDateTime time(QDate(2026, 12, 6), QTime(3, 4, 5), QTimeZone::utc());
        QCOMPARE(ChangeLock::ParseModificationTime("213 20261206030405.250\r\n"), time);
        QVERIFY(!ChangeLock::ParseModificationTime("213 20261399999999\r\n").isValid());
        const ChangeLock::Holder holder =
            ChangeLock::ParseHolder("C\x07y\x1b[31m\r\n2026-12-06T03:04:05Z\r\nx\r\n");
        QCOMPARE(holder.nickname, QStringLiteral("Cy[31m"));
        QCOMPARE(holder.written, time);
        QCOMPARE(ChangeLock::ParseHolder(QByteArray(5000, 'z')).nickname.size(), 30);
        // Binary: invalid bytes, a direction override, NULs.
        QCOMPARE(ChangeLock::ParseHolder("\xff\xfe\xe2\x80\xae" "Ann\x00\x01" +
                                         QByteArray(1 << 20, '\x80'))
                     .nickname,
                 QStringLiteral("Ann"));
    }

    // A name from the control file that would leave the local folder, or
    // that is one of Skiff's own files there (any letter case), is refused
    // by every operation and never reaches the server or the local folder.
    void namesThatAreNoSharedFiles_data()
    {
        QTest::addColumn<int>("operation"); // check out, check in, get latest
        QTest::newRow("check out") << 0;
        QTest::newRow("check in") << 1;
        QTest::newRow("get latest") << 2;
    }
    void namesThatAreNoSharedFiles()
    {
        QFETCH(int, operation);
        const QString holder = operation == 1 ? "Ann" : "";
        const QStringList refused = {"../escape.txt", "_files.txt.backup", "_Hidden.txt"};
        QStringList records;
        for (const QString& name : refused + QStringList{"fine.txt"})
            records << RecordLine(name, 1, holder);
        publish(records);
        share({"fine.txt", "_files.txt.backup", "_Hidden.txt"});
        m_env->writeLocal("fine.txt", "local fine");
        m_env->writeLocal("_hidden.txt", "secret.doc\r\n");
        for (const QString& name : refused)
            services().expect(name + " is not a valid local file name.", vbCritical);
        const QList<ListedFile> selection = listed(refused + QStringList{"fine.txt"});
        if (operation == 0)
            files().CheckOut(selection);
        else if (operation == 1)
            files().CheckIn(selection, dialog({Answers("ok")}));
        else
            files().GetLatestVersion(selection);
        const QString log = site().ftpLog().join('\n');
        QVERIFY(!log.contains("escape") && !log.contains("_Hidden") &&
                !log.contains("RETR _files.txt.backup"));
        QCOMPARE(m_env->readLocal("_hidden.txt"), QByteArray("secret.doc\r\n"));
        QVERIFY(!QFile::exists("_Hidden.txt"));
        QVERIFY(m_env->readLocal("_files.txt.backup") != "server _files.txt.backup");
        QCOMPARE(FileVersions::Get("fine.txt"), short(operation == 1 ? 2 : 1));
    }
};

QTEST_GUILESS_MAIN(TestSharedFiles)
#include "tst_sharedfiles.moc"
