#pragma once
// The shared-file operations, without windows: the control file's fetch,
// check and recovery, the one procedure that changes it, and check out,
// check in, get latest version, add files and the owner's actions. They work
// on the records of the files the member selected (as the list showed them),
// the local folder (the working directory), the local versions and one link
// to the server. Questions and messages go through the service facades;
// what a window shows while an operation runs reaches it through a
// SharedFilesView, by file name, since the list may be rebuilt while an
// operation waits for the server.
//
// Run-time errors (a version that cannot be raised, a check-in's file that
// did not arrive, a damaged control file) are thrown as SkiffError for the
// entry point's guard to show; failures the procedures report themselves
// (GetFile, UpdateFileDetails) have been shown when they return false. A
// file of a batch that cannot be fetched (the server could not be asked,
// the download failed) is reported on its own and the batch goes on.

#include "ControlFile.h"
#include "ControlFileRewrite.h"
#include "site/ChangeLock.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class FtpLink;
class clsFileDetails;

// A shared file as the list showed it when the member selected it.
struct ListedFile
{
    FileRecord Record;
    short LocalVersion = 0; // "My Version"
};

// A record's fields and the local version as an administrator types them
// when repairing a record by hand.
struct FileDetailsEdit
{
    QString Name;
    QString ServerVersion;
    QString Controller;
    QString Author;
    QString Description;
    QString Comment;
    QString LocalVersion;
};

// What the window shows while an operation runs. A file that is no longer
// listed is simply not shown.
class SharedFilesView
{
public:
    virtual ~SharedFilesView() = default;
    virtual void ShowFile(const QString& /*name*/) {} // scrolls its row into view
    virtual void SelectFile(const QString& /*name*/, bool /*selected*/) {}
    virtual void SetFileIcon(const QString& /*name*/, const QString& /*icon*/) {}
    virtual void SetLocalVersion(const QString& /*name*/, short /*version*/) {}
    // What became of a file, for the member to read: "fetched, version 3",
    // "not sent: 550 Permission denied", ...
    virtual void ReportFile(const QString& /*name*/, const QString& /*what*/) {}
    // What the operation is doing, in the member's words ("Checking out 2
    // of 5: cast list.doc"); with total > 0, done of total files are through.
    virtual void ShowStep(const QString& /*step*/, int /*done*/, int /*total*/) {}
};

// The member's answers in the check-in dialog for one file; they are carried
// over to the next file's dialog.
struct CheckInAnswers
{
    QString Comment;
    bool KeepCheckedOut = false;
    bool DontUpdateServer = false;
    bool CheckInAll = false;
};
// Shows the check-in dialog for a file; false when the member cancelled.
using AskCheckIn = std::function<bool(const QString& name, CheckInAnswers& answers)>;

// How fetching and checking the control file ended.
struct ControlFileCheck
{
    enum Outcome
    {
        Accepted,     // the records are the list
        FetchFailed,  // the fetch's message has been shown
        Unreadable,   // the local copy could not be read: shown
        NewerRelease, // the release notice has been shown; the window closes
        Refused       // the member refused the recovery: the program ends
    };
    Outcome outcome = FetchFailed;
    ControlFile::Contents contents;
};

class SharedFiles
{
public:
    explicit SharedFiles(FtpLink& link, SharedFilesView* view = nullptr);

    // Downloads a file of the group folder into the local folder over a
    // fresh connection; false after showing why when the server could not be
    // reached (a file the server refuses is simply missing afterwards).
    bool GetFile(const QString& fileName);
    bool GetControlFile();
    // Changes one record of the control file on the server: fetches it
    // under the change lock, changes the record locally (RewriteControlFile)
    // and uploads it with a server backup. False after showing the error.
    bool UpdateFileDetails(const QString& pstrFileName, RecordChange change,
                           const FileDetailsValues& values = {});
    // Fetches the control file and checks it: a missing, empty or short one
    // is fetched once more on a fresh connection, then restored from the
    // server's backup if the member agrees; one from a newer release is
    // refused with the release notice.
    ControlFileCheck CheckControlFile();

    // The operations on the selected files, in list order. CheckOut answers
    // false when the member may not check out, AddFiles when the control file
    // could not be fetched or the member abandoned the add: the list is then
    // not rebuilt.
    bool CheckOut(const QList<ListedFile>& selected);
    void CheckIn(const QList<ListedFile>& selected, const AskCheckIn& dialog);
    // True when the plot document was among the files fetched.
    bool GetLatestVersion(const QList<ListedFile>& selected);
    bool AddFiles(const QStringList& names);
    // The member cancelled: the operation under way stops after the file
    // it is at, keeping what the files before it did. The next one starts
    // afresh.
    void RequestStop() { m_stopRequested = true; }

    // The owner's actions on one file; true when the record changed (the row
    // is to show it).
    bool ChangeFileDescription(const FileRecord& file, QString& description);
    bool DeleteFile(const FileRecord& file);
    bool RelinquishControl(const FileRecord& file);
    void OpenFile(const QList<ListedFile>& selected);
    // An administrator's repair of a record and of the local version. Every
    // double quote becomes an apostrophe (the control file quotes its
    // fields); a name no local copy can have, or a local version the
    // settings cannot hold (thrown), is refused before anything changes.
    // The details as stored, for the row; none when nothing changed (shown).
    std::optional<FileDetailsEdit> EditFileDetails(const FileDetailsEdit& typed);

    // What the signed-in member may do with a file's record. Administrators
    // may describe and remove any file, and give up their own; members with
    // full access have the owner options of their own files and of files
    // nobody owns (giving up only their own).
    struct RecordOptions
    {
        bool describe = false; // change the description, remove from the store
        bool relinquish = false;
    };
    static RecordOptions OptionsFor(const FileRecord& file);
    // The owner options are for the file's owner, and anybody's when it has none.
    static bool MayUseOwnerOptions(const FileRecord& file);
    static bool OwnsFile(const FileRecord& file);
    // Whether the member holds the file by exactly the spelling the check-in
    // goes by (it passes over a record held under another spelling).
    static bool HeldByMe(const FileRecord& file);
    // Whether the member's copy is the server's version.
    static bool HasLatestVersion(const ListedFile& file);
    // Whether a record's controller is a member other than this one.
    static bool HeldByAnother(const QString& controller);

    // The group's plot document, which members are offered to read at once.
    static QString PlotDocument();

private:
    enum class Presence
    {
        Listed,
        Missing,
        Unknown // the server could not be asked: the member has been told
    };

    SharedFilesView& view() { return *m_view; }
    // "Checking out 2 of 5: cast list.doc": the step of file index (from 0).
    void ShowFileStep(const QString& doing, int index, int total, const QString& name);
    // Read between the files of a batch; a Cancel before the operation began
    // belonged to an earlier one.
    bool StopRequested() const { return m_stopRequested; }
    void BeginBatch() { m_stopRequested = false; }
    void reconnect();
    // Whether "ls" of the name lists it (a test on the listing's text,
    // letter case counting); none when the listing itself failed (a lost
    // connection, a server that would not list), which says nothing about
    // the file.
    std::optional<bool> IsListedOnServer(const QString& name);
    // Changes to the group folder and looks for the file there; a file that
    // is missing while its ".backup" copy remains (an interrupted check-in)
    // is put back from it first, but only when a listing said it is missing.
    Presence FindOnServer(const QString& name);
    // Keeps the local copy as its one backup generation and downloads the
    // file. A download that did not arrive puts the copy back and tells the
    // member which file failed and why: false.
    bool Download(const QString& name);
    // Gives back, in one change of the control file, the files this member
    // took for a check out that did not come down.
    void GiveBack(const QStringList& names);

    // The one way the control file changes on the server, under the
    // server's change lock (ChangeLock), so that no member's change is lost
    // to another's: a fresh copy is fetched, rewrite changes it locally
    // (RewriteControlFile; a SkiffError it throws is shown) and answers
    // whether to upload it, and it goes up with a server backup. False
    // after showing why (the lock was not taken, the fetch, the rewrite or
    // the upload failed); the server then holds the control file as before.
    // With failure, the reason is handed back instead of shown ("" when the
    // member cancelled).
    bool ChangeControlFile(const std::function<bool()>& rewrite, QString* failure = nullptr);
    // Check in's records, once the files went up; when they cannot be
    // changed, the member may try again or have the server's previous
    // copies of the sent files put back.
    bool RecordCheckIn(const QList<clsFileDetails>& batch, const QStringList& sent);
    static QString UnrecordedCheckIn(const QString& why, const QList<clsFileDetails>& batch);
    void PutPreviousCopiesBack(const QStringList& sent);
    // Takes the server's change lock; false after showing why it was not
    // taken (nothing more when the member cancelled).
    bool TakeChangeLock(ChangeLock& lock, QString* failure = nullptr);
    // The lock's lines for the window's log.
    ChangeLock::Log LockLog();
    // Puts the member's last pre-change copy (else the server's backup) back
    // as the control file, under the lock; false when the lock was not taken.
    bool RestoreControlFile();
    // Runs rewrite and, when it asks for it, the upload; false after
    // showing the error.
    bool RewriteAndSave(const std::function<bool()>& rewrite, QString* failure = nullptr);
    // Uploads the local control file with a server backup; throws SkiffError
    // saying why when it did not arrive.
    void SaveControlFile();
    // How a failed change's message ends when nothing at all changed.
    static QString NothingChanged();

    FtpLink& m_link;
    SharedFilesView m_noView;
    SharedFilesView* m_view;
    bool m_stopRequested = false;
};
